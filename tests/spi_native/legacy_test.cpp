#include "flatten.h"
#include "layer.h"
#include "legacy.h"
#include "page.h"
#include "palette.h"
#include "rova_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using rova_test::Bytes;
using rova_test::LegacyBlock;
using rova_test::LegacyFile;
using rova_test::LegacyRun;

constexpr std::uint8_t kUntouched = 0xEE;
constexpr std::size_t kGuardBytes = 8;

// Reads one block from its bytes and expands it into outputSize bytes that
// start as kUntouched, followed by guard bytes that must stay so.
Bytes Expand(const LegacyBlock& block, std::uint32_t outputSize)
{
    const Bytes bytes = rova_test::LegacyBlockBytes(block);
    CMemFile file(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    CRovaReader reader(&file);
    CRovaRunBlock runBlock;
    runBlock.Read(reader, outputSize);
    EXPECT_EQ(file.GetPosition(), static_cast<std::int32_t>(bytes.size())) << "the whole block is consumed";
    Bytes out(outputSize + kGuardBytes, kUntouched);
    runBlock.Expand(out.data());
    EXPECT_EQ(Bytes(out.begin() + outputSize, out.end()), Bytes(kGuardBytes, kUntouched)) << "write past the output";
    EXPECT_TRUE(runBlock.m_runs.empty());
    EXPECT_EQ(runBlock.m_nDataSize, 0u);
    out.resize(outputSize);
    return out;
}

TEST(CRovaRunBlock, ExpandsRunsBetweenLiterals)
{
    constexpr std::uint8_t E = kUntouched;
    constexpr std::uint32_t kHuge = 0xFFFFFFFFu;
    struct Case {
        const char* name;
        LegacyBlock block;
        std::uint32_t outputSize;
        Bytes expected;
    };
    const Case cases[] = {
        {"literals_only", {{}, {1, 2, 3, 4}}, 4, {1, 2, 3, 4}},
        {"run_inside_literals", {{{1, 2, 5}}, {7, 9}}, 4, {7, 5, 5, 9}},
        {"two_runs_at_0_no_literals", {{{0, 2, 1}, {0, 1, 2}}, {}}, 3, {1, 1, 2}},
        {"run_after_last_literal", {{{2, 2, 9}}, {1, 2}}, 4, {1, 2, 9, 9}},
        {"run_cut_at_last_pixel", {{{1, 10, 5}}, {1, 6}}, 4, {1, 5, 5, 5}},
        {"literals_beyond_output_dropped", {{}, {1, 2, 3, 4, 5, 6}}, 4, {1, 2, 3, 4}},
        {"short_block_leaves_rest", {{}, {1, 2}}, 4, {1, 2, E, E}},
        // Runs are taken in record order: one already behind stops the expansion of runs.
        {"run_out_of_order_stops_runs", {{{2, 1, 9}, {1, 1, 8}, {3, 1, 7}}, {1, 2, 3, 4}}, 8, {1, 2, 9, 3, 4, E, E, E}},
        {"run_beyond_literal_count", {{{5, 1, 9}}, {1, 2}}, 4, {1, 2, E, E}},
        {"huge_run", {{{0, kHuge, 3}}, {8}}, 4, {3, 3, 3, 3}},
        // Two runs of 2^32 - 1 would bring a 32-bit index back to 0.
        {"lengths_do_not_wrap", {{{0, kHuge, 1}, {0, kHuge, 2}, {0, 2, 3}}, {9}}, 4, {1, 1, 1, 1}},
        {"empty_output", {{{0, 3, 1}}, {1, 2}}, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Expand(c.block, c.outputSize), c.expected);
    }
}

TEST(CRovaRunBlock, CountsBeyondTheDataFailWithoutReservingThem)
{
    struct Case {
        const char* name;
        LegacyBlock block;
    };
    LegacyBlock manyRuns{{{0, 1, 1}}, {1}};
    manyRuns.declaredRunCount = 0xFFFFFFFFu;
    LegacyBlock manyLiterals{{}, Bytes(90, 1)};
    manyLiterals.declaredLiteralCount = 0xFFFFFFFFu;
    LegacyBlock oneMoreLiteral{{}, Bytes(3, 1)};
    oneMoreLiteral.declaredLiteralCount = 4;
    const Case cases[] = {{"run_count", manyRuns}, {"literal_count", manyLiterals}, {"one_literal_short", oneMoreLiteral}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes bytes = rova_test::LegacyBlockBytes(c.block);
        CMemFile file(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        CRovaReader reader(&file);
        CRovaRunBlock block;
        EXPECT_THROW(block.Read(reader, 1u << 20), CFileException);
    }
}

// The writer's own coding round-trips through the reader.
TEST(CRovaRunBlock, ReadsWhatAnEditorWrites)
{
    Bytes pixels;
    for (int i = 0; i < 300; ++i)
        pixels.push_back(static_cast<std::uint8_t>((i / 7) % 3 == 0 ? 4 : i));
    const LegacyBlock block = rova_test::RunCode(pixels);
    ASSERT_FALSE(block.runs.empty());
    EXPECT_EQ(Expand(block, static_cast<std::uint32_t>(pixels.size())), pixels);
}

LegacyFile ThreeLayerFile()
{
    LegacyFile file;
    file.width = 3;
    file.height = 2;
    file.transparentIndex = 255;
    for (int i = 0; i < 256; ++i) {
        file.paletteRgb[3 * i + 0] = static_cast<std::uint8_t>(i);         // red
        file.paletteRgb[3 * i + 1] = static_cast<std::uint8_t>(i ^ 0x55);  // green
        file.paletteRgb[3 * i + 2] = static_cast<std::uint8_t>(255 - i);   // blue
    }
    file.layers.push_back({"A", 4, rova_test::RunCode({1, 255, 255, 255, 255, 1})});
    file.layers.push_back({"B", 0, rova_test::RunCode({2, 2, 255, 255, 2, 2})});
    file.layers.push_back({"C", 1, rova_test::RunCode({3, 3, 3, 3, 3, 255})});
    return file;
}

bool ReadFile(const Bytes& bytes, CRovaDocument& document)
{
    CMemFile file(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    return ReadLegacyDocument(file, document);
}

TEST(ReadLegacyDocument, BuildsTheModelFromTheTopLayerDown)
{
    CRovaDocument document;
    ASSERT_TRUE(ReadFile(rova_test::LegacyFileBytes(ThreeLayerFile()), document));
    EXPECT_EQ(document.m_nTransparentIndex, 255);
    EXPECT_EQ(document.m_bNibbleMode, 0);

    const auto* palette = document.m_palettes.GetCurrentAs<CRovaPalette>();
    ASSERT_NE(palette, nullptr);
    const std::uint8_t* bgr = palette->m_pColors24.get();
    for (int i : {0, 1, 128, 255}) {
        EXPECT_EQ(bgr[3 * i + 0], 255 - i) << i;
        EXPECT_EQ(bgr[3 * i + 1], i ^ 0x55) << i;
        EXPECT_EQ(bgr[3 * i + 2], i) << i;
    }

    const auto* page = document.m_pages.GetCurrentAs<CRovaPage>();
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(page->m_layers.GetCount(), 3);
    const char* names[] = {"A", "B", "C"};
    const std::uint8_t options[] = {4, 0, 1};
    for (int i = 0; i < 3; ++i) {
        const auto* layer = page->m_layers.GetAtAs<CRovaLayer>(i);
        EXPECT_EQ(layer->m_strName.Str(), names[i]);
        EXPECT_EQ(layer->m_byLayerOption, options[i]);
    }

    // A covers B and B covers C wherever they are not 255.
    HLOCAL header = nullptr;
    HLOCAL pixels = nullptr;
    ASSERT_EQ(FlattenPageToDib(document, &header, &pixels), 0);
    const auto* rows = static_cast<const std::uint8_t*>(LocalLock(pixels));
    EXPECT_EQ(Bytes(rows + 4, rows + 7), (Bytes{1, 2, 3}));   // top row, stored last
    EXPECT_EQ(Bytes(rows, rows + 3), (Bytes{3, 2, 1}));
    LocalUnlock(pixels);
    LocalFree(header);
    LocalFree(pixels);
}

TEST(ReadLegacyDocument, NamesAndLayerCounts)
{
    {
        LegacyFile file = ThreeLayerFile();
        file.layers.resize(1);
        file.layers[0].name = std::string(80, 'N');
        CRovaDocument document;
        ASSERT_TRUE(ReadFile(rova_test::LegacyFileBytes(file), document));
        const auto* layer = document.m_pages.GetCurrentAs<CRovaPage>()->m_layers.GetAtAs<CRovaLayer>(0);
        EXPECT_EQ(layer->m_strName.Str(), std::string(79, 'N'));
    }
    {
        LegacyFile file = ThreeLayerFile();
        file.layers.clear();
        CRovaDocument document;
        ASSERT_TRUE(ReadFile(rova_test::LegacyFileBytes(file), document));
        EXPECT_EQ(document.m_pages.GetCurrentAs<CRovaPage>()->m_layers.GetCount(), 1);
    }
}

TEST(ReadLegacyDocument, RefusalsAndFailures)
{
    LegacyFile wrongFifth = ThreeLayerFile();
    wrongFifth.signature[4] = '1';
    CRovaDocument refused;
    EXPECT_FALSE(ReadFile(rova_test::LegacyFileBytes(wrongFifth), refused));
    EXPECT_EQ(refused.m_pages.GetCount(), 0);

    const Bytes whole = rova_test::LegacyFileBytes(ThreeLayerFile());
    for (std::size_t cut : {std::size_t{5}, std::size_t{15}, std::size_t{500}, whole.size() - 1}) {
        CRovaDocument document;
        EXPECT_THROW(ReadFile(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)), document),
                     CFileException)
            << "cut at " << cut;
    }

    // A page no memory can hold is a memory error, not a crash.
    for (std::uint32_t side : {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
        LegacyFile huge = ThreeLayerFile();
        huge.width = side;
        huge.height = side;
        CRovaDocument document;
        EXPECT_THROW(ReadFile(rova_test::LegacyFileBytes(huge), document), CMemoryException) << side;
    }
}

}  // namespace
