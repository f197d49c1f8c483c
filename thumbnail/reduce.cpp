#include "preview.h"

#include "sizes.h"

#include <cstdint>
#include <cstring>

bool CRovaPreview::ReducePixels(BYTE* pixels, LONG& width, LONG& height, LONG newWidth, LONG newHeight)
{
    if (width <= 0 || height <= 0 || newWidth <= 0 || newHeight <= 0)
        return false;
    // The reduced picture is written over the source: it may not be larger.
    if (std::int64_t{newWidth} * newHeight > std::int64_t{width} * height || newWidth > width || newHeight > height)
        return false;

    const std::int64_t stride = (std::int64_t{width} + 3) & ~std::int64_t{3};
    const std::int64_t newStride = (std::int64_t{newWidth} + 3) & ~std::int64_t{3};
    std::unique_ptr<std::uint8_t[]> reduced;
    try {
        reduced = AllocBytes(BufferSize(newStride, newHeight));
    } catch (const CMemoryException&) {
        return false;
    }

    // Products in 64 bits: y * height overflows 32 bits for tall pictures.
    // Source columns stay below width, so row filler never shows.
    for (std::int64_t y = 0; y < newHeight; ++y) {
        const BYTE* sourceRow = pixels + (y * height / newHeight) * stride;
        std::uint8_t* row = reduced.get() + y * newStride;
        for (std::int64_t x = 0; x < newWidth; ++x)
            row[x] = sourceRow[x * width / newWidth];
        std::memset(row + newWidth, 0, static_cast<std::size_t>(newStride - newWidth));
    }
    std::memcpy(pixels, reduced.get(), static_cast<std::size_t>(newStride * newHeight));
    width = newWidth;
    height = newHeight;
    return true;
}
