// Shared by the fuzz targets: each turns the fuzzer's bytes into what a host
// would hand the plug-in, then asks for the picture as a host does and
// checks that the answer is one the interface allows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rova_fuzz {

using Bytes = std::vector<std::uint8_t>;

// Budget of one request while fuzzing: smaller than the shipped one, so that
// inputs declaring huge pages fail fast and the fuzzer keeps its pace.
constexpr std::uint64_t kFuzzBudgetBytes = std::uint64_t{64} << 20;

// Defined by each target: the memory image its input stands for.
Bytes BuildImage(const std::uint8_t* data, std::size_t size);

// Which of the two requests a target makes.
enum Requests : unsigned { kInfo = 1, kPicture = 2, kBoth = kInfo | kPicture };

// Runs the requests on the image from memory; aborts on any answer outside
// the interface's codes, on blocks that do not match the picture's size, or
// on a picture whose size differs from what GetPictureInfo reported.
void RunRequests(const Bytes& image, Requests requests);

}  // namespace rova_fuzz
