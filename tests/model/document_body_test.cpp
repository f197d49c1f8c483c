// A whole ROVA2 body with every chunk identifier that documents, pages,
// layers, layer selections, palettes and palette selections know, walked the
// way the container walks it.
#include "document.h"

#include "chunk_stream.h"
#include "chunk_writer.h"
#include "layer.h"
#include "page.h"
#include "palette.h"
#include "settings.h"

#include <gtest/gtest.h>

namespace {

using rova_test::ByteStream;
using rova_test::Bytes;
using rova_test::Chunk;
using rova_test::Concat;
using rova_test::Rect;
using rova_test::Text;
using rova_test::U16;
using rova_test::U32;
using rova_test::U8;
using rova_test::ValuePair;

Bytes I16s(std::initializer_list<std::int16_t> values)
{
    Bytes out;
    for (std::int16_t v : values) {
        const Bytes b = U16(static_cast<std::uint16_t>(v));
        out.insert(out.end(), b.begin(), b.end());
    }
    return out;
}

Bytes Mask(std::initializer_list<int> setCells)
{
    Bytes mask(256, 0);
    for (int cell : setCells)
        mask[static_cast<std::size_t>(cell)] = 1;
    return mask;
}

Bytes View(const std::uint8_t* data, std::size_t size) { return Bytes(data, data + size); }

// Palette A: four entries of 3-byte colours, a selection of three cells.
Bytes PaletteA()
{
    const Bytes selection = Concat({
        Chunk(1000, Mask({0, 1, 17})),
        Chunk(1001, {1, 2, 3, 4, 5, 6, 7, 8, 9}),
        Chunk(1003, {21, 22, 23}),
        Chunk(1004, {31, 32, 33}),
    });
    return Concat({
        Chunk(1000, Text("pal-A")), Chunk(1001, U32(0)), Chunk(1002, U8(1)), Chunk(1003, U8(0)), Chunk(1004, U8(1)),
        Chunk(1005, {0x10, 0x20, 0x30, 0x11, 0x21, 0x31, 0x12, 0x22, 0x32, 0x13, 0x23, 0x33}),
        Chunk(1007, {1, 2, 3, 4}), Chunk(1008, {5, 6, 7, 8}),
        Chunk(1009, I16s({1, -1, 300, 2, -2, 301, 3, -3, 302, 4, -4, 303})),
        Chunk(1010, {9, 10, 11, 12}), Chunk(1011, selection),
        Chunk(2000, U32(500)), Chunk(2001, U8(4)), Chunk(2002, U8(6)),
    });
}

// Palette B, read under palette format 1: 16-bit colours, a one-cell selection.
Bytes PaletteB()
{
    const Bytes selection = Concat({
        Chunk(1000, Mask({255})),
        Chunk(1002, {0x34, 0x12}),
        Chunk(1005, I16s({-7, 8, -9})),
        Chunk(1006, {44}),
    });
    return Concat({
        Chunk(1000, Text("pal-B")), Chunk(1001, U32(1)),
        Chunk(1006, {0x01, 0x80, 0x02, 0x80, 0x03, 0x80, 0x04, 0x80}),
        Chunk(1011, selection),
    });
}

Bytes TopLayer()
{
    const Bytes selection = Concat({
        Chunk(1000, Rect(-1, 0, 1, 1)),
        Chunk(1001, {1, 1}),
        Chunk(1002, {0xA1, 0xB2}),
    });
    return Concat({
        Chunk(1000, Text("ink")), Chunk(1001, U32(1)), Chunk(1002, U8(1)), Chunk(1003, U8(0)), Chunk(1004, U8(1)),
        Chunk(1005, U8(3)), Chunk(1006, {11, 12, 13, 14, 15, 16}), Chunk(1007, U8(4)), Chunk(1008, selection),
        Chunk(2000, U32(41)), Chunk(2001, U8(42)), Chunk(2002, U8(43)),
    });
}

Bytes PageA()
{
    return Concat({
        Chunk(1000, Text("page-A")), Chunk(1001, U32(0)), Chunk(1002, U8(1)), Chunk(1003, U8(0)), Chunk(1004, U8(1)),
        Chunk(1005, U16(3)), Chunk(1006, U16(2)), Chunk(1007, U32(7)), Chunk(1008, U32(8)),
        Chunk(2000, U8(9)), Chunk(2001, U32(2)), Chunk(2002, U16(0)),
        Chunk(3000, U32(31)), Chunk(3001, U8(32)), Chunk(3002, U8(33)),
        Chunk(3003, ValuePair(34, 35)), Chunk(3004, ValuePair(36, 37)),
        Chunk(4000, U32(2 | (1u << 16))), Chunk(4001, {0x5A, 0xA5}),
        Chunk(2003, TopLayer()),
        Chunk(2003, Concat({Chunk(1001, U32(0)), Chunk(1006, {1, 2, 3, 4, 5, 6})})),
        Chunk(2004, U32(1)),
    });
}

Bytes PageB()
{
    return Concat({
        Chunk(1001, U32(1)), Chunk(1005, U16(1)), Chunk(1006, U16(1)),
        Chunk(2003, Chunk(1006, {9})), Chunk(2004, U32(0)),
    });
}

Bytes Body()
{
    return Concat({
        Chunk(1000, U8(8)), Chunk(1001, U8(0)), Chunk(1002, U8(1)), Chunk(1003, U8(2)),
        Chunk(1004, Concat({Chunk(1000, U8(10)), Chunk(1001, U8(11)), Chunk(1002, U8(12)), Chunk(1003, U8(13)),
                            Chunk(1099, U8(99))})),
        Chunk(1005, Concat({Chunk(1000, U8(20)), Chunk(1001, U8(21))})),
        Chunk(2000, U16(5)), Chunk(2001, U32(2)), Chunk(2002, U8(3)),
        Chunk(3000, U16(1)), Chunk(3001, U16(4)), Chunk(3002, U32(2)),
        Chunk(3003, PaletteA()),
        Chunk(1001, U8(1)),
        Chunk(3003, PaletteB()),
        Chunk(3004, U32(0)), Chunk(3005, U32(77)), Chunk(3006, U32(15)), Chunk(4000, U32(0x00200010)),
        Chunk(2003, PageA()),
        Chunk(2003, PageB()),
        Chunk(2004, U32(1)),
    });
}

class DocumentBodyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CRovaSettings::ResetDefaults();
        ByteStream stream(Body());
        WalkChunks(stream.reader(), stream.size(), CRovaDocument::ReadDocumentChunk, &m_document);
        EXPECT_EQ(stream.position(), static_cast<std::int32_t>(stream.size()));
    }
    void TearDown() override { CRovaSettings::ResetDefaults(); }

    const CRovaPage* Page(std::int32_t index) const { return m_document.m_pages.GetAtAs<CRovaPage>(index); }
    const CRovaPalette* Palette(std::int32_t index) const
    {
        return m_document.m_palettes.GetAtAs<CRovaPalette>(index);
    }

    CRovaDocument m_document;
};

