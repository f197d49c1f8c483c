// The index that lets packed selection pixels skip unselected cells: members
// across word and level boundaries, found from every side, also after removal.
#include "cell_bit_index.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(CellBitIndex, NextMemberMatchesAPlainSetAcrossLevels)
{
    constexpr std::size_t kCells = 300000;   // three levels of 64-bit words
    CCellBitIndex index;
    index.Reset(kCells);
    std::set<std::size_t> members = {0, 63, 64, 4095, 4096, 4097, 262143, 262144, 299999};
    for (std::size_t cell : members)
        index.Assign(cell, true);
    index.Assign(kCells, true);   // beyond the cells: ignored

    const auto check = [&](const char* when) {
        for (std::size_t from : {std::size_t{0}, std::size_t{1}, std::size_t{64}, std::size_t{65}, std::size_t{4095},
                                 std::size_t{4098}, std::size_t{100000}, std::size_t{262144},
                                 std::size_t{262145}, std::size_t{299999}, kCells}) {
            const auto next = members.lower_bound(from);
            EXPECT_EQ(index.NextMember(from), next == members.end() ? kCells : *next) << when << ", from " << from;
        }
    };
    check("all set");
    for (std::size_t cell : {std::size_t{4095}, std::size_t{4096}, std::size_t{4097}, std::size_t{262143}}) {
        index.Assign(cell, false);
        members.erase(cell);
    }
    check("after removals");

    index.Reset(kCells);
    EXPECT_EQ(index.NextMember(0), kCells);
    CCellBitIndex empty;
    EXPECT_EQ(empty.NextMember(0), 0u);
}

}  // namespace
