#include "layer.h"

#include "sizes.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace {

struct SelectionLoad {
    CRovaSelection* selection;
    std::uint8_t bytesPerPixel;
    std::int32_t width;
    std::int32_t height;
};

// Hands the packed pixels of chunk 1002 out, one per selected cell in row
// order, to the inside or outside buffer; stops when the cells run out.
class PackedPixelDistributor {
public:
    PackedPixelDistributor(CRovaSelection& selection, std::uint8_t bytesPerPixel, std::int32_t width,
                           std::int32_t height)
        : m_selection(selection),
          m_bytesPerPixel(bytesPerPixel),
          m_layerWidth(width),
          m_layerHeight(height),
          m_cells(selection.GetCellCount()),
          m_rectWidth(m_cells ? static_cast<std::size_t>(static_cast<std::int64_t>(selection.m_rect.right) -
                                                          selection.m_rect.left)
                              : 1)
    {
    }

    // pixels holds pixelCount whole pixels.
    void Feed(const std::uint8_t* pixels, std::size_t pixelCount)
    {
        for (std::size_t i = 0; i < pixelCount; ++i) {
            m_cell = m_selection.NextSelectedCell(m_cell);
            if (m_cell >= m_cells)
                return;
            const std::int64_t x = m_selection.m_rect.left + static_cast<std::int64_t>(m_cell % m_rectWidth);
            const std::int64_t y = m_selection.m_rect.top + static_cast<std::int64_t>(m_cell / m_rectWidth);
            const bool inside = x >= 0 && x < m_layerWidth && y >= 0 && y < m_layerHeight;
            std::uint8_t* target = inside ? m_selection.m_pInside.get() : m_selection.m_pOutside.get();
            std::memcpy(target + m_cell * m_bytesPerPixel, pixels + i * m_bytesPerPixel, m_bytesPerPixel);
            ++m_cell;
        }
    }

private:
    CRovaSelection& m_selection;
    const std::size_t m_bytesPerPixel;
    const std::int64_t m_layerWidth;
    const std::int64_t m_layerHeight;
    const std::size_t m_cells;
    // Cells exist only for a rectangle at least one cell wide.
    const std::size_t m_rectWidth;
    std::size_t m_cell = 0;
};

// Reads the whole payload (a short one raises) through a small block, so
// memory stays bounded whatever size the chunk declares.
void ReadPackedPixels(CRovaReader* reader, std::uint32_t size, const SelectionLoad& load)
{
    const std::uint8_t bpp = load.bytesPerPixel;
    const bool distribute = bpp >= 1 && bpp <= 3;
    std::optional<PackedPixelDistributor> distributor;
    if (distribute)
        distributor.emplace(*load.selection, bpp, load.width, load.height);

    // A multiple of 1, 2 and 3 bytes, so only the payload's last block can end inside a pixel.
    constexpr std::uint32_t kBlockBytes = 3 * 4096;
    std::vector<std::uint8_t> block(std::min(size, kBlockBytes));
    for (std::uint32_t remaining = size; remaining != 0;) {
        const std::uint32_t count = std::min(remaining, kBlockBytes);
        reader->ReadBytes(block.data(), count, true);
        remaining -= count;
        if (distributor)
            distributor->Feed(block.data(), count / bpp);
    }
}

int ReadSelectionChunk(CRovaReader* reader, std::uint32_t id, std::uint32_t size, void* userData)
{
    const auto& load = *static_cast<SelectionLoad*>(userData);
    CRovaSelection& selection = *load.selection;
    switch (id) {
    case 1000: {
        const RovaRect r = reader->ReadRect();
        selection.Set(r.left, r.top, r.right, r.bottom, nullptr, load.bytesPerPixel, 0);
        break;
    }
    case 1001:
        // Without a rectangle there is no mask to fill; a longer payload fills what fits.
        if (selection.m_pMask) {
            const auto count =
                static_cast<std::uint32_t>(std::min<std::uint64_t>(size, selection.GetCellCount()));
            reader->ReadBytes(selection.m_pMask.get(), count, true);
            selection.MaskBytesChanged(0, count);
        }
        break;
    case 1002:
        if (selection.m_pMask)
            ReadPackedPixels(reader, size, load);
        break;
    default:
        break;
    }
    return 0;
}

}  // namespace

CRovaSelection::~CRovaSelection()
{
    Clear();
}

std::size_t CRovaSelection::GetCellCount() const
{
    return m_pMask ? m_nCellCount : 0;
}

bool CRovaSelection::SetRectAndBuffers(std::int32_t left, std::int32_t top, std::int32_t right,
                                       std::int32_t bottom, std::uint8_t bytesPerPixel)
{
    Clear();
    m_rect = RovaRect{left, top, right, bottom};
    m_nBytesPerPixel = bytesPerPixel;
    m_nCellCount = 0;
    if (right < left || bottom < top)
        return false;
    const std::size_t cells = BufferSize(static_cast<std::int64_t>(bottom) - top,
                                         static_cast<std::int64_t>(right) - left);
    const std::size_t pixelBytes = BufferSize(static_cast<std::int64_t>(cells), bytesPerPixel);
    m_pOutside = AllocBytes(pixelBytes);
    m_pInside = AllocBytes(pixelBytes);
    m_selectedCells.Reset(cells);
    m_nCellCount = cells;
    return true;
}

void CRovaSelection::MaskBytesChanged(std::size_t first, std::size_t count)
{
    if (!m_pMask)
        return;
    const std::size_t end = std::min(first + count, m_nCellCount);
    for (std::size_t cell = first; cell < end; ++cell)
        m_selectedCells.Assign(cell, m_pMask[cell] != 0);
}

void CRovaSelection::Set(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                         std::unique_ptr<std::uint8_t[]> mask, std::uint8_t bytesPerPixel, std::uint8_t adopt)
{
    if (mask && adopt) {
        if (SetRectAndBuffers(left, top, right, bottom, bytesPerPixel)) {
            m_pMask = std::move(mask);
            MaskBytesChanged(0, m_nCellCount);
        }
        return;
    }
    Set(left, top, right, bottom, mask.get(), bytesPerPixel);
}

void CRovaSelection::Set(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                         const std::uint8_t* mask, std::uint8_t bytesPerPixel)
{
    if (!SetRectAndBuffers(left, top, right, bottom, bytesPerPixel))
        return;
    const std::size_t cells = m_nCellCount;
    m_pMask = AllocBytes(cells);
    // An unfilled mask selects nothing, so packed pixels never land on stray cells.
    if (mask) {
        std::memcpy(m_pMask.get(), mask, cells);
        MaskBytesChanged(0, cells);
    } else {
        std::memset(m_pMask.get(), 0, cells);
    }
}

void CRovaSelection::Clear()
{
    m_pMask.reset();
    m_pOutside.reset();
    m_pInside.reset();
    m_selectedCells.Clear();
    m_outline.Clear();
}

void CRovaSelection::Load(CRovaReader* reader, std::uint32_t payloadSize, std::uint8_t bytesPerPixel,
                          std::int32_t width, std::int32_t height)
{
    SelectionLoad load{this, bytesPerPixel, width, height};
    WalkChunks(reader, payloadSize, ReadSelectionChunk, &load);
}
