#include "page.h"

#include "layer.h"
#include "sizes.h"

#include <cstring>

namespace {

// An explicit length of -1 would make ReadString read a length prefix instead.
std::int32_t StringLength(std::uint32_t payloadSize)
{
    return static_cast<std::int32_t>(payloadSize & 0xFFFF);
}

void ReadByteMapSize(CRovaReader* reader, CRovaPage* page)
{
    const std::uint32_t value = reader->ReadDword();
    page->m_nByteMapCx = static_cast<std::int32_t>(value & 0xFFFF);
    page->m_nByteMapCy = static_cast<std::int32_t>(value >> 16);
    page->FreeByteMap();
    page->m_pByteMap = AllocBytes(BufferSize(page->m_nByteMapCx, page->m_nByteMapCy));
}

void ReadByteMap(CRovaReader* reader, std::uint32_t size, CRovaPage* page)
{
    // Only a payload of exactly the map's size is taken; anything else is skipped.
    if (!page->m_pByteMap || size != BufferSize(page->m_nByteMapCx, page->m_nByteMapCy))
        return;
    reader->ReadBytes(page->m_pByteMap.get(), size, true);
}

void ReadLayer(CRovaReader* reader, std::uint32_t size, CRovaPage* page)
{
    ChargeBudget(sizeof(CRovaLayer));
    auto layer = std::make_unique<CRovaLayer>();
    CRovaLayer* appended = layer.get();
    // Appended first, so the layer's flag chunks already count in the page's tallies.
    page->m_layers.Append(std::move(layer));
    appended->Load(reader, size, page->m_nWidth, page->m_nHeight, page->m_nPixelType);
}

int ReadPageChunk(CRovaReader* reader, std::uint32_t id, std::uint32_t size, void* userData)
{
    auto* page = static_cast<CRovaPage*>(userData);
    switch (id) {
    case 1000:
        page->m_strName = reader->ReadString(StringLength(size));
        break;
    case 1001:
        page->m_nNumber = static_cast<std::int32_t>(reader->ReadDword());
        break;
    case 1002:
        page->SetMarked(reader->ReadByte());
        break;
    case 1003:
        page->m_bEnabled = reader->ReadByte();
        break;
    case 1004:
        page->SetSelected(reader->ReadByte());
        break;
    case 1005:
        page->m_nWidth = reader->ReadWord();
        break;
    case 1006:
        page->m_nHeight = reader->ReadWord();
        break;
    case 1007:
        page->m_indexPair.m_nFirst = static_cast<std::int32_t>(reader->ReadDword());
        break;
    case 1008:
        page->m_indexPair.m_nSecond = static_cast<std::int32_t>(reader->ReadDword());
        break;
    case 2000:
        page->m_byPageOption = reader->ReadByte();
        break;
    case 2001:
        page->m_nNextLayerNumber = static_cast<std::int32_t>(reader->ReadDword());
        break;
    case 2002:
        reader->ReadWord();
        break;
    case 2003:
        ReadLayer(reader, size, page);
        break;
    case 2004:
        page->m_layers.SetCurrent(static_cast<std::int32_t>(reader->ReadDword()));
        break;
    case 3000:
        page->m_settings.SetSetting(reader->ReadDword(), 0);
        break;
    case 3001:
        page->m_settings.SetSettingA(reader->ReadByte(), 0);
        break;
    case 3002:
        page->m_settings.SetSettingB(reader->ReadByte(), 0);
        break;
    case 3003: {
        const RovaValuePairData pair = reader->ReadValuePair();
        page->m_settings.m_pairA.m_dwValue = pair.dwValue;
        page->m_settings.m_pairA.m_byValue = pair.byValue;
        break;
    }
    case 3004: {
        const RovaValuePairData pair = reader->ReadValuePair();
        page->m_settings.m_pairB.m_dwValue = pair.dwValue;
        page->m_settings.m_pairB.m_byValue = pair.byValue;
        break;
    }
    case 4000:
        ReadByteMapSize(reader, page);
        break;
    case 4001:
        ReadByteMap(reader, size, page);
        break;
    default:
        break;
    }
    return 0;
}

}  // namespace

