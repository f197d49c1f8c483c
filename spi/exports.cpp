// The six Susie exports. Each is a thin shell over the portable code and the
// one place where failures become result codes: nothing escapes to the host.
#include "picture_info.h"
#include "picture_requests.h"
#include "plugin_info.h"
#include "source.h"

#include <windows.h>

#include <cstring>
#include <new>

// 64-bit hosts pass sizes, offsets and callback data as LONG_PTR and the
// handle-or-address of IsSupported as DWORD_PTR; on x86 these are 32 bits wide.
using SusieProgressCallback = int(WINAPI*)(int numerator, int denominator, LONG_PTR data);

extern "C" {

int WINAPI GetPluginInfo(int index, LPSTR buffer, int bufferLength)
{
    try {
        return CopyPluginInfo(index, buffer, bufferLength);
    } catch (...) {
        return 0;
    }
}

int WINAPI IsSupported(LPCSTR fileName, DWORD_PTR handleOrAddress)
{
    try {
        if (!IsFileHandleArgument(handleOrAddress)) {
            // Hosts hand over at least the first 2 KiB; only the signature is looked at.
            return IsRovaFile(fileName, reinterpret_cast<const std::uint8_t*>(handleOrAddress), 4) ? 1 : 0;
        }
        std::uint8_t head[10];
        DWORD read = 0;
        if (!::ReadFile(reinterpret_cast<HANDLE>(handleOrAddress), head, sizeof head, &read, nullptr))
            return 0;
        return IsRovaFile(fileName, head, read) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

int WINAPI GetPictureInfo(LPCSTR nameOrImage, LONG_PTR offsetOrSize, UINT flags, PictureInfo* info)
{
    if (!info)
        return SPI_INTERNAL_ERROR;
    try {
        // Filled in a zeroed local and copied whole, padding included, so the
        // host's record is written completely or not at all.
        PictureInfo result;
        std::memset(&result, 0, sizeof result);
        const int code = RequestPictureInfo(nameOrImage, offsetOrSize, flags, &result);
        if (code == SPI_SUCCESS)
            std::memcpy(info, &result, sizeof result);
        return code;
    } catch (...) {
        return SPI_INTERNAL_ERROR;
    }
}

int WINAPI GetPicture(LPCSTR nameOrImage, LONG_PTR offsetOrSize, UINT flags, HLOCAL* header, HLOCAL* pixels,
                      SusieProgressCallback /*progress*/, LONG_PTR /*callbackData*/)
{
    if (!header || !pixels)
        return SPI_INTERNAL_ERROR;
    *header = nullptr;
    *pixels = nullptr;
    int code = SPI_INTERNAL_ERROR;
    try {
        code = RequestPicture(nameOrImage, offsetOrSize, flags, header, pixels);
    } catch (const CMemoryException&) {
        code = SPI_NO_MEMORY;
    } catch (const std::bad_alloc&) {
        code = SPI_NO_MEMORY;
    } catch (...) {
        code = SPI_INTERNAL_ERROR;
    }
    if (code != SPI_SUCCESS) {
        // The host takes no blocks from a failed call, so none may be left behind.
        for (HLOCAL* handle : {header, pixels}) {
            if (*handle)
                ::LocalFree(*handle);
            *handle = nullptr;
        }
    }
    return code;
}

int WINAPI GetPreview(LPCSTR /*nameOrImage*/, LONG_PTR /*offsetOrSize*/, UINT /*flags*/, HLOCAL* /*header*/,
                      HLOCAL* /*pixels*/, SusieProgressCallback /*progress*/, LONG_PTR /*callbackData*/)
{
    return SPI_NOT_IMPLEMENTED;
}

int WINAPI ConfigurationDlg(HWND /*parent*/, int /*function*/)
{
    return SPI_NOT_IMPLEMENTED;
}

}  // extern "C"
