#include "layer.h"

#include "sizes.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kMaxNameBytes = 256;

bool IsCp932LeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Payload sizes reach ReadString as explicit lengths; a size whose low 32
// bits look like -1 must not turn into "read a length prefix".
std::int32_t StringLength(std::uint32_t payloadSize)
{
    return static_cast<std::int32_t>(payloadSize & 0xFFFF);
}

// A layer being read, and how far from its start pixel chunks have filled it.
struct LayerLoad {
    CRovaLayer* layer;
    std::size_t filled;
};

int ReadLayerChunk(CRovaReader* reader, std::uint32_t id, std::uint32_t size, void* userData)
{
    auto* load = static_cast<LayerLoad*>(userData);
    CRovaLayer* layer = load->layer;
    switch (id) {
    case 1000:
        layer->m_strName = reader->ReadString(StringLength(size));
        break;
    case 1001:
        layer->m_nNumber = static_cast<std::int32_t>(reader->ReadDword());
        break;
    case 1002:
        layer->SetMarked(reader->ReadByte());
        break;
    case 1003:
        layer->m_bEnabled = reader->ReadByte();
        break;
    case 1004:
        layer->SetSelected(reader->ReadByte());
        break;
    case 1005:
        layer->m_byLayerOption = reader->ReadByte();
        break;
    case 1006: {
        // Straight into the pixels; whatever does not fit is left to the walker to skip.
        const std::size_t room = layer->GetPixelBytes();
        if (layer->m_pPixels && room != 0) {
            const auto count = static_cast<std::uint32_t>(std::min<std::uint64_t>(size, room));
            const std::uint32_t got = reader->ReadBytes(layer->m_pPixels.get(), count, false);
            load->filled = std::max<std::size_t>(load->filled, got);
            if (got < count)
                AfxThrowFileException(CFileException::endOfFile);
        }
        break;
    }
    case 1007:
        layer->m_byLayerOption2 = reader->ReadByte();
        break;
    case 1008:
        layer->m_selection.Load(reader, size, static_cast<std::uint8_t>(layer->m_nBytesPerPixel),
                                layer->m_nWidth, layer->m_nHeight);
        break;
    case 2000:
        layer->m_settings.SetSetting(reader->ReadDword(), 0);
        break;
    case 2001:
        layer->m_settings.SetSettingA(reader->ReadByte(), 1);
        break;
    case 2002:
        layer->m_settings.SetSettingB(reader->ReadByte(), 1);
        break;
    default:
        break;
    }
    return 0;
}

}  // namespace

std::int32_t BytesPerPixel(std::int32_t bitCount)
{
    switch (bitCount) {
    case 1:
    case 4:
    case 8:
        return 1;
    case 15:
    case 16:
        return 2;
    case 24:
        return 3;
    case 32:
        return 4;
    default:
        return 0;
    }
}

CRovaLayer::~CRovaLayer()
{
    CRovaLayer::FreePixels();
}

void CRovaLayer::FreePixels()
{
    m_pPixels.reset();
    m_nPixelBytes = 0;
}

std::size_t CRovaLayer::GetPixelBytes() const
{
    return m_pPixels ? m_nPixelBytes : 0;
}

void CRovaLayer::AllocatePixels()
{
    FreePixels();
    const std::size_t bytes = BufferSize(m_nWidth, m_nHeight, m_nBytesPerPixel);
    m_pPixels = AllocBytes(bytes);
    // Pixels no chunk fills end up in the picture: they must not carry old heap contents.
    std::memset(m_pPixels.get(), 0, bytes);
    m_nPixelBytes = bytes;
}

std::uint8_t CRovaLayer::Create(std::int32_t width, std::int32_t height, std::int32_t pixelType,
                                std::int32_t number)
{
    m_nWidth = width;
    m_nHeight = height;
    m_nPixelType = pixelType;
    m_nNumber = number;
    m_nBytesPerPixel = BytesPerPixel(pixelType);
    if (m_nBytesPerPixel == 0 || m_pPixels)
        return 0;
    AllocatePixels();
    m_strName = CString::Format("Layer%03d", number);
    return 1;
}

