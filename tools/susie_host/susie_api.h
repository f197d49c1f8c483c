// The Susie plug-in interface as a host sees it: result codes, the packed
// PictureInfo record and the signatures of the exports a host looks up with
// GetProcAddress. Written here from the host's side on purpose, not taken
// from the plug-in's own headers, so a drift on either side shows up as a
// failing test under Wine.
#pragma once

#include <windows.h>

#include <cstdint>

namespace susie {

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

// Sizes and offsets are LONG_PTR and the handle-or-address of IsSupported is
// DWORD_PTR: pointer-sized on x64.
using ProgressCallback = int(WINAPI*)(int, int, LONG_PTR);
using GetPluginInfoFn = int(WINAPI*)(int index, LPSTR buffer, int bufferLength);
using IsSupportedFn = int(WINAPI*)(LPCSTR fileName, DWORD_PTR handleOrAddress);
using GetPictureInfoFn = int(WINAPI*)(LPCSTR nameOrImage, LONG_PTR offsetOrSize, UINT flags, PictureInfo* info);
using GetPictureFn = int(WINAPI*)(LPCSTR nameOrImage, LONG_PTR offsetOrSize, UINT flags, HLOCAL* header,
                                  HLOCAL* pixels, ProgressCallback progress, LONG_PTR data);
using ConfigurationDlgFn = int(WINAPI*)(HWND parent, int function);

}  // namespace susie
