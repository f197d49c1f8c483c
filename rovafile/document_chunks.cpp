// The top-level chunks of a ROVA2 body and the two auxiliary records inside them.
#include "document.h"

#include "page.h"
#include "palette.h"
#include "sizes.h"

int CRovaDocument::ReadDocumentChunk(CRovaReader* reader, std::uint32_t id, std::uint32_t size, void* document)
{
    auto* doc = static_cast<CRovaDocument*>(document);
    switch (id) {
    case 1000:
        doc->m_nBitDepth = reader->ReadByte();
        break;
    case 1001:
        doc->m_nPaletteFormat = reader->ReadByte();
        break;
    case 1002:
        doc->m_nOption1002 = reader->ReadByte();
        break;
    case 1003:
        doc->m_nOption1003 = reader->ReadByte();
        break;
    case 1004:
        WalkChunks(reader, size, ReadAuxQuadChunk, doc->GetAuxQuad());
        break;
    case 1005:
        WalkChunks(reader, size, ReadAuxPairChunk, &doc->m_auxPair);
        break;
    case 2000:
    case 3000:
        reader->ReadWord();
        break;
    case 2001:
        doc->m_nNextPageNumber = reader->ReadDword();
        break;
    case 2002:
        doc->m_nOption2002 = reader->ReadByte();
        break;
    case 2003: {
        // A six-byte chunk must not buy an object for free: the budget pays for it.
        ChargeBudget(sizeof(CRovaPage));
        auto page = std::make_unique<CRovaPage>();
        CRovaPage* appended = page.get();
        doc->m_pages.Append(std::move(page));
        appended->Load(reader, size, doc->m_nBitDepth);
        break;
    }
    case 2004:
        doc->m_pages.SetCurrent(static_cast<std::int32_t>(reader->ReadDword()));
        break;
    case 3001:
        doc->m_nColorCount = reader->ReadWord();
        break;
    case 3002:
        doc->m_nNextPaletteNumber = reader->ReadDword();
        break;
    case 3003: {
        ChargeBudget(sizeof(CRovaPalette) + sizeof(CRovaPaletteSelection));
        auto palette = std::make_unique<CRovaPalette>();
        CRovaPalette* appended = palette.get();
        doc->m_palettes.Append(std::move(palette));
        appended->Load(reader, size, doc->m_nColorCount, doc->m_nBitDepth, doc->m_nPaletteFormat);
        break;
    }
    case 3004:
        doc->m_palettes.SetCurrent(static_cast<std::int32_t>(reader->ReadDword()));
        break;
    case 3005:
        doc->m_nValue3005 = reader->ReadDword();
        break;
    case 3006:
        doc->m_nTransparentIndex = static_cast<std::int32_t>(reader->ReadDword());
        break;
    case 4000: {
        const std::uint32_t value = reader->ReadDword();
        doc->m_bNibbleMode = 1;
        doc->m_nNibbleModeLow = static_cast<std::int32_t>(value & 0xFFFF);
        doc->m_nNibbleModeHigh = static_cast<std::int32_t>(value >> 16);
        break;
    }
    default:
        break;
    }
    return 0;
}

int CRovaDocument::ReadAuxQuadChunk(CRovaReader* reader, std::uint32_t id, std::uint32_t, void* quad)
{
    if (id >= 1000 && id <= 1003)
        static_cast<CRovaAuxQuad*>(quad)->m_byValues[id - 1000] = reader->ReadByte();
    return 0;
}

int CRovaDocument::ReadAuxPairChunk(CRovaReader* reader, std::uint32_t id, std::uint32_t, void* pair)
{
    auto* record = static_cast<CRovaAuxPair*>(pair);
    if (id == 1000)
        record->m_byValueA = reader->ReadByte();
    else if (id == 1001)
        record->m_byValueB = reader->ReadByte();
    return 0;
}
