// The large documents the benchmarks decode, made with the test-side writer,
// and the sizes the figures are measured against.
#pragma once

#include "chunk_writer.h"

#include <cstdint>
#include <functional>
#include <string>

namespace rova_bench {

struct BenchDocument {
    std::string name;
    bool rova2 = true;                 // false: a first-generation file
    rova_test::Bytes file;             // the whole document file
    std::uint64_t bodyBytes = 0;       // inflated body (0 for first generation)
    std::uint64_t layerBytes = 0;      // pixel bytes of every layer of every page
    std::uint64_t pageLayerBytes = 0;  // pixel bytes of the current page's layers
    std::uint64_t bitmapBytes = 0;     // header block + pixel block of the picture
};

constexpr int kDocumentCount = 4;

// Document i of the set (0 .. kDocumentCount-1); deterministic.
BenchDocument MakeDocument(int index);
const char* DocumentName(int index);

}  // namespace rova_bench
