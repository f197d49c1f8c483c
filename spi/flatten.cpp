#include "flatten.h"

#include "layer.h"
#include "page.h"
#include "palette.h"
#include "sizes.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

constexpr std::uint32_t kInfoHeaderBytes = 40;
constexpr std::uint32_t kColorTableEntries = 256;
constexpr std::uint64_t kMaxPixelBlockBytes = 0xFFFFFFFFu;

constexpr int kFlattenDone = 0;
constexpr int kFlattenNoMemory = 5;
constexpr int kFlattenNoPicture = 8;

void PutU16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void PutU32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// BITMAPINFOHEADER of a bottom-up 8-bit BI_RGB bitmap, then 256 RGBQUADs.
void WriteHeaderBlock(std::uint8_t* block, std::int32_t width, std::int32_t height, const CRovaPalette& palette)
{
    std::memset(block, 0, kDibHeaderBlockBytes);
    PutU32(block + 0, kInfoHeaderBytes);
    PutU32(block + 4, static_cast<std::uint32_t>(width));
    PutU32(block + 8, static_cast<std::uint32_t>(height));
    PutU16(block + 12, 1);
    PutU16(block + 14, 8);
    // Palettes of the two-byte formats keep no 3-byte colours: their table
    // stays black.
    const std::uint8_t* bgr = palette.m_pColors24.get();
    if (!bgr)
        return;
    const std::uint32_t entries = std::min(palette.m_nCount, kColorTableEntries);
    std::uint8_t* quad = block + kInfoHeaderBytes;
    for (std::uint32_t i = 0; i < entries; ++i, quad += 4, bgr += 3) {
        quad[0] = bgr[0];
        quad[1] = bgr[1];
        quad[2] = bgr[2];
    }
}

// A layer takes part only as far as its own buffer reaches: one byte per
// pixel, and no more rows or columns than it holds.
struct LayerView {
    const std::uint8_t* pixels = nullptr;
    std::int32_t columns = 0;
    std::int32_t rows = 0;
    std::intptr_t pitch = 0;
};

LayerView ViewOf(const CRovaLayer* layer, std::int32_t pageWidth, std::int32_t pageHeight)
{
    LayerView view;
    if (!layer || !layer->m_pPixels || layer->m_nBytesPerPixel != 1 || layer->m_nWidth <= 0 ||
        layer->m_nHeight <= 0)
        return view;
    const std::uint64_t needed = static_cast<std::uint64_t>(layer->m_nWidth) * static_cast<std::uint64_t>(layer->m_nHeight);
    if (layer->GetPixelBytes() < needed)
        return view;
    view.pixels = layer->m_pPixels.get();
    view.columns = std::min(pageWidth, layer->m_nWidth);
    view.rows = std::min(pageHeight, layer->m_nHeight);
    view.pitch = layer->m_nWidth;
    return view;
}

bool CoversPage(const LayerView& view, std::int32_t width, std::int32_t height)
{
    return view.pixels && view.columns == width && view.rows == height;
}

void MergeLayers(const CRovaDocument& document, const CRovaPage& page, std::uint8_t* block, std::uint32_t stride)
{
    const std::int32_t width = page.m_nWidth;
    const std::int32_t height = page.m_nHeight;
    const std::int32_t count = page.m_layers.GetCount();
    // Row 0 of the page is the last row of the bottom-up block.
    std::uint8_t* top = block + static_cast<std::size_t>(stride) * static_cast<std::size_t>(height - 1);
    const std::intptr_t dstPitch = -static_cast<std::intptr_t>(stride);
    const std::uint8_t key = static_cast<std::uint8_t>(document.m_nTransparentIndex & 0xFF);

    for (std::int32_t index = count - 1; index >= 0; --index) {
        const LayerView view = ViewOf(page.m_layers.GetAtAs<CRovaLayer>(index), width, height);
        if (!view.pixels)
            continue;
        if (index == count - 1)
            CopyRows(top, dstPitch, view.columns, view.rows, view.pixels, view.pitch);
        else if (document.m_bNibbleMode)
            CopyRowsNibbleKeyed(top, dstPitch, view.columns, view.rows, view.pixels, view.pitch);
        else
            CopyRowsKeyed(top, dstPitch, view.columns, view.rows, view.pixels, view.pitch, key);
    }
}

// Frees both blocks on every path that does not hand them over.
class LockedBlock {
public:
    explicit LockedBlock(std::size_t bytes) : m_handle(LocalAlloc(LMEM_MOVEABLE, bytes))
    {
        if (m_handle)
            m_data = static_cast<std::uint8_t*>(LocalLock(m_handle));
    }
    ~LockedBlock()
    {
        if (m_handle) {
            if (m_data)
                LocalUnlock(m_handle);
            LocalFree(m_handle);
        }
    }
    LockedBlock(const LockedBlock&) = delete;
    LockedBlock& operator=(const LockedBlock&) = delete;

