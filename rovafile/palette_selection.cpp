#include "palette.h"

#include "sizes.h"

#include <algorithm>
#include <cstring>

CRovaPaletteSelection::~CRovaPaletteSelection()
{
    Clear();
}

void CRovaPaletteSelection::Clear()
{
    m_pPalette.reset();
    m_pMask.reset();
    m_outline.Clear();
}

bool CRovaPaletteSelection::SetMask(std::unique_ptr<std::uint8_t[]> mask, std::int32_t bitDepth, std::int32_t format)
{
    Clear();
    m_pMask = std::move(mask);
    if (!m_pMask)
        return true;
    const auto cells = static_cast<std::uint16_t>(
        std::count_if(m_pMask.get(), m_pMask.get() + kMaskBytes, [](std::uint8_t b) { return b != 0; }));
    if (cells == 0) {
        m_pMask.reset();
        return true;
    }
    m_nCellCount = cells;
    m_pPalette = std::make_unique<CRovaPalette>();
    if (!m_pPalette->Create(cells, 0, bitDepth, format, 1))
        return false;
    m_outline.Build(m_pMask.get(), kMaskSide, kMaskSide, 1);
    return true;
}

bool CRovaPaletteSelection::CopyFrom(const CRovaPaletteSelection& other)
{
    if (&other == this)
        return true;
    Clear();
    if (!other.m_pMask)
        return true;
    // A mask always comes with its sub-palette; without one there is no
    // bit depth or format to rebuild it with.
    if (!other.m_pPalette)
        return false;
    auto mask = AllocBytes(kMaskBytes);
    std::memcpy(mask.get(), other.m_pMask.get(), kMaskBytes);
    if (!SetMask(std::move(mask), other.m_pPalette->m_nBitDepth, other.m_pPalette->m_nFormat))
        return false;
    if (m_pPalette)
        m_pPalette->CopyEntries(*other.m_pPalette);
    return true;
}

void CRovaPaletteSelection::Load(CRovaReader* reader, std::uint32_t payloadSize, std::int32_t bitDepth,
                                 std::int32_t format)
{
    LoadContext context{this, bitDepth, format};
    WalkChunks(reader, payloadSize, ReadSelectionChunk, &context);
}

int CRovaPaletteSelection::ReadSelectionChunk(CRovaReader* reader, std::uint32_t id, std::uint32_t size,
                                              void* userData)
{
    const auto* context = static_cast<const LoadContext*>(userData);
    CRovaPaletteSelection* selection = context->selection;
    if (id == 1000) {
        // A mask payload shorter than the grid leaves the missing cells clear;
        // bytes beyond the grid are skipped by the walker.
        auto mask = AllocBytes(kMaskBytes);
        std::fill_n(mask.get(), kMaskBytes, std::uint8_t{0});
        reader->ReadBytes(mask.get(), static_cast<std::uint32_t>(std::min<std::size_t>(size, kMaskBytes)), true);
        selection->SetMask(std::move(mask), context->bitDepth, context->format);
    } else if (id >= 1001 && id <= 1006) {
        // The sub-palette's arrays only exist once a mask selected some cells.
        if (selection->m_pPalette)
            selection->m_pPalette->ReadEntryArray(reader, static_cast<CRovaPalette::EntryArray>(id - 1001), size);
    }
    return 0;
}