TEST_F(DocumentBodyTest, DocumentMembers)
{
    const CRovaDocument& d = m_document;
    EXPECT_EQ(d.m_bCreated, 0);
    EXPECT_EQ(d.m_nBitDepth, 8);
    EXPECT_EQ(d.m_nPaletteFormat, 1);
    EXPECT_EQ(d.m_nOption1002, 1);
    EXPECT_EQ(d.m_nOption1003, 2);
    ASSERT_NE(d.m_pAuxQuad, nullptr);
    EXPECT_EQ(View(d.m_pAuxQuad->m_byValues, 4), (Bytes{10, 11, 12, 13}));
    EXPECT_EQ(d.m_auxPair.m_byValueA, 20);
    EXPECT_EQ(d.m_auxPair.m_byValueB, 21);
    EXPECT_EQ(d.m_nNextPageNumber, 2u);
    EXPECT_EQ(d.m_nOption2002, 3);
    EXPECT_EQ(d.m_nColorCount, 4u);
    EXPECT_EQ(d.m_nNextPaletteNumber, 2u);
    EXPECT_EQ(d.m_nValue3005, 77u);
    EXPECT_EQ(d.m_nTransparentIndex, 15);
    EXPECT_EQ(d.m_bNibbleMode, 1);
    EXPECT_EQ(d.m_nNibbleModeLow, 16);
    EXPECT_EQ(d.m_nNibbleModeHigh, 32);

    ASSERT_EQ(d.m_pages.GetCount(), 2);
    EXPECT_EQ(d.m_pages.GetCurrent(), d.m_pages.GetAt(1));
    ASSERT_EQ(d.m_palettes.GetCount(), 2);
    EXPECT_EQ(d.m_palettes.GetCurrent(), d.m_palettes.GetAt(0));
    // Flag chunks of the first page and palette were counted by their lists.
    EXPECT_EQ(d.m_pages.m_nMarked, 1);
    EXPECT_EQ(d.m_palettes.m_nMarked, 1);
}

