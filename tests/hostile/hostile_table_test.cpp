// Documents built to hurt: every one must end in a clean result code, fast,
// without touching memory out of proportion to the file.
#include "hostile_documents.h"
#include "picture_requests.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace rova_test;
using namespace rova_hostile;

struct Codes {
    int info;
    int picture;
};

Codes Request(const Bytes& image)
{
    PictureInfo info;
    static const char kEmpty = 0;   // a host never passes a null image
    const char* data = image.empty() ? &kEmpty : reinterpret_cast<const char*>(image.data());
    const auto size = static_cast<std::int64_t>(image.size());
    Codes codes{RequestPictureInfo(data, size, 1, &info), 0};
    HLOCAL header = nullptr;
    HLOCAL pixels = nullptr;
    codes.picture = RequestPicture(data, size, 1, &header, &pixels);
    if (codes.picture == SPI_SUCCESS) {
        LocalFree(header);
        LocalFree(pixels);
    } else {
        EXPECT_EQ(header, nullptr);
        EXPECT_EQ(pixels, nullptr);
    }
    return codes;
}

// A zlib stream of `bytes` zeros, made in pieces so the test never holds the
// inflated body itself.
Bytes ZeroStream(std::size_t bytes)
{
    z_stream stream{};
    deflateInit(&stream, 9);
    const std::vector<std::uint8_t> zeros(1 << 20, 0);
    Bytes out;
    std::vector<std::uint8_t> buffer(1 << 16);
    std::size_t left = bytes;
    int flush = Z_NO_FLUSH;
    do {
        const std::size_t piece = std::min(left, zeros.size());
        left -= piece;
        flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
        stream.next_in = const_cast<std::uint8_t*>(zeros.data());
        stream.avail_in = static_cast<uInt>(piece);
        do {
            stream.next_out = buffer.data();
            stream.avail_out = static_cast<uInt>(buffer.size());
            deflate(&stream, flush);
            out.insert(out.end(), buffer.data(), buffer.data() + (buffer.size() - stream.avail_out));
        } while (stream.avail_out == 0);
    } while (flush != Z_FINISH);
    deflateEnd(&stream);
    return out;
}

Bytes Rova2WithStream(std::uint32_t declaredBodySize, const Bytes& stream)
{
    ByteWriter w;
    w.Raw(std::string("ROVA2")).U16(0).U8(1).U32(declaredBodySize).Raw(stream);
    return w;
}

Bytes OnePage(std::uint16_t width, std::uint16_t height, const std::vector<Bytes>& layers)
{
    return Rova2File(Body({PageChunk(width, height, layers)}));
}

Bytes WithSelection(const Bytes& selectionChunks)
{
    return OnePage(4, 2, {LayerPayload(Bytes(8, 3), Chunk(1008, selectionChunks))});
}

Bytes Legacy(std::uint32_t width, std::uint32_t height, std::vector<LegacyLayer> layers,
             std::optional<std::uint16_t> declaredLayers = std::nullopt)
{
    LegacyFile file;
    file.width = width;
    file.height = height;
    file.layers = std::move(layers);
    file.declaredLayerCount = declaredLayers;
    return LegacyFileBytes(file);
}

LegacyLayer LegacyLayerOf(LegacyBlock block)
{
    LegacyLayer layer;
    layer.name = "L";
    layer.block = std::move(block);
    return layer;
}

struct HostileCase {
    std::string name;
    Bytes image;
    Codes expected;
};

