#include "layer.h"

#include "chunk_stream.h"
#include "chunk_writer.h"
#include "exceptions.h"
#include "fresh_defaults.h"
#include "settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using rova_test::ByteStream;
using rova_test::Bytes;
using rova_test::Chunk;
using rova_test::Concat;
using rova_test::Rect;
using rova_test::U32;
using rova_test::U8;

class LayerTest : public rova_test::FreshDefaultsTest {};

void LoadLayer(CRovaLayer& layer, const Bytes& payload, std::int32_t width, std::int32_t height,
               std::int32_t pixelType)
{
    ByteStream stream(payload);
    layer.Load(stream.reader(), stream.size(), width, height, pixelType);
    EXPECT_EQ(stream.position(), static_cast<std::int32_t>(stream.size()));
}

Bytes Pixels(std::size_t count, std::uint8_t first)
{
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>(first + i);
    return bytes;
}

struct CreateCase {
    std::int32_t pixelType;
    std::int32_t number;
    std::uint8_t created;
    std::int32_t bytesPerPixel;
    const char* name;
};

TEST_F(LayerTest, CreateSizesPixelsByPixelTypeAndNamesByNumber)
{
    const CreateCase cases[] = {
        {8, 0, 1, 1, "Layer000"},  {1, 42, 1, 1, "Layer042"}, {4, 7, 1, 1, "Layer007"},
        {15, 1234, 1, 2, "Layer1234"}, {16, 3, 1, 2, "Layer003"}, {24, 9, 1, 3, "Layer009"},
        {32, 10, 1, 4, "Layer010"}, {0, 1, 0, 0, ""}, {2, 1, 0, 0, ""}, {33, 1, 0, 0, ""},
    };
    for (const CreateCase& c : cases) {
        SCOPED_TRACE(c.pixelType);
        CRovaLayer layer;
        ASSERT_EQ(layer.Create(4, 3, c.pixelType, c.number), c.created);
        EXPECT_EQ(layer.m_nBytesPerPixel, c.bytesPerPixel);
        EXPECT_EQ(layer.GetPixelBytes(), static_cast<std::size_t>(12 * c.bytesPerPixel));
        EXPECT_EQ(layer.m_pPixels != nullptr, c.created == 1);
        EXPECT_EQ(layer.m_strName, CString(c.name));
        EXPECT_EQ(layer.GetNumber(), c.number);
    }
}

TEST_F(LayerTest, CreateRefusesALayerThatHasPixelsAndRaisesOnNegativeSize)
{
    CRovaLayer layer;
    ASSERT_EQ(layer.Create(2, 2, 8, 0), 1);
    const std::uint8_t* pixels = layer.m_pPixels.get();
    EXPECT_EQ(layer.Create(5, 5, 8, 1), 0);
    EXPECT_EQ(layer.m_pPixels.get(), pixels);

    CRovaLayer negative;
    EXPECT_THROW(negative.Create(-1, 4, 8, 0), CMemoryException);
    EXPECT_EQ(negative.m_pPixels, nullptr);
}

TEST_F(LayerTest, SetNameCutsAt256BytesWithoutSplittingADoubleByteCharacter)
{
    const std::string ascii300(300, 'a');
    // Bytes 256 and 257 (counting from 1) form one character: it goes whole.
    const std::string straddling = std::string(255, 'b') + "\x82\xA0" + "cc";
    // A pair that ends exactly at byte 256 stays.
    const std::string endingAt256 = std::string(254, 'b') + "\x82\xA0" + "dd";
    // Trail bytes can look like lead bytes (0x81 0x81): only the lead position counts.
    std::string trailLikeLead = "a";
    for (int i = 0; i < 150; ++i)
        trailLikeLead += "\x81\x81";
    const std::string exactly256(256, 'e');
    const std::string shortName = "\x83\x8C\x83\x43\x83\x84";

    const struct {
        std::string name;
        std::string stored;
    } cases[] = {
        {ascii300, ascii300.substr(0, 256)},
        {straddling, straddling.substr(0, 255)},
        {endingAt256, endingAt256.substr(0, 256)},
        {trailLikeLead, trailLikeLead.substr(0, 255)},
        {exactly256, exactly256},
        {shortName, shortName},
    };
    for (const auto& c : cases) {
        CRovaLayer layer;
        layer.SetName(CString(c.name.data(), c.name.size()));
        EXPECT_EQ(layer.m_strName.Str(), c.stored) << "length " << c.name.size();
    }
}