TEST_F(DocumentBodyTest, PageMembers)
{
    const CRovaPage* a = Page(0);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->m_pOwner, &m_document.m_pages);
    EXPECT_EQ(a->m_strName, CString("page-A"));
    EXPECT_EQ(a->GetNumber(), 0);
    EXPECT_EQ(a->m_bMarked, 1);
    EXPECT_EQ(a->m_bEnabled, 0);
    EXPECT_EQ(a->m_bSelected, 1);
    EXPECT_EQ(a->m_nWidth, 3);
    EXPECT_EQ(a->m_nHeight, 2);
    EXPECT_EQ(a->m_indexPair.m_nFirst, 7);
    EXPECT_EQ(a->m_indexPair.m_nSecond, 8);
    EXPECT_EQ(a->m_byPageOption, 9);
    EXPECT_EQ(a->m_nNextLayerNumber, 2);
    EXPECT_EQ(a->m_settings.m_dwSetting, 31u);
    EXPECT_EQ(a->m_settings.m_bySettingA, 32);
    EXPECT_EQ(a->m_settings.m_bySettingB, 33);
    EXPECT_EQ(a->m_settings.m_pairA.m_dwValue, 34u);
    EXPECT_EQ(a->m_settings.m_pairA.m_byValue, 35);
    EXPECT_EQ(a->m_settings.m_pairB.m_dwValue, 36u);
    EXPECT_EQ(a->m_settings.m_pairB.m_byValue, 37);
    EXPECT_EQ(a->m_nByteMapCx, 2);
    EXPECT_EQ(a->m_nByteMapCy, 1);
    ASSERT_NE(a->m_pByteMap, nullptr);
    EXPECT_EQ(View(a->m_pByteMap.get(), 2), (Bytes{0x5A, 0xA5}));
    EXPECT_EQ(a->m_nPixelType, 8);
    EXPECT_EQ(a->m_bCreated, 1);
    ASSERT_EQ(a->m_layers.GetCount(), 2);
    EXPECT_EQ(a->m_layers.GetCurrentIndex(), 1);
    EXPECT_EQ(a->m_layers.m_nMarked, 1);

    const CRovaPage* b = Page(1);
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(b->m_strName.IsEmpty());
    EXPECT_EQ(b->GetNumber(), 1);
    EXPECT_EQ(b->m_nWidth, 1);
    EXPECT_EQ(b->m_pByteMap, nullptr);
    EXPECT_EQ(b->m_indexPair.m_nFirst, -1);
    // Page B was constructed after the top layer's chunks 2001 and 2002 moved the defaults.
    EXPECT_EQ(b->m_settings.m_dwSetting, 100u);
    EXPECT_EQ(b->m_settings.m_bySettingA, 42);
    EXPECT_EQ(b->m_settings.m_bySettingB, 43);
    ASSERT_EQ(b->m_layers.GetCount(), 1);
    const auto* only = b->m_layers.GetCurrentAs<CRovaLayer>();
    ASSERT_NE(only, nullptr);
    ASSERT_EQ(only->GetPixelBytes(), 1u);
    EXPECT_EQ(only->m_pPixels[0], 9);
}

