#include "document.h"

#include "messagebox.h"
#include "page.h"
#include "palette.h"
#include "texts.h"

namespace {

bool IsSupportedBitDepth(std::int32_t bitDepth)
{
    switch (bitDepth) {
    case 1:
    case 4:
    case 8:
    case 15:
    case 16:
    case 24:
        return true;
    default:
        return false;
    }
}

}  // namespace

CRovaDocument::~CRovaDocument()
{
    Clear();
}

bool CRovaDocument::Create(std::int32_t width, std::int32_t height, std::int32_t bitDepth,
                           std::uint32_t colorCount, std::uint8_t paletteFormat, std::uint8_t makeFirst)
{
    Clear();
    if (!IsSupportedBitDepth(bitDepth)) {
        AfxMessageBox(texts::kUnsupportedBitDepth, MB_OK_ONLY);
        return false;
    }
    m_nBitDepth = static_cast<std::uint8_t>(bitDepth);
    m_nColorCount = colorCount;
    m_nPaletteFormat = paletteFormat;
    m_bCreated = 1;
    if (!makeFirst)
        return true;
    try {
        if (AddPage(0, width, height, 1) && AddPalette(0, 1))
            return true;
    } catch (...) {
        // A size no buffer can hold raises; the document must not look created then.
        m_bCreated = 0;
        throw;
    }
    m_bCreated = 0;
    return false;
}

void CRovaDocument::Clear()
{
    m_pages.ClearCurrent();
    m_pages.RemoveAll();
    m_palettes.ClearCurrent();
    m_palettes.RemoveAll();
    m_pAuxQuad.reset();
    m_bCreated = 0;
}

bool CRovaDocument::AddPage(std::int32_t position, std::int32_t width, std::int32_t height, std::uint8_t countIt)
{
    if (!m_bCreated)
        return false;
    auto page = std::make_unique<CRovaPage>();
    if (!page->Create(width, height, m_nBitDepth, static_cast<std::int32_t>(m_nNextPageNumber)))
        return false;
    if (countIt)
        ++m_nNextPageNumber;
    m_pages.InsertAt(position, std::move(page), 1);
    return true;
}

bool CRovaDocument::AddPalette(std::int32_t position, std::uint8_t countIt)
{
    if (!m_bCreated)
        return false;
    auto palette = std::make_unique<CRovaPalette>();
    if (!palette->Create(m_nColorCount, static_cast<std::int32_t>(m_nNextPaletteNumber), m_nBitDepth,
                         m_nPaletteFormat, 1))
        return false;
    if (countIt)
        ++m_nNextPaletteNumber;
    m_palettes.InsertAt(position, std::move(palette), 1);
    return true;
}

CRovaAuxQuad* CRovaDocument::GetAuxQuad()
{
    if (!m_pAuxQuad)
        m_pAuxQuad = std::make_unique<CRovaAuxQuad>();
    return m_pAuxQuad.get();
}
