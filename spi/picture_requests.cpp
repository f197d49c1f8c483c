// GetPictureInfo and GetPicture: open the source, read the document of
// either generation, and report its size or flatten its current page.
#include "picture_requests.h"

#include "document.h"
#include "flatten.h"
#include "legacy.h"
#include "page.h"
#include "reader.h"
#include "sizes.h"
#include "source.h"

#include <cstring>
#include <new>

namespace {

constexpr std::int64_t kLegacySignatureBytes = 10;

PictureInfo MakeInfo(std::uint32_t width, std::uint32_t height)
{
    PictureInfo info;
    std::memset(&info, 0, sizeof info);   // the x64 padding too
    info.width = width;
    info.height = height;
    info.colorDepth = 8;
    info.hInfo = nullptr;
    return info;
}

int ReadInfo(CFile& source, PictureInfo& info)
{
    switch (DetectRovaFormat(source)) {
    case ROVAFMT_ROVA: {
        // Only the header's size fields: the rest of a first-generation
        // file, the byte after "ROVA" included, is not examined here.
        source.Seek(kLegacySignatureBytes, CFile::current);
        CRovaReader reader(&source);
        const std::uint32_t width = reader.ReadDword();
        const std::uint32_t height = reader.ReadDword();
        info = MakeInfo(width, height);
        return SPI_SUCCESS;
    }
    case ROVAFMT_ROVA2: {
        CRovaDocument document;
        if (!document.LoadRova2(source, "???", false))
            return SPI_BROKEN_DATA;
        // A document without a usable current page or palette has no picture
        // to give; GetPicture answers the same.
        const auto* page = document.m_pages.GetCurrentAs<CRovaPage>();
        if (!page || !document.m_palettes.GetCurrent())
            return SPI_INTERNAL_ERROR;
        info = MakeInfo(static_cast<std::uint32_t>(page->m_nWidth), static_cast<std::uint32_t>(page->m_nHeight));
        return SPI_SUCCESS;
    }
    case ROVAFMT_NONE:
        break;
    }
    return SPI_INTERNAL_ERROR;
}

int ReadPicture(CFile& source, HLOCAL* header, HLOCAL* pixels)
{
    CRovaDocument document;
    switch (DetectRovaFormat(source)) {
    case ROVAFMT_ROVA:
        if (!ReadLegacyDocument(source, document))
            return SPI_BROKEN_DATA;
        return FlattenPageToDib(document, header, pixels);
    case ROVAFMT_ROVA2:
        if (!document.LoadRova2(source, "???", false))
            return SPI_BROKEN_DATA;
        return FlattenPageToDib(document, header, pixels);
    case ROVAFMT_NONE:
        break;
    }
    return SPI_INTERNAL_ERROR;
}

}  // namespace

int RequestPictureInfo(const char* nameOrImage, std::int64_t offsetOrSize, std::uint32_t flags, PictureInfo* info)
{
    if (!info)
        return SPI_INTERNAL_ERROR;
    AllocationBudget budget;
    try {
        std::unique_ptr<CFile> source = OpenPictureSource(nameOrImage, offsetOrSize, flags);
        if (!source)
            return SPI_FILE_READ_ERROR;
        PictureInfo result;
        const int code = ReadInfo(*source, result);
        if (code == SPI_SUCCESS)
            *info = result;
        return code;
    } catch (const CException&) {
    } catch (...) {
    }
    return SPI_INTERNAL_ERROR;
}

int RequestPicture(const char* nameOrImage, std::int64_t offsetOrSize, std::uint32_t flags, HLOCAL* header,
                   HLOCAL* pixels)
{
    if (header)
        *header = nullptr;
    if (pixels)
        *pixels = nullptr;
    if (!header || !pixels)
        return SPI_INTERNAL_ERROR;
    // The blocks are handed out only on success, so nothing below can leave
    // a block behind when an exception ends the reading.
    AllocationBudget budget;
    try {
        std::unique_ptr<CFile> source = OpenPictureSource(nameOrImage, offsetOrSize, flags);
        if (!source)
            return SPI_FILE_READ_ERROR;
        return ReadPicture(*source, header, pixels);
    } catch (const CMemoryException&) {
        // A first-generation page too large to create, or beyond the budget.
        return SPI_NO_MEMORY;
    } catch (const std::bad_alloc&) {
        return SPI_NO_MEMORY;
    } catch (const CException&) {
    } catch (...) {
    }
    return SPI_INTERNAL_ERROR;
}
