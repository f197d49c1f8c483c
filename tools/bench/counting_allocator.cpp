#include "counting_allocator.h"

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <malloc.h>

extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);
void __libc_free(void*);
}

namespace {

std::atomic<std::uint64_t> g_live{0};
std::atomic<std::uint64_t> g_peak{0};

void* Counted(void* block)
{
    if (block) {
        const std::uint64_t live = g_live += malloc_usable_size(block);
        std::uint64_t peak = g_peak.load(std::memory_order_relaxed);
        while (live > peak && !g_peak.compare_exchange_weak(peak, live)) {
        }
    }
    return block;
}

void Uncount(void* block)
{
    if (block)
        g_live -= malloc_usable_size(block);
}

}  // namespace

extern "C" {

void* malloc(std::size_t size) { return Counted(__libc_malloc(size)); }
void* calloc(std::size_t count, std::size_t size) { return Counted(__libc_calloc(count, size)); }
void free(void* block)
{
    Uncount(block);
    __libc_free(block);
}
void* realloc(void* block, std::size_t size)
{
    if (!block)
        return malloc(size);
    const std::size_t old = malloc_usable_size(block);
    void* moved = __libc_realloc(block, size);
    if (!moved && size != 0)
        return nullptr;   // the old block stays, and stays counted
    g_live -= old;
    return Counted(moved);
}
void* memalign(std::size_t alignment, std::size_t size) { return Counted(__libc_memalign(alignment, size)); }
void* aligned_alloc(std::size_t alignment, std::size_t size) { return memalign(alignment, size); }
int posix_memalign(void** out, std::size_t alignment, std::size_t size)
{
    if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0)
        return EINVAL;
    void* block = memalign(alignment, size);
    if (!block)
        return ENOMEM;
    *out = block;
    return 0;
}

}  // extern "C"

namespace rova_bench {

std::uint64_t LiveHeapBytes() { return g_live.load(); }
std::uint64_t PeakHeapBytes() { return g_peak.load(); }
void ResetPeakHeap() { g_peak = g_live.load(); }

}  // namespace rova_bench