TEST_F(DocumentBodyTest, LayerMembers)
{
    const CRovaPage* page = Page(0);
    ASSERT_NE(page, nullptr);
    const auto* top = page->m_layers.GetAtAs<CRovaLayer>(0);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->m_pOwner, &page->m_layers);
    EXPECT_EQ(top->m_strName, CString("ink"));
    EXPECT_EQ(top->GetNumber(), 1);
    EXPECT_EQ(top->m_bMarked, 1);
    EXPECT_EQ(top->m_bEnabled, 0);
    EXPECT_EQ(top->m_bSelected, 1);
    EXPECT_EQ(top->m_byLayerOption, 3);
    EXPECT_EQ(top->m_byLayerOption2, 4);
    EXPECT_EQ(top->m_nWidth, 3);
    EXPECT_EQ(top->m_nHeight, 2);
    EXPECT_EQ(top->m_nPixelType, 8);
    EXPECT_EQ(top->m_nBytesPerPixel, 1);
    ASSERT_EQ(top->GetPixelBytes(), 6u);
    EXPECT_EQ(View(top->m_pPixels.get(), 6), (Bytes{11, 12, 13, 14, 15, 16}));
    EXPECT_EQ(top->m_settings.m_dwSetting, 41u);
    EXPECT_EQ(top->m_settings.m_bySettingA, 42);
    EXPECT_EQ(top->m_settings.m_bySettingB, 43);

    const CRovaSelection& selection = top->m_selection;
    EXPECT_EQ(selection.m_rect.left, -1);
    EXPECT_EQ(selection.m_rect.top, 0);
    EXPECT_EQ(selection.m_rect.right, 1);
    EXPECT_EQ(selection.m_rect.bottom, 1);
    ASSERT_EQ(selection.GetCellCount(), 2u);
    EXPECT_EQ(View(selection.m_pMask.get(), 2), (Bytes{1, 1}));
    EXPECT_EQ(selection.m_pOutside[0], 0xA1);   // cell (-1, 0) lies left of the layer
    EXPECT_EQ(selection.m_pInside[1], 0xB2);    // cell (0, 0) lies on it
    EXPECT_TRUE(selection.m_outline.IsEmpty());

    const auto* bottom = page->m_layers.GetAtAs<CRovaLayer>(1);
    ASSERT_NE(bottom, nullptr);
    EXPECT_TRUE(bottom->m_strName.IsEmpty());
    EXPECT_EQ(bottom->GetNumber(), 0);
    EXPECT_EQ(bottom->m_byLayerOption, 1);
    EXPECT_EQ(bottom->m_bEnabled, 1);
    EXPECT_EQ(View(bottom->m_pPixels.get(), 6), (Bytes{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(bottom->m_selection.m_pMask, nullptr);
    // Constructed after the top layer's 2001 and 2002 chunks.
    EXPECT_EQ(bottom->m_settings.m_dwSetting, 100u);
    EXPECT_EQ(bottom->m_settings.m_bySettingA, 42);
    EXPECT_EQ(bottom->m_settings.m_bySettingB, 43);
}

TEST_F(DocumentBodyTest, PaletteMembers)
{
    const CRovaPalette* a = Palette(0);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->m_pOwner, &m_document.m_palettes);
    EXPECT_EQ(a->m_strName, CString("pal-A"));
    EXPECT_EQ(a->GetNumber(), 0);
    EXPECT_EQ(a->m_bMarked, 1);
    EXPECT_EQ(a->m_bEnabled, 0);
    EXPECT_EQ(a->m_bSelected, 1);
    EXPECT_EQ(a->m_nCount, 4u);
    EXPECT_EQ(a->m_nBitDepth, 8);
    EXPECT_EQ(a->m_nFormat, 0);
    ASSERT_NE(a->m_pColors24, nullptr);
    EXPECT_EQ(a->m_pColors16, nullptr);
    EXPECT_EQ(View(a->m_pColors24.get(), 12),
              (Bytes{0x10, 0x20, 0x30, 0x11, 0x21, 0x31, 0x12, 0x22, 0x32, 0x13, 0x23, 0x33}));
    EXPECT_EQ(View(a->m_pEntryByteA.get(), 4), (Bytes{1, 2, 3, 4}));
    EXPECT_EQ(View(a->m_pEntryByteB.get(), 4), (Bytes{5, 6, 7, 8}));
    EXPECT_EQ(View(a->m_pEntryByteC.get(), 4), (Bytes{9, 10, 11, 12}));
    EXPECT_EQ(a->m_pEntryTriples[0].a, 1);
    EXPECT_EQ(a->m_pEntryTriples[0].b, -1);
    EXPECT_EQ(a->m_pEntryTriples[3].c, 303);
    EXPECT_EQ(a->m_settings.m_dwSetting, 500u);
    EXPECT_EQ(a->m_settings.m_bySettingA, 4);
    EXPECT_EQ(a->m_settings.m_bySettingB, 6);

    ASSERT_NE(a->m_pSelection, nullptr);
    const CRovaPaletteSelection& selA = *a->m_pSelection;
    ASSERT_NE(selA.m_pMask, nullptr);
    EXPECT_EQ(View(selA.m_pMask.get(), 256), Mask({0, 1, 17}));
    EXPECT_EQ(selA.m_nCellCount, 3);
    EXPECT_FALSE(selA.m_outline.IsEmpty());
    ASSERT_NE(selA.m_pPalette, nullptr);
    const CRovaPalette& subA = *selA.m_pPalette;
    EXPECT_EQ(subA.m_nCount, 3u);
    EXPECT_EQ(View(subA.m_pColors24.get(), 9), (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(View(subA.m_pEntryByteA.get(), 3), (Bytes{21, 22, 23}));
    EXPECT_EQ(View(subA.m_pEntryByteB.get(), 3), (Bytes{31, 32, 33}));

    const CRovaPalette* b = Palette(1);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->m_strName, CString("pal-B"));
    EXPECT_EQ(b->GetNumber(), 1);
    EXPECT_EQ(b->m_nFormat, 1);
    EXPECT_EQ(b->m_pColors24, nullptr);
    ASSERT_NE(b->m_pColors16, nullptr);
    EXPECT_EQ(b->m_pColors16[0], 0x8001);
    EXPECT_EQ(b->m_pColors16[3], 0x8004);
    // Constructed after palette A's 2001 and 2002 moved the defaults.
    EXPECT_EQ(b->m_settings.m_dwSetting, 100u);
    EXPECT_EQ(b->m_settings.m_bySettingA, 4);
    EXPECT_EQ(b->m_settings.m_bySettingB, 6);

    ASSERT_NE(b->m_pSelection, nullptr);
    ASSERT_NE(b->m_pSelection->m_pPalette, nullptr);
    const CRovaPalette& subB = *b->m_pSelection->m_pPalette;
    EXPECT_EQ(b->m_pSelection->m_nCellCount, 1);
    EXPECT_EQ(subB.m_nCount, 1u);
    EXPECT_EQ(subB.m_nFormat, 1);
    EXPECT_EQ(subB.m_pColors16[0], 0x1234);
    EXPECT_EQ(subB.m_pEntryTriples[0].a, -7);
    EXPECT_EQ(subB.m_pEntryTriples[0].c, -9);
    EXPECT_EQ(subB.m_pEntryByteC[0], 44);
}

}  // namespace