std::vector<HostileCase> Cases()
{
    std::vector<HostileCase> cases;
    const auto add = [&cases](std::string name, Bytes image, int info, int picture) {
        cases.push_back(HostileCase{std::move(name), std::move(image), Codes{info, picture}});
    };
    const Bytes emptyLayer = LayerPayload({});

    // Pages whose layers the budget cannot hold: refused at the first layer
    // over the budget, however many more chunks follow.
    add("page_65535_square_5000_layers", OnePage(65535, 65535, std::vector<Bytes>(5000, emptyLayer)), 3, 3);
    add("page_16384_square_1000_layers", OnePage(16384, 16384, std::vector<Bytes>(1000, emptyLayer)), 3, 3);
    // Seven 64 MiB layers fit in the 512 MiB budget; the bitmap on top of them does not.
    add("page_8192_square_bitmap_over_budget", OnePage(8192, 8192, std::vector<Bytes>(7, emptyLayer)), 0, 5);
    // Palettes of 65535 entries, thousands of them in a few kilobytes.
    {
        ByteWriter w;
        w.Chunk(1000, U8(8)).Chunk(3001, U16(65535));
        for (int i = 0; i < 2000; ++i)
            w.Chunk(3003, {});
        add("palette_65535_entries_2000_chunks", Rova2File(w), 3, 3);
    }
    add("byte_map_65535_square", Rova2File(Concat({PaletteChunks(), Chunk(2003, Chunk(4000, U32(0xFFFFFFFF)))})), 3, 3);

    // Declared body sizes.
    const Bytes smallBody = Body({PageChunk(4, 2, {LayerPayload(Bytes(8, 3))})});
    Rova2Options huge;
    huge.declaredBodySize = 0xFFFFFFFF;
    add("body_size_4_gib", Rova2File(smallBody, huge), 3, 3);
    huge.declaredBodySize = (1u << 29) + 1;
    add("body_size_just_over_budget", Rova2File(smallBody, huge), 3, 3);
    // Inflate bombs: 256 MiB of zeros from a stream of a few hundred KiB.
    // Walked as 6-byte chunks of an unknown identifier, it holds no page.
    const std::uint32_t bombBytes = (256u << 20) - 4;   // a whole number of 6-byte chunks
    const Bytes bomb = ZeroStream(bombBytes);
    add("inflate_bomb_walked", Rova2WithStream(bombBytes, bomb), 8, 8);
    add("inflate_bomb_past_declared_size", Rova2WithStream(1u << 20, bomb), 3, 3);

    // Chunk sizes that reach past 2^31 cannot be seeked over.
    add("unknown_chunk_reaching_2_31",
        Rova2File(Concat({smallBody, ByteWriter().ChunkDeclaring(9999, 0x7FFFFFFA, {}).bytes()})), 3, 3);
    add("page_chunk_size_0xFFFFFFFF",
        Rova2File(Concat({PaletteChunks(), ByteWriter().ChunkDeclaring(2003, 0xFFFFFFFF, {}).bytes()})), 3, 3);
    add("layer_pixels_size_0xFFFFFFFF",
        OnePage(4, 2, {ByteWriter().ChunkDeclaring(1006, 0xFFFFFFFF, Bytes(8, 3)).bytes()}), 3, 3);

    // Current indexes that name nothing: no picture to give.
    add("current_page_7_of_1", Rova2File(Concat({smallBody, Chunk(2004, U32(7))})), 8, 8);
    add("current_page_minus_1", Rova2File(Concat({smallBody, Chunk(2004, U32(0xFFFFFFFF))})), 8, 8);
    add("current_palette_3_of_1", Rova2File(Concat({smallBody, Chunk(3004, U32(3))})), 8, 8);
    add("current_layer_out_of_range",
        OnePage(4, 2, {LayerPayload(Bytes(8, 3), Chunk(2004, U32(0x7FFFFFFF)))}), 0, 0);

    // Selection rectangles.
    add("selection_inverted", WithSelection(Concat({Chunk(1000, Rect(10, 10, 0, 0)), Chunk(1001, Bytes(4, 1)),
                                                     Chunk(1002, Bytes(4, 9))})), 0, 0);
    add("selection_whole_i32_plane", WithSelection(Chunk(1000, Rect(INT_MIN, INT_MIN, INT_MAX, INT_MAX))), 3, 3);
    add("selection_40000_square", WithSelection(Chunk(1000, Rect(0, 0, 40000, 40000))), 3, 3);
    // One selected cell among 64 Mi, then thousands of packed-pixel chunks:
    // each must find its cells without visiting the unselected ones.
    {
        ByteWriter selection;
        selection.Chunk(1000, Rect(0, 0, 8192, 8192)).Chunk(1001, Bytes{1});
        for (int i = 0; i < 10000; ++i)
            selection.Chunk(1002, Bytes{5, 6});
        add("selection_sparse_mask_10000_packed_chunks", WithSelection(selection), 0, 0);
    }
    add("selection_reaching_outside_layer",
        WithSelection(Concat({Chunk(1000, Rect(-3, -3, 3, 3)), Chunk(1001, Bytes(36, 1)), Chunk(1002, Bytes(36, 9))})),
        0, 0);

    // Layers whose buffers are smaller than the page: the size came after them.
    {
        DocSpec spec = ShapesDocument(6, 4, 1);
        spec.pages[0].sizeAfterLayers = true;
        add("layers_smaller_than_page", Rova2Document(spec), 0, 0);
    }

    // First generation: sizes straight from u32 fields.
    add("legacy_product_wraps_to_zero", Legacy(0x10000, 0x10000, {LegacyLayerOf({})}), 0, 5);
    add("legacy_product_past_32_bits", Legacy(65536, 65537, {LegacyLayerOf({})}), 0, 5);
    add("legacy_width_past_i32", Legacy(0x80000000u, 1, {LegacyLayerOf({})}), 0, 5);
    add("legacy_page_over_budget", Legacy(40000, 40000, {LegacyLayerOf({})}), 0, 5);
    add("legacy_65535_layers_of_64_mib", Legacy(8192, 8192, std::vector<LegacyLayer>(17, LegacyLayerOf({})), 65535),
        0, 5);
    // Run records: lengths and positions anywhere in the u32 range.
    add("legacy_run_length_4e9", Legacy(4, 2, {LegacyLayerOf(LegacyBlock({{0, 0xFFFFFFFF, 5}}, {}))}), 0, 0);
    add("legacy_run_lengths_summing_past_2_32",
        Legacy(4, 2, {LegacyLayerOf(LegacyBlock({{0, 0xFFFFFFFF, 5}, {0, 0xFFFFFFFF, 6}, {1, 3, 7}}, {1, 2}))}), 0, 0);
    add("legacy_run_position_past_literals",
        Legacy(4, 2, {LegacyLayerOf(LegacyBlock({{0xFFFFFFFF, 3, 9}}, Bytes(8, 1)))}), 0, 0);
    {
        LegacyBlock block({}, Bytes(8, 1));
        block.declaredRunCount = 0xFFFFFFFF;
        add("legacy_run_count_near_2_32", Legacy(4, 2, {LegacyLayerOf(block)}), 0, 8);
    }
    {
        LegacyBlock block({}, Bytes(8, 1));
        block.declaredLiteralCount = 0xFFFFFFFF;
        add("legacy_literal_count_near_2_32", Legacy(4, 2, {LegacyLayerOf(block)}), 0, 8);
    }
    return cases;
}

