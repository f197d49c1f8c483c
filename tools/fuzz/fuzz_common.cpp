#include "fuzz_common.h"

#include "picture_requests.h"
#include "sizes.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace rova_fuzz {
namespace {

[[noreturn]] void Fail(const char* what, int code)
{
    std::fprintf(stderr, "fuzz check failed: %s (result %d)\n", what, code);
    std::abort();
}

std::uint32_t ReadU32(const std::uint8_t* p)
{
    std::uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// A host never passes a null image: an empty one still has an address.
const char* ImageAddress(const Bytes& image)
{
    static const std::uint8_t kEmpty = 0;
    return reinterpret_cast<const char*>(image.empty() ? &kEmpty : image.data());
}

struct InfoAnswer {
    int code;
    PictureInfo info;
};

InfoAnswer AskInfo(const Bytes& image)
{
    InfoAnswer answer{};
    std::memset(&answer.info, 0xCD, sizeof answer.info);
    answer.code = RequestPictureInfo(ImageAddress(image),
                                     static_cast<std::int64_t>(image.size()), 1, &answer.info);
    if (answer.code != SPI_SUCCESS && answer.code != SPI_BROKEN_DATA && answer.code != SPI_INTERNAL_ERROR)
        Fail("GetPictureInfo answered a code outside 0, 3, 8", answer.code);
    if (answer.code == SPI_SUCCESS && (answer.info.colorDepth != 8 || answer.info.hInfo != nullptr))
        Fail("GetPictureInfo filled the record wrongly", answer.code);
    return answer;
}

void AskPicture(const Bytes& image, const InfoAnswer* info)
{
    HLOCAL header = reinterpret_cast<HLOCAL>(1);
    HLOCAL pixels = reinterpret_cast<HLOCAL>(1);
    const int code = RequestPicture(ImageAddress(image),
                                    static_cast<std::int64_t>(image.size()), 1, &header, &pixels);
    if (code != SPI_SUCCESS) {
        if (code != SPI_BROKEN_DATA && code != SPI_NO_MEMORY && code != SPI_INTERNAL_ERROR)
            Fail("GetPicture answered a code outside 0, 3, 5, 8", code);
        if (header || pixels)
            Fail("GetPicture failed but left a block", code);
        return;
    }
    if (!header || !pixels || LocalLockCount(header) != 0 || LocalLockCount(pixels) != 0)
        Fail("GetPicture succeeded without two unlocked blocks", code);
    if (LocalSize(header) != 1064)
        Fail("header block is not 1064 bytes", code);
    const auto* bytes = static_cast<const std::uint8_t*>(LocalLock(header));
    const std::uint32_t width = ReadU32(bytes + 4);
    const std::uint32_t height = ReadU32(bytes + 8);
    LocalUnlock(header);
    const std::uint64_t stride = (std::uint64_t{width} + 3) & ~std::uint64_t{3};
    if (LocalSize(pixels) != stride * height)
        Fail("pixel block does not match the header", code);
    if (info && info->code == SPI_SUCCESS && (info->info.width != width || info->info.height != height))
        Fail("GetPicture and GetPictureInfo disagree on the size", code);
    LocalFree(header);
    LocalFree(pixels);
}

}  // namespace

void RunRequests(const Bytes& image, Requests requests)
{
    AllocationBudget budget(kFuzzBudgetBytes);
    InfoAnswer info{};
    const bool askedInfo = (requests & kInfo) != 0;
    if (askedInfo)
        info = AskInfo(image);
    if (requests & kPicture)
        AskPicture(image, askedInfo ? &info : nullptr);
}

}  // namespace rova_fuzz
