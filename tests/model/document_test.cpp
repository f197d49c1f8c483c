#include "document.h"

#include "chunk_stream.h"
#include "chunk_writer.h"
#include "exceptions.h"
#include "layer.h"
#include "messagebox.h"
#include "page.h"
#include "palette.h"
#include "settings.h"
#include "texts.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using rova_test::Bytes;
using rova_test::Chunk;
using rova_test::Concat;
using rova_test::U16;
using rova_test::U32;
using rova_test::U8;

struct ShownBox {
    std::string text;
    unsigned type;
};

class DocumentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CRovaSettings::ResetDefaults();
        m_previousHook = SetMessageBoxHook([this](const char* text, unsigned type) {
            m_boxes.push_back({text, type});
            return IDOK_RESULT;
        });
    }
    void TearDown() override
    {
        SetMessageBoxHook(m_previousHook);
        CRovaSettings::ResetDefaults();
    }

    std::vector<ShownBox> m_boxes;
    MessageBoxHook m_previousHook;
};

void ReadBody(CRovaDocument& document, const Bytes& body)
{
    rova_test::WalkBytes(body, CRovaDocument::ReadDocumentChunk, &document);
}

TEST_F(DocumentTest, ConstructionDefaults)
{
    CRovaDocument document;
    EXPECT_EQ(document.m_bCreated, 0);
    EXPECT_EQ(document.m_pages.GetCount(), 0);
    EXPECT_EQ(document.m_palettes.GetCount(), 0);
    EXPECT_EQ(document.m_nBitDepth, 0);
    EXPECT_EQ(document.m_nColorCount, 0u);
    EXPECT_EQ(document.m_nTransparentIndex, 0);
    EXPECT_EQ(document.m_bNibbleMode, 0);
    EXPECT_EQ(document.m_nNibbleModeLow, 8);
    EXPECT_EQ(document.m_nNibbleModeHigh, 8);
    EXPECT_EQ(document.m_pAuxQuad, nullptr);
    EXPECT_EQ(document.m_auxPair.m_byValueA, 1);
    EXPECT_EQ(document.m_auxPair.m_byValueB, 0);
}

TEST_F(DocumentTest, CreateMakesOneCurrentPageAndPalette)
{
    CRovaDocument document;
    ASSERT_TRUE(document.Create(40, 30, 8, 256, 0, 1));
    EXPECT_TRUE(m_boxes.empty());
    EXPECT_EQ(document.m_bCreated, 1);
    EXPECT_EQ(document.m_nBitDepth, 8);
    EXPECT_EQ(document.m_nNextPageNumber, 1u);
    EXPECT_EQ(document.m_nNextPaletteNumber, 1u);

    const auto* page = document.m_pages.GetCurrentAs<CRovaPage>();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->m_strName, CString("000Page"));
    EXPECT_EQ(page->m_nWidth, 40);
    ASSERT_NE(page->m_layers.GetCurrentAs<CRovaLayer>(), nullptr);
    EXPECT_EQ(page->m_layers.GetCurrentAs<CRovaLayer>()->GetPixelBytes(), 1200u);

    const auto* palette = document.m_palettes.GetCurrentAs<CRovaPalette>();
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette->m_nCount, 256u);
    EXPECT_NE(palette->m_pColors24, nullptr);
    EXPECT_NE(palette->m_pSelection, nullptr);

    // A second Create starts over.
    ASSERT_TRUE(document.Create(8, 8, 24, 16, 0, 1));
    EXPECT_EQ(document.m_pages.GetCount(), 1);
    EXPECT_EQ(document.m_pages.GetCurrentAs<CRovaPage>()->m_strName, CString("001Page"));
}

