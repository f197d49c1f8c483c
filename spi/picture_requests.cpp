// Minimal form until the readers are wired in: opens the source, tells the
// generation apart, and answers 6 or 8.
#include "picture_requests.h"

#include "source.h"

int RequestPictureInfo(const char* nameOrImage, std::int64_t offsetOrSize, std::uint32_t flags, PictureInfo* info)
{
    (void)info;
    std::unique_ptr<CFile> source = OpenPictureSource(nameOrImage, offsetOrSize, flags);
    if (!source)
        return SPI_FILE_READ_ERROR;
    return SPI_INTERNAL_ERROR;
}

int RequestPicture(const char* nameOrImage, std::int64_t offsetOrSize, std::uint32_t flags, HLOCAL* header,
                   HLOCAL* pixels)
{
    if (header)
        *header = nullptr;
    if (pixels)
        *pixels = nullptr;
    std::unique_ptr<CFile> source = OpenPictureSource(nameOrImage, offsetOrSize, flags);
    if (!source)
        return SPI_FILE_READ_ERROR;
    return SPI_INTERNAL_ERROR;
}
