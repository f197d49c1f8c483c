// GetPictureInfo and GetPicture as portable functions: the exports call these,
// and so do the native tests, fuzzers and benchmarks, as a host would.
#pragma once

#include "localmem.h"
#include "picture_info.h"

#include <cstdint>

// Susie result codes.
enum SusieResult : int {
    SPI_SUCCESS = 0,
    SPI_BROKEN_DATA = 3,
    SPI_NO_MEMORY = 5,
    SPI_FILE_READ_ERROR = 6,
    SPI_INTERNAL_ERROR = 8,
    SPI_NOT_IMPLEMENTED = -1,
};

int RequestPictureInfo(const char* nameOrImage, std::int64_t offsetOrSize, std::uint32_t flags, PictureInfo* info);

// On failure both handles are NULL when it returns.
int RequestPicture(const char* nameOrImage, std::int64_t offsetOrSize, std::uint32_t flags, HLOCAL* header,
                   HLOCAL* pixels);