TEST_F(DocumentTest, CreateWithAnUnsupportedBitDepthShowsTheBoxAndLeavesTheDocumentCleared)
{
    for (std::int32_t bitDepth : {32, 0, 2, 7}) {
        SCOPED_TRACE(bitDepth);
        m_boxes.clear();
        CRovaDocument document;
        ASSERT_TRUE(document.Create(4, 4, 8, 16, 0, 1));
        EXPECT_FALSE(document.Create(4, 4, bitDepth, 99, 1, 1));
        ASSERT_EQ(m_boxes.size(), 1u);
        EXPECT_EQ(m_boxes[0].text, std::string(texts::kUnsupportedBitDepth));
        EXPECT_EQ(m_boxes[0].type, MB_OK_ONLY);
        EXPECT_EQ(document.m_bCreated, 0);
        EXPECT_EQ(document.m_pages.GetCount(), 0);
        EXPECT_EQ(document.m_palettes.GetCount(), 0);
        EXPECT_EQ(document.m_nBitDepth, 8);   // settings untouched
        EXPECT_EQ(document.m_nColorCount, 16u);
        EXPECT_FALSE(document.AddPage(0, 4, 4, 1));
    }
}

TEST_F(DocumentTest, CreateWithASizeNoBufferCanHoldRaisesAndLeavesTheDocumentUncreated)
{
    CRovaDocument document;
    EXPECT_THROW(document.Create(-1, 4, 8, 256, 0, 1), CMemoryException);
    EXPECT_EQ(document.m_bCreated, 0);
    EXPECT_EQ(document.m_pages.GetCount(), 0);
    EXPECT_FALSE(document.AddPalette(0, 1));
}

TEST_F(DocumentTest, CreateWithoutFirstObjectsThenAddPageAndPalette)
{
    CRovaDocument document;
    EXPECT_FALSE(document.AddPage(0, 4, 4, 1));
    EXPECT_FALSE(document.AddPalette(0, 1));

    ASSERT_TRUE(document.Create(4, 4, 16, 8, 1, 0));
    EXPECT_EQ(document.m_bCreated, 1);
    EXPECT_EQ(document.m_pages.GetCount(), 0);
    EXPECT_EQ(document.m_palettes.GetCount(), 0);

    ASSERT_TRUE(document.AddPage(0, 4, 4, 1));
    EXPECT_EQ(document.m_pages.GetCurrentAs<CRovaPage>()->GetNumber(), 0);
    EXPECT_EQ(document.m_nNextPageNumber, 1u);
    ASSERT_TRUE(document.AddPage(0, 4, 4, 0));   // on top; the first page stays current
    EXPECT_EQ(document.m_pages.GetCurrentIndex(), 1);
    EXPECT_EQ(document.m_pages.GetAtAs<CRovaPage>(0)->GetNumber(), 1);
    EXPECT_EQ(document.m_nNextPageNumber, 1u);

    ASSERT_TRUE(document.AddPalette(0, 1));
    const auto* palette = document.m_palettes.GetCurrentAs<CRovaPalette>();
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette->m_nCount, 8u);
    EXPECT_NE(palette->m_pColors16, nullptr);
    EXPECT_EQ(document.m_nNextPaletteNumber, 1u);
}

TEST_F(DocumentTest, ClearEmptiesTheListsButKeepsTheSettings)
{
    CRovaDocument document;
    ASSERT_TRUE(document.Create(4, 4, 8, 256, 0, 1));
    ReadBody(document, Concat({Chunk(1004, {}), Chunk(3006, U32(5)), Chunk(4000, U32(0))}));
    ASSERT_NE(document.m_pAuxQuad, nullptr);
    document.Clear();
    EXPECT_EQ(document.m_bCreated, 0);
    EXPECT_EQ(document.m_pages.GetCount(), 0);
    EXPECT_EQ(document.m_pages.GetCurrentIndex(), -1);
    EXPECT_EQ(document.m_palettes.GetCount(), 0);
    EXPECT_EQ(document.m_palettes.GetCurrentIndex(), -1);
    EXPECT_EQ(document.m_pAuxQuad, nullptr);
    EXPECT_EQ(document.m_nBitDepth, 8);
    EXPECT_EQ(document.m_nColorCount, 256u);
    EXPECT_EQ(document.m_nNextPageNumber, 1u);
    EXPECT_EQ(document.m_nTransparentIndex, 5);
    EXPECT_EQ(document.m_bNibbleMode, 1);
}

