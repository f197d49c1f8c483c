// The base of pages, layers and palettes, and the owning list that holds them
// with a current index and three flag tallies.
#pragma once

#include <cstdint>
#include <memory>

class CRovaItemList;

class CRovaItem {
public:
    CRovaItem() = default;
    virtual ~CRovaItem() = default;
    CRovaItem(const CRovaItem&) = delete;
    CRovaItem& operator=(const CRovaItem&) = delete;

    virtual std::int32_t GetNumber() const { return 0; }
    // A deep copy owned by the caller.
    virtual std::unique_ptr<CRovaItem> Clone() const { return nullptr; }

    // Store the flag byte and keep the owner's tallies (bytes are compared,
    // so 1 then 2 counts as a change).
    void SetMarked(std::uint8_t value);
    void SetSelected(std::uint8_t value);

    std::uint8_t m_bMarked = 0;
    std::uint8_t m_bEnabled = 1;
    std::uint8_t m_bSelected = 0;
    CRovaItemList* m_pOwner = nullptr;   // back-pointer, not owning
};

class CRovaItemList {
public:
    CRovaItemList() = default;
    virtual ~CRovaItemList();
    CRovaItemList(const CRovaItemList&) = delete;
    CRovaItemList& operator=(const CRovaItemList&) = delete;

    std::int32_t GetCount() const { return m_nCount; }
    // Null for an index that names no item.
    CRovaItem* GetAt(std::int32_t index) const;
    template <class T>
    T* GetAtAs(std::int32_t index) const { return static_cast<T*>(GetAt(index)); }
    std::int32_t GetCurrentIndex() const { return m_nCurrent; }
    CRovaItem* GetCurrent() const { return GetAt(m_nCurrent); }
    template <class T>
    T* GetCurrentAs() const { return static_cast<T*>(GetCurrent()); }

    void SetCurrent(std::int32_t index);
    void ClearCurrent();
    void InsertAt(std::int32_t index, std::unique_ptr<CRovaItem> item, std::uint8_t keepCurrent);
    void Append(std::unique_ptr<CRovaItem> item);
    void SetSize(std::int32_t newCount);
    void RemoveAll();
    void Copy(const CRovaItemList& other);
    virtual std::uint8_t IsMarked(std::int32_t index) const;

    std::int32_t GetCapacity() const { return m_nCapacity; }

    std::int32_t m_nCurrent = -1;
    std::int32_t m_nSelected = 0;
    std::int32_t m_nMarked = 0;
    std::int32_t m_nSelectedMarked = 0;

private:
    // Destroys the items in slots [from, to) and leaves those slots null.
    void DestroySlots(std::int32_t from, std::int32_t to);

    std::unique_ptr<CRovaItem*[]> m_pSlots;   // the list owns every non-null slot
    std::int32_t m_nCount = 0;
    std::int32_t m_nCapacity = 0;
    std::int32_t m_nGrowBy = 0;               // 0: automatic step
};
