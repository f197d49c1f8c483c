#include "rova_files.h"

#include <zlib.h>

#include <algorithm>
#include <sstream>
#include <stdexcept>

namespace rova_test {

// ---- ROVA2 container -------------------------------------------------------

Bytes Deflate(const Bytes& data)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    Bytes out(size);
    if (compress(out.data(), &size, data.data(), static_cast<uLong>(data.size())) != Z_OK)
        throw std::runtime_error("compress failed");
    out.resize(size);
    return out;
}

Bytes Rova2File(const Bytes& body, const Rova2Options& options)
{
    Bytes stream = Deflate(body);
    if (options.compressedBytes)
        stream.resize(std::min(stream.size(), *options.compressedBytes));
    ByteWriter w;
    w.Raw(std::string("ROVA2"))
        .U16(options.version)
        .U8(options.compression)
        .U32(options.declaredBodySize.value_or(static_cast<std::uint32_t>(body.size())))
        .Raw(stream)
        .Raw(options.trailing);
    return w;
}

// ---- First generation --------------------------------------------------------

LegacyBlock RunCode(const Bytes& pixels)
{
    constexpr std::size_t kShortestRun = 4;
    LegacyBlock block;
    std::size_t i = 0;
    while (i < pixels.size()) {
        std::size_t end = i + 1;
        while (end < pixels.size() && pixels[end] == pixels[i])
            ++end;
        if (end - i >= kShortestRun) {
            block.runs.push_back(LegacyRun{static_cast<std::uint32_t>(block.literals.size()),
                                           static_cast<std::uint32_t>(end - i), pixels[i]});
        } else {
            block.literals.insert(block.literals.end(), pixels.begin() + static_cast<std::ptrdiff_t>(i),
                                  pixels.begin() + static_cast<std::ptrdiff_t>(end));
        }
        i = end;
    }
    return block;
}

Bytes LegacyBlockBytes(const LegacyBlock& block)
{
    ByteWriter w;
    w.U32(block.declaredRunCount.value_or(static_cast<std::uint32_t>(block.runs.size())));
    for (const LegacyRun& run : block.runs)
        w.U32(run.position).U32(run.length).U8(run.value);
    w.U32(block.declaredLiteralCount.value_or(static_cast<std::uint32_t>(block.literals.size())));
    w.Raw(block.literals);
    return w;
}

Bytes LegacyFileBytes(const LegacyFile& file)
{
    ByteWriter w;
    w.Raw(file.signature)
        .U32(file.width)
        .U32(file.height)
        .U16(file.declaredLayerCount.value_or(static_cast<std::uint16_t>(file.layers.size())))
        .U8(file.transparentIndex)
        .Raw(file.paletteRgb);
    for (const LegacyLayer& layer : file.layers) {
        Bytes name(80, 0);
        std::copy_n(layer.name.begin(), std::min<std::size_t>(layer.name.size(), 80), name.begin());
        w.Raw(name).U8(layer.option).Raw(LegacyBlockBytes(layer.block));
    }
    return w;
}

// ---- Document description ------------------------------------------------------

namespace {

Bytes PageChunkPayload(const DocPage& page, std::uint32_t number)
{
    ByteWriter size;
    size.Chunk(1005, U16(static_cast<std::uint16_t>(page.width)))
        .Chunk(1006, U16(static_cast<std::uint16_t>(page.height)));
    ByteWriter w;
    if (!page.sizeAfterLayers)
        w.Raw(size.bytes());
    w.Chunk(1001, U32(number)).Chunk(1000, Text("Page" + std::to_string(number)));
    for (std::size_t i = 0; i < page.layers.size(); ++i) {
        const DocLayer& layer = page.layers[i];
        const std::string name = layer.name.empty() ? "Layer" + std::to_string(i) : layer.name;
        w.Chunk(2003, Concat({Chunk(1000, Text(name)), Chunk(1001, U32(static_cast<std::uint32_t>(i))),
                              Chunk(1006, layer.pixels)}));
    }
    w.Chunk(2004, U32(0));
    if (page.sizeAfterLayers)
        w.Raw(size.bytes());
    return w;
}

bool HasThreeByteColors(const DocSpec& spec)
{
    switch (spec.bitDepth) {
    case 1: case 4: case 8: return spec.paletteFormat == 0;
    case 24: return true;
    default: return false;
    }
}

}  // namespace