void CRovaLayer::Load(CRovaReader* reader, std::uint32_t payloadSize, std::int32_t width, std::int32_t height,
                      std::int32_t pixelType)
{
    m_nWidth = width;
    m_nHeight = height;
    m_nPixelType = pixelType;
    m_nBytesPerPixel = BytesPerPixel(pixelType);
    FreePixels();
    // A layer read before the document declared its bit depth has no pixel
    // bytes. Pixel chunks normally fill the whole buffer: only what they
    // leave is zeroed, once the layer's chunks are read.
    if (m_nBytesPerPixel != 0) {
        const std::size_t bytes = BufferSize(m_nWidth, m_nHeight, m_nBytesPerPixel);
        m_pPixels = AllocBytes(bytes);
        m_nPixelBytes = bytes;
    }
    LayerLoad load{this, 0};
    auto zeroUnfilled = [this, &load] {
        if (m_pPixels && load.filled < m_nPixelBytes)
            std::memset(m_pPixels.get() + load.filled, 0, m_nPixelBytes - load.filled);
    };
    try {
        WalkChunks(reader, payloadSize, ReadLayerChunk, &load);
    } catch (...) {
        zeroUnfilled();
        throw;
    }
    zeroUnfilled();
}

void CRovaLayer::SetName(const CString& name)
{
    const std::string& bytes = name.Str();
    if (bytes.size() <= static_cast<std::size_t>(kMaxNameBytes)) {
        m_strName = name;
        return;
    }
    std::size_t kept = 0;
    while (kept < bytes.size()) {
        const std::size_t width = IsCp932LeadByte(static_cast<unsigned char>(bytes[kept])) ? 2 : 1;
        if (kept + width > static_cast<std::size_t>(kMaxNameBytes))
            break;
        kept += width;
    }
    m_strName = CString(bytes.data(), kept);
}

std::uint8_t CRovaLayer::Copy(const CRovaLayer& other)
{
    if (&other == this)
        return 1;
    FreePixels();
    if (!Create(other.m_nWidth, other.m_nHeight, other.m_nPixelType, 0))
        return 0;
    // A source whose pixels were freed leaves the new buffer blank.
    const std::size_t pixelBytes = std::min(GetPixelBytes(), other.GetPixelBytes());
    if (pixelBytes != 0)
        std::memcpy(m_pPixels.get(), other.m_pPixels.get(), pixelBytes);

    m_selection.Clear();
    const CRovaSelection& from = other.m_selection;
    if (from.m_pMask) {
        const RovaRect& r = from.m_rect;
        m_selection.Set(r.left, r.top, r.right, r.bottom, from.m_pMask.get(), from.GetBytesPerPixel());
        const std::size_t cellBytes = BufferSize(static_cast<std::int64_t>(from.GetCellCount()),
                                                 from.GetBytesPerPixel());
        if (cellBytes != 0) {
            std::memcpy(m_selection.m_pOutside.get(), from.m_pOutside.get(), cellBytes);
            std::memcpy(m_selection.m_pInside.get(), from.m_pInside.get(), cellBytes);
        }
    }

    m_strName = other.m_strName;
    m_byLayerOption = other.m_byLayerOption;
    m_bSelected = other.m_bSelected;
    m_settings.m_dwSetting = other.m_settings.m_dwSetting;
    m_settings.m_bySettingA = other.m_settings.m_bySettingA;
    m_settings.m_bySettingB = other.m_settings.m_bySettingB;
    m_byLayerOption2 = other.m_byLayerOption2;
    m_bMarked = other.m_bMarked;
    m_bEnabled = other.m_bEnabled;
    m_nNumber = other.m_nNumber;
    return 1;
}

std::unique_ptr<CRovaItem> CRovaLayer::Clone() const
{
    auto layer = std::make_unique<CRovaLayer>();
    layer->Copy(*this);
    return layer;
}
