// A colour table of a document, and the selection of palette cells with its
// own sub-palette.
#pragma once

#include "cstring.h"
#include "item.h"
#include "outline.h"
#include "reader.h"
#include "settings.h"

#include <cstddef>
#include <cstdint>
#include <memory>

struct CRovaEntryTriple {
    std::int16_t a;
    std::int16_t b;
    std::int16_t c;
};

class CRovaPalette;

class CRovaPaletteSelection {
public:
    CRovaPaletteSelection() = default;
    virtual ~CRovaPaletteSelection();
    CRovaPaletteSelection(const CRovaPaletteSelection&) = delete;
    CRovaPaletteSelection& operator=(const CRovaPaletteSelection&) = delete;

    // mask: 256 bytes (16 x 16 cells), ownership passes to the selection.
    bool SetMask(std::unique_ptr<std::uint8_t[]> mask, std::int32_t bitDepth, std::int32_t format);
    void Clear();
    bool CopyFrom(const CRovaPaletteSelection& other);
    void Load(CRovaReader* reader, std::uint32_t payloadSize, std::int32_t bitDepth, std::int32_t format);

    // What ReadSelectionChunk receives as user data.
    struct LoadContext {
        CRovaPaletteSelection* selection;
        std::int32_t bitDepth;
        std::int32_t format;
    };
    static int ReadSelectionChunk(CRovaReader* reader, std::uint32_t id, std::uint32_t size, void* userData);

    static constexpr std::int32_t kMaskSide = 16;
    static constexpr std::size_t kMaskBytes = 256;

    std::unique_ptr<CRovaPalette> m_pPalette;
    std::unique_ptr<std::uint8_t[]> m_pMask;
    CRovaOutline m_outline;
    std::uint16_t m_nCellCount = 0;
};

class CRovaPalette : public CRovaItem {
public:
    CRovaPalette() = default;
    ~CRovaPalette() override;

    std::int32_t GetNumber() const override { return m_nNumber; }
    std::unique_ptr<CRovaItem> Clone() const override;

    bool Create(std::uint32_t count, std::int32_t number, std::int32_t bitDepth, std::int32_t format,
                std::uint8_t withSelection);
    bool CreateLike(const CRovaPalette& other, std::int32_t count, std::uint8_t withSelection);
    void CopyEntries(const CRovaPalette& other);
    void Load(CRovaReader* reader, std::uint32_t payloadSize, std::uint32_t count, std::int32_t bitDepth,
              std::int32_t format);
    // Chunk handler of a palette's payload; the user data is the palette.
    static int ReadPaletteChunk(CRovaReader* reader, std::uint32_t id, std::uint32_t size, void* userData);

    // The six per-entry arrays, in the order their chunks carry them.
    enum EntryArray { kColors24, kColors16, kEntryByteA, kEntryByteB, kEntryTriples, kEntryByteC, kEntryArrayCount };
    // Bytes of one array (0 when it does not exist) and its first byte.
    std::size_t EntryArrayBytes(EntryArray which) const;
    std::uint8_t* EntryArrayData(EntryArray which) const;
    // Copies a raw array chunk of payloadSize bytes into the start of the
    // array, at most the array's size; the walker skips whatever is left.
    void ReadEntryArray(CRovaReader* reader, EntryArray which, std::uint32_t payloadSize);

    std::unique_ptr<std::uint8_t[]> m_pColors24;        // blue, green, red per entry
    std::unique_ptr<std::uint16_t[]> m_pColors16;
    std::unique_ptr<std::uint8_t[]> m_pEntryByteA;
    std::unique_ptr<std::uint8_t[]> m_pEntryByteB;
    std::unique_ptr<CRovaEntryTriple[]> m_pEntryTriples;
    std::unique_ptr<std::uint8_t[]> m_pEntryByteC;
    std::unique_ptr<CRovaPaletteSelection> m_pSelection;
    CString m_strName;
    CRovaPaletteSettings m_settings;
    std::int32_t m_nNumber = -1;
    std::uint32_t m_nCount = 0;
    std::int32_t m_nBitDepth = 0;
    std::int32_t m_nFormat = 0;
};