Bytes Rova2Body(const DocSpec& spec)
{
    ByteWriter w;
    w.Chunk(1000, U8(spec.bitDepth))
        .Chunk(1001, U8(spec.paletteFormat))
        .Chunk(3001, U16(spec.colorCount))
        .Chunk(3006, U32(static_cast<std::uint32_t>(spec.transparentIndex)));
    if (spec.nibbleMode)
        w.Chunk(4000, U32(0x00080008));
    for (std::size_t i = 0; i < spec.palettes.size(); ++i) {
        ByteWriter palette;
        palette.Chunk(1001, U32(static_cast<std::uint32_t>(i))).Chunk(1000, Text("Palette" + std::to_string(i)));
        Bytes colors = spec.palettes[i].bgr;
        colors.resize(std::min<std::size_t>(colors.size(), std::size_t{spec.colorCount} * 3));
        if (HasThreeByteColors(spec) && !colors.empty())
            palette.Chunk(1005, colors);
        w.Chunk(3003, palette);
    }
    if (spec.currentPalette)
        w.Chunk(3004, U32(*spec.currentPalette));
    for (std::size_t i = 0; i < spec.pages.size(); ++i)
        w.Chunk(2003, PageChunkPayload(spec.pages[i], static_cast<std::uint32_t>(i)));
    if (spec.currentPage)
        w.Chunk(2004, U32(*spec.currentPage));
    return w;
}

Bytes Rova2Document(const DocSpec& spec, const Rova2Options& options)
{
    return Rova2File(Rova2Body(spec), options);
}

LegacyFile LegacyFromDoc(const DocSpec& spec)
{
    if (spec.pages.size() != 1 || spec.palettes.empty() || spec.bitDepth != 8 || spec.nibbleMode)
        throw std::invalid_argument("a first-generation file holds one 8-bit page");
    const DocPage& page = spec.pages[0];
    LegacyFile file;
    file.width = static_cast<std::uint32_t>(page.width);
    file.height = static_cast<std::uint32_t>(page.height);
    file.transparentIndex = static_cast<std::uint8_t>(spec.transparentIndex);
    const Bytes& bgr = spec.palettes[0].bgr;
    for (std::size_t i = 0; i < 256 && 3 * i + 2 < bgr.size(); ++i) {
        file.paletteRgb[3 * i + 0] = bgr[3 * i + 2];
        file.paletteRgb[3 * i + 1] = bgr[3 * i + 1];
        file.paletteRgb[3 * i + 2] = bgr[3 * i + 0];
    }
    for (std::size_t i = 0; i < page.layers.size(); ++i) {
        const DocLayer& layer = page.layers[i];
        file.layers.push_back(LegacyLayer{layer.name.empty() ? "Layer" + std::to_string(i) : layer.name, 1,
                                          RunCode(layer.pixels)});
    }
    return file;
}

