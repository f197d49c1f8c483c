// The plug-in as a Susie host sees it: loaded from its file with LoadLibrary
// and called through GetProcAddress. The record layout and the signatures are
// written here from the host's side, not taken from the plug-in's headers, so
// a drift on either side shows up as a failing test.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace host {

enum Result : int {
    kSuccess = 0,
    kBrokenData = 3,
    kNoMemory = 5,
    kFileReadError = 6,
    kInternalError = 8,
    kNotImplemented = -1,
};

#pragma pack(push, 1)
struct PictureInfo {
    std::int32_t left;
    std::int32_t top;
    std::uint32_t width;
    std::uint32_t height;
    std::uint16_t x_density;
    std::uint16_t y_density;
    std::int16_t colorDepth;
#ifdef _WIN64
    std::uint8_t padding[2];   // 64-bit hosts align the handle to 8 bytes
#endif
    HLOCAL hInfo;
};
#pragma pack(pop)

using ProgressCallback = int(WINAPI*)(int, int, LONG_PTR);
using GetPluginInfoFn = int(WINAPI*)(int index, LPSTR buffer, int bufferLength);
using IsSupportedFn = int(WINAPI*)(LPCSTR fileName, DWORD_PTR handleOrAddress);
using GetPictureInfoFn = int(WINAPI*)(LPCSTR nameOrImage, LONG_PTR offsetOrSize, UINT flags, PictureInfo* info);
using GetPictureFn = int(WINAPI*)(LPCSTR nameOrImage, LONG_PTR offsetOrSize, UINT flags, HLOCAL* header,
                                  HLOCAL* pixels, ProgressCallback progress, LONG_PTR data);
using ConfigurationDlgFn = int(WINAPI*)(HWND parent, int function);

struct SusiePlugin {
    HMODULE module = nullptr;
    GetPluginInfoFn GetPluginInfo = nullptr;
    IsSupportedFn IsSupported = nullptr;
    GetPictureInfoFn GetPictureInfo = nullptr;
    GetPictureFn GetPicture = nullptr;
    GetPictureFn GetPreview = nullptr;
    ConfigurationDlgFn ConfigurationDlg = nullptr;
};

// The built Rova2SPI.spi, loaded once per test program. Fails the calling
// test (and returns null) if the module or one of its exports is missing.
const SusiePlugin* Plugin();

// The Windows form of a path CMake gave in Unix form ("/x/y" -> "Z:\x\y").
std::string WindowsPath(const std::string& path);

// The path of the plug-in under test, in Windows form.
std::string PluginPath();

// A file in the temporary folder, deleted when the object goes.
class TempFile {
public:
    TempFile(const std::string& name, const std::vector<std::uint8_t>& contents);
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const char* path() const { return m_path.c_str(); }

private:
    std::string m_path;
};

}  // namespace host