TEST_F(LayerTest, LoadWithOnlyANumberChunkKeepsAnEmptyNameAndBlankPixels)
{
    CRovaLayer layer;
    LoadLayer(layer, Chunk(1001, U32(3)), 4, 2, 16);
    EXPECT_EQ(layer.GetNumber(), 3);
    EXPECT_TRUE(layer.m_strName.IsEmpty());
    ASSERT_EQ(layer.GetPixelBytes(), 16u);
    EXPECT_EQ(std::vector<std::uint8_t>(layer.m_pPixels.get(), layer.m_pPixels.get() + 16),
              std::vector<std::uint8_t>(16, 0));
}

TEST_F(LayerTest, PixelChunkFillsWhatItHasAndNeverWritesPastTheBuffer)
{
    // Shorter than the 3 x 2 buffer: only the first bytes change.
    CRovaLayer shortLayer;
    LoadLayer(shortLayer, Chunk(1006, {1, 2, 3, 4}), 3, 2, 8);
    EXPECT_EQ(Bytes(shortLayer.m_pPixels.get(), shortLayer.m_pPixels.get() + 6), (Bytes{1, 2, 3, 4, 0, 0}));

    // Longer than the buffer: the buffer takes its size, the chunk after it is still read.
    CRovaLayer longLayer;
    LoadLayer(longLayer, Concat({Chunk(1006, Pixels(10, 1)), Chunk(1001, U32(8))}), 3, 2, 8);
    EXPECT_EQ(longLayer.GetPixelBytes(), 6u);
    EXPECT_EQ(Bytes(longLayer.m_pPixels.get(), longLayer.m_pPixels.get() + 6), Pixels(6, 1));
    EXPECT_EQ(longLayer.GetNumber(), 8);

    // Before the document declares a bit depth there are no pixel bytes to fill.
    CRovaLayer typeless;
    LoadLayer(typeless, Concat({Chunk(1006, Pixels(6, 1)), Chunk(1001, U32(2))}), 3, 2, 0);
    EXPECT_EQ(typeless.m_pPixels, nullptr);
    EXPECT_EQ(typeless.GetNumber(), 2);

    // A pixel chunk cut short by the end of the data raises.
    CRovaLayer truncated;
    ByteStream stream(rova_test::ByteWriter().ChunkDeclaring(1006, 6, {1, 2}));
    EXPECT_THROW(truncated.Load(stream.reader(), stream.size(), 3, 2, 8), CFileException);
}

TEST_F(LayerTest, SettingChunksAAndBBecomeProcessDefaultsButTheDwordDoesNot)
{
    CRovaLayer layer;
    LoadLayer(layer, Concat({Chunk(2000, U32(555)), Chunk(2001, U8(7)), Chunk(2002, U8(9))}), 1, 1, 8);
    EXPECT_EQ(layer.m_settings.m_dwSetting, 555u);
    EXPECT_EQ(layer.m_settings.m_bySettingA, 7);
    EXPECT_EQ(layer.m_settings.m_bySettingB, 9);

    CRovaLayerSettings later;
    EXPECT_EQ(later.m_dwSetting, 100u);
    EXPECT_EQ(later.m_bySettingA, 7);
    EXPECT_EQ(later.m_bySettingB, 9);
}

// A layer whose selection has a rectangle and a mask but whose buffers hold a
// known filler, so a test sees exactly which entries the packed chunk wrote.
struct SelectionCase {
    const char* title;
    RovaRect rect;
    Bytes mask;
    std::int32_t layerWidth;
    std::int32_t layerHeight;
    std::uint8_t pixelTypeBits;
    Bytes packed;
    Bytes outside;   // expected, '.' = filler 0xEE
    Bytes inside;
};

constexpr std::uint8_t kFill = 0xEE;
constexpr std::uint8_t A = 0xA1, B = 0xB2, C = 0xC3, D = 0xD4;