// One top-level chunk sequence and what it must leave in a fresh document.
struct ChunkCase {
    const char* title;
    Bytes body;
    std::function<void(const CRovaDocument&)> check;
};

TEST_F(DocumentTest, ScalarChunksSetTheirMembers)
{
    const ChunkCase cases[] = {
        {"bit depth, formats and options",
         Concat({Chunk(1000, U8(24)), Chunk(1001, U8(2)), Chunk(1002, U8(5)), Chunk(1003, U8(6)),
                 Chunk(2002, U8(7))}),
         [](const CRovaDocument& d) {
             EXPECT_EQ(d.m_nBitDepth, 24);
             EXPECT_EQ(d.m_nPaletteFormat, 2);
             EXPECT_EQ(d.m_nOption1002, 5);
             EXPECT_EQ(d.m_nOption1003, 6);
             EXPECT_EQ(d.m_nOption2002, 7);
         }},
        {"counters and stored values",
         Concat({Chunk(2001, U32(12)), Chunk(3002, U32(13)), Chunk(3005, U32(0xDEADBEEF)),
                 Chunk(3006, U32(0xFFFFFFFF))}),
         [](const CRovaDocument& d) {
             EXPECT_EQ(d.m_nNextPageNumber, 12u);
             EXPECT_EQ(d.m_nNextPaletteNumber, 13u);
             EXPECT_EQ(d.m_nValue3005, 0xDEADBEEFu);
             EXPECT_EQ(d.m_nTransparentIndex, -1);
         }},
        {"colour count takes two bytes whatever the chunk declares",
         Chunk(3001, {0xFF, 0xFF, 0x01, 0x00}),
         [](const CRovaDocument& d) { EXPECT_EQ(d.m_nColorCount, 65535u); }},
        {"a repeated chunk leaves the last value",
         Concat({Chunk(1000, U8(4)), Chunk(3006, U32(3)), Chunk(1000, U8(8)), Chunk(3006, U32(9))}),
         [](const CRovaDocument& d) {
             EXPECT_EQ(d.m_nBitDepth, 8);
             EXPECT_EQ(d.m_nTransparentIndex, 9);
         }},
        {"nibble mode splits its value", Chunk(4000, {0x10, 0x00, 0x20, 0x00}),
         [](const CRovaDocument& d) {
             EXPECT_EQ(d.m_bNibbleMode, 1);
             EXPECT_EQ(d.m_nNibbleModeLow, 16);
             EXPECT_EQ(d.m_nNibbleModeHigh, 32);
         }},
        {"unused and unknown identifiers change nothing",
         Concat({Chunk(2000, U16(1)), Chunk(3000, U16(2)), Chunk(999, U32(3)), Chunk(5000, U8(4))}),
         [](const CRovaDocument& d) {
             EXPECT_EQ(d.m_nBitDepth, 0);
             EXPECT_EQ(d.m_nColorCount, 0u);
             EXPECT_EQ(d.m_bNibbleMode, 0);
             EXPECT_EQ(d.m_nNibbleModeLow, 8);
             EXPECT_EQ(d.m_nNibbleModeHigh, 8);
             EXPECT_EQ(d.m_nTransparentIndex, 0);
             EXPECT_EQ(d.m_pAuxQuad, nullptr);
             EXPECT_EQ(d.m_pages.GetCount(), 0);
         }},
        {"one aux quad collects several chunks",
         Concat({Chunk(1004, Chunk(1002, U8(9))), Chunk(1004, Concat({Chunk(1000, U8(7)), Chunk(1009, U8(1))}))}),
         [](const CRovaDocument& d) {
             ASSERT_NE(d.m_pAuxQuad, nullptr);
             EXPECT_EQ(Bytes(d.m_pAuxQuad->m_byValues, d.m_pAuxQuad->m_byValues + 4), (Bytes{7, 2, 9, 0}));
         }},
        {"aux pair", Chunk(1005, Concat({Chunk(1001, U8(4)), Chunk(1002, U8(5))})),
         [](const CRovaDocument& d) {
             EXPECT_EQ(d.m_auxPair.m_byValueA, 1);
             EXPECT_EQ(d.m_auxPair.m_byValueB, 4);
         }},
    };
    for (const ChunkCase& c : cases) {
        SCOPED_TRACE(c.title);
        CRovaDocument document;
        ReadBody(document, c.body);
        c.check(document);
        EXPECT_EQ(document.m_bCreated, 0);
    }
}

