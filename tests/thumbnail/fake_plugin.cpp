// A stand-in for Rova2SPI.spi with the 64-bit Susie conventions. The file
// name says what to do (the file itself is never opened):
//   "..._<W>x<H>.rov"     a W by H picture (see fake_plugin.h)
//   "fault_av..."          GetPicture reads through a null pointer
//   "fault_div..."         GetPictureInfo divides by zero
//   "short_..."            the pixel block is one byte too small
//   "nopicture_..."        GetPicture returns 5 after GetPictureInfo succeeded
// Anything else is not a document (8). Built with FAKE_REFUSE_ALL it refuses
// every file.
#include "fake_plugin.h"
#include "picture_info.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

const char* BaseName(const char* path)
{
    const char* base = path;
    for (const char* p = path; *p; ++p) {
        if (*p == '\\' || *p == '/')
            base = p + 1;
    }
    return base;
}

bool StartsWith(const char* text, const char* prefix)
{
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// The last "_<W>x<H>" of the name.
bool SizeFromName(const char* name, long& width, long& height)
{
    const char* mark = std::strrchr(name, '_');
    return mark && std::sscanf(mark, "_%ldx%ld", &width, &height) == 2;
}

volatile int g_zero = 0;

}  // namespace

extern "C" int WINAPI GetPictureInfo(LPCSTR name, LONG_PTR, unsigned, PictureInfo* info)
{
#ifdef FAKE_REFUSE_ALL
    (void)name;
    (void)info;
    return 8;
#else
    const char* base = BaseName(name);
    if (StartsWith(base, "fault_div"))
        return 100 / g_zero;
    long width = 0, height = 0;
    if (!SizeFromName(base, width, height))
        return 8;
    *info = PictureInfo{};
    info->width = static_cast<std::uint32_t>(width);
    info->height = static_cast<std::uint32_t>(height);
    info->colorDepth = 8;
    return 0;
#endif
}

extern "C" int WINAPI GetPicture(LPCSTR name, LONG_PTR, unsigned, HLOCAL* headerOut, HLOCAL* pixelsOut, FARPROC,
                                 LONG_PTR)
{
    const char* base = BaseName(name);
    long width = 0, height = 0;
    if (!SizeFromName(base, width, height))
        return 8;
    if (StartsWith(base, "fault_av"))
        return *static_cast<volatile int*>(nullptr);
    if (StartsWith(base, "nopicture"))
        return 5;

    const long stride = (width + 3) & ~3L;
    const SIZE_T pixelBytes = SIZE_T(stride) * SIZE_T(height) - (StartsWith(base, "short") ? 1 : 0);
    HLOCAL header = LocalAlloc(LMEM_MOVEABLE, sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    HLOCAL pixels = LocalAlloc(LMEM_MOVEABLE, pixelBytes);
    auto* info = static_cast<BITMAPINFO*>(LocalLock(header));
    auto* bits = static_cast<BYTE*>(LocalLock(pixels));
    if (!info || !bits) {
        LocalFree(header);
        LocalFree(pixels);
        return 5;
    }
    info->bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), width, height, 1, 8, BI_RGB, 0, 0, 0, 0, 0};
    for (int i = 0; i < 256; ++i) {
        const std::uint32_t colour = fake_picture::ColourOf(static_cast<std::uint8_t>(i));
        info->bmiColors[i] = RGBQUAD{BYTE(colour), BYTE(colour >> 8), BYTE(colour >> 16), 0};
    }
    std::memset(bits, fake_picture::kFillerIndex, pixelBytes);
    if (!StartsWith(base, "short")) {
        for (long y = 0; y < height; ++y) {   // bottom-up rows
            BYTE* row = bits + SIZE_T(stride) * SIZE_T(height - 1 - y);
            for (long x = 0; x < width; ++x)
                row[x] = fake_picture::IndexAt(x, y);
        }
    }
    LocalUnlock(header);
    LocalUnlock(pixels);
    *headerOut = header;
    *pixelsOut = pixels;
    return 0;
}
