// The row copiers against a plain per-pixel reference, over rows of every
// width class the vectorised path distinguishes (shorter than a block,
// whole blocks, a partial last block), misaligned pointers and both pitch
// directions. Whole buffers are compared, so a write outside the rows shows.
#include "flatten.h"

#include "layer.h"
#include "page.h"
#include "rova_files.h"

#include <gtest/gtest.h>

#include <memory>

#include <cstdint>
#include <vector>

namespace {

enum class Rule { plain, keyed, nibble };

bool Shows(Rule rule, std::uint8_t v, std::uint8_t key)
{
    switch (rule) {
    case Rule::plain: return true;
    case Rule::keyed: return v != key;
    case Rule::nibble: return (v & 0x0F) != 0;
    }
    return false;
}

void Reference(Rule rule, std::uint8_t* dst, std::intptr_t dstPitch, std::int32_t columns, std::int32_t rows,
               const std::uint8_t* src, std::intptr_t srcPitch, std::uint8_t key)
{
    for (std::int32_t y = 0; y < rows; ++y)
        for (std::int32_t x = 0; x < columns; ++x)
            if (Shows(rule, src[y * srcPitch + x], key))
                dst[y * dstPitch + x] = src[y * srcPitch + x];
}

void Copy(Rule rule, std::uint8_t* dst, std::intptr_t dstPitch, std::int32_t columns, std::int32_t rows,
          const std::uint8_t* src, std::intptr_t srcPitch, std::uint8_t key)
{
    switch (rule) {
    case Rule::plain: CopyRows(dst, dstPitch, columns, rows, src, srcPitch); break;
    case Rule::keyed: CopyRowsKeyed(dst, dstPitch, columns, rows, src, srcPitch, key); break;
    case Rule::nibble: CopyRowsNibbleKeyed(dst, dstPitch, columns, rows, src, srcPitch); break;
    }
}

struct Case {
    std::int32_t columns;
    std::int32_t rows;
    std::size_t srcOffset;   // from a 16-byte boundary
    std::size_t dstOffset;
    bool bottomUp;           // negative destination pitch
};

const Case kCases[] = {
    {1, 3, 0, 0, true},     {15, 4, 1, 3, false},   {16, 4, 0, 0, true},    {17, 5, 7, 9, true},
    {31, 3, 15, 1, false},  {32, 2, 8, 8, true},    {33, 6, 3, 14, true},   {100, 7, 5, 11, false},
    {257, 3, 13, 2, true},  {1000, 2, 9, 6, true},
};

TEST(RowCopiers, EqualThePerPixelRuleOnRandomRows)
{
    std::uint32_t state = 2463534242u;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    for (const Rule rule : {Rule::plain, Rule::keyed, Rule::nibble}) {
        for (const std::uint8_t key : {std::uint8_t{0}, std::uint8_t{7}, std::uint8_t{0xFF}}) {
            for (const Case& c : kCases) {
                SCOPED_TRACE(testing::Message() << "rule " << static_cast<int>(rule) << " key " << int(key)
                                                << " columns " << c.columns << " rows " << c.rows);
                const std::intptr_t srcPitch = c.columns + 5;
                const std::intptr_t stride = c.columns + 3;
                alignas(16) static std::uint8_t srcBuffer[16 * 1024];
                alignas(16) static std::uint8_t dstBuffer[16 * 1024];
                alignas(16) static std::uint8_t expected[16 * 1024];
                // Runs of the key and of transparent nibbles, so blocks that are
                // all shown, all hidden and mixed all occur.
                for (std::size_t i = 0; i < sizeof srcBuffer; ++i) {
                    const std::uint32_t r = next();
                    srcBuffer[i] = (r & 0x300) == 0 ? key : (r & 0xC00) == 0 ? std::uint8_t(r & 0xF0) : std::uint8_t(r);
                    if ((i / 16) % 5 == 0)
                        srcBuffer[i] = key;
                    if ((i / 16) % 7 == 0)
                        srcBuffer[i] = std::uint8_t(key | 1);
                    dstBuffer[i] = expected[i] = static_cast<std::uint8_t>(next());
                }
                const std::uint8_t* src = srcBuffer + c.srcOffset;
                const std::intptr_t dstPitch = c.bottomUp ? -stride : stride;
                const std::size_t dstStart = c.dstOffset + (c.bottomUp ? static_cast<std::size_t>(stride * (c.rows - 1)) : 0);
                Copy(rule, dstBuffer + dstStart, dstPitch, c.columns, c.rows, src, srcPitch, key);
                Reference(rule, expected + dstStart, dstPitch, c.columns, c.rows, src, srcPitch, key);
                ASSERT_EQ(std::vector<std::uint8_t>(dstBuffer, dstBuffer + sizeof dstBuffer),
                          std::vector<std::uint8_t>(expected, expected + sizeof expected));
            }
        }
    }
}

// Pages wider than a few thousand pixels are merged in several bands of
// rows; a layer shorter than the page must stop inside a band all the same.
TEST(FlattenPageToDib, MergesBandByBandOnWidePages)
{
    constexpr std::int32_t kWidth = 2000;   // bands of 16 rows
    constexpr std::int32_t kHeight = 40;
    std::uint32_t state = 99;
    auto layer = [&state](std::size_t count, int transparentShare) {
        rova_test::Bytes pixels(count);
        for (auto& p : pixels) {
            state = state * 1103515245u + 12345u;
            p = (state >> 28) < static_cast<std::uint32_t>(transparentShare) ? 0 : static_cast<std::uint8_t>(state >> 20);
        }
        return pixels;
    };
    rova_test::DocSpec spec;
    spec.palettes.push_back({rova_test::Bytes(768, 9)});
    spec.pages.push_back({kWidth, kHeight, {}});
    for (int i = 0; i < 3; ++i)
        spec.pages[0].layers.push_back({layer(std::size_t{kWidth} * kHeight, 8 + i), ""});

    const rova_test::Bytes file = rova_test::Rova2Document(spec);
    CRovaDocument document;
    CMemFile source(file.data(), static_cast<std::uint32_t>(file.size()));
    ASSERT_TRUE(document.LoadRova2(source, "???", false));
    // On top: a layer of 1500 x 21, ending in the second band.
    constexpr std::int32_t kShortWidth = 1500;
    constexpr std::int32_t kShortHeight = 21;
    auto shortLayer = std::make_unique<CRovaLayer>();
    ASSERT_EQ(shortLayer->Create(kShortWidth, kShortHeight, 8, 9), 1);
    const rova_test::Bytes shortPixels = layer(std::size_t{kShortWidth} * kShortHeight, 6);
    std::copy(shortPixels.begin(), shortPixels.end(), shortLayer->m_pPixels.get());
    document.m_pages.GetCurrentAs<CRovaPage>()->m_layers.InsertAt(0, std::move(shortLayer), 1);

    rova_test::ExpectedPicture expected = rova_test::ExpectedFlattening(spec);
    for (std::int32_t y = 0; y < kShortHeight; ++y)
        for (std::int32_t x = 0; x < kShortWidth; ++x)
            if (const std::uint8_t v = shortPixels[static_cast<std::size_t>(y * kShortWidth + x)])
                expected.indexes[static_cast<std::size_t>(y * kWidth + x)] = v;

    HLOCAL header = nullptr;
    HLOCAL pixels = nullptr;
    ASSERT_EQ(FlattenPageToDib(document, &header, &pixels), 0);
    EXPECT_EQ(rova_test::CompareDib(expected, static_cast<const std::uint8_t*>(LocalLock(header)), LocalSize(header),
                                    static_cast<const std::uint8_t*>(LocalLock(pixels)), LocalSize(pixels)),
              "");
    LocalUnlock(header);
    LocalUnlock(pixels);
    LocalFree(header);
    LocalFree(pixels);
}

}  // namespace