TEST_F(LayerTest, PackedSelectionPixelsGoInsideOrOutsideTheLayerCellByCell)
{
    const SelectionCase cases[] = {
        {"every cell selected", {-2, 0, 2, 1}, {1, 1, 1, 1}, 1, 1, 8, {A, B, C, D},
         {A, B, kFill, D}, {kFill, kFill, C, kFill}},
        {"unselected cells are passed over", {-2, 0, 2, 1}, {1, 0, 0, 1}, 1, 1, 8, {A, B},
         {A, kFill, kFill, B}, {kFill, kFill, kFill, kFill}},
        {"two rows, two bytes per pixel", {0, -1, 2, 1}, {1, 1, 0, 1}, 2, 2, 16, {A, B, C, D, 1, 2},
         {A, B, C, D, kFill, kFill, kFill, kFill}, {kFill, kFill, kFill, kFill, kFill, kFill, 1, 2}},
        {"packed data that runs out stops the distribution", {0, 0, 4, 1}, {1, 1, 1, 1}, 4, 1, 24,
         {1, 2, 3, 4, 5, 6, 7}, Bytes(12, kFill), Concat({{1, 2, 3, 4, 5, 6}, Bytes(6, kFill)})},
        {"four bytes per pixel changes nothing", {0, 0, 1, 1}, {1}, 1, 1, 32, {A, B, C, D},
         Bytes(4, kFill), Bytes(4, kFill)},
    };
    for (const SelectionCase& c : cases) {
        SCOPED_TRACE(c.title);
        CRovaLayer layer;
        LoadLayer(layer,
                  Chunk(1008, Concat({Chunk(1000, Rect(c.rect.left, c.rect.top, c.rect.right, c.rect.bottom)),
                                      Chunk(1001, c.mask)})),
                  c.layerWidth, c.layerHeight, c.pixelTypeBits);
        CRovaSelection& selection = layer.m_selection;
        ASSERT_NE(selection.m_pMask, nullptr);
        ASSERT_EQ(selection.GetCellCount(), c.mask.size());
        const std::size_t bufferBytes = c.outside.size();
        std::memset(selection.m_pOutside.get(), kFill, bufferBytes);
        std::memset(selection.m_pInside.get(), kFill, bufferBytes);

        // The packed chunk on its own works on the rectangle already set.
        ByteStream stream(Chunk(1002, c.packed));
        selection.Load(stream.reader(), stream.size(), static_cast<std::uint8_t>(layer.m_nBytesPerPixel),
                       layer.m_nWidth, layer.m_nHeight);
        EXPECT_EQ(Bytes(selection.m_pOutside.get(), selection.m_pOutside.get() + bufferBytes), c.outside);
        EXPECT_EQ(Bytes(selection.m_pInside.get(), selection.m_pInside.get() + bufferBytes), c.inside);
        EXPECT_EQ(stream.position(), static_cast<std::int32_t>(stream.size()));
    }
}

TEST_F(LayerTest, SelectionChunksThatBreakTheirLimitsAreBoundedOrSkipped)
{
    // Mask and packed chunks before any rectangle: nothing to fill, later chunks still read.
    CRovaLayer early;
    LoadLayer(early,
              Concat({Chunk(1008, Concat({Chunk(1001, {1, 1}), Chunk(1002, {A, B})})), Chunk(1001, U32(4))}), 2,
              2, 8);
    EXPECT_EQ(early.m_selection.m_pMask, nullptr);
    EXPECT_EQ(early.GetNumber(), 4);

    // A mask larger than the cell count fills the mask and no further.
    CRovaLayer longMask;
    LoadLayer(longMask,
              Chunk(1008, Concat({Chunk(1000, Rect(0, 0, 2, 1)), Chunk(1001, {1, 0, 1, 1, 1, 1, 1, 1}),
                                  Chunk(1002, {A, B, C})})),
              2, 1, 8);
    ASSERT_EQ(longMask.m_selection.GetCellCount(), 2u);
    EXPECT_EQ(Bytes(longMask.m_selection.m_pMask.get(), longMask.m_selection.m_pMask.get() + 2), (Bytes{1, 0}));
    EXPECT_EQ(longMask.m_selection.m_pInside[0], A);

    // An inverted rectangle is an empty selection: no buffers, mask and packed chunks skipped.
    CRovaLayer inverted;
    LoadLayer(inverted,
              Chunk(1008, Concat({Chunk(1000, Rect(5, 0, 2, 1)), Chunk(1001, {1, 1, 1}), Chunk(1002, {A, B, C})})),
              8, 8, 8);
    EXPECT_EQ(inverted.m_selection.m_pMask, nullptr);
    EXPECT_EQ(inverted.m_selection.m_pInside, nullptr);
    EXPECT_EQ(inverted.m_selection.GetCellCount(), 0u);
    EXPECT_EQ(inverted.m_selection.m_rect.left, 5);

    // A rectangle whose cell count no buffer could hold is refused as exhausted memory.
    CRovaLayer enormous;
    ByteStream stream(Chunk(1008, Chunk(1000, Rect(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX))));
    EXPECT_THROW(enormous.Load(stream.reader(), stream.size(), 1, 1, 8), CMemoryException);
}

