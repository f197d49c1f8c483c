// One plane of pixels of a page, with its floating selection.
#pragma once

#include "cell_bit_index.h"
#include "cstring.h"
#include "item.h"
#include "outline.h"
#include "reader.h"
#include "settings.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// Bytes per pixel of a bit count: 1 for 1, 4, 8; 2 for 15, 16; 3 for 24;
// 4 for 32; 0 for anything else.
std::int32_t BytesPerPixel(std::int32_t bitCount);

// A rectangle of cells with a mask and two pixel buffers that may reach
// beyond the layer's bounds.
class CRovaSelection {
public:
    CRovaSelection() = default;
    virtual ~CRovaSelection();
    CRovaSelection(const CRovaSelection&) = delete;
    CRovaSelection& operator=(const CRovaSelection&) = delete;

    // mask: cell-count bytes or null; with adopt set the selection takes it over.
    void Set(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
             std::unique_ptr<std::uint8_t[]> mask, std::uint8_t bytesPerPixel, std::uint8_t adopt);
    void Set(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
             const std::uint8_t* mask, std::uint8_t bytesPerPixel);   // copies the mask
    void Clear();
    void Load(CRovaReader* reader, std::uint32_t payloadSize, std::uint8_t bytesPerPixel,
              std::int32_t width, std::int32_t height);

    // Cells of m_rect; 0 while no mask is set.
    std::size_t GetCellCount() const;
    // Bytes per cell of m_pOutside and m_pInside, as given to Set.
    std::uint8_t GetBytesPerPixel() const { return m_nBytesPerPixel; }
    // After mask bytes [first, first + count) were written in place.
    void MaskBytesChanged(std::size_t first, std::size_t count);
    // The first selected cell at or after cell, or the cell count.
    std::size_t NextSelectedCell(std::size_t cell) const { return m_selectedCells.NextMember(cell); }

    CRovaOutline m_outline;
    RovaRect m_rect;
    std::unique_ptr<std::uint8_t[]> m_pMask;
    std::unique_ptr<std::uint8_t[]> m_pOutside;
    std::unique_ptr<std::uint8_t[]> m_pInside;

private:
    // Stores the rectangle and makes the two pixel buffers; false (and no
    // buffers) for an inverted rectangle, which is kept as an empty selection.
    bool SetRectAndBuffers(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                           std::uint8_t bytesPerPixel);

    std::uint8_t m_nBytesPerPixel = 0;
    std::size_t m_nCellCount = 0;   // cells the buffers were made for
    // The cells whose mask byte is set: packed pixels find their cells
    // without visiting the unselected ones, however many there are.
    CCellBitIndex m_selectedCells;
};

class CRovaLayer : public CRovaItem {
public:
    CRovaLayer() = default;
    ~CRovaLayer() override;

    std::int32_t GetNumber() const override { return m_nNumber; }
    std::unique_ptr<CRovaItem> Clone() const override;
    virtual void FreePixels();

    std::uint8_t Create(std::int32_t width, std::int32_t height, std::int32_t pixelType, std::int32_t number);
    void Load(CRovaReader* reader, std::uint32_t payloadSize, std::int32_t width, std::int32_t height,
              std::int32_t pixelType);
    // Stores the name cut to at most 256 bytes, never inside a CP932 double-byte character.
    void SetName(const CString& name);
    std::uint8_t Copy(const CRovaLayer& other);

    // Size of m_pPixels in bytes as allocated (0 without pixels).
    std::size_t GetPixelBytes() const;

    std::unique_ptr<std::uint8_t[]> m_pPixels;
    CString m_strName;
    std::uint8_t m_byLayerOption = 1;
    CRovaSelection m_selection;
    CRovaLayerSettings m_settings;
    std::uint8_t m_byLayerOption2 = 0;
    std::int32_t m_nNumber = -1;
    std::int32_t m_nWidth = 0;
    std::int32_t m_nHeight = 0;
    std::int32_t m_nPixelType = 0;
    std::int32_t m_nBytesPerPixel = 0;

private:
    // Replaces m_pPixels with a zero-filled buffer for the current size and pixel type.
    void AllocatePixels();

    std::size_t m_nPixelBytes = 0;
};