CRovaPage::~CRovaPage()
{
    Clear();
}

std::uint8_t CRovaPage::Create(std::int32_t width, std::int32_t height, std::int32_t pixelType,
                               std::int32_t number)
{
    m_nWidth = width;
    m_nHeight = height;
    m_nPixelType = pixelType;
    m_nNumber = number;
    m_bCreated = 1;
    try {
        if (!AddLayer(0, 1)) {
            m_bCreated = 0;
            return 0;
        }
    } catch (...) {
        m_bCreated = 0;
        throw;
    }
    m_strName = CString::Format("%03dPage", number);
    return 1;
}

std::uint8_t CRovaPage::AddLayer(std::int32_t index, std::uint8_t advanceNumber)
{
    if (!m_bCreated)
        return 0;
    auto layer = std::make_unique<CRovaLayer>();
    if (!layer->Create(m_nWidth, m_nHeight, m_nPixelType, m_nNextLayerNumber))
        return 0;
    // A counter read from the file may stand at the top of its range: wrap, do not overflow.
    if (advanceNumber)
        m_nNextLayerNumber = static_cast<std::int32_t>(static_cast<std::uint32_t>(m_nNextLayerNumber) + 1u);
    m_layers.InsertAt(index, std::move(layer), 1);
    return 1;
}

void CRovaPage::Load(CRovaReader* reader, std::uint32_t payloadSize, std::int32_t pixelType)
{
    m_nPixelType = pixelType;
    WalkChunks(reader, payloadSize, ReadPageChunk, this);
    m_bCreated = 1;
}

void CRovaPage::Clear()
{
    m_layers.RemoveAll();
    FreeByteMap();
    m_bCreated = 0;
}

void CRovaPage::FreeByteMap()
{
    m_pByteMap.reset();
}

std::uint8_t CRovaPage::Copy(const CRovaPage& other)
{
    if (&other == this)
        return 1;
    Clear();
    m_strName = other.m_strName;
    m_nWidth = other.m_nWidth;
    m_nHeight = other.m_nHeight;
    m_nPixelType = other.m_nPixelType;
    m_bSelected = other.m_bSelected;
    m_byPageOption = other.m_byPageOption;
    m_settings.m_dwSetting = other.m_settings.m_dwSetting;
    m_settings.m_bySettingA = other.m_settings.m_bySettingA;
    m_settings.m_bySettingB = other.m_settings.m_bySettingB;
    m_settings.m_pairA = other.m_settings.m_pairA;
    m_settings.m_pairB = other.m_settings.m_pairB;
    m_nNextLayerNumber = other.m_nNextLayerNumber;
    m_bCreated = other.m_bCreated;
    m_nNumber = other.m_nNumber;
    m_bMarked = other.m_bMarked;
    m_bEnabled = other.m_bEnabled;
    m_indexPair.m_nFirst = other.m_indexPair.m_nFirst;
    m_indexPair.m_nSecond = other.m_indexPair.m_nSecond;

    m_layers.Copy(other.m_layers);

    m_nByteMapCx = other.m_nByteMapCx;
    m_nByteMapCy = other.m_nByteMapCy;
    if (other.m_pByteMap) {
        const std::size_t bytes = BufferSize(m_nByteMapCx, m_nByteMapCy);
        m_pByteMap = AllocBytes(bytes);
        std::memcpy(m_pByteMap.get(), other.m_pByteMap.get(), bytes);
    }
    return 1;
}

std::unique_ptr<CRovaItem> CRovaPage::Clone() const
{
    auto page = std::make_unique<CRovaPage>();
    page->Copy(*this);
    return page;
}
