// The PictureInfo record of the Susie interface. Byte-packed: 26 bytes on
// x86. On 64-bit builds two padding bytes follow the colour depth so that the
// handle sits at offset 24 (32 bytes in all), as 64-bit hosts expect.
#pragma once

#include "localmem.h"

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct PictureInfo {
    std::int32_t left;
    std::int32_t top;
    std::uint32_t width;
    std::uint32_t height;
    std::uint16_t x_density;
    std::uint16_t y_density;
    std::int16_t colorDepth;
#if UINTPTR_MAX > 0xFFFFFFFFu
    std::uint8_t padding[2];
#endif
    HLOCAL hInfo;
};
#pragma pack(pop)

#if UINTPTR_MAX > 0xFFFFFFFFu
static_assert(sizeof(PictureInfo) == 32 && offsetof(PictureInfo, hInfo) == 24, "x64 PictureInfo layout");
#else
static_assert(sizeof(PictureInfo) == 26 && offsetof(PictureInfo, hInfo) == 22, "x86 PictureInfo layout");
#endif
