#include "bench_documents.h"

#include "rova_files.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace rova_bench {
namespace {

using rova_test::Bytes;
using rova_test::DocLayer;
using rova_test::DocPage;
using rova_test::DocSpec;

// Small, fast and the same everywhere, so every run decodes the same bytes.
class Random {
public:
    explicit Random(std::uint32_t seed) : m_state(seed * 2654435761u + 1) {}
    std::uint32_t Next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    std::int32_t Below(std::int32_t n) { return static_cast<std::int32_t>(Next() % static_cast<std::uint32_t>(n)); }

private:
    std::uint32_t m_state;
};

// A painted ground: a slow gradient with a little grain, as scanned or
// shaded artwork has. It covers the page.
Bytes Ground(std::int32_t width, std::int32_t height, std::uint32_t seed)
{
    Bytes pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    Random random(seed);
    const std::int64_t span = std::max<std::int64_t>(1, std::int64_t{width} + height);
    for (std::int32_t y = 0; y < height; ++y) {
        std::uint8_t* row = pixels.data() + static_cast<std::size_t>(y) * width;
        for (std::int32_t x = 0; x < width; ++x) {
            const auto shade = static_cast<std::uint32_t>(16 + (std::int64_t{x} + y) * 200 / span);
            row[x] = static_cast<std::uint8_t>(shade + (random.Next() & 3));
        }
    }
    return pixels;
}

// An upper layer: transparent (index 0) except for a number of filled
// rectangles and discs with a little texture, like strokes and shapes
// drawn on a layer of their own.
Bytes Shapes(std::int32_t width, std::int32_t height, std::uint32_t seed, int shapeCount, bool nibbleSafe)
{
    Bytes pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    Random random(seed);
    for (int s = 0; s < shapeCount; ++s) {
        const std::int32_t w = 1 + random.Below(std::max(1, width / 3));
        const std::int32_t h = 1 + random.Below(std::max(1, height / 3));
        const std::int32_t left = random.Below(width);
        const std::int32_t top = random.Below(height);
        const bool disc = (random.Next() & 1) != 0;
        const std::int32_t colour = 1 + random.Below(250);
        for (std::int32_t y = top; y < std::min(height, top + h); ++y) {
            std::uint8_t* row = pixels.data() + static_cast<std::size_t>(y) * width;
            for (std::int32_t x = left; x < std::min(width, left + w); ++x) {
                if (disc) {
                    const std::int64_t dx = 2 * (x - left) - w, dy = 2 * (y - top) - h;
                    if (dx * dx * h * h + dy * dy * w * w > std::int64_t{w} * w * h * h)
                        continue;
                }
                std::uint8_t v = static_cast<std::uint8_t>(colour + (random.Next() & 3));
                // Under the nibble rule values with a zero low nibble are
                // transparent: a painted pixel must not be one.
                if (nibbleSafe && (v & 0x0F) == 0)
                    v |= 1;
                else if (!nibbleSafe && v == 0)
                    v = 1;
                row[x] = v;
            }
        }
    }
    return pixels;
}

Bytes GreyPalette()
{
    Bytes bgr(768);
    for (std::size_t i = 0; i < 256; ++i)
        bgr[3 * i] = bgr[3 * i + 1] = bgr[3 * i + 2] = static_cast<std::uint8_t>(i);
    return bgr;
}

DocPage Page(std::int32_t width, std::int32_t height, int layers, std::uint32_t seed, bool nibble)
{
    DocPage page(width, height, {});
    for (int i = 0; i + 1 < layers; ++i)
        page.layers.push_back(DocLayer{Shapes(width, height, seed + 17u * i, 12, nibble), ""});
    page.layers.push_back(DocLayer{Ground(width, height, seed + 1000u), ""});
    return page;
}

struct Recipe {
    const char* name;
    std::int32_t width;
    std::int32_t height;
    int pages;
    int layersPerPage;
    bool nibble;
    bool rova2;
};

const Recipe kRecipes[kDocumentCount] = {
    {"4096x4096, 8 layers, keyed", 4096, 4096, 1, 8, false, true},
    {"1024x1024, 64 layers, nibble rule", 1024, 1024, 1, 64, true, true},
    {"16 pages of 2048x2048 x 2 layers, last current", 2048, 2048, 16, 2, false, true},
    {"first generation 4096x4096, 4 run-coded layers", 4096, 4096, 1, 4, false, false},
};

}  // namespace

const char* DocumentName(int index)
{
    return kRecipes[index].name;
}

BenchDocument MakeDocument(int index)
{
    const Recipe& recipe = kRecipes[index];
    DocSpec spec;
    spec.nibbleMode = recipe.nibble;
    spec.palettes.push_back({GreyPalette()});
    for (int p = 0; p < recipe.pages; ++p)
        spec.pages.push_back(Page(recipe.width, recipe.height, recipe.layersPerPage, 7919u * (p + 1) + index, recipe.nibble));
    spec.currentPage = static_cast<std::uint32_t>(recipe.pages - 1);

    BenchDocument document;
    document.name = recipe.name;
    document.rova2 = recipe.rova2;
    const std::uint64_t layer = static_cast<std::uint64_t>(recipe.width) * static_cast<std::uint64_t>(recipe.height);
    document.pageLayerBytes = layer * static_cast<std::uint64_t>(recipe.layersPerPage);
    document.layerBytes = document.pageLayerBytes * static_cast<std::uint64_t>(recipe.pages);
    const std::uint64_t stride = (static_cast<std::uint64_t>(recipe.width) + 3) & ~std::uint64_t{3};
    document.bitmapBytes = 1064 + stride * static_cast<std::uint64_t>(recipe.height);
    if (recipe.rova2) {
        const Bytes body = rova_test::Rova2Body(spec);
        document.bodyBytes = body.size();
        document.file = rova_test::Rova2File(body);
    } else {
        document.file = rova_test::LegacyFileBytes(rova_test::LegacyFromDoc(spec));
    }
    return document;
}

}  // namespace rova_bench
