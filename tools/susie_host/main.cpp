// susie_host PLUGIN [--bmp OUTPUT.bmp] [FILE...]
// Loads a Susie plug-in as a host does, prints its description strings and,
// for each file, whether the plug-in says it can read it. With --bmp the
// first file is decoded and saved as OUTPUT.bmp.
#include "decode.h"
#include "plugin.h"

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

// Description strings are in the ANSI code page of the plug-in's market,
// code page 932; the console here expects UTF-8.
std::string Cp932ToUtf8(const std::string& text)
{
    if (text.empty())
        return text;
    const int wide = ::MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (wide <= 0)
        return "?";
    std::wstring utf16(static_cast<std::size_t>(wide), L'\0');
    ::MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()), &utf16[0], wide);
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, &utf8[0], bytes, nullptr, nullptr);
    return utf8;
}

bool IsAscii(const std::string& text)
{
    for (unsigned char c : text) {
        if (c >= 0x80)
            return false;
    }
    return true;
}

void PrintPluginInfo(const susie::Plugin& plugin)
{
    // Hosts ask for strings 0, 1, 2, ... until the plug-in answers 0.
    for (int index = 0; index < 64; ++index) {
        char buffer[256] = {};
        const int copied = plugin.GetPluginInfo(index, buffer, sizeof buffer - 1);
        if (copied <= 0)
            break;
        const std::string text(buffer);
        std::printf("  [%d] %s\n", index, Cp932ToUtf8(text).c_str());
        if (!IsAscii(text)) {
            std::printf("      bytes (CP932):");
            for (unsigned char c : text)
                std::printf(" %02X", c);
            std::printf("\n");
        }
    }
}

// Hosts hand IsSupported the first 2 KiB of the file.
void PrintSupport(const susie::Plugin& plugin, const std::string& path)
{
    std::vector<char> head(2048, 0);
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::printf("%s: cannot open\n", path.c_str());
        return;
    }
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    const int supported = plugin.IsSupported(path.c_str(), reinterpret_cast<DWORD_PTR>(head.data()));
    std::printf("%s: IsSupported = %d (%s)\n", path.c_str(), supported, supported ? "yes" : "no");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: susie_host PLUGIN [--bmp OUTPUT.bmp] [FILE...]\n");
        return 2;
    }
    const susie::Plugin plugin(argv[1]);
    if (!plugin.loaded()) {
        std::fprintf(stderr, "susie_host: %s\n", plugin.error().c_str());
        return 1;
    }
    std::printf("plug-in %s\n", argv[1]);
    PrintPluginInfo(plugin);
    std::string bmpPath;
    std::vector<std::string> files;
    for (int i = 2; i < argc; ++i) {
        if (std::string(argv[i]) == "--bmp" && i + 1 < argc)
            bmpPath = argv[++i];
        else
            files.push_back(argv[i]);
    }
    for (const std::string& file : files)
        PrintSupport(plugin, file);
    if (!bmpPath.empty() && !files.empty())
        return susie::DecodeToBmp(plugin, files.front(), bmpPath) ? 0 : 1;
    return 0;
}
