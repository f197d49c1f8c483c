// The body is inflated while the chunks are walked: pixel chunks go straight
// from zlib into the layers, everything else through a window of recent
// bytes. These documents cross every boundary of that scheme: reads longer
// and shorter than the direct threshold, the window refilling mid-chunk,
// unknown chunks skipped over many windows, and handlers that read past
// their chunk so the walker seeks back.
#include "document.h"
#include "layer.h"
#include "localmem.h"
#include "page.h"
#include "picture_requests.h"
#include "rova_files.h"
#include "texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using rova_test::Bytes;
using rova_test::ByteWriter;
using rova_test::Chunk;
using rova_test::Concat;
using rova_test::Text;
using rova_test::U16;
using rova_test::U32;
using rova_test::U8;

Bytes Noise(std::size_t count, std::uint32_t seed)
{
    Bytes bytes(count);
    for (auto& b : bytes) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(seed >> 24);
    }
    return bytes;
}

struct Layout {
    rova_test::DocSpec spec;   // what the picture must be
    Bytes body;                // the same document with the extra chunks
};

// A page of 600 x 400 (240000-byte layers, read directly) and one of 20 x 10
// (200-byte layers, read through the window), with a zero-size flag chunk
// after each pixel chunk (its handler reads one byte of the next header) and
// a 200 KiB unknown chunk between the pages. The top layer of the big page
// declares 240000 pixel bytes but holds 100: it takes the following chunks'
// bytes as pixels, and the page then reads those chunks from 239900 bytes back.
Layout StreamedDocument()
{
    Layout layout;
    rova_test::DocSpec& spec = layout.spec;
    spec.palettes.push_back({Noise(768, 3)});
    spec.pages.push_back({600, 400, {}});
    spec.pages.push_back({20, 10, {}});
    for (std::uint32_t i = 0; i < 5; ++i) {
        spec.pages[0].layers.push_back({Noise(600 * 400, 10 + i), "big" + std::to_string(i)});
        spec.pages[1].layers.push_back({Noise(20 * 10, 20 + i), "small" + std::to_string(i)});
    }
    spec.currentPage = 0;

    const Bytes marker = Noise(100, 77);
    ByteWriter body;
    body.Chunk(1000, U8(8)).Chunk(3001, U16(256)).Chunk(3006, U32(0));
    body.Chunk(3003, Concat({Chunk(1001, U32(0)), Chunk(1005, spec.palettes[0].bgr)})).Chunk(3004, U32(0));
    for (std::size_t p = 0; p < spec.pages.size(); ++p) {
        const rova_test::DocPage& page = spec.pages[p];
        ByteWriter payload;
        payload.Chunk(1005, U16(static_cast<std::uint16_t>(page.width)))
            .Chunk(1006, U16(static_cast<std::uint16_t>(page.height)));
        if (p == 0)
            payload.Chunk(2003, Concat({Chunk(1000, Text("over")), ByteWriter().ChunkDeclaring(1006, 240000, marker)}));
        for (const rova_test::DocLayer& layer : page.layers) {
            ByteWriter layerPayload;
            layerPayload.Chunk(1006, layer.pixels).ChunkDeclaring(1003, 0, {}).Chunk(1000, Text(layer.name));
            payload.Chunk(2003, layerPayload);
        }
        body.Chunk(2003, payload);
        if (p == 0)
            body.Chunk(9999, Noise(200 * 1024, 99));
    }
    body.Chunk(2004, U32(0));
    layout.body = body;
    const auto at = std::search(layout.body.begin(), layout.body.end(), marker.begin(), marker.end());
    spec.pages[0].layers.insert(spec.pages[0].layers.begin(), {Bytes(at, at + 240000), "over"});
    return layout;
}

TEST(StreamedBody, EveryChunkArrivesWhereverItLies)
{
    const Layout layout = StreamedDocument();
    const Bytes file = rova_test::Rova2File(layout.body);

    CRovaDocument document;
    CMemFile source(file.data(), static_cast<std::uint32_t>(file.size()));
    ASSERT_TRUE(document.LoadRova2(source, "???", false)) << document.m_strError.Str();
    ASSERT_EQ(document.m_pages.GetCount(), 2);
    for (std::int32_t p = 0; p < 2; ++p) {
        const auto* page = document.m_pages.GetAtAs<CRovaPage>(p);
        const rova_test::DocPage& expected = layout.spec.pages[static_cast<std::size_t>(p)];
        ASSERT_EQ(page->m_layers.GetCount(), static_cast<std::int32_t>(expected.layers.size()));
        for (std::int32_t i = 0; i < page->m_layers.GetCount(); ++i) {
            SCOPED_TRACE(testing::Message() << "page " << p << " layer " << i);
            const auto* layer = page->m_layers.GetAtAs<CRovaLayer>(i);
            const rova_test::DocLayer& want = expected.layers[static_cast<std::size_t>(i)];
            EXPECT_EQ(layer->m_strName.Str(), want.name);
            ASSERT_EQ(layer->GetPixelBytes(), want.pixels.size());
            EXPECT_TRUE(std::equal(want.pixels.begin(), want.pixels.end(), layer->m_pPixels.get()));
        }
    }

    HLOCAL header = nullptr;
    HLOCAL pixels = nullptr;
    ASSERT_EQ(RequestPicture(reinterpret_cast<const char*>(file.data()), static_cast<std::int64_t>(file.size()), 1,
                             &header, &pixels),
              0);
    const auto* headerBytes = static_cast<const std::uint8_t*>(LocalLock(header));
    const auto* pixelBytes = static_cast<const std::uint8_t*>(LocalLock(pixels));
    EXPECT_EQ(rova_test::CompareDib(rova_test::ExpectedFlattening(layout.spec), headerBytes, LocalSize(header),
                                    pixelBytes, LocalSize(pixels)),
              "");
    LocalUnlock(header);
    LocalUnlock(pixels);
    LocalFree(header);
    LocalFree(pixels);
}

// A failing stream outranks what a chunk raised before the failure was
// reached, as when the whole body was inflated before the walk.
TEST(StreamedBody, BrokenStreamOutranksAnEarlierChunkFailure)
{
    ByteWriter body;
    body.ChunkDeclaring(9999, 0xFFFFFFF0u, {}).Raw(Noise(100 * 1024, 5));
    const Bytes whole = rova_test::Rova2File(body);
    rova_test::Rova2Options cut;
    cut.compressedBytes = whole.size() - 12 - 100;
    struct Case {
        const char* name;
        Bytes file;
        std::string error;
    };
    const Case cases[] = {
        {"intact_stream", whole, ExceptionMessage(CFileException(CFileException::badSeek)).Str()},
        {"cut_stream", rova_test::Rova2File(body, cut), texts::kInflateFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CRovaDocument document;
        CMemFile source(c.file.data(), static_cast<std::uint32_t>(c.file.size()));
        EXPECT_FALSE(document.LoadRova2(source, "???", false));
        EXPECT_EQ(document.m_strError.Str(), c.error);
    }
}

}  // namespace
