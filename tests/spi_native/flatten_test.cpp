#include "flatten.h"
#include "layer.h"
#include "page.h"
#include "palette.h"
#include "rova_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using rova_test::Bytes;
using rova_test::DocSpec;

// The two blocks of a successful flattening, freed at the end of the test.
struct Dib {
    HLOCAL header = nullptr;
    HLOCAL pixels = nullptr;
    ~Dib()
    {
        LocalFree(header);
        LocalFree(pixels);
    }
};

bool LoadSpec(CRovaDocument& document, const DocSpec& spec)
{
    const Bytes file = rova_test::Rova2Document(spec);
    CMemFile source(file.data(), static_cast<std::uint32_t>(file.size()));
    return document.LoadRova2(source, "???", false);
}

// Flattens and checks the blocks as a host receives them: unlocked,
// of the right sizes, and showing the picture the writer predicts.
void ExpectFlattensTo(const CRovaDocument& document, const rova_test::ExpectedPicture& expected)
{
    Dib dib;
    ASSERT_EQ(FlattenPageToDib(document, &dib.header, &dib.pixels), 0);
    ASSERT_NE(dib.header, nullptr);
    ASSERT_NE(dib.pixels, nullptr);
    EXPECT_EQ(LocalLockCount(dib.header), 0u);
    EXPECT_EQ(LocalLockCount(dib.pixels), 0u);
    EXPECT_EQ(LocalSize(dib.header), kDibHeaderBlockBytes);
    const std::size_t stride = (static_cast<std::size_t>(expected.width) + 3) & ~std::size_t{3};
    EXPECT_EQ(LocalSize(dib.pixels), stride * static_cast<std::size_t>(expected.height));

    const auto* header = static_cast<const std::uint8_t*>(LocalLock(dib.header));
    const auto* pixels = static_cast<const std::uint8_t*>(LocalLock(dib.pixels));
    EXPECT_EQ(rova_test::CompareDib(expected, header, LocalSize(dib.header), pixels, LocalSize(dib.pixels)), "");
    // Row padding is never left with stray bytes.
    for (std::int32_t row = 0; row < expected.height; ++row)
        for (std::size_t x = static_cast<std::size_t>(expected.width); x < stride; ++x)
            ASSERT_EQ(pixels[stride * static_cast<std::size_t>(row) + x], 0) << "padding of row " << row;
    LocalUnlock(dib.header);
    LocalUnlock(dib.pixels);
}

Bytes Ramp(std::size_t count, std::uint8_t first = 1)
{
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>(first + i);
    return bytes;
}

