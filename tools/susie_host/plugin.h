// A Susie plug-in loaded the way a host loads one: by path, with its exports
// looked up by name. Signatures follow the host side of the interface
// (LONG_PTR sizes and DWORD_PTR handle-or-address on x64).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace susie {

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
    std::uint8_t padding[2];
#endif
    HLOCAL hInfo;
};
#pragma pack(pop)

using ProgressCallback = int(WINAPI*)(int, int, LONG_PTR);
using GetPluginInfoFn = int(WINAPI*)(int, LPSTR, int);
using IsSupportedFn = int(WINAPI*)(LPCSTR, DWORD_PTR);
using GetPictureInfoFn = int(WINAPI*)(LPCSTR, LONG_PTR, UINT, PictureInfo*);
using GetPictureFn = int(WINAPI*)(LPCSTR, LONG_PTR, UINT, HLOCAL*, HLOCAL*, ProgressCallback, LONG_PTR);

class Plugin {
public:
    // Loads the module; error() says why when loaded() is false.
    explicit Plugin(const std::string& path);
    ~Plugin();
    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;

    bool loaded() const { return m_module != nullptr; }
    const std::string& error() const { return m_error; }

    // Exports; null when the plug-in lacks one.
    GetPluginInfoFn GetPluginInfo = nullptr;
    IsSupportedFn IsSupported = nullptr;
    GetPictureInfoFn GetPictureInfo = nullptr;
    GetPictureFn GetPicture = nullptr;

private:
    HMODULE m_module = nullptr;
    std::string m_error;
};

}  // namespace susie
