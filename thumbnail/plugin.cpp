#include "plugin.h"

#include "module.h"

#include <string>

namespace {

constexpr wchar_t kPluginName[] = L"Rova2SPI.spi";

// The plug-in beside this module: the copy an installation puts there. The
// bare name alone would let the search order pick up a stray file first.
bool PluginBesideModule(std::wstring& path)
{
    wchar_t modulePath[MAX_PATH];
    const DWORD length = GetModuleFileNameW(g_module.Instance(), modulePath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    path.assign(modulePath, length);
    const std::size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos)
        return false;
    path.erase(slash + 1).append(kPluginName);
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

HMODULE LoadRovaPlugin()
{
    std::wstring besideModule;
    if (PluginBesideModule(besideModule))
        return LoadLibraryW(besideModule.c_str());
    return LoadLibraryW(kPluginName);
}
