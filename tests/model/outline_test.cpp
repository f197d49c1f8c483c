#include "outline.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Segment = std::tuple<int, int, int>;   // x, y, side

std::vector<Segment> Segments(const CRovaOutline& outline)
{
    std::vector<Segment> segments;
    for (const CRovaOutlineSegment* s = outline.GetHead(); s; s = s->next)
        segments.emplace_back(s->x, s->y, s->side);
    return segments;
}

// Rows of '#' (set) and '.' (clear).
std::vector<std::uint8_t> Mask(const std::vector<std::string>& rows)
{
    std::vector<std::uint8_t> mask;
    for (const std::string& row : rows)
        for (char c : row)
            mask.push_back(c == '#' ? 1 : 0);
    return mask;
}

struct TraceCase {
    const char* name;
    std::vector<std::string> rows;
    std::vector<Segment> expected;
};

class OutlineTrace : public ::testing::TestWithParam<TraceCase> {};

TEST_P(OutlineTrace, EmitsSegmentsInWalkOrder)
{
    const TraceCase& c = GetParam();
    const std::vector<std::uint8_t> mask = Mask(c.rows);
    CRovaOutline outline;
    outline.Build(mask.data(), static_cast<int>(c.rows[0].size()), static_cast<int>(c.rows.size()), 1);
    EXPECT_EQ(Segments(outline), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OutlineTrace,
    ::testing::Values(
        TraceCase{"SingleCell", {"....", "..#.", "...."}, {{2, 1, 8}, {2, 1, 2}, {2, 1, 4}, {2, 1, 1}}},
        TraceCase{"FullTwoByTwo",
                  {"##", "##"},
                  {{0, 0, 8}, {1, 0, 8}, {1, 0, 2}, {1, 1, 2}, {1, 1, 4}, {0, 1, 4}, {0, 1, 1}, {0, 0, 1}}},
        TraceCase{"TwoByOne", {"##"}, {{0, 0, 8}, {1, 0, 8}, {1, 0, 2}, {1, 0, 4}, {0, 0, 4}, {0, 0, 1}}},
        TraceCase{"RingWithHole",
                  {"###", "#.#", "###"},
                  {{0, 0, 8}, {1, 0, 8}, {2, 0, 8}, {2, 0, 2}, {2, 1, 2}, {2, 2, 2}, {2, 2, 4}, {1, 2, 4},
                   {0, 2, 4}, {0, 2, 1}, {0, 1, 1}, {0, 0, 1},
                   {1, 2, 8}, {2, 1, 1}, {1, 0, 4}, {0, 1, 2}}},
        TraceCase{"AllClear", {"...", "..."}, {}}),
    [](const auto& info) { return info.param.name; });

// Whatever the shape, the traces together give every boundary side of every
// set cell exactly once and nothing else.
TEST(OutlineTest, EveryBoundarySideExactlyOnceOnRandomMasks)
{
    std::mt19937 random(20261211);
    for (int round = 0; round < 200; ++round) {
        const int width = 1 + static_cast<int>(random() % 16);
        const int height = 1 + static_cast<int>(random() % 16);
        const unsigned density = 1 + random() % 9;   // in tenths
        std::vector<std::uint8_t> mask(static_cast<std::size_t>(width * height));
        for (auto& cell : mask)
            cell = random() % 10 < density ? static_cast<std::uint8_t>(1 + random() % 255) : 0;

        auto set = [&](int x, int y) {
            return x >= 0 && y >= 0 && x < width && y < height && mask[static_cast<std::size_t>(y * width + x)];
        };
        std::multiset<Segment> expected;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                if (!set(x, y))
                    continue;
                if (!set(x, y - 1)) expected.emplace(x, y, 8);
                if (!set(x + 1, y)) expected.emplace(x, y, 2);
                if (!set(x, y + 1)) expected.emplace(x, y, 4);
                if (!set(x - 1, y)) expected.emplace(x, y, 1);
            }

        CRovaOutline outline;
        outline.Build(mask.data(), width, height, 1);
        const std::vector<Segment> emitted = Segments(outline);
        ASSERT_EQ(std::multiset<Segment>(emitted.begin(), emitted.end()), expected)
            << "round " << round << ", " << width << " x " << height;
    }
}

TEST(OutlineTest, BuildWithoutRebuildKeepsAnExistingOutline)
{
    const std::vector<std::uint8_t> single = Mask({"#"});
    const std::vector<std::uint8_t> pair = Mask({"##"});
    CRovaOutline outline;
    outline.Build(single.data(), 1, 1, 0);   // empty: builds
    EXPECT_EQ(Segments(outline).size(), 4u);
    outline.Build(pair.data(), 2, 1, 0);
    EXPECT_EQ(Segments(outline).size(), 4u);
    outline.Build(pair.data(), 2, 1, 1);
    EXPECT_EQ(Segments(outline).size(), 6u);

    const std::vector<std::uint8_t> clear = Mask({".."});
    outline.Build(clear.data(), 2, 1, 1);
    EXPECT_TRUE(outline.IsEmpty());
    outline.Build(nullptr, 2, 1, 1);
    outline.Build(pair.data(), 0, 1, 1);
    outline.Build(pair.data(), -2, 1, 1);
    EXPECT_TRUE(outline.IsEmpty());
}

TEST(OutlineTest, AddSegmentAppendsAndClearEmpties)
{
    CRovaOutline outline;
    outline.AddSegment(3, 4, 2);
    outline.AddSegment(-1, 0, 8);
    EXPECT_EQ(Segments(outline), (std::vector<Segment>{{3, 4, 2}, {-1, 0, 8}}));
    outline.Clear();
    EXPECT_TRUE(outline.IsEmpty());
    outline.AddSegment(1, 1, 1);
    EXPECT_EQ(Segments(outline), (std::vector<Segment>{{1, 1, 1}}));
}

}  // namespace
