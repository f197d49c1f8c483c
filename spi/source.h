// Opening the data a host names (a file at an offset, or a memory image) and
// telling the two format generations apart.
#pragma once

#include "file.h"

#include <cstddef>
#include <cstdint>
#include <memory>

enum RovaFormat : int {
    ROVAFMT_NONE = 0,
    ROVAFMT_ROVA = 1,    // "ROVA", first generation
    ROVAFMT_ROVA2 = 2,   // "ROVA2"
};

// flags & 7 != 0: nameOrImage is a memory image of offsetOrSize bytes.
// Otherwise it is an ANSI file name, read from byte offsetOrSize on.
// Null when the file cannot be opened (the exports answer 6).
std::unique_ptr<CFile> OpenPictureSource(const char* nameOrImage, std::int64_t offsetOrSize, std::uint32_t flags);

// Reads up to 5 bytes and puts the position back; never throws.
RovaFormat DetectRovaFormat(CFile& source);

// Extension ".rov" (any case) and a head that starts with "ROVA".
bool IsRovaFile(const char* fileName, const std::uint8_t* head, std::size_t headLength);
