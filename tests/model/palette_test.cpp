#include "palette.h"

#include "chunk_writer.h"
#include "exceptions.h"
#include "file.h"
#include "fresh_defaults.h"
#include "reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <tuple>
#include <vector>

namespace {

using rova_test::Bytes;
using rova_test::ByteWriter;

// Palette chunks on the process-wide defaults: every test starts and ends with
// the load-time values.
class PaletteTest : public rova_test::FreshDefaultsTest {
protected:
    // Loads a palette from a payload of palette chunks and checks the reader
    // ends at the payload's end.
    static std::unique_ptr<CRovaPalette> LoadPalette(const Bytes& payload, std::uint32_t count,
                                                     std::int32_t bitDepth = 8, std::int32_t format = 0)
    {
        CMemFile file(payload.data(), static_cast<std::uint32_t>(payload.size()));
        CRovaReader reader(&file);
        auto palette = std::make_unique<CRovaPalette>();
        palette->Load(&reader, static_cast<std::uint32_t>(payload.size()), count, bitDepth, format);
        EXPECT_EQ(file.GetPosition(), static_cast<std::int32_t>(payload.size()));
        return palette;
    }
};

Bytes Sequence(std::size_t count, std::uint8_t first = 1)
{
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>(first + i);
    return bytes;
}

Bytes Bytes256(std::initializer_list<std::pair<int, std::uint8_t>> cells)
{
    Bytes mask(256, 0);
    for (const auto& [index, value] : cells)
        mask[static_cast<std::size_t>(index)] = value;
    return mask;
}

std::vector<std::uint8_t> ArrayBytes(const CRovaPalette& palette, CRovaPalette::EntryArray which)
{
    const std::uint8_t* data = palette.EntryArrayData(which);
    return std::vector<std::uint8_t>(data, data + palette.EntryArrayBytes(which));
}

struct ArrayCase {
    std::int32_t bitDepth;
    std::int32_t format;
    bool colors24;
    bool colors16;
};

class PaletteArrays : public ::testing::TestWithParam<ArrayCase> {};

TEST_P(PaletteArrays, ColourArrayFollowsBitDepthAndFormat)
{
    const ArrayCase& c = GetParam();
    CRovaPalette palette;
    ASSERT_TRUE(palette.Create(10, 5, c.bitDepth, c.format, 0));
    EXPECT_EQ(palette.m_pColors24 != nullptr, c.colors24);
    EXPECT_EQ(palette.m_pColors16 != nullptr, c.colors16);
    EXPECT_EQ(palette.EntryArrayBytes(CRovaPalette::kColors24), c.colors24 ? 30u : 0u);
    EXPECT_EQ(palette.EntryArrayBytes(CRovaPalette::kColors16), c.colors16 ? 20u : 0u);
    // The per-entry arrays exist whatever the colour layout.
    EXPECT_EQ(palette.EntryArrayBytes(CRovaPalette::kEntryByteA), 10u);
    EXPECT_EQ(palette.EntryArrayBytes(CRovaPalette::kEntryTriples), 60u);
    EXPECT_EQ(palette.m_pSelection, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Cases, PaletteArrays,
                         ::testing::Values(ArrayCase{8, 0, true, false}, ArrayCase{4, 0, true, false},
                                           ArrayCase{1, 1, false, true}, ArrayCase{8, 2, false, true},
                                           ArrayCase{8, 3, false, false}, ArrayCase{15, 0, false, true},
                                           ArrayCase{16, 7, false, true}, ArrayCase{24, 0, true, false},
                                           ArrayCase{24, 2, true, false}, ArrayCase{32, 0, false, false},
                                           ArrayCase{0, 0, false, false}),
                         [](const auto& info) {
                             return "Depth" + std::to_string(info.param.bitDepth) + "Format" +
                                    std::to_string(info.param.format);
                         });

TEST_F(PaletteTest, CreateFillsEntriesWithTheirStartingValues)
{
    CRovaPalette palette;
    EXPECT_EQ(palette.GetNumber(), -1);
    ASSERT_TRUE(palette.Create(256, 5, 8, 0, 1));
    EXPECT_EQ(palette.m_nCount, 256u);
    EXPECT_EQ(palette.GetNumber(), 5);
    EXPECT_EQ(palette.m_strName, CString("5"));
    EXPECT_EQ(ArrayBytes(palette, CRovaPalette::kColors24), std::vector<std::uint8_t>(768, 0));
    EXPECT_EQ(ArrayBytes(palette, CRovaPalette::kEntryByteA), std::vector<std::uint8_t>(256, 0));
    EXPECT_EQ(ArrayBytes(palette, CRovaPalette::kEntryByteB), std::vector<std::uint8_t>(256, 255));
    EXPECT_EQ(ArrayBytes(palette, CRovaPalette::kEntryTriples), std::vector<std::uint8_t>(1536, 0));
    EXPECT_EQ(ArrayBytes(palette, CRovaPalette::kEntryByteC), std::vector<std::uint8_t>(256, 0));
    ASSERT_NE(palette.m_pSelection, nullptr);
    EXPECT_EQ(palette.m_pSelection->m_pMask, nullptr);
    EXPECT_EQ(palette.m_pSelection->m_pPalette, nullptr);

    CRovaPalette negative;
    ASSERT_TRUE(negative.Create(0, -3, 8, 0, 0));
    EXPECT_EQ(negative.m_strName, CString("-3"));
    EXPECT_EQ(negative.EntryArrayBytes(CRovaPalette::kColors24), 0u);
}

TEST_F(PaletteTest, ChunksFillNameNumberFlagsAndSettings)
{
    const Bytes payload = ByteWriter()
                              .Chunk(1001, rova_test::U32(7))
                              .Chunk(1002, rova_test::U8(1))
                              .Chunk(1003, rova_test::U8(0))
                              .Chunk(1004, rova_test::U8(2))
                              .Chunk(2000, rova_test::U32(12345))
                              .Chunk(2001, rova_test::U8(4))
                              .Chunk(2002, rova_test::U8(6))
                              .Chunk(999, rova_test::U32(1));
    auto palette = LoadPalette(payload, 16);
    EXPECT_EQ(palette->m_strName, CString("0"));   // no chunk 1000: the name of number 0
    EXPECT_EQ(palette->GetNumber(), 7);
    EXPECT_EQ(palette->m_bMarked, 1);
    EXPECT_EQ(palette->m_bEnabled, 0);
    EXPECT_EQ(palette->m_bSelected, 2);
    EXPECT_EQ(palette->m_settings.m_dwSetting, 12345u);
    EXPECT_EQ(palette->m_settings.m_bySettingA, 4);
    EXPECT_EQ(palette->m_settings.m_bySettingB, 6);
    ASSERT_NE(palette->m_pSelection, nullptr);

    // 2001 and 2002 leak into every later record, of this document or the
    // next; 2000 does not.
    auto next = LoadPalette(ByteWriter().Chunk(1000, rova_test::Text("Skin")), 16);
    EXPECT_EQ(next->m_strName, CString("Skin"));
    EXPECT_EQ(next->GetNumber(), 0);
    EXPECT_EQ(next->m_settings.m_dwSetting, 100u);
    EXPECT_EQ(next->m_settings.m_bySettingA, 4);
    EXPECT_EQ(next->m_settings.m_bySettingB, 6);
}

TEST_F(PaletteTest, RawChunksFillArraysLittleEndian)
{
    const Bytes payload = ByteWriter()
                              .Chunk(1005, Sequence(30))
                              .Chunk(1007, Bytes{9, 8})
                              .Chunk(1008, Bytes{1})
                              .Chunk(1009, Bytes{0x34, 0x12, 0xFE, 0xFF, 0x00, 0x80})
                              .Chunk(1010, Bytes{7, 7, 7});
    auto palette = LoadPalette(payload, 256);
    std::vector<std::uint8_t> colours(768, 0);
    std::copy_n(Sequence(30).begin(), 30, colours.begin());
    EXPECT_EQ(ArrayBytes(*palette, CRovaPalette::kColors24), colours);   // 10 colours, the rest black
    EXPECT_EQ(palette->m_pEntryByteA[0], 9);
    EXPECT_EQ(palette->m_pEntryByteA[1], 8);
    EXPECT_EQ(palette->m_pEntryByteA[2], 0);
    EXPECT_EQ(palette->m_pEntryByteB[0], 1);
    EXPECT_EQ(palette->m_pEntryByteB[1], 255);
    EXPECT_EQ(palette->m_pEntryTriples[0].a, 0x1234);
    EXPECT_EQ(palette->m_pEntryTriples[0].b, -2);
    EXPECT_EQ(palette->m_pEntryTriples[0].c, -32768);
    EXPECT_EQ(palette->m_pEntryTriples[1].a, 0);
    EXPECT_EQ(palette->m_pEntryByteC[2], 7);
    EXPECT_EQ(palette->m_pEntryByteC[3], 0);

    auto wide = LoadPalette(ByteWriter().Chunk(1006, Bytes{0x1F, 0x7C, 0xE0, 0x03}), 4, 16, 0);
    EXPECT_EQ(wide->m_pColors16[0], 0x7C1F);
    EXPECT_EQ(wide->m_pColors16[1], 0x03E0);
    EXPECT_EQ(wide->m_pColors16[2], 0);
}

// Chunks that do not fit their array: the copy stops at the array's end or is
// skipped, and the chunk after them is read from its own header all the same.
TEST_F(PaletteTest, RawChunksAreBoundedByTheirArray)
{
    struct Case {
        const char* name;
        std::int32_t format;
        std::uint16_t id;
        Bytes payload;
    };
    const Case cases[] = {
        {"OversizedColours", 0, 1005, Sequence(4 * 3 + 50)},
        {"OversizedByteB", 0, 1008, Sequence(200)},
        {"OversizedTriples", 0, 1009, Sequence(4 * 6 + 1)},
        {"NoThreeByteColoursInFormat1", 1, 1005, Sequence(12)},
        {"NoTwoByteColoursInFormat0", 0, 1006, Sequence(8)},
        {"NoColoursInFormat3", 3, 1006, Sequence(8)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes payload = ByteWriter().Chunk(c.id, c.payload).Chunk(1001, rova_test::U32(33));
        auto palette = LoadPalette(payload, 4, 8, c.format);
        EXPECT_EQ(palette->GetNumber(), 33);
        const auto which = static_cast<CRovaPalette::EntryArray>(c.id - 1005);
        const std::vector<std::uint8_t> filled = ArrayBytes(*palette, which);
        EXPECT_TRUE(std::equal(filled.begin(), filled.end(), c.payload.begin()));
    }
}

TEST_F(PaletteTest, RawChunkLongerThanTheDataRaisesFileException)
{
    const Bytes payload = ByteWriter().ChunkDeclaring(1005, 12, Sequence(5));
    CMemFile file(payload.data(), static_cast<std::uint32_t>(payload.size()));
    CRovaReader reader(&file);
    CRovaPalette palette;
    EXPECT_THROW(palette.Load(&reader, static_cast<std::uint32_t>(payload.size()), 4, 8, 0), CFileException);
}

Bytes SelectionPayload(const Bytes& selectionChunks)
{
    return ByteWriter().Chunk(1011, selectionChunks);
}

TEST_F(PaletteTest, SelectionMaskMakesASubPaletteWithItsOutline)
{
    const Bytes mask = Bytes256({{0, 1}, {1, 9}, {17, 1}});
    const Bytes payload = SelectionPayload(ByteWriter()
                                               .Chunk(1000, mask)
                                               .Chunk(1002, Bytes{0x01, 0x80, 0x02, 0x00})
                                               .Chunk(1004, Bytes{5, 6, 7, 8}));
    auto palette = LoadPalette(payload, 256, 8, 2);
    const CRovaPaletteSelection& selection = *palette->m_pSelection;
    ASSERT_NE(selection.m_pMask, nullptr);
    EXPECT_EQ(std::vector<std::uint8_t>(selection.m_pMask.get(), selection.m_pMask.get() + 256), mask);
    EXPECT_EQ(selection.m_nCellCount, 3);
    ASSERT_NE(selection.m_pPalette, nullptr);
    const CRovaPalette& sub = *selection.m_pPalette;
    EXPECT_EQ(sub.m_nCount, 3u);
    EXPECT_EQ(sub.m_nBitDepth, 8);
    EXPECT_EQ(sub.m_nFormat, 2);
    EXPECT_EQ(sub.m_pColors16[0], 0x8001);
    EXPECT_EQ(sub.m_pColors16[1], 0x0002);
    EXPECT_EQ(ArrayBytes(sub, CRovaPalette::kEntryByteB), (std::vector<std::uint8_t>{5, 6, 7}));
    ASSERT_NE(sub.m_pSelection, nullptr);
    EXPECT_EQ(sub.m_pSelection->m_pMask, nullptr);

    CRovaOutline expected;
    expected.Build(mask.data(), 16, 16, 1);
    std::vector<std::tuple<int, int, int>> want, got;
    for (auto* s = expected.GetHead(); s; s = s->next)
        want.emplace_back(s->x, s->y, s->side);
    for (auto* s = selection.m_outline.GetHead(); s; s = s->next)
        got.emplace_back(s->x, s->y, s->side);
    EXPECT_EQ(got, want);
    EXPECT_EQ(got.size(), 8u);   // an L of three cells
}

TEST_F(PaletteTest, SelectionChunksWithoutTargetOrOfOddSizeStaySound)
{
    // Arrays before any mask have no sub-palette to go to.
    {
        auto palette = LoadPalette(SelectionPayload(ByteWriter().Chunk(1001, Sequence(9))), 16);
        EXPECT_EQ(palette->m_pSelection->m_pPalette, nullptr);
        EXPECT_EQ(palette->m_pSelection->m_pMask, nullptr);
    }
    // An all-clear mask leaves the selection empty, so later arrays are skipped too.
    {
        auto palette = LoadPalette(
            SelectionPayload(ByteWriter().Chunk(1000, Bytes(256, 0)).Chunk(1001, Sequence(9))), 16);
        EXPECT_EQ(palette->m_pSelection->m_pMask, nullptr);
        EXPECT_EQ(palette->m_pSelection->m_pPalette, nullptr);
        EXPECT_TRUE(palette->m_pSelection->m_outline.IsEmpty());
    }
    // A short mask leaves the missing cells clear; a long one is cut at 256
    // bytes; arrays are bounded by the sub-palette.
    {
        const Bytes payload = SelectionPayload(ByteWriter()
                                                   .Chunk(1000, Bytes{0, 1, 1})
                                                   .Chunk(1001, Sequence(40))
                                                   .Chunk(1005, Sequence(40)));
        auto palette = LoadPalette(payload, 16);
        const CRovaPaletteSelection& selection = *palette->m_pSelection;
        EXPECT_EQ(selection.m_nCellCount, 2);
        EXPECT_EQ(selection.m_pMask[3], 0);
        EXPECT_EQ(ArrayBytes(*selection.m_pPalette, CRovaPalette::kColors24), Sequence(6));
        EXPECT_EQ(ArrayBytes(*selection.m_pPalette, CRovaPalette::kEntryTriples), Sequence(12));
    }
    {
        Bytes longMask(256, 0);
        longMask[255] = 1;
        longMask.insert(longMask.end(), 20, 1);
        auto palette = LoadPalette(SelectionPayload(ByteWriter().Chunk(1000, longMask)), 16);
        EXPECT_EQ(palette->m_pSelection->m_nCellCount, 1);
    }
    // A later mask replaces the earlier one together with its sub-palette.
    {
        const Bytes payload = SelectionPayload(ByteWriter()
                                                   .Chunk(1000, Bytes256({{0, 1}, {1, 1}}))
                                                   .Chunk(1001, Sequence(6))
                                                   .Chunk(1000, Bytes256({{200, 1}})));
        auto palette = LoadPalette(payload, 16);
        const CRovaPaletteSelection& selection = *palette->m_pSelection;
        EXPECT_EQ(selection.m_nCellCount, 1);
        EXPECT_EQ(selection.m_pPalette->m_nCount, 1u);
        EXPECT_EQ(ArrayBytes(*selection.m_pPalette, CRovaPalette::kColors24), Bytes(3, 0));
        EXPECT_EQ(selection.m_outline.GetHead()->x, 200 % 16);
        EXPECT_EQ(selection.m_outline.GetHead()->y, 200 / 16);
    }
}

TEST_F(PaletteTest, CloneIsIndependentAndKeepsConstructionFlags)
{
    const Bytes payload =
        ByteWriter()
            .Chunk(1000, rova_test::Text("Sea"))
            .Chunk(1001, rova_test::U32(12))
            .Chunk(1002, rova_test::U8(1))
            .Chunk(1003, rova_test::U8(0))
            .Chunk(1004, rova_test::U8(1))
            .Chunk(1005, Sequence(12))
            .Chunk(1007, Sequence(4, 10))
            .Chunk(1008, Sequence(4, 20))
            .Chunk(1009, Sequence(24, 30))
            .Chunk(1010, Sequence(4, 60))
            .Chunk(2000, rova_test::U32(555))
            .Chunk(2001, rova_test::U8(8))
            .Chunk(1011, ByteWriter().Chunk(1000, Bytes256({{5, 1}, {6, 1}})).Chunk(1001, Sequence(6, 90)));
    auto original = LoadPalette(payload, 4);
    CRovaSettings::ResetDefaults();   // the clone's settings must come from the original, not the defaults

    std::unique_ptr<CRovaItem> item = original->Clone();
    auto* clone = dynamic_cast<CRovaPalette*>(item.get());
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->m_strName, CString("Sea"));
    EXPECT_EQ(clone->GetNumber(), 12);
    EXPECT_EQ(clone->m_nCount, 4u);
    EXPECT_EQ(clone->m_settings.m_dwSetting, 555u);
    EXPECT_EQ(clone->m_settings.m_bySettingA, 8);
    EXPECT_EQ(clone->m_settings.m_bySettingB, 2);
    EXPECT_EQ(std::make_tuple(clone->m_bMarked, clone->m_bEnabled, clone->m_bSelected), std::make_tuple(0, 1, 0));

    for (int i = 0; i < CRovaPalette::kEntryArrayCount; ++i) {
        const auto which = static_cast<CRovaPalette::EntryArray>(i);
        EXPECT_EQ(ArrayBytes(*clone, which), ArrayBytes(*original, which)) << i;
        if (original->EntryArrayData(which)) {
            EXPECT_NE(clone->EntryArrayData(which), original->EntryArrayData(which)) << i;
        }
    }
    const CRovaPaletteSelection& selection = *clone->m_pSelection;
    ASSERT_NE(selection.m_pMask, nullptr);
    EXPECT_NE(selection.m_pMask.get(), original->m_pSelection->m_pMask.get());
    EXPECT_EQ(selection.m_pMask[5], 1);
    EXPECT_EQ(selection.m_nCellCount, 2);
    ASSERT_NE(selection.m_pPalette, nullptr);
    EXPECT_EQ(ArrayBytes(*selection.m_pPalette, CRovaPalette::kColors24), Sequence(6, 90));
    EXPECT_FALSE(selection.m_outline.IsEmpty());

    // Changing the original afterwards leaves the clone as it was.
    original->m_pColors24[0] = 0xEE;
    original->m_pSelection->m_pPalette->m_pColors24[0] = 0xEE;
    original->m_pSelection->Clear();
    original.reset();
    EXPECT_EQ(clone->m_pColors24[0], 1);
    EXPECT_EQ(selection.m_pPalette->m_pColors24[0], 90);
}

TEST_F(PaletteTest, CopyEntriesCopiesOnlyWhatBothPalettesHold)
{
    CRovaPalette source;
    source.Create(2, 0, 8, 0, 0);
    std::fill_n(source.m_pColors24.get(), 6, std::uint8_t{0xAA});
    std::fill_n(source.m_pEntryByteA.get(), 2, std::uint8_t{3});

    CRovaPalette larger;
    larger.CreateLike(source, 5, 0);
    EXPECT_EQ(larger.m_nCount, 5u);
    EXPECT_EQ(larger.m_nBitDepth, 8);
    larger.CopyEntries(source);
    EXPECT_EQ(ArrayBytes(larger, CRovaPalette::kColors24),
              (std::vector<std::uint8_t>{0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(ArrayBytes(larger, CRovaPalette::kEntryByteA), (std::vector<std::uint8_t>{3, 3, 0, 0, 0}));

    CRovaPalette wide;
    wide.Create(2, 0, 16, 0, 0);
    wide.m_pColors16[0] = 0x1234;
    wide.CopyEntries(source);   // no two-byte colours in the source: left alone
    EXPECT_EQ(wide.m_pColors16[0], 0x1234);
    EXPECT_EQ(wide.m_pEntryByteA[1], 3);

    CRovaPalette same;
    EXPECT_TRUE(same.CreateLike(source, -1, 1));
    EXPECT_EQ(same.m_nCount, 2u);
    EXPECT_NE(same.m_pSelection, nullptr);
    EXPECT_FALSE(same.CreateLike(source, -2, 0));
}

TEST(PaletteSelectionTest, SetMaskCopyFromAndClear)
{
    CRovaPaletteSelection selection;
    auto mask = std::make_unique<std::uint8_t[]>(256);
    mask[0] = mask[16] = mask[32] = 1;
    ASSERT_TRUE(selection.SetMask(std::move(mask), 24, 0));
    EXPECT_EQ(selection.m_nCellCount, 3);
    EXPECT_EQ(selection.m_pPalette->m_nCount, 3u);
    EXPECT_NE(selection.m_pPalette->m_pColors24, nullptr);
    selection.m_pPalette->m_pEntryByteC[2] = 77;

    CRovaPaletteSelection copy;
    ASSERT_TRUE(copy.CopyFrom(selection));
    EXPECT_EQ(copy.m_nCellCount, 3);
    EXPECT_EQ(copy.m_pPalette->m_nBitDepth, 24);
    EXPECT_EQ(copy.m_pPalette->m_pEntryByteC[2], 77);
    EXPECT_EQ(copy.m_pMask[32], 1);
    EXPECT_TRUE(copy.CopyFrom(copy));
    EXPECT_EQ(copy.m_nCellCount, 3);

    selection.Clear();
    EXPECT_EQ(selection.m_pMask, nullptr);
    EXPECT_EQ(selection.m_pPalette, nullptr);
    EXPECT_TRUE(selection.m_outline.IsEmpty());
    EXPECT_EQ(selection.m_nCellCount, 3);   // kept by Clear

    ASSERT_TRUE(copy.CopyFrom(selection));   // from an empty selection: empty
    EXPECT_EQ(copy.m_pMask, nullptr);
    EXPECT_EQ(copy.m_pPalette, nullptr);
    EXPECT_TRUE(copy.SetMask(nullptr, 8, 0));
}

}  // namespace
