#include "decode.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

namespace susie {
namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kInfoHeaderBytes = 40;
constexpr std::size_t kColorTableBytes = 256 * 4;

// Owns a block the plug-in handed over; the host frees it.
class LocalBlock {
public:
    explicit LocalBlock(HLOCAL handle) : m_handle(handle) {}
    ~LocalBlock()
    {
        if (m_handle)
            ::LocalFree(m_handle);
    }
    LocalBlock(const LocalBlock&) = delete;
    LocalBlock& operator=(const LocalBlock&) = delete;

    // The block's bytes, read under a lock.
    std::vector<unsigned char> Bytes() const
    {
        std::vector<unsigned char> bytes;
        const void* data = m_handle ? ::LocalLock(m_handle) : nullptr;
        if (data) {
            const auto* p = static_cast<const unsigned char*>(data);
            bytes.assign(p, p + ::LocalSize(m_handle));
            ::LocalUnlock(m_handle);
        }
        return bytes;
    }

private:
    HLOCAL m_handle;
};

void PutU16(unsigned char* p, unsigned v)
{
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

void PutU32(unsigned char* p, unsigned long v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

}  // namespace

bool DecodeToBmp(const Plugin& plugin, const std::string& path, const std::string& bmpPath)
{
    if (!plugin.GetPictureInfo || !plugin.GetPicture) {
        std::fprintf(stderr, "decode: the plug-in lacks GetPictureInfo or GetPicture\n");
        return false;
    }
    PictureInfo info{};
    const int infoResult = plugin.GetPictureInfo(path.c_str(), 0, 0, &info);
    if (infoResult != 0) {
        std::fprintf(stderr, "decode: GetPictureInfo(%s) = %d\n", path.c_str(), infoResult);
        return false;
    }
    std::printf("%s: GetPictureInfo = 0, %u x %u, %d bits\n", path.c_str(), info.width, info.height, info.colorDepth);

    HLOCAL headerHandle = nullptr, pixelHandle = nullptr;
    const int result = plugin.GetPicture(path.c_str(), 0, 0, &headerHandle, &pixelHandle, nullptr, 0);
    const LocalBlock headerBlock(result == 0 ? headerHandle : nullptr);
    const LocalBlock pixelBlock(result == 0 ? pixelHandle : nullptr);
    if (result != 0) {
        std::fprintf(stderr, "decode: GetPicture(%s) = %d\n", path.c_str(), result);
        return false;
    }
    const std::vector<unsigned char> header = headerBlock.Bytes();
    const std::vector<unsigned char> pixels = pixelBlock.Bytes();
    if (header.size() < kInfoHeaderBytes + kColorTableBytes) {
        std::fprintf(stderr, "decode: header block of %zu bytes\n", header.size());
        return false;
    }

    // BITMAPFILEHEADER: "BM", file size, two reserved words, offset of the pixels.
    const std::size_t pixelOffset = kFileHeaderBytes + kInfoHeaderBytes + kColorTableBytes;
    const std::size_t fileBytes = pixelOffset + pixels.size();
    unsigned char fileHeader[kFileHeaderBytes] = {'B', 'M'};
    PutU32(fileHeader + 2, static_cast<unsigned long>(fileBytes));
    PutU16(fileHeader + 6, 0);
    PutU16(fileHeader + 8, 0);
    PutU32(fileHeader + 10, static_cast<unsigned long>(pixelOffset));

    std::ofstream out(bmpPath, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(fileHeader), sizeof fileHeader);
    out.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(kInfoHeaderBytes + kColorTableBytes));
    out.write(reinterpret_cast<const char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
    if (!out) {
        std::fprintf(stderr, "decode: cannot write %s\n", bmpPath.c_str());
        return false;
    }
    std::printf("wrote %s: %zu bytes (%u x %u, 8 bits, 256 colours)\n", bmpPath.c_str(), fileBytes, info.width,
                info.height);
    return true;
}

}  // namespace susie
