// Heap use of the whole process as seen through malloc and friends, which
// the benchmark replaces: every heap block the code under test makes (C++
// objects, zlib's state, the local-memory stand-in) is counted by its
// usable size.
#pragma once

#include <cstdint>

namespace rova_bench {

std::uint64_t LiveHeapBytes();
// Highest live heap since the last ResetPeakHeap.
std::uint64_t PeakHeapBytes();
void ResetPeakHeap();

}  // namespace rova_bench
