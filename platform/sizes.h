// Buffer sizes computed from file data. Every such size goes through here:
// the product is formed in 64 bits, and one that no buffer could hold is
// treated as exhausted memory, never wrapped.
#pragma once

#include "exceptions.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

// The largest single buffer the library will ask for.
constexpr std::uint64_t kMaxBufferBytes =
    sizeof(void*) >= 8 ? (std::uint64_t{1} << 40) : (std::uint64_t{1} << 31) - 1;

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
// CMemoryException when the size cannot be represented or the memory had.
template <class T>
std::unique_ptr<T[]> AllocArray(std::int64_t count)
{
    const std::size_t bytes = BufferSize(count, static_cast<std::int64_t>(sizeof(T)));
    std::unique_ptr<T[]> buffer(new (std::nothrow) T[bytes ? bytes / sizeof(T) : 1]);
    if (!buffer)
        AfxThrowMemoryException();
    return buffer;
}

inline std::unique_ptr<std::uint8_t[]> AllocBytes(std::size_t bytes)
{
    return AllocArray<std::uint8_t>(static_cast<std::int64_t>(bytes));
}
