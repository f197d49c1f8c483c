#include "item.h"

#include "sizes.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

int Delta(std::uint8_t value)
{
    return value ? 1 : -1;
}

// Slot counts are i32; a count that would leave that range is treated as
// exhausted memory rather than wrapped.
std::int32_t CheckedCount(std::int64_t count)
{
    if (count < 0 || count > std::numeric_limits<std::int32_t>::max())
        AfxThrowMemoryException();
    return static_cast<std::int32_t>(count);
}

}  // namespace

void CRovaItem::SetSelected(std::uint8_t value)
{
    if (value == m_bSelected)
        return;
    if (m_pOwner) {
        const int delta = Delta(value);
        m_pOwner->m_nSelected += delta;
        if (m_bMarked)
            m_pOwner->m_nSelectedMarked += delta;
    }
    m_bSelected = value;
}

void CRovaItem::SetMarked(std::uint8_t value)
{
    if (value == m_bMarked)
        return;
    if (m_pOwner) {
        const int delta = Delta(value);
        m_pOwner->m_nMarked += delta;
        if (m_pOwner->GetCurrent() == this || m_bSelected)
            m_pOwner->m_nSelectedMarked += delta;
    }
    m_bMarked = value;
}

CRovaItemList::~CRovaItemList()
{
    RemoveAll();
}

CRovaItem* CRovaItemList::GetAt(std::int32_t index) const
{
    if (index < 0 || index >= m_nCount)
        return nullptr;
    return m_pSlots[index];
}

std::uint8_t CRovaItemList::IsMarked(std::int32_t index) const
{
    const CRovaItem* item = GetAt(index);
    return item ? item->m_bMarked : 0;
}

void CRovaItemList::SetCurrent(std::int32_t index)
{
    const CRovaItem* item = GetAt(index);
    if (item && item->m_bMarked)
        ++m_nSelectedMarked;
    m_nCurrent = index;
    ++m_nSelected;
}

void CRovaItemList::ClearCurrent()
{
    if (m_nCurrent == -1)
        return;
    const CRovaItem* item = GetAt(m_nCurrent);
    if (item && item->m_bMarked)
        --m_nSelectedMarked;
    m_nCurrent = -1;
    --m_nSelected;
}

void CRovaItemList::DestroySlots(std::int32_t from, std::int32_t to)
{
    for (std::int32_t i = from; i < to; ++i) {
        delete m_pSlots[i];
        m_pSlots[i] = nullptr;
    }
}

void CRovaItemList::SetSize(std::int32_t newCount)
{
    newCount = CheckedCount(newCount);
    if (newCount == 0) {
        RemoveAll();
        return;
    }
    if (!m_pSlots) {
        auto slots = AllocArray<CRovaItem*>(newCount);
        std::fill_n(slots.get(), newCount, nullptr);
        m_pSlots = std::move(slots);
        m_nCount = newCount;
        m_nCapacity = newCount;
        return;
    }
    if (newCount <= m_nCapacity) {
        if (newCount > m_nCount)
            std::fill(m_pSlots.get() + m_nCount, m_pSlots.get() + newCount, nullptr);
        else
            DestroySlots(newCount, m_nCount);   // the list owns what it drops
        m_nCount = newCount;
        return;
    }
    const std::int32_t step = m_nGrowBy != 0 ? m_nGrowBy : std::clamp(m_nCount / 8, 4, 1024);
    const std::int64_t grown = static_cast<std::int64_t>(m_nCapacity) + step;
    const std::int32_t newCapacity =
        static_cast<std::int32_t>(std::min<std::int64_t>(std::max<std::int64_t>(grown, newCount),
                                                         std::numeric_limits<std::int32_t>::max()));
    auto slots = AllocArray<CRovaItem*>(newCapacity);
    std::copy_n(m_pSlots.get(), m_nCount, slots.get());
    std::fill(slots.get() + m_nCount, slots.get() + newCount, nullptr);
    m_pSlots = std::move(slots);
    m_nCount = newCount;
    m_nCapacity = newCapacity;
}

void CRovaItemList::InsertAt(std::int32_t index, std::unique_ptr<CRovaItem> item, std::uint8_t keepCurrent)
{
    if (!item)
        return;
    // A negative position would address memory before the array: insert at the front instead.
    index = std::max(index, 0);
    const std::int32_t saved = m_nCurrent;
    ClearCurrent();

    if (index >= m_nCount) {
        SetSize(CheckedCount(static_cast<std::int64_t>(index) + 1));
    } else {
        const std::int32_t oldCount = m_nCount;
        SetSize(CheckedCount(static_cast<std::int64_t>(oldCount) + 1));
        std::memmove(m_pSlots.get() + index + 1, m_pSlots.get() + index,
                     sizeof(CRovaItem*) * static_cast<std::size_t>(oldCount - index));
    }
    CRovaItem* inserted = item.release();
    m_pSlots[index] = inserted;
    inserted->m_pOwner = this;

    if (m_nCount == 1) {
        // The first item's own flags are deliberately not counted.
        m_nCurrent = -1;
        m_nSelected = 0;
        m_nMarked = 0;
        m_nSelectedMarked = 0;
        if (keepCurrent)
            SetCurrent(0);
        return;
    }
    if (inserted->m_bSelected) {
        ++m_nSelected;
        if (inserted->m_bMarked)
            ++m_nSelectedMarked;
    }
    if (inserted->m_bMarked)
        ++m_nMarked;
    if (keepCurrent && saved != -1)
        SetCurrent(index <= saved ? saved + 1 : saved);
}

void CRovaItemList::Append(std::unique_ptr<CRovaItem> item)
{
    const std::int32_t last = m_nCount;
    SetSize(CheckedCount(static_cast<std::int64_t>(last) + 1));
    CRovaItem* appended = item.release();
    m_pSlots[last] = appended;
    if (appended)
        appended->m_pOwner = this;
}

void CRovaItemList::RemoveAll()
{
    if (m_pSlots)
        DestroySlots(0, m_nCount);
    m_pSlots.reset();
    m_nCount = 0;
    m_nCapacity = 0;
}

void CRovaItemList::Copy(const CRovaItemList& other)
{
    if (&other == this)
        return;
    RemoveAll();
    m_nCurrent = other.m_nCurrent;
    m_nSelected = other.m_nSelected;
    m_nMarked = other.m_nMarked;
    m_nSelectedMarked = other.m_nSelectedMarked;
    // A null source slot stays a null slot, so the copied current index
    // still names the clone of the same item.
    for (std::int32_t i = 0; i < other.m_nCount; ++i) {
        const CRovaItem* source = other.m_pSlots[i];
        Append(source ? source->Clone() : nullptr);
    }
}
