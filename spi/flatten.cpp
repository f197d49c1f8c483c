#include "flatten.h"

#include "layer.h"
#include "page.h"
#include "palette.h"
#include "sizes.h"

#include <algorithm>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
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

// Layers are merged a band of rows at a time, so the band of the bitmap
// stays in the cache while every layer is laid on it; each layer is still
// read once, in order.
constexpr std::int32_t kBandBytes = 32 * 1024;

void MergeLayers(const CRovaDocument& document, const CRovaPage& page, std::uint8_t* block, std::uint32_t stride)
{
    const std::int32_t width = page.m_nWidth;
    const std::int32_t height = page.m_nHeight;
    const std::int32_t count = page.m_layers.GetCount();
    // Row 0 of the page is the last row of the bottom-up block.
    std::uint8_t* top = block + static_cast<std::size_t>(stride) * static_cast<std::size_t>(height - 1);
    const std::intptr_t dstPitch = -static_cast<std::intptr_t>(stride);
    const std::uint8_t key = static_cast<std::uint8_t>(document.m_nTransparentIndex & 0xFF);
    const std::int32_t bandRows = std::max<std::int32_t>(1, kBandBytes / std::max<std::int32_t>(1, width));

    for (std::int32_t first = 0; first < height; first += bandRows) {
        const std::int32_t last = std::min(height, first + bandRows);
        std::uint8_t* dst = top + dstPitch * first;
        for (std::int32_t index = count - 1; index >= 0; --index) {
            const LayerView view = ViewOf(page.m_layers.GetAtAs<CRovaLayer>(index), width, height);
            const std::int32_t rows = std::min(last, view.rows) - first;
            if (!view.pixels || rows <= 0)
                continue;
            const std::uint8_t* src = view.pixels + view.pitch * first;
            if (index == count - 1)
                CopyRows(dst, dstPitch, view.columns, rows, src, view.pitch);
            else if (document.m_bNibbleMode)
                CopyRowsNibbleKeyed(dst, dstPitch, view.columns, rows, src, view.pitch);
            else
                CopyRowsKeyed(dst, dstPitch, view.columns, rows, src, view.pitch, key);
        }
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

#if defined(__SSE2__)
// Lays the 16 pixels at `at` over dst, except those transparent() marks.
// A block that is all transparent is not written at all.
template <class Transparent>
inline void Blend16(std::uint8_t* dst, const std::uint8_t* src, std::int32_t at, Transparent transparent)
{
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + at));
    const __m128i clear = transparent(s);
    const int bits = _mm_movemask_epi8(clear);
    if (bits == 0xFFFF)
        return;
    __m128i* out = reinterpret_cast<__m128i*>(dst + at);
    if (bits == 0) {
        _mm_storeu_si128(out, s);
        return;
    }
    const __m128i d = _mm_loadu_si128(out);
    _mm_storeu_si128(out, _mm_or_si128(_mm_and_si128(clear, d), _mm_andnot_si128(clear, s)));
}

// A row of at least 16 pixels, 16 at a time (SSE2 is on every x86-64 and
// every x86 the plug-in targets). The last partial block is done again from
// the row's end: blending is idempotent, so pixels seen twice come out the same.
template <class Transparent>
inline void BlendRow(std::uint8_t* dst, const std::uint8_t* src, std::int32_t columns, Transparent transparent)
{
    std::int32_t x = 0;
    for (; x + 16 <= columns; x += 16)
        Blend16(dst, src, x, transparent);
    if (x < columns)
        Blend16(dst, src, columns - 16, transparent);
}
#endif

inline void CopyRowKeyed(std::uint8_t* dst, const std::uint8_t* src, std::int32_t columns, std::uint8_t key)
{
#if defined(__SSE2__)
    if (columns >= 16) {
        const __m128i keys = _mm_set1_epi8(static_cast<char>(key));
        BlendRow(dst, src, columns, [keys](__m128i s) { return _mm_cmpeq_epi8(s, keys); });
        return;
    }
#endif
    for (std::int32_t x = 0; x < columns; ++x) {
        if (src[x] != key)
            dst[x] = src[x];
    }
}

inline void CopyRowNibbleKeyed(std::uint8_t* dst, const std::uint8_t* src, std::int32_t columns)
{
#if defined(__SSE2__)
    if (columns >= 16) {
        const __m128i lowNibble = _mm_set1_epi8(0x0F);
        const __m128i zero = _mm_setzero_si128();
        BlendRow(dst, src, columns,
                 [lowNibble, zero](__m128i s) { return _mm_cmpeq_epi8(_mm_and_si128(s, lowNibble), zero); });
        return;
    }
#endif
    for (std::int32_t x = 0; x < columns; ++x) {
        if (src[x] & 0x0F)
            dst[x] = src[x];
    }
}

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
    for (std::int32_t row = 0; row < rows; ++row, dst += dstPitch, src += srcPitch)
        CopyRowKeyed(dst, src, columns, key);
}

void CopyRowsNibbleKeyed(std::uint8_t* dst, std::intptr_t dstPitch, std::int32_t columns, std::int32_t rows,
                         const std::uint8_t* src, std::intptr_t srcPitch)
{
    for (std::int32_t row = 0; row < rows; ++row, dst += dstPitch, src += srcPitch)
        CopyRowNibbleKeyed(dst, src, columns);
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