TEST_F(DocumentTest, PageAndPaletteChunksAppendAndCurrentChunksNameAnyIndex)
{
    const Bytes declarations = Concat({Chunk(1000, U8(8)), Chunk(1001, U8(0)), Chunk(3001, U16(256))});
    const Bytes twoPalettes = Concat({Chunk(3003, {}), Chunk(3003, Chunk(1001, U32(7)))});

    CRovaDocument secondCurrent;
    ReadBody(secondCurrent, Concat({declarations, twoPalettes, Chunk(3004, U32(1))}));
    ASSERT_EQ(secondCurrent.m_palettes.GetCount(), 2);
    const auto* current = secondCurrent.m_palettes.GetCurrentAs<CRovaPalette>();
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current, secondCurrent.m_palettes.GetAt(1));
    EXPECT_EQ(current->m_nCount, 256u);
    EXPECT_EQ(current->GetNumber(), 7);
    EXPECT_EQ(secondCurrent.m_palettes.GetAtAs<CRovaPalette>(0)->m_nCount, 256u);

    CRovaDocument outOfRange;
    ReadBody(outOfRange, Concat({declarations, twoPalettes, Chunk(3004, U32(5)), Chunk(2003, {}),
                                 Chunk(2004, U32(0))}));
    EXPECT_EQ(outOfRange.m_palettes.GetCurrentIndex(), 5);
    EXPECT_EQ(outOfRange.m_palettes.GetCurrent(), nullptr);
    EXPECT_EQ(outOfRange.m_pages.GetCurrent(), outOfRange.m_pages.GetAt(0));

    CRovaDocument noCurrent;
    ReadBody(noCurrent, Concat({declarations, twoPalettes, Chunk(2003, {})}));
    EXPECT_EQ(noCurrent.m_palettes.GetCurrent(), nullptr);
    EXPECT_EQ(noCurrent.m_pages.GetCurrent(), nullptr);
    EXPECT_EQ(noCurrent.m_pages.GetCount(), 1);
}

TEST_F(DocumentTest, ObjectsBuiltBeforeTheDeclarationsComeOutEmpty)
{
    CRovaDocument document;
    ReadBody(document,
             Concat({Chunk(2003, Concat({Chunk(1005, U16(4)), Chunk(1006, U16(4)),
                                         Chunk(2003, Concat({Chunk(1006, Bytes(16, 1)), Chunk(1001, U32(2))}))})),
                     Chunk(3003, Chunk(1005, Bytes(30, 7))), Chunk(1000, U8(8))}));
    ASSERT_EQ(document.m_pages.GetCount(), 1);
    const auto* page = document.m_pages.GetAtAs<CRovaPage>(0);
    EXPECT_EQ(page->m_nPixelType, 0);
    ASSERT_EQ(page->m_layers.GetCount(), 1);
    const auto* layer = page->m_layers.GetAtAs<CRovaLayer>(0);
    EXPECT_EQ(layer->m_pPixels, nullptr);
    EXPECT_EQ(layer->GetNumber(), 2);

    ASSERT_EQ(document.m_palettes.GetCount(), 1);
    const auto* palette = document.m_palettes.GetAtAs<CRovaPalette>(0);
    EXPECT_EQ(palette->m_nCount, 0u);
    EXPECT_EQ(palette->m_pColors24, nullptr);
    EXPECT_EQ(palette->m_pColors16, nullptr);
    EXPECT_EQ(document.m_nBitDepth, 8);
}

}  // namespace
