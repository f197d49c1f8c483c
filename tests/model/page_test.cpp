#include "page.h"

#include "chunk_stream.h"
#include "chunk_writer.h"
#include "fresh_defaults.h"
#include "layer.h"
#include "settings.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using rova_test::ByteStream;
using rova_test::Bytes;
using rova_test::Chunk;
using rova_test::Concat;
using rova_test::U16;
using rova_test::U32;
using rova_test::U8;

class PageTest : public rova_test::FreshDefaultsTest {};

void LoadPage(CRovaPage& page, const Bytes& payload, std::int32_t pixelType)
{
    ByteStream stream(payload);
    page.Load(stream.reader(), stream.size(), pixelType);
    EXPECT_EQ(stream.position(), static_cast<std::int32_t>(stream.size()));
}

CRovaLayer* LayerAt(const CRovaPage& page, std::int32_t index)
{
    return page.m_layers.GetAtAs<CRovaLayer>(index);
}

Bytes LayerChunk(std::uint32_t number) { return Chunk(2003, Chunk(1001, U32(number))); }

TEST_F(PageTest, CreateNamesThePageAndGivesItOneCurrentLayer)
{
    const struct {
        std::int32_t number;
        const char* name;
    } cases[] = {{0, "000Page"}, {5, "005Page"}, {12, "012Page"}, {1000, "1000Page"}};
    for (const auto& c : cases) {
        CRovaPage page;
        ASSERT_EQ(page.Create(32, 16, 8, c.number), 1);
        EXPECT_EQ(page.m_strName, CString(c.name));
        EXPECT_EQ(page.GetNumber(), c.number);
        EXPECT_EQ(page.m_bCreated, 1);
        ASSERT_EQ(page.m_layers.GetCount(), 1);
        EXPECT_EQ(page.m_layers.GetCurrentIndex(), 0);
        const CRovaLayer* layer = page.m_layers.GetCurrentAs<CRovaLayer>();
        ASSERT_NE(layer, nullptr);
        EXPECT_EQ(layer->m_strName, CString("Layer000"));
        EXPECT_EQ(layer->m_nWidth, 32);
        EXPECT_EQ(layer->m_nHeight, 16);
        EXPECT_EQ(layer->GetPixelBytes(), 512u);
        EXPECT_EQ(page.m_nNextLayerNumber, 1);
    }
}

TEST_F(PageTest, CreateWithAPixelTypeWithoutByteSizeLeavesNoLayerAndNoName)
{
    CRovaPage page;
    EXPECT_EQ(page.Create(4, 4, 2, 3), 0);
    EXPECT_EQ(page.m_bCreated, 0);
    EXPECT_EQ(page.m_layers.GetCount(), 0);
    EXPECT_TRUE(page.m_strName.IsEmpty());
    EXPECT_EQ(page.m_nNextLayerNumber, 0);
    EXPECT_EQ(page.AddLayer(0, 1), 0);
}

TEST_F(PageTest, AddLayerKeepsTheCurrentLayerAndAdvancesTheNumberOnRequest)
{
    CRovaPage page;
    ASSERT_EQ(page.Create(2, 2, 8, 0), 1);
    CRovaLayer* first = LayerAt(page, 0);

    ASSERT_EQ(page.AddLayer(1, 1), 1);   // at the bottom
    EXPECT_EQ(LayerAt(page, 1)->m_strName, CString("Layer001"));
    EXPECT_EQ(page.m_layers.GetCurrentIndex(), 0);

    ASSERT_EQ(page.AddLayer(0, 1), 1);   // on top: the first layer moves down and stays current
    EXPECT_EQ(LayerAt(page, 0)->m_strName, CString("Layer002"));
    EXPECT_EQ(page.m_layers.GetCurrentIndex(), 1);
    EXPECT_EQ(page.m_layers.GetCurrent(), first);

    ASSERT_EQ(page.AddLayer(3, 0), 1);
    ASSERT_EQ(page.AddLayer(4, 0), 1);
    EXPECT_EQ(LayerAt(page, 3)->GetNumber(), 3);
    EXPECT_EQ(LayerAt(page, 4)->GetNumber(), 3);
    EXPECT_EQ(LayerAt(page, 4)->m_strName, CString("Layer003"));
    EXPECT_EQ(page.m_nNextLayerNumber, 3);

    CRovaPage blank;
    EXPECT_EQ(blank.AddLayer(0, 1), 0);
    EXPECT_EQ(blank.m_layers.GetCount(), 0);
}

