#include "source.h"

#include <cstring>

namespace {

// Positions are signed 32-bit values, so nothing past 2 GiB of a memory image
// can ever be read; a larger size is cut there rather than wrapped.
std::uint32_t ReadableImageBytes(std::int64_t size)
{
    return static_cast<std::uint32_t>(size > CFile::kMaxPosition ? CFile::kMaxPosition : size);
}

const char* LastPathComponent(const char* path)
{
    const char* start = path;
    for (const char* p = path; *p; ++p) {
        if (*p == '\\' || *p == '/' || *p == ':')
            start = p + 1;
    }
    return start;
}

bool EqualsIgnoringAsciiCase(const char* text, const char* lowerCaseExpected)
{
    for (; *text && *lowerCaseExpected; ++text, ++lowerCaseExpected) {
        char c = *text;
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != *lowerCaseExpected)
            return false;
    }
    return *text == '\0' && *lowerCaseExpected == '\0';
}

}  // namespace

std::unique_ptr<CFile> OpenPictureSource(const char* nameOrImage, std::int64_t offsetOrSize, std::uint32_t flags)
{
    // A null image or a negative size cannot be read: answered like a file
    // that cannot be opened.
    if (!nameOrImage || offsetOrSize < 0)
        return nullptr;
    if (flags & 7)
        return std::make_unique<CMemFile>(nameOrImage, ReadableImageBytes(offsetOrSize));

    auto file = std::make_unique<CFile>();
    if (!file->Open(nameOrImage, CFile::modeRead | CFile::shareDenyWrite))
        return nullptr;
    try {
        file->Seek(offsetOrSize, CFile::begin);
    } catch (const CException&) {
        return nullptr;   // an offset no 32-bit position reaches
    }
    return file;
}

RovaFormat DetectRovaFormat(CFile& source)
{
    std::uint8_t head[5] = {};
    std::uint32_t got = 0;
    try {
        const std::int32_t start = source.GetPosition();
        got = source.Read(head, sizeof head);
        source.Seek(start, CFile::begin);
    } catch (const CException&) {
        return ROVAFMT_NONE;
    } catch (...) {
        return ROVAFMT_NONE;
    }
    if (got >= 5 && std::memcmp(head, "ROVA2", 5) == 0)
        return ROVAFMT_ROVA2;
    if (got >= 4 && std::memcmp(head, "ROVA", 4) == 0)
        return ROVAFMT_ROVA;
    return ROVAFMT_NONE;
}

bool IsRovaFile(const char* fileName, const std::uint8_t* head, std::size_t headLength)
{
    if (!fileName || !head || headLength < 4)
        return false;
    // The extension is the last component's tail from its last dot on. No
    // code page 932 trail byte is a '.', so a plain byte scan finds it.
    const char* extension = std::strrchr(LastPathComponent(fileName), '.');
    return extension && EqualsIgnoringAsciiCase(extension, ".rov") && std::memcmp(head, "ROVA", 4) == 0;
}