Bytes Colors(std::size_t entries)
{
    Bytes bgr(entries * 3);
    for (std::size_t i = 0; i < bgr.size(); ++i)
        bgr[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return bgr;
}

DocSpec OnePage(std::int32_t width, std::int32_t height, std::vector<Bytes> layers)
{
    DocSpec spec;
    rova_test::DocPage page{width, height, {}};
    for (Bytes& pixels : layers)
        page.layers.push_back({std::move(pixels), ""});
    spec.pages.push_back(page);
    spec.palettes.push_back({Colors(256)});
    return spec;
}

struct FlattenCase {
    const char* name;
    DocSpec spec;
};

std::vector<FlattenCase> FlattenCases()
{
    std::vector<FlattenCase> cases;
    cases.push_back({"one_row_of_four", OnePage(4, 1, {{1, 2, 3, 4}})});
    cases.push_back({"key_0_shows_lower_layer_base_copies_0", OnePage(4, 2, {{0, 9, 0, 9, 9, 0, 9, 0}, {0, 1, 2, 3, 4, 5, 6, 0}})});

    DocSpec nibble = OnePage(4, 1, {{0x20, 0x21, 0xF0, 0x0F}, {5, 5, 5, 5}});
    nibble.nibbleMode = true;
    nibble.transparentIndex = 0x21;   // plays no part in nibble mode
    cases.push_back({"nibble_mode", nibble});

    DocSpec key255 = OnePage(3, 1, {{255, 0, 7}, {1, 2, 3}});
    key255.transparentIndex = 255;
    cases.push_back({"key_255", key255});
    DocSpec key256 = OnePage(3, 1, {{255, 0, 7}, {1, 2, 3}});
    key256.transparentIndex = 256;   // only the low byte counts
    cases.push_back({"key_256_keys_on_0", key256});

    for (std::int32_t width : {1, 3, 4, 5, 7, 8, 13}) {
        const std::int32_t height = 3;
        const std::size_t n = static_cast<std::size_t>(width) * height;
        Bytes top = Ramp(n, 100);
        for (std::size_t i = 0; i < n; i += 2)
            top[i] = 0;
        cases.push_back({"width_stride", OnePage(width, height, {top, Ramp(n, 1), Ramp(n, 50)})});
    }

    // Three layers over each other: the top one is drawn last.
    cases.push_back({"three_layers_order", OnePage(3, 1, {{0, 0, 30}, {0, 20, 20}, {10, 10, 10}})});

    DocSpec deep = OnePage(3, 2, {Bytes(18, 0x55)});
    deep.bitDepth = 24;
    cases.push_back({"24_bits_header_only", deep});

    DocSpec pages;
    pages.pages.push_back({2, 2, {{Ramp(4, 1), ""}}});
    pages.pages.push_back({5, 3, {{Ramp(15, 40), ""}, {Ramp(15, 80), ""}}});
    pages.pages.push_back({1, 1, {{{9}, ""}}});
    for (std::size_t i = 0; i < 3; ++i)
        pages.palettes.push_back({Colors(256 - i)});
    pages.currentPage = 1;
    pages.currentPalette = 2;
    cases.push_back({"chosen_page_and_palette", pages});

    DocSpec small = OnePage(2, 1, {{0, 15}});
    small.colorCount = 16;
    small.palettes[0].bgr = Colors(16);
    cases.push_back({"sixteen_colours", small});
    DocSpec large = OnePage(2, 1, {{0, 255}});
    large.colorCount = 300;
    large.palettes[0].bgr = Colors(300);
    cases.push_back({"only_first_256_colours", large});

    DocSpec twoByte = OnePage(2, 1, {{3, 4}});
    twoByte.paletteFormat = 2;
    cases.push_back({"two_byte_palette_black_table", twoByte});

    DocSpec lateSize = OnePage(4, 2, {Ramp(8)});
    lateSize.pages[0].sizeAfterLayers = true;
    cases.push_back({"page_size_after_layers", lateSize});

    cases.push_back({"page_without_layers", OnePage(6, 2, {})});
    cases.push_back({"shapes", rova_test::ShapesDocument(37, 29)});
    return cases;
}

TEST(FlattenPageToDib, MatchesTheWritersModel)
{
    for (const FlattenCase& c : FlattenCases()) {
        SCOPED_TRACE(c.name);
        CRovaDocument document;
        ASSERT_TRUE(LoadSpec(document, c.spec)) << document.m_strError.Str();
        ExpectFlattensTo(document, rova_test::ExpectedFlattening(c.spec));
    }
}

TEST(FlattenPageToDib, RefusesWithNullHandles)
{
    struct Case {
        const char* name;
        DocSpec spec;
        int result;
    };
    DocSpec noPage = OnePage(2, 2, {Ramp(4)});
    noPage.currentPage.reset();
    DocSpec pageOutOfRange = OnePage(2, 2, {Ramp(4)});
    pageOutOfRange.currentPage = 5;
    DocSpec noPalette = OnePage(2, 2, {Ramp(4)});
    noPalette.currentPalette.reset();
    const Case cases[] = {
        {"height_0", OnePage(4, 0, {{}}), 5},
        {"width_0", OnePage(0, 4, {{}}), 5},
        {"no_current_page", noPage, 8},
        {"current_page_out_of_range", pageOutOfRange, 8},
        {"no_current_palette", noPalette, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CRovaDocument document;
        ASSERT_TRUE(LoadSpec(document, c.spec));
        HLOCAL header = reinterpret_cast<HLOCAL>(1);
        HLOCAL pixels = reinterpret_cast<HLOCAL>(1);
        EXPECT_EQ(FlattenPageToDib(document, &header, &pixels), c.result);
        EXPECT_EQ(header, nullptr);
        EXPECT_EQ(pixels, nullptr);
    }
}

// Page sizes only a hand-built model can have: a pixel block beyond 32 bits
// is refused before anything is allocated.
TEST(FlattenPageToDib, PixelBlockBeyond32BitsIsAMemoryError)
{
    const std::int32_t sizes[][2] = {{0x10000, 0x10000}, {0x7FFFFFFF, 3}, {-4, 2}};
    for (const auto& size : sizes) {
        CRovaDocument document;
        auto page = std::make_unique<CRovaPage>();
        page->m_nWidth = size[0];
        page->m_nHeight = size[1];
        document.m_pages.Append(std::move(page));
        document.m_pages.SetCurrent(0);
        auto palette = std::make_unique<CRovaPalette>();
        ASSERT_TRUE(palette->Create(256, 0, 8, 0, 0));
        document.m_palettes.Append(std::move(palette));
        document.m_palettes.SetCurrent(0);
        HLOCAL header = nullptr;
        HLOCAL pixels = nullptr;
        EXPECT_EQ(FlattenPageToDib(document, &header, &pixels), 5) << size[0] << " x " << size[1];
        EXPECT_EQ(header, nullptr);
        EXPECT_EQ(pixels, nullptr);
    }
}

// A layer whose buffer is smaller than the page contributes only what it holds.
TEST(FlattenPageToDib, LayerSmallerThanThePageIsCopiedAsFarAsItReaches)
{
    DocSpec spec = OnePage(4, 3, {Ramp(12, 1)});
    CRovaDocument document;
    ASSERT_TRUE(LoadSpec(document, spec));
    auto* page = document.m_pages.GetCurrentAs<CRovaPage>();
    auto small = std::make_unique<CRovaLayer>();
    ASSERT_EQ(small->Create(2, 2, 8, 1), 1);
    std::fill_n(small->m_pPixels.get(), 4, std::uint8_t{99});
    page->m_layers.InsertAt(0, std::move(small), 1);   // on top

    rova_test::ExpectedPicture expected = rova_test::ExpectedFlattening(spec);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            expected.indexes[static_cast<std::size_t>(y * 4 + x)] = 99;
    ExpectFlattensTo(document, expected);
}

TEST(RowCopiers, WalkPitchesAndApplyTheirRule)
{
    // Source: 2 rows of 3 pixels with a pitch of 4; destination rows are
    // written bottom-up with a pitch of -5.
    const std::uint8_t src[] = {0x10, 0x21, 7, 0xEE, 0, 0x30, 0x0F, 0xEE};
    struct Case {
        const char* name;
        int copier;
        std::vector<std::uint8_t> expected;   // 10 destination bytes, 0xAA untouched
    };
    const Case cases[] = {
        {"plain", 0, {0, 0x30, 0x0F, 0xAA, 0xAA, 0x10, 0x21, 7, 0xAA, 0xAA}},
        {"keyed_on_7", 1, {0, 0x30, 0x0F, 0xAA, 0xAA, 0x10, 0x21, 0xAA, 0xAA, 0xAA}},
        {"nibble", 2, {0xAA, 0xAA, 0x0F, 0xAA, 0xAA, 0xAA, 0x21, 7, 0xAA, 0xAA}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> dst(10, 0xAA);
        std::uint8_t* top = dst.data() + 5;
        switch (c.copier) {
        case 0: CopyRows(top, -5, 3, 2, src, 4); break;
        case 1: CopyRowsKeyed(top, -5, 3, 2, src, 4, 7); break;
        default: CopyRowsNibbleKeyed(top, -5, 3, 2, src, 4); break;
        }
        EXPECT_EQ(dst, c.expected);
    }

    // Counts of zero or less copy nothing.
    std::vector<std::uint8_t> untouched(10, 0xAA);
    for (const auto& counts : {std::pair{0, 2}, std::pair{3, 0}, std::pair{-1, 2}, std::pair{3, -1}}) {
        CopyRows(untouched.data() + 5, -5, counts.first, counts.second, src, 4);
        CopyRowsKeyed(untouched.data() + 5, -5, counts.first, counts.second, src, 4, 7);
        CopyRowsNibbleKeyed(untouched.data() + 5, -5, counts.first, counts.second, src, 4);
    }
    EXPECT_EQ(untouched, std::vector<std::uint8_t>(10, 0xAA));
}

}  // namespace
