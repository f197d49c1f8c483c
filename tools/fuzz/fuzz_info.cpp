// GetPictureInfo on whatever a host hands over: the input is the memory
// image itself, of either generation or neither.
#include "fuzz_common.h"

rova_fuzz::Bytes rova_fuzz::BuildImage(const std::uint8_t* data, std::size_t size)
{
    return Bytes(data, data + size);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    rova_fuzz::RunRequests(rova_fuzz::BuildImage(data, size), rova_fuzz::kInfo);
    return 0;
}