TEST_F(PageTest, LayersAreAppendedInFileOrderAtThePageSizeAsItStands)
{
    CRovaPage page;
    LoadPage(page,
             Concat({Chunk(1005, {0x40, 0x01}), Chunk(1006, U16(2)), LayerChunk(7), Chunk(1005, U16(3)),
                     LayerChunk(8)}),
             16);
    EXPECT_EQ(page.m_nWidth, 3);
    EXPECT_EQ(page.m_nHeight, 2);
    EXPECT_EQ(page.m_bCreated, 1);
    EXPECT_EQ(page.m_nPixelType, 16);
    ASSERT_EQ(page.m_layers.GetCount(), 2);
    EXPECT_EQ(page.m_layers.GetCurrent(), nullptr);   // only chunk 2004 names a current layer
    EXPECT_EQ(LayerAt(page, 0)->GetNumber(), 7);
    EXPECT_EQ(LayerAt(page, 0)->m_nWidth, 320);
    EXPECT_EQ(LayerAt(page, 0)->GetPixelBytes(), 320u * 2 * 2);
    EXPECT_EQ(LayerAt(page, 1)->GetNumber(), 8);
    EXPECT_EQ(LayerAt(page, 1)->GetPixelBytes(), 3u * 2 * 2);
    EXPECT_EQ(LayerAt(page, 1)->m_pOwner, &page.m_layers);
}

TEST_F(PageTest, CurrentLayerChunkStoresAnyIndex)
{
    CRovaPage page;
    LoadPage(page, Concat({LayerChunk(0), LayerChunk(1), LayerChunk(2), Chunk(2004, U32(5))}), 8);
    EXPECT_EQ(page.m_layers.GetCurrentIndex(), 5);
    EXPECT_EQ(page.m_layers.GetCurrent(), nullptr);

    CRovaPage second;
    LoadPage(second, Concat({LayerChunk(0), LayerChunk(1), Chunk(2004, U32(1))}), 8);
    EXPECT_EQ(second.m_layers.GetCurrent(), LayerAt(second, 1));

    CRovaPage empty;
    LoadPage(empty, Chunk(1001, U32(4)), 8);
    EXPECT_EQ(empty.m_layers.GetCount(), 0);
    EXPECT_EQ(empty.m_bCreated, 1);
}

