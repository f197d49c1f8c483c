// Buffer sizes computed from file data. Every such size goes through here:
// the product is formed in 64 bits, and one that no buffer could hold is
// treated as exhausted memory, never wrapped.
//
// A picture request also runs under a per-document allocation budget: every
// buffer made through AllocArray/AllocBytes (and whatever else is charged
// explicitly) counts against it before the memory is touched, so a file that
// asks for more than the budget fails fast instead of exhausting the host.
#pragma once

#include "exceptions.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

// The largest single buffer the library will ask for.
constexpr std::uint64_t kMaxBufferBytes =
    sizeof(void*) >= 8 ? (std::uint64_t{1} << 40) : (std::uint64_t{1} << 31) - 1;

// What one document may allocate in all (body, objects, pixel buffers and
// bitmap together), in 32-bit and 64-bit processes alike. It also bounds the
// time a request can take: inflating and walking a body of this size, or
// filling buffers of it, takes about two seconds.
constexpr std::uint64_t kDocumentBudgetBytes = std::uint64_t{512} << 20;

// The budget of the running request, active on its thread while the scope
// lives. Charges are cumulative: memory freed during the request is not given
// back, which keeps the count simple and errs on the safe side. A scope
// opened while another is active on the same thread leaves that one in charge.
class AllocationBudget {
public:
    explicit AllocationBudget(std::uint64_t limit = kDocumentBudgetBytes)
        : m_limit(limit), m_outer(ActiveSlot())
    {
        if (!m_outer)
            ActiveSlot() = this;
    }
    ~AllocationBudget()
    {
        if (ActiveSlot() == this)
            ActiveSlot() = m_outer;
    }
    AllocationBudget(const AllocationBudget&) = delete;
    AllocationBudget& operator=(const AllocationBudget&) = delete;

    // Counts bytes when they fit in what is left; false (nothing counted) otherwise.
    bool TryCharge(std::uint64_t bytes)
    {
        if (bytes > m_limit - m_used)
            return false;
        m_used += bytes;
        return true;
    }
    std::uint64_t Used() const { return m_used; }
    std::uint64_t Limit() const { return m_limit; }

    // The budget in charge on this thread, or null outside any request.
    static AllocationBudget* Active() { return ActiveSlot(); }

private:
    static AllocationBudget*& ActiveSlot()
    {
        static thread_local AllocationBudget* active = nullptr;
        return active;
    }

    std::uint64_t m_limit;
    std::uint64_t m_used = 0;
    AllocationBudget* m_outer;
};

// Charges bytes to the active budget; true when they fit or no budget is active.
inline bool TryChargeBudget(std::uint64_t bytes)
{
    AllocationBudget* budget = AllocationBudget::Active();
    return !budget || budget->TryCharge(bytes);
}

// Charges bytes to the active budget; raises CMemoryException when they do not fit.
inline void ChargeBudget(std::uint64_t bytes)
{
    if (!TryChargeBudget(bytes))
        AfxThrowMemoryException();
}

// a * b * c as a byte count; negative factors or an unrepresentable product
// raise CMemoryException.
inline std::size_t BufferSize(std::int64_t a, std::int64_t b = 1, std::int64_t c = 1)
{
    if (a < 0 || b < 0 || c < 0)
        AfxThrowMemoryException();
    std::uint64_t product = static_cast<std::uint64_t>(a);
    for (std::uint64_t factor : {static_cast<std::uint64_t>(b), static_cast<std::uint64_t>(c)}) {
        if (factor != 0 && product > kMaxBufferBytes / factor)
            AfxThrowMemoryException();
        product *= factor;
    }
    if (product > kMaxBufferBytes)
        AfxThrowMemoryException();
    return static_cast<std::size_t>(product);
}

// An array of count plain elements (contents undefined); raises
// CMemoryException when the size cannot be represented, does not fit in the
// active budget, or the memory is not there.
template <class T>
std::unique_ptr<T[]> AllocArray(std::int64_t count)
{
    const std::size_t bytes = BufferSize(count, static_cast<std::int64_t>(sizeof(T)));
    ChargeBudget(bytes);
    std::unique_ptr<T[]> buffer(new (std::nothrow) T[bytes ? bytes / sizeof(T) : 1]);
    if (!buffer)
        AfxThrowMemoryException();
    return buffer;
}

inline std::unique_ptr<std::uint8_t[]> AllocBytes(std::size_t bytes)
{
    return AllocArray<std::uint8_t>(static_cast<std::int64_t>(bytes));
}