ExpectedPicture ExpectedFlattening(const DocSpec& spec)
{
    ExpectedPicture picture;
    const DocPage& page = spec.pages.at(spec.currentPage.value());
    const DocPalette& palette = spec.palettes.at(spec.currentPalette.value());
    picture.width = page.width;
    picture.height = page.height;

    if (HasThreeByteColors(spec)) {
        const std::size_t entries = std::min<std::size_t>(spec.colorCount, 256);
        for (std::size_t i = 0; i < entries && 3 * i + 2 < palette.bgr.size(); ++i) {
            picture.colorTable[4 * i + 0] = palette.bgr[3 * i + 0];
            picture.colorTable[4 * i + 1] = palette.bgr[3 * i + 1];
            picture.colorTable[4 * i + 2] = palette.bgr[3 * i + 2];
        }
    }

    const std::size_t pixels = static_cast<std::size_t>(page.width) * static_cast<std::size_t>(page.height);
    // Where no layer draws, the reader leaves index 0.
    picture.indexes.assign(pixels, 0);
    if (spec.bitDepth > 8) {
        picture.pixelsDefined = false;
        return picture;
    }
    // Layers written before the page size is known are made empty.
    if (page.sizeAfterLayers || page.layers.empty())
        return picture;

    const std::uint8_t key = static_cast<std::uint8_t>(spec.transparentIndex & 0xFF);
    picture.indexes = page.layers.back().pixels;
    picture.indexes.resize(pixels, 0);
    for (std::size_t layer = page.layers.size() - 1; layer-- > 0;) {
        const Bytes& source = page.layers[layer].pixels;
        for (std::size_t p = 0; p < pixels && p < source.size(); ++p) {
            const std::uint8_t v = source[p];
            const bool shows = spec.nibbleMode ? (v & 0x0F) != 0 : v != key;
            if (shows)
                picture.indexes[p] = v;
        }
    }
    return picture;
}

namespace {

std::uint32_t ReadU32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint16_t ReadU16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

}  // namespace

std::string CompareDib(const ExpectedPicture& expected, const std::uint8_t* header, std::size_t headerBytes,
                       const std::uint8_t* pixels, std::size_t pixelBytes)
{
    std::ostringstream out;
    if (!header || headerBytes < 1064)
        return "header block missing or shorter than 1064 bytes";
    struct Field {
        const char* name;
        std::size_t offset;
        int bytes;
        std::uint32_t value;
    };
    const Field fields[] = {
        {"biSize", 0, 4, 40},
        {"biWidth", 4, 4, static_cast<std::uint32_t>(expected.width)},
        {"biHeight", 8, 4, static_cast<std::uint32_t>(expected.height)},
        {"biPlanes", 12, 2, 1},
        {"biBitCount", 14, 2, 8},
        {"biCompression", 16, 4, 0},
        {"biSizeImage", 20, 4, 0},
        {"biXPelsPerMeter", 24, 4, 0},
        {"biYPelsPerMeter", 28, 4, 0},
        {"biClrUsed", 32, 4, 0},
        {"biClrImportant", 36, 4, 0},
    };
    for (const Field& f : fields) {
        const std::uint32_t actual = f.bytes == 4 ? ReadU32(header + f.offset) : ReadU16(header + f.offset);
        if (actual != f.value)
            out << f.name << " is " << actual << ", expected " << f.value << "\n";
    }
    for (std::size_t i = 0; i < expected.colorTable.size(); ++i) {
        if (header[40 + i] != expected.colorTable[i]) {
            out << "colour table byte " << i << " (entry " << i / 4 << ") is " << int(header[40 + i])
                << ", expected " << int(expected.colorTable[i]) << "\n";
            break;
        }
    }
    const std::size_t stride = (static_cast<std::size_t>(expected.width) + 3) & ~std::size_t{3};
    const std::size_t needed = stride * static_cast<std::size_t>(expected.height);
    if (!pixels || pixelBytes < needed) {
        out << "pixel block holds " << pixelBytes << " bytes, expected " << needed << "\n";
        return out.str();
    }
    if (!expected.pixelsDefined)
        return out.str();
    for (std::int32_t row = 0; row < expected.height; ++row) {
        const std::uint8_t* line = pixels + stride * static_cast<std::size_t>(expected.height - 1 - row);
        for (std::int32_t x = 0; x < expected.width; ++x) {
            const std::uint8_t want = expected.indexes[static_cast<std::size_t>(row) * expected.width + x];
            if (line[x] != want) {
                out << "pixel (" << x << ", " << row << ") is " << int(line[x]) << ", expected " << int(want) << "\n";
                return out.str();
            }
        }
    }
    return out.str();
}