TEST_F(PageTest, ByteMapTakesOnlyAPayloadOfExactlyItsSize)
{
    const Bytes size16x32 = Chunk(4000, Concat({U16(16), U16(32)}));
    const Bytes full = Chunk(4001, Bytes(512, 0xAA));
    const Bytes oneShort = Chunk(4001, Bytes(511, 0x55));
    const Bytes oneLong = Chunk(4001, Bytes(513, 0x55));
    const Bytes sentinel = Chunk(2000, U8(9));   // shows the walk went on after the map chunks

    const struct {
        const char* title;
        Bytes payload;
        bool hasMap;
        std::uint8_t firstByte;
    } cases[] = {
        {"512 bytes fill the map", Concat({size16x32, full, sentinel}), true, 0xAA},
        {"511 bytes are skipped", Concat({size16x32, full, oneShort, sentinel}), true, 0xAA},
        {"513 bytes are skipped", Concat({size16x32, full, oneLong, sentinel}), true, 0xAA},
        {"no map without chunk 4000", Concat({full, sentinel}), false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        CRovaPage page;
        LoadPage(page, c.payload, 8);
        EXPECT_EQ(page.m_byPageOption, 9);
        ASSERT_EQ(page.m_pByteMap != nullptr, c.hasMap);
        if (!c.hasMap)
            continue;
        EXPECT_EQ(page.m_nByteMapCx, 16);
        EXPECT_EQ(page.m_nByteMapCy, 32);
        EXPECT_EQ(Bytes(page.m_pByteMap.get(), page.m_pByteMap.get() + 512), Bytes(512, c.firstByte));
    }
}

TEST_F(PageTest, CopyIsDeepAndIndependent)
{
    CRovaPage source;
    LoadPage(source,
             Concat({Chunk(1000, rova_test::Text("cover")), Chunk(1001, U32(4)), Chunk(1005, U16(2)),
                     Chunk(1006, U16(1)), Chunk(1002, U8(1)), Chunk(1003, U8(0)), Chunk(1004, U8(1)),
                     Chunk(1007, U32(11)), Chunk(1008, U32(12)), Chunk(2000, U8(3)), Chunk(2001, U32(9)),
                     Chunk(3000, U32(300)), Chunk(3001, U8(31)), Chunk(3002, U8(32)),
                     Chunk(3003, rova_test::ValuePair(33, 34)), Chunk(3004, rova_test::ValuePair(35, 36)),
                     Chunk(2003, Concat({Chunk(1001, U32(0)), Chunk(1006, {1, 2})})),
                     Chunk(2003, Concat({Chunk(1001, U32(1)), Chunk(1006, {3, 4})})), Chunk(2004, U32(1)),
                     Chunk(4000, Concat({U16(2), U16(2)})), Chunk(4001, {5, 6, 7, 8})}),
             8);

    CRovaPage copy;
    ASSERT_EQ(copy.Create(9, 9, 8, 0), 1);   // whatever the copy held goes
    ASSERT_EQ(copy.Copy(source), 1);
    EXPECT_EQ(copy.m_strName, CString("cover"));
    EXPECT_EQ(copy.GetNumber(), 4);
    EXPECT_EQ(copy.m_nWidth, 2);
    EXPECT_EQ(copy.m_nHeight, 1);
    EXPECT_EQ(copy.m_nPixelType, 8);
    EXPECT_EQ(copy.m_bMarked, 1);
    EXPECT_EQ(copy.m_bEnabled, 0);
    EXPECT_EQ(copy.m_bSelected, 1);
    EXPECT_EQ(copy.m_indexPair.m_nFirst, 11);
    EXPECT_EQ(copy.m_indexPair.m_nSecond, 12);
    EXPECT_EQ(copy.m_byPageOption, 3);
    EXPECT_EQ(copy.m_nNextLayerNumber, 9);
    EXPECT_EQ(copy.m_settings.m_dwSetting, 300u);
    EXPECT_EQ(copy.m_settings.m_bySettingA, 31);
    EXPECT_EQ(copy.m_settings.m_bySettingB, 32);
    EXPECT_EQ(copy.m_settings.m_pairA.m_dwValue, 33u);
    EXPECT_EQ(copy.m_settings.m_pairB.m_byValue, 36);
    EXPECT_EQ(copy.m_bCreated, 1);
    ASSERT_EQ(copy.m_layers.GetCount(), 2);
    EXPECT_EQ(copy.m_layers.GetCurrentIndex(), 1);
    EXPECT_EQ(LayerAt(copy, 1)->m_pPixels[1], 4);
    ASSERT_NE(copy.m_pByteMap, nullptr);
    EXPECT_EQ(Bytes(copy.m_pByteMap.get(), copy.m_pByteMap.get() + 4), (Bytes{5, 6, 7, 8}));

    LayerAt(copy, 1)->m_pPixels[1] = 0;
    copy.m_pByteMap[0] = 0;
    EXPECT_EQ(LayerAt(source, 1)->m_pPixels[1], 4);
    EXPECT_EQ(source.m_pByteMap[0], 5);
    EXPECT_NE(LayerAt(copy, 0), LayerAt(source, 0));

    std::unique_ptr<CRovaItem> clone = source.Clone();
    auto* clonedPage = dynamic_cast<CRovaPage*>(clone.get());
    ASSERT_NE(clonedPage, nullptr);
    EXPECT_EQ(clonedPage->m_layers.GetCount(), 2);
}

TEST_F(PageTest, ClearReleasesLayersAndByteMapButKeepsSizeAndName)
{
    CRovaPage page;
    ASSERT_EQ(page.Create(3, 3, 8, 2), 1);
    LoadPage(page, Concat({Chunk(4000, Concat({U16(1), U16(1)}))}), 8);
    ASSERT_NE(page.m_pByteMap, nullptr);
    page.Clear();
    EXPECT_EQ(page.m_layers.GetCount(), 0);
    EXPECT_EQ(page.m_pByteMap, nullptr);
    EXPECT_EQ(page.m_nByteMapCx, 1);
    EXPECT_EQ(page.m_bCreated, 0);
    EXPECT_EQ(page.m_nWidth, 3);
    EXPECT_EQ(page.m_strName, CString("002Page"));
}

}  // namespace
