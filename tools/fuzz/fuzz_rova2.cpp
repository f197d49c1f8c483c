// ROVA2 documents. Raw mutation of a zlib stream rarely gets past the
// inflater, so by default the input is the inflated body and the target
// compresses it; the first byte picks how the file around it is made:
//   mode & 3 == 0  header declares the body's own size
//   mode & 3 == 1  next 4 bytes are the declared body size (little-endian)
//   mode & 3 == 2  the rest is the file after "ROVA2": header and stream raw
//   mode & 3 == 3  next byte keeps that many 256ths of the compressed stream
//   mode & 4       version 1 (a newer writer)
#include "fuzz_common.h"

#include <zlib.h>

#include <cstring>

namespace {

using rova_fuzz::Bytes;

void PutU32(Bytes& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

Bytes Compress(const std::uint8_t* data, std::size_t size)
{
    uLongf bound = compressBound(static_cast<uLong>(size));
    Bytes out(bound);
    if (compress2(out.data(), &bound, data, static_cast<uLong>(size), 1) != Z_OK)
        return {};
    out.resize(bound);
    return out;
}

}  // namespace

rova_fuzz::Bytes rova_fuzz::BuildImage(const std::uint8_t* data, std::size_t size)
{
    Bytes image = {'R', 'O', 'V', 'A', '2'};
    if (size == 0)
        return image;
    const std::uint8_t mode = data[0];
    ++data;
    --size;
    if ((mode & 3) == 2) {
        image.insert(image.end(), data, data + size);
        return image;
    }
    std::uint32_t declared = static_cast<std::uint32_t>(size);
    std::size_t keepNumerator = 256;
    if ((mode & 3) == 1 && size >= 4) {
        std::memcpy(&declared, data, 4);
        data += 4;
        size -= 4;
    } else if ((mode & 3) == 3 && size >= 1) {
        keepNumerator = data[0];
        ++data;
        --size;
        declared = static_cast<std::uint32_t>(size);
    }
    Bytes stream = Compress(data, size);
    stream.resize(stream.size() * keepNumerator / 256);
    image.push_back((mode & 4) ? 1 : 0);
    image.push_back(0);
    image.push_back(1);
    PutU32(image, declared);
    image.insert(image.end(), stream.begin(), stream.end());
    return image;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    rova_fuzz::RunRequests(rova_fuzz::BuildImage(data, size), rova_fuzz::kBoth);
    return 0;
}
