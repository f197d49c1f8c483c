// One picture of a document: a stack of layers of the same size.
#pragma once

#include "cstring.h"
#include "item.h"
#include "reader.h"
#include "settings.h"

#include <cstdint>
#include <memory>

class CRovaIndexPair {
public:
    virtual ~CRovaIndexPair() = default;
    std::int32_t m_nFirst = -1;
    std::int32_t m_nSecond = -1;
};

class CRovaPage : public CRovaItem {
public:
    CRovaPage() = default;
    ~CRovaPage() override;

    std::int32_t GetNumber() const override { return m_nNumber; }
    std::unique_ptr<CRovaItem> Clone() const override;

    std::uint8_t Create(std::int32_t width, std::int32_t height, std::int32_t pixelType, std::int32_t number);
    std::uint8_t AddLayer(std::int32_t index, std::uint8_t advanceNumber);
    void Load(CRovaReader* reader, std::uint32_t payloadSize, std::int32_t pixelType);
    void Clear();
    void FreeByteMap();
    std::uint8_t Copy(const CRovaPage& other);

    CRovaItemList m_layers;                 // index 0 is the top of the stack
    CString m_strName;
    std::int32_t m_nWidth = 0;
    std::int32_t m_nHeight = 0;
    std::uint8_t m_byPageOption = 0;
    CRovaPageSettings m_settings;
    std::int32_t m_nNextLayerNumber = 0;
    std::int32_t m_nNumber = 0;
    CRovaIndexPair m_indexPair;
    std::unique_ptr<std::uint8_t[]> m_pByteMap;
    std::int32_t m_nByteMapCx = 0;
    std::int32_t m_nByteMapCy = 0;
    std::int32_t m_nPixelType = 0;
    std::uint8_t m_bCreated = 0;
};
