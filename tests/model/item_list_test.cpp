#include "item.h"

#include "exceptions.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

namespace {

// An item that reports its destruction, so ownership can be checked.
class CountedItem : public CRovaItem {
public:
    CountedItem(std::int32_t number, int* destroyed) : m_number(number), m_destroyed(destroyed) {}
    ~CountedItem() override
    {
        if (m_destroyed)
            ++*m_destroyed;
    }

    std::int32_t GetNumber() const override { return m_number; }
    std::unique_ptr<CRovaItem> Clone() const override
    {
        auto copy = std::make_unique<CountedItem>(m_number, m_destroyed);
        copy->m_bMarked = m_bMarked;
        return copy;
    }

    std::int32_t m_number;

private:
    int* m_destroyed;
};

std::unique_ptr<CRovaItem> Item(std::int32_t number, std::uint8_t marked = 0, std::uint8_t selected = 0,
                                int* destroyed = nullptr)
{
    auto item = std::make_unique<CountedItem>(number, destroyed);
    item->m_bMarked = marked;
    item->m_bSelected = selected;
    return item;
}

struct Tallies {
    std::int32_t current, selected, marked, selectedMarked;
    bool operator==(const Tallies& o) const
    {
        return current == o.current && selected == o.selected && marked == o.marked &&
               selectedMarked == o.selectedMarked;
    }
};

std::ostream& operator<<(std::ostream& out, const Tallies& t)
{
    return out << "{current " << t.current << ", selected " << t.selected << ", marked " << t.marked
               << ", selectedMarked " << t.selectedMarked << "}";
}

Tallies TalliesOf(const CRovaItemList& list)
{
    return {list.m_nCurrent, list.m_nSelected, list.m_nMarked, list.m_nSelectedMarked};
}

std::vector<std::int32_t> Numbers(const CRovaItemList& list)
{
    std::vector<std::int32_t> numbers;
    for (std::int32_t i = 0; i < list.GetCount(); ++i)
        numbers.push_back(list.GetAt(i) ? list.GetAt(i)->GetNumber() : -1);
    return numbers;
}

TEST(ItemListTest, NewListIsEmptyWithNoCurrentItem)
{
    CRovaItemList list;
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(TalliesOf(list), (Tallies{-1, 0, 0, 0}));
    EXPECT_EQ(list.GetCurrent(), nullptr);
    EXPECT_EQ(list.GetAt(-1), nullptr);
    EXPECT_EQ(list.GetAt(0), nullptr);
    EXPECT_EQ(list.IsMarked(0), 0);
}

TEST(ItemListTest, FirstInsertionWithKeepCurrentIgnoresTheItemsOwnFlags)
{
    CRovaItemList list;
    list.InsertAt(0, Item(10, /*marked*/ 1, /*selected*/ 1), 1);
    EXPECT_EQ(TalliesOf(list), (Tallies{0, 1, 0, 1}));
    ASSERT_NE(list.GetCurrent(), nullptr);
    EXPECT_EQ(list.GetCurrent()->GetNumber(), 10);
    EXPECT_EQ(list.GetCurrent()->m_pOwner, &list);
    EXPECT_EQ(list.IsMarked(0), 1);
}

TEST(ItemListTest, InsertionBeyondTheEndLeavesNullSlotsAndCountsTheFlags)
{
    CRovaItemList list;
    list.InsertAt(5, Item(50, 1, 1), 0);
    EXPECT_EQ(list.GetCount(), 6);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(list.GetAt(i), nullptr) << i;
    ASSERT_NE(list.GetAt(5), nullptr);
    EXPECT_EQ(list.GetAt(5)->GetNumber(), 50);
    EXPECT_EQ(TalliesOf(list), (Tallies{-1, 1, 1, 1}));
    EXPECT_EQ(list.IsMarked(3), 0);   // a null slot names no item
}

struct InsertCase {
    const char* name;
    std::int32_t currentBefore;   // in a list of items 0, 1, 2
    std::int32_t index;
    std::uint8_t keepCurrent;
    std::int32_t currentAfter;
    std::vector<std::int32_t> order;
};

class InsertKeepsCurrent : public ::testing::TestWithParam<InsertCase> {};

TEST_P(InsertKeepsCurrent, CurrentIndexFollowsTheItem)
{
    const InsertCase& c = GetParam();
    CRovaItemList list;
    for (int i = 0; i < 3; ++i)
        list.Append(Item(i));
    list.SetCurrent(c.currentBefore);
    list.InsertAt(c.index, Item(9), c.keepCurrent);
    EXPECT_EQ(list.GetCurrentIndex(), c.currentAfter);
    EXPECT_EQ(Numbers(list), c.order);
    EXPECT_EQ(list.m_nSelected, c.currentAfter == -1 ? 0 : 1);
    if (c.currentAfter != -1) {
        ASSERT_NE(list.GetCurrent(), nullptr);
        EXPECT_EQ(list.GetCurrent()->GetNumber(), c.currentBefore);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InsertKeepsCurrent,
    ::testing::Values(InsertCase{"BeforeCurrent", 0, 0, 1, 1, {9, 0, 1, 2}},
                      InsertCase{"AtCurrent", 1, 1, 1, 2, {0, 9, 1, 2}},
                      InsertCase{"AfterCurrent", 1, 2, 1, 1, {0, 1, 9, 2}},
                      InsertCase{"AtEnd", 2, 3, 1, 2, {0, 1, 2, 9}},
                      InsertCase{"NegativeIndexGoesFirst", 2, -4, 1, 3, {9, 0, 1, 2}},
                      InsertCase{"WithoutKeepCurrent", 1, 0, 0, -1, {9, 0, 1, 2}}),
    [](const auto& info) { return info.param.name; });

TEST(ItemListTest, SelectedSetterComparesBytes)
{
    CRovaItemList list;
    list.Append(Item(0, /*marked*/ 1));
    CRovaItem* item = list.GetAt(0);
    item->SetSelected(1);
    item->SetSelected(2);
    EXPECT_EQ(TalliesOf(list), (Tallies{-1, 2, 0, 2}));
    item->SetSelected(0);
    EXPECT_EQ(TalliesOf(list), (Tallies{-1, 1, 0, 1}));
    item->SetSelected(0);
    EXPECT_EQ(TalliesOf(list), (Tallies{-1, 1, 0, 1}));
    EXPECT_EQ(item->m_bSelected, 0);
}

TEST(ItemListTest, MarkedSetterCountsTheCurrentItemAsSelected)
{
    CRovaItemList list;
    list.Append(Item(0));
    list.Append(Item(1));
    list.SetCurrent(0);
    list.GetAt(0)->SetMarked(1);
    EXPECT_EQ(TalliesOf(list), (Tallies{0, 1, 1, 1}));
    list.GetAt(1)->SetMarked(1);   // neither current nor selected
    EXPECT_EQ(TalliesOf(list), (Tallies{0, 1, 2, 1}));
    list.GetAt(1)->SetSelected(1);
    list.GetAt(1)->SetMarked(0);
    EXPECT_EQ(TalliesOf(list), (Tallies{0, 2, 1, 1}));
}

TEST(ItemListTest, SettersWithoutOwnerOnlyStore)
{
    auto item = Item(0);
    item->SetMarked(3);
    item->SetSelected(4);
    EXPECT_EQ(item->m_bMarked, 3);
    EXPECT_EQ(item->m_bSelected, 4);
}

TEST(ItemListTest, CurrentIndexOutsideTheListIsStoredButNamesNoItem)
{
    CRovaItemList list;
    for (int i = 0; i < 3; ++i)
        list.Append(Item(i, /*marked*/ 1));
    list.SetCurrent(7);
    EXPECT_EQ(TalliesOf(list), (Tallies{7, 1, 0, 0}));
    EXPECT_EQ(list.GetCurrent(), nullptr);
    list.ClearCurrent();
    EXPECT_EQ(TalliesOf(list), (Tallies{-1, 0, 0, 0}));
    list.ClearCurrent();
    EXPECT_EQ(TalliesOf(list), (Tallies{-1, 0, 0, 0}));

    // A marked current item is counted on set and on clear, and a second
    // SetCurrent does not release the first.
    list.SetCurrent(1);
    list.SetCurrent(2);
    EXPECT_EQ(TalliesOf(list), (Tallies{2, 2, 0, 2}));
    list.ClearCurrent();
    EXPECT_EQ(TalliesOf(list), (Tallies{-1, 1, 0, 1}));
}

TEST(ItemListTest, GrowsByFourWhileSmallAndBy1024FromLargeCounts)
{
    CRovaItemList list;
    std::vector<std::int32_t> capacities;
    while (list.GetCount() < 40) {
        list.Append(Item(list.GetCount()));
        if (capacities.empty() || capacities.back() != list.GetCapacity())
            capacities.push_back(list.GetCapacity());
    }
    EXPECT_EQ(capacities, (std::vector<std::int32_t>{1, 5, 9, 13, 17, 21, 25, 29, 33, 37, 41}));

    list.SetSize(8192);   // null slots are fine for growth
    std::vector<std::int32_t> steps;
    std::int32_t capacity = list.GetCapacity();
    while (list.GetCount() < 8192 + 3000) {
        list.Append(nullptr);
        if (list.GetCapacity() != capacity) {
            steps.push_back(list.GetCapacity() - capacity);
            capacity = list.GetCapacity();
        }
    }
    EXPECT_EQ(steps, (std::vector<std::int32_t>{1024, 1024, 1024}));
    EXPECT_EQ(list.GetAt(39)->GetNumber(), 39);
}

TEST(ItemListTest, SetSizeGrowsWithNullSlotsAndShrinkingDestroysDroppedItems)
{
    int destroyed = 0;
    CRovaItemList list;
    for (int i = 0; i < 4; ++i)
        list.Append(Item(i, 0, 0, &destroyed));
    list.SetSize(2);
    EXPECT_EQ(destroyed, 2);
    list.SetSize(4);
    EXPECT_EQ(Numbers(list), (std::vector<std::int32_t>{0, 1, -1, -1}));
    list.SetSize(0);
    EXPECT_EQ(destroyed, 4);
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetCapacity(), 0);
}

TEST(ItemListTest, RemoveAllDestroysItemsAndKeepsTheBookkeeping)
{
    int destroyed = 0;
    {
        CRovaItemList list;
        list.InsertAt(0, Item(0, 0, 0, &destroyed), 1);
        list.InsertAt(1, Item(1, 1, 1, &destroyed), 1);
        const Tallies before = TalliesOf(list);
        list.RemoveAll();
        EXPECT_EQ(destroyed, 2);
        EXPECT_EQ(list.GetCount(), 0);
        EXPECT_EQ(TalliesOf(list), before);
        EXPECT_EQ(list.GetCurrent(), nullptr);

        list.Append(Item(2, 0, 0, &destroyed));
        list.Append(Item(3, 0, 0, &destroyed));
    }
    EXPECT_EQ(destroyed, 4);   // the destructor frees what is left
}

TEST(ItemListTest, CopyClonesEveryItemAndTakesTheBookkeepingAsItIs)
{
    int destroyed = 0;
    CRovaItemList source;
    source.Append(Item(0, 1, 0, &destroyed));
    source.InsertAt(3, Item(3, 0, 1, &destroyed), 0);   // slots 1 and 2 stay null
    source.SetCurrent(3);
    source.GetAt(0)->SetMarked(0);

    CRovaItemList copy;
    copy.Append(Item(99, 0, 0, &destroyed));
    copy.Copy(source);
    EXPECT_EQ(destroyed, 1);   // the copy's old item
    EXPECT_EQ(TalliesOf(copy), TalliesOf(source));
    EXPECT_EQ(Numbers(copy), (std::vector<std::int32_t>{0, -1, -1, 3}));
    ASSERT_NE(copy.GetCurrent(), nullptr);
    EXPECT_EQ(copy.GetCurrent()->GetNumber(), 3);
    for (int i : {0, 3}) {
        EXPECT_NE(copy.GetAt(i), source.GetAt(i));
        EXPECT_EQ(copy.GetAt(i)->m_pOwner, &copy);
    }

    // The clones are the copy's own: changing them leaves the source alone.
    static_cast<CountedItem*>(copy.GetAt(0))->m_number = 42;
    EXPECT_EQ(source.GetAt(0)->GetNumber(), 0);

    copy.Copy(copy);   // copying onto itself keeps everything
    EXPECT_EQ(Numbers(copy), (std::vector<std::int32_t>{42, -1, -1, 3}));
}

TEST(ItemListTest, CountsPastTheInt32RangeRaiseMemoryException)
{
    int destroyed = 0;
    CRovaItemList list;
    list.Append(Item(0, 0, 0, &destroyed));
    EXPECT_THROW(list.InsertAt(std::numeric_limits<std::int32_t>::max(), Item(1, 0, 0, &destroyed), 0),
                 CMemoryException);
    EXPECT_EQ(destroyed, 1);   // the refused item is not leaked
    EXPECT_THROW(list.SetSize(-1), CMemoryException);
    EXPECT_EQ(Numbers(list), (std::vector<std::int32_t>{0}));
}

}  // namespace