TEST_F(LayerTest, SelectionSetCopiesOrAdoptsTheMaskAndClearKeepsTheRectangle)
{
    CRovaSelection selection;
    const std::uint8_t mask[] = {1, 0, 1, 0, 1, 0};
    selection.Set(1, 2, 4, 4, mask, 2);
    ASSERT_EQ(selection.GetCellCount(), 6u);
    EXPECT_NE(selection.m_pMask.get(), mask);
    EXPECT_EQ(Bytes(selection.m_pMask.get(), selection.m_pMask.get() + 6), Bytes(mask, mask + 6));
    EXPECT_EQ(selection.GetBytesPerPixel(), 2);

    auto owned = std::make_unique<std::uint8_t[]>(4);
    const std::uint8_t* given = owned.get();
    selection.Set(0, 0, 2, 2, std::move(owned), 1, 1);
    EXPECT_EQ(selection.m_pMask.get(), given);

    selection.m_outline.AddSegment(0, 0, CRovaOutline::kTop);
    selection.Clear();
    EXPECT_EQ(selection.m_pMask, nullptr);
    EXPECT_EQ(selection.m_pOutside, nullptr);
    EXPECT_EQ(selection.m_pInside, nullptr);
    EXPECT_TRUE(selection.m_outline.IsEmpty());
    EXPECT_EQ(selection.m_rect.right, 2);
}

TEST_F(LayerTest, CopyMakesIndependentPixelsMaskAndSelectionBuffers)
{
    CRovaLayer source;
    LoadLayer(source,
              Concat({Chunk(1000, rova_test::Text("ink")), Chunk(1001, U32(6)), Chunk(1002, U8(1)),
                      Chunk(1003, U8(0)), Chunk(1004, U8(1)), Chunk(1005, U8(4)), Chunk(1007, U8(5)),
                      Chunk(2000, U32(77)), Chunk(2001, U8(3)), Chunk(2002, U8(4)), Chunk(1006, Pixels(6, 10)),
                      Chunk(1008, Concat({Chunk(1000, Rect(-1, 0, 1, 1)), Chunk(1001, {1, 1}),
                                          Chunk(1002, {A, B})}))}),
              3, 2, 8);
    source.m_selection.m_outline.AddSegment(0, 0, CRovaOutline::kLeft);

    std::unique_ptr<CRovaItem> item = source.Clone();
    auto* copy = dynamic_cast<CRovaLayer*>(item.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->m_strName, CString("ink"));
    EXPECT_EQ(copy->GetNumber(), 6);
    EXPECT_EQ(copy->m_bMarked, 1);
    EXPECT_EQ(copy->m_bEnabled, 0);
    EXPECT_EQ(copy->m_bSelected, 1);
    EXPECT_EQ(copy->m_byLayerOption, 4);
    EXPECT_EQ(copy->m_byLayerOption2, 5);
    EXPECT_EQ(copy->m_settings.m_dwSetting, 77u);
    EXPECT_EQ(copy->m_settings.m_bySettingA, 3);
    EXPECT_EQ(copy->m_settings.m_bySettingB, 4);
    ASSERT_EQ(copy->GetPixelBytes(), 6u);
    EXPECT_EQ(Bytes(copy->m_pPixels.get(), copy->m_pPixels.get() + 6), Pixels(6, 10));
    const CRovaSelection& selection = copy->m_selection;
    ASSERT_EQ(selection.GetCellCount(), 2u);
    EXPECT_EQ(selection.m_rect.left, -1);
    EXPECT_EQ(selection.m_pOutside[0], A);
    EXPECT_EQ(selection.m_pInside[1], B);
    EXPECT_TRUE(selection.m_outline.IsEmpty());

    copy->m_pPixels[0] = 0;
    copy->m_selection.m_pMask[0] = 0;
    copy->m_selection.m_pOutside[0] = 0;
    copy->m_selection.m_pInside[1] = 0;
    EXPECT_EQ(source.m_pPixels[0], 10);
    EXPECT_EQ(source.m_selection.m_pMask[0], 1);
    EXPECT_EQ(source.m_selection.m_pOutside[0], A);
    EXPECT_EQ(source.m_selection.m_pInside[1], B);
}

TEST_F(LayerTest, CopyOfALayerWithoutPixelTypeFailsAndTheCloneHasNoPixels)
{
    CRovaLayer source;
    LoadLayer(source, Chunk(1001, U32(1)), 4, 4, 0);
    CRovaLayer target;
    ASSERT_EQ(target.Create(2, 2, 8, 0), 1);
    EXPECT_EQ(target.Copy(source), 0);
    EXPECT_EQ(target.m_pPixels, nullptr);

    std::unique_ptr<CRovaItem> clone = source.Clone();
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(static_cast<CRovaLayer*>(clone.get())->m_pPixels, nullptr);
}

}  // namespace
