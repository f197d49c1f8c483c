// Whole ROVA documents for tests and samples: ROVA2 files (header + zlib
// body) and first-generation files (header, palette, run-coded layers), and
// a small document description that yields both the file bytes and the
// picture a correct reader must flatten it to.
#pragma once

#include "chunk_writer.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace rova_test {

// ---- ROVA2 container -------------------------------------------------------

struct Rova2Options {
    std::uint16_t version = 0;
    std::uint8_t compression = 1;
    std::optional<std::uint32_t> declaredBodySize;   // default: the body's size
    std::optional<std::size_t> compressedBytes;       // keep only this many bytes of the zlib stream
    Bytes trailing;                                    // appended after the zlib stream
};

Bytes Deflate(const Bytes& data);
Bytes Rova2File(const Bytes& body, const Rova2Options& options = {});

// ---- First generation --------------------------------------------------------

struct LegacyRun {
    std::uint32_t position;
    std::uint32_t length;
    std::uint8_t value;
};

// A pixel block as stored: run records and literal bytes.
struct LegacyBlock {
    LegacyBlock() = default;
    LegacyBlock(std::vector<LegacyRun> runRecords, Bytes literalBytes)
        : runs(std::move(runRecords)), literals(std::move(literalBytes))
    {
    }
    std::vector<LegacyRun> runs;
    Bytes literals;
    std::optional<std::uint32_t> declaredRunCount;       // override the stored R
    std::optional<std::uint32_t> declaredLiteralCount;   // override the stored N
};

// Codes pixels the way an editor would: every stretch of 4 or more equal
// bytes becomes a run, the rest literals.
LegacyBlock RunCode(const Bytes& pixels);
Bytes LegacyBlockBytes(const LegacyBlock& block);

struct LegacyLayer {
    std::string name;        // up to 80 bytes are stored, zero-padded
    std::uint8_t option = 1;
    LegacyBlock block;
};

struct LegacyFile {
    Bytes signature = Bytes{'R', 'O', 'V', 'A', 0, 0, 0, 0, 0, 0};   // 10 bytes
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::optional<std::uint16_t> declaredLayerCount;   // default: layers.size()
    std::uint8_t transparentIndex = 0;
    Bytes paletteRgb = Bytes(768, 0);                    // 256 x red, green, blue
    std::vector<LegacyLayer> layers;                    // first = top of the stack
};

Bytes LegacyFileBytes(const LegacyFile& file);

// ---- Document description and the picture it must give ---------------------

struct DocLayer {
    Bytes pixels;             // width x height x bytes per pixel, top row first
    std::string name;
};

struct DocPage {
    DocPage() = default;
    DocPage(std::int32_t w, std::int32_t h, std::vector<DocLayer> stack)
        : width(w), height(h), layers(std::move(stack))
    {
    }
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<DocLayer> layers;   // index 0 = top of the stack
    bool sizeAfterLayers = false;   // write the page size chunks after the layer chunks
};

struct DocPalette {
    Bytes bgr;   // 3 bytes per entry (blue, green, red); may be shorter than the count
};

struct DocSpec {
    std::uint8_t bitDepth = 8;
    std::uint8_t paletteFormat = 0;   // 1 or 2: two-byte colour entries, no 3-byte colours
    std::uint16_t colorCount = 256;
    std::int32_t transparentIndex = 0;
    bool nibbleMode = false;
    std::vector<DocPage> pages;
    std::vector<DocPalette> palettes;
    std::optional<std::uint32_t> currentPage = 0;      // nullopt: no chunk 2004
    std::optional<std::uint32_t> currentPalette = 0;   // nullopt: no chunk 3004
};

Bytes Rova2Body(const DocSpec& spec);
Bytes Rova2Document(const DocSpec& spec, const Rova2Options& options = {});

// First-generation file of a one-page, one-palette, 8-bit document without
// nibble mode (palette colours taken from the spec's palette 0).
LegacyFile LegacyFromDoc(const DocSpec& spec);

// The picture a reader must produce, computed straight from the description:
// a per-pixel merge from the bottom layer up.
struct ExpectedPicture {
    std::int32_t width = 0;
    std::int32_t height = 0;
    Bytes indexes;                 // width x height, top row first
    bool pixelsDefined = true;     // false above 8 bits per pixel: nothing is drawn
    std::array<std::uint8_t, 1024> colorTable{};   // 256 RGBQUADs
};

ExpectedPicture ExpectedFlattening(const DocSpec& spec);

// Compares a DIB (header block and bottom-up pixel block) with the expected
// picture; returns an empty string when they match, else what differs.
std::string CompareDib(const ExpectedPicture& expected, const std::uint8_t* header, std::size_t headerBytes,
                       const std::uint8_t* pixels, std::size_t pixelBytes);

// A recognisable picture: a gradient ground and three shapes on layers of
// their own, transparent index 0, one 256-colour palette.
DocSpec ShapesDocument(std::int32_t width, std::int32_t height, std::size_t shapeLayers = 3);

}  // namespace rova_test