class Hostile : public ::testing::TestWithParam<HostileCase> {};

TEST_P(Hostile, EndsInItsResultCode)
{
    const HostileCase& c = GetParam();
    const Codes got = Request(c.image);
    EXPECT_EQ(got.info, c.expected.info) << "GetPictureInfo";
    EXPECT_EQ(got.picture, c.expected.picture) << "GetPicture";
}

INSTANTIATE_TEST_SUITE_P(Table, Hostile, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<HostileCase>& info) { return info.param.name; });

// Cut short anywhere, a file gives 8 before the generation is known, 3 once
// the ROVA2 load has started, and for the first generation 8 from
// GetPicture (a short read) while GetPictureInfo needs only the size fields.
TEST(Truncated, EveryLengthOfBothGenerations)
{
    const Bytes rova2 = Rova2Document(ShapesDocument(4, 2, 1));
    for (std::size_t n = 0; n < rova2.size(); ++n) {
        const Codes got = Request(Bytes(rova2.begin(), rova2.begin() + static_cast<std::ptrdiff_t>(n)));
        const int expected = n < 5 ? 8 : 3;
        ASSERT_EQ(got.info, expected) << "ROVA2 cut to " << n << " bytes";
        ASSERT_EQ(got.picture, expected) << "ROVA2 cut to " << n << " bytes";
    }
    const Bytes legacy = LegacyFileBytes(LegacyFromDoc(ShapesDocument(4, 2, 1)));
    for (std::size_t n = 0; n < legacy.size(); ++n) {
        const Codes got = Request(Bytes(legacy.begin(), legacy.begin() + static_cast<std::ptrdiff_t>(n)));
        ASSERT_EQ(got.info, n >= 18 ? 0 : 8) << "ROVA cut to " << n << " bytes";
        ASSERT_EQ(got.picture, 8) << "ROVA cut to " << n << " bytes";
    }
}

}  // namespace