    std::uint8_t* Data() const { return m_data; }
    // Unlocks the block and gives up ownership.
    HLOCAL Release()
    {
        LocalUnlock(m_handle);
        m_data = nullptr;
        return std::exchange(m_handle, nullptr);
    }

private:
    HLOCAL m_handle;
    std::uint8_t* m_data = nullptr;
};

}  // namespace

void CopyRows(std::uint8_t* dst, std::intptr_t dstPitch, std::int32_t columns, std::int32_t rows,
              const std::uint8_t* src, std::intptr_t srcPitch)
{
    if (columns <= 0)
        return;
    for (std::int32_t row = 0; row < rows; ++row, dst += dstPitch, src += srcPitch)
        std::memcpy(dst, src, static_cast<std::size_t>(columns));
}

void CopyRowsKeyed(std::uint8_t* dst, std::intptr_t dstPitch, std::int32_t columns, std::int32_t rows,
                   const std::uint8_t* src, std::intptr_t srcPitch, std::uint8_t key)
{
    for (std::int32_t row = 0; row < rows; ++row, dst += dstPitch, src += srcPitch) {
        for (std::int32_t column = 0; column < columns; ++column) {
            if (src[column] != key)
                dst[column] = src[column];
        }
    }
}

void CopyRowsNibbleKeyed(std::uint8_t* dst, std::intptr_t dstPitch, std::int32_t columns, std::int32_t rows,
                         const std::uint8_t* src, std::intptr_t srcPitch)
{
    for (std::int32_t row = 0; row < rows; ++row, dst += dstPitch, src += srcPitch) {
        for (std::int32_t column = 0; column < columns; ++column) {
            if (src[column] & 0x0F)
                dst[column] = src[column];
        }
    }
}

int FlattenPageToDib(const CRovaDocument& document, HLOCAL* header, HLOCAL* pixels)
{
    *header = nullptr;
    *pixels = nullptr;
    const auto* page = document.m_pages.GetCurrentAs<CRovaPage>();
    const auto* palette = document.m_palettes.GetCurrentAs<CRovaPalette>();
    if (!page || !palette)
        return kFlattenNoPicture;

    const std::int32_t width = page->m_nWidth;
    const std::int32_t height = page->m_nHeight;
    // An empty page has an empty pixel block, which cannot be locked; a
    // block beyond 32 bits is more than any host can address as a DIB.
    if (width <= 0 || height <= 0)
        return kFlattenNoMemory;
    const std::uint64_t stride = (static_cast<std::uint64_t>(width) + 3) & ~std::uint64_t{3};
    const std::uint64_t pixelBytes = stride * static_cast<std::uint64_t>(height);
    if (pixelBytes > kMaxPixelBlockBytes || pixelBytes > SIZE_MAX)
        return kFlattenNoMemory;

    // The bitmap counts against the document's budget like its layers did.
    if (!TryChargeBudget(kDibHeaderBlockBytes + pixelBytes))
        return kFlattenNoMemory;
    LockedBlock headerBlock(kDibHeaderBlockBytes);
    LockedBlock pixelBlock(static_cast<std::size_t>(pixelBytes));
    if (!headerBlock.Data() || !pixelBlock.Data())
        return kFlattenNoMemory;

    WriteHeaderBlock(headerBlock.Data(), width, height, *palette);

    // What no layer writes reads as index 0: the row padding always, and the
    // whole block unless a bottom layer covers the page.
    std::uint8_t* block = pixelBlock.Data();
    const std::int32_t count = page->m_layers.GetCount();
    const bool drawLayers = document.m_nBitDepth <= 8;
    const bool baseCovers =
        drawLayers && count > 0 && CoversPage(ViewOf(page->m_layers.GetAtAs<CRovaLayer>(count - 1), width, height), width, height);
    if (!baseCovers) {
        std::memset(block, 0, static_cast<std::size_t>(pixelBytes));
    } else if (stride != static_cast<std::uint64_t>(width)) {
        for (std::int32_t row = 0; row < height; ++row)
            std::memset(block + static_cast<std::size_t>(stride) * row + width, 0, static_cast<std::size_t>(stride - width));
    }
    if (drawLayers)
        MergeLayers(document, *page, block, static_cast<std::uint32_t>(stride));

    *header = headerBlock.Release();
    *pixels = pixelBlock.Release();
    return kFlattenDone;
}
