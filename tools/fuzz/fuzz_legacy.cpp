// First-generation documents: the input is everything after the 10-byte
// signature field (width, height, layer count, transparent index, palette,
// layer records with their run-coded blocks).
#include "fuzz_common.h"

rova_fuzz::Bytes rova_fuzz::BuildImage(const std::uint8_t* data, std::size_t size)
{
    Bytes image = {'R', 'O', 'V', 'A', 0, 0, 0, 0, 0, 0};
    image.insert(image.end(), data, data + size);
    return image;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    rova_fuzz::RunRequests(rova_fuzz::BuildImage(data, size), rova_fuzz::kBoth);
    return 0;
}
