// The root of the document model: pages, palettes and document-wide settings.
#pragma once

#include "cstring.h"
#include "file.h"
#include "item.h"
#include "reader.h"

#include <cstdint>
#include <memory>

struct CRovaAuxQuad {
    std::uint8_t m_byValues[4] = {3, 2, 1, 0};
};

class CRovaAuxPair {
public:
    virtual ~CRovaAuxPair() = default;
    std::uint8_t m_byValueA = 1;
    std::uint8_t m_byValueB = 0;
};

class CRovaDocument {
public:
    CRovaDocument() = default;
    virtual ~CRovaDocument();
    CRovaDocument(const CRovaDocument&) = delete;
    CRovaDocument& operator=(const CRovaDocument&) = delete;

    bool Create(std::int32_t width, std::int32_t height, std::int32_t bitDepth, std::uint32_t colorCount,
                std::uint8_t paletteFormat, std::uint8_t makeFirst);
    void Clear();
    bool AddPage(std::int32_t position, std::int32_t width, std::int32_t height, std::uint8_t countIt);
    bool AddPalette(std::int32_t position, std::uint8_t countIt);
    CRovaAuxQuad* GetAuxQuad();

    // Reads a ROVA2 file from source (positioned at its signature) into this
    // document. False on failure, with the reason in m_strError.
    bool LoadRova2(CFile& source, const CString& name, bool warnNewer);

    static int ReadDocumentChunk(CRovaReader* reader, std::uint32_t id, std::uint32_t size, void* document);
    static int ReadAuxQuadChunk(CRovaReader* reader, std::uint32_t id, std::uint32_t size, void* quad);
    static int ReadAuxPairChunk(CRovaReader* reader, std::uint32_t id, std::uint32_t size, void* pair);

    std::uint8_t m_bCreated = 0;
    CString m_strError;
    // Bit depth, palette format and colour count are 0 until Create or the
    // body's chunks 1000, 1001 and 3001 declare them; objects a body builds
    // before that come out empty (no colour entries, no pixel bytes).
    std::uint8_t m_nPaletteFormat = 0;
    std::uint8_t m_nBitDepth = 0;
    std::uint8_t m_nOption1002 = 0;
    CRovaItemList m_palettes;
    std::uint32_t m_nColorCount = 0;
    std::uint32_t m_nNextPaletteNumber = 0;
    std::uint32_t m_nValue3005 = 0;
    std::int32_t m_nTransparentIndex = 0;
    std::uint8_t m_nOption1003 = 0;
    CRovaItemList m_pages;
    std::uint32_t m_nNextPageNumber = 0;
    std::uint8_t m_nOption2002 = 0;
    std::uint8_t m_bNibbleMode = 0;
    std::int32_t m_nNibbleModeLow = 8;
    std::int32_t m_nNibbleModeHigh = 8;
    std::unique_ptr<CRovaAuxQuad> m_pAuxQuad;
    CRovaAuxPair m_auxPair;
};