// ---- A recognisable sample picture -----------------------------------------------

namespace {

constexpr std::uint8_t kGroundFirst = 1;
constexpr std::uint8_t kGroundLast = 200;
constexpr std::uint8_t kRed = 240;
constexpr std::uint8_t kYellow = 241;
constexpr std::uint8_t kGreen = 242;
constexpr std::uint8_t kWhite = 243;

Bytes ShapesPalette()
{
    Bytes bgr(768, 0);
    auto set = [&bgr](int index, int r, int g, int b) {
        bgr[3 * index + 0] = static_cast<std::uint8_t>(b);
        bgr[3 * index + 1] = static_cast<std::uint8_t>(g);
        bgr[3 * index + 2] = static_cast<std::uint8_t>(r);
    };
    // A sky: deep blue to pale cyan.
    for (int i = kGroundFirst; i <= kGroundLast; ++i) {
        const int t = (i - kGroundFirst) * 255 / (kGroundLast - kGroundFirst);
        set(i, 20 + t * 150 / 255, 40 + t * 190 / 255, 120 + t * 135 / 255);
    }
    set(kRed, 220, 30, 40);
    set(kYellow, 250, 210, 30);
    set(kGreen, 40, 170, 60);
    set(kWhite, 255, 255, 255);
    return bgr;
}

}  // namespace

DocSpec ShapesDocument(std::int32_t width, std::int32_t height, std::size_t shapeLayers)
{
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    auto blank = [pixels] { return Bytes(pixels, 0); };
    auto at = [width](Bytes& layer, std::int32_t x, std::int32_t y) -> std::uint8_t& {
        return layer[static_cast<std::size_t>(y) * width + x];
    };

    // Ground: a diagonal gradient with a black frame (index 0, which the
    // bottom layer shows although it is the transparent index).
    Bytes ground = blank();
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            const std::int64_t span = std::max<std::int64_t>(1, std::int64_t{width} + height - 2);
            const bool frame = x == 0 || y == 0 || x == width - 1 || y == height - 1;
            at(ground, x, y) = frame ? 0
                                     : static_cast<std::uint8_t>(kGroundFirst +
                                                                 (std::int64_t{x} + y) * (kGroundLast - kGroundFirst) / span);
        }
    }
    // A red disc with a white rim, upper left.
    Bytes disc = blank();
    const std::int64_t cx = width * 3 / 8, cy = height * 3 / 8, r = std::min(width, height) / 4;
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            const std::int64_t d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
            if (d2 <= r * r)
                at(disc, x, y) = d2 >= (r - 2) * (r - 2) ? kWhite : kRed;
        }
    }
    // A yellow square in the middle.
    Bytes square = blank();
    for (std::int32_t y = height * 2 / 5; y < height * 4 / 5; ++y)
        for (std::int32_t x = width * 2 / 5; x < width * 4 / 5; ++x)
            at(square, x, y) = kYellow;
    // A green triangle standing on the lower edge, right.
    Bytes triangle = blank();
    const std::int32_t base = height * 9 / 10, apex = height / 3, mid = width * 7 / 10;
    for (std::int32_t y = apex; y < base; ++y) {
        const std::int32_t half = (y - apex) * (width / 4) / std::max(1, base - apex);
        for (std::int32_t x = std::max(0, mid - half); x <= std::min(width - 1, mid + half); ++x)
            at(triangle, x, y) = kGreen;
    }

    DocPage page;
    page.width = width;
    page.height = height;
    const DocLayer shapes[] = {{disc, "Disc"}, {square, "Square"}, {triangle, "Triangle"}};
    for (std::size_t i = 0; i < std::min<std::size_t>(shapeLayers, 3); ++i)
        page.layers.push_back(shapes[i]);
    page.layers.push_back({ground, "Ground"});

    DocSpec spec;
    spec.pages.push_back(page);
    spec.palettes.push_back({ShapesPalette()});
    return spec;
}

}  // namespace rova_test
