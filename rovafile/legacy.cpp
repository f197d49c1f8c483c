#include "legacy.h"

#include "layer.h"
#include "page.h"
#include "palette.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr std::uint32_t kSignatureBytes = 10;
constexpr std::uint32_t kPaletteEntries = 256;
constexpr std::uint32_t kNameBytes = 80;

void ReadPalette(CRovaReader& reader, CRovaPalette& palette)
{
    std::uint8_t rgb[kPaletteEntries * 3];
    reader.ReadBytes(rgb, sizeof rgb, true);
    // The file stores red, green, blue; the model keeps blue, green, red.
    std::uint8_t* bgr = palette.m_pColors24.get();
    for (std::uint32_t i = 0; i < kPaletteEntries; ++i) {
        bgr[3 * i + 0] = rgb[3 * i + 2];
        bgr[3 * i + 1] = rgb[3 * i + 1];
        bgr[3 * i + 2] = rgb[3 * i + 0];
    }
}

void ReadLayerRecord(CRovaReader& reader, CRovaLayer& layer)
{
    char name[kNameBytes];
    reader.ReadBytes(name, kNameBytes, true);
    name[kNameBytes - 1] = '\0';
    layer.SetName(CString(name));
    layer.m_byLayerOption = reader.ReadByte();

    // The block never writes past the layer's own buffer.
    const std::size_t pixelBytes = layer.m_pPixels ? layer.GetPixelBytes() : 0;
    const std::uint32_t outputSize =
        pixelBytes > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(pixelBytes);
    CRovaRunBlock block;
    block.Read(reader, outputSize);
    block.Expand(layer.m_pPixels.get());
}

}  // namespace

bool ReadLegacyDocument(CFile& source, CRovaDocument& document)
{
    CRovaReader reader(&source);
    char signature[kSignatureBytes + 1] = {};
    reader.ReadBytes(signature, kSignatureBytes, true);
    // "ROVA" and a zero byte; the rest of the field is not looked at.
    if (std::strcmp(signature, "ROVA") != 0)
        return false;

    const std::uint32_t width = reader.ReadDword();
    const std::uint32_t height = reader.ReadDword();
    const std::uint16_t layerCount = reader.ReadWord();
    const std::uint8_t transparentIndex = reader.ReadByte();

    // With 8 bits per pixel the only way Create can fail is a page the
    // memory cannot hold; a side beyond the model's i32 is no different.
    if (width > INT32_MAX || height > INT32_MAX)
        AfxThrowMemoryException();
    if (!document.Create(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), 8, 256, 0, 1))
        AfxThrowMemoryException();
    auto* page = document.m_pages.GetCurrentAs<CRovaPage>();
    auto* palette = document.m_palettes.GetCurrentAs<CRovaPalette>();
    if (!page || !palette || !palette->m_pColors24 || palette->m_nCount < kPaletteEntries)
        AfxThrowMemoryException();

    document.m_nTransparentIndex = transparentIndex;
    ReadPalette(reader, *palette);

    for (std::uint32_t i = 0; i < layerCount; ++i) {
        if (i > 0 && !page->AddLayer(page->m_layers.GetCount(), 1))
            AfxThrowMemoryException();
        auto* layer = page->m_layers.GetAtAs<CRovaLayer>(page->m_layers.GetCount() - 1);
        if (!layer)
            AfxThrowMemoryException();
        ReadLayerRecord(reader, *layer);
    }
    return true;
}
