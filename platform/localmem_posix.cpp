// Stand-in for the LocalAlloc family over malloc: a small header before the
// bytes keeps the size and the lock count so tests can check both.
#include "localmem.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

struct BlockHeader {
    std::size_t size;
    unsigned locks;
    unsigned magic;
};
constexpr unsigned kMagic = 0x4C4D454Du;   // "LMEM"

BlockHeader* HeaderOf(HLOCAL block)
{
    auto* header = static_cast<BlockHeader*>(block);
    return header && header->magic == kMagic ? header : nullptr;
}

}  // namespace

HLOCAL LocalAlloc(unsigned flags, std::size_t bytes)
{
    if (bytes > static_cast<std::size_t>(-1) - sizeof(BlockHeader))
        return nullptr;
    auto* header = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + bytes));
    if (!header)
        return nullptr;
    *header = BlockHeader{bytes, 0, kMagic};
    if (flags & LMEM_ZEROINIT)
        std::memset(header + 1, 0, bytes);
    return header;
}

void* LocalLock(HLOCAL block)
{
    BlockHeader* header = HeaderOf(block);
    if (!header)
        return nullptr;
    ++header->locks;
    return header + 1;
}

int LocalUnlock(HLOCAL block)
{
    BlockHeader* header = HeaderOf(block);
    if (!header || header->locks == 0)
        return 0;
    return static_cast<int>(--header->locks);
}

HLOCAL LocalFree(HLOCAL block)
{
    if (!block)
        return nullptr;
    BlockHeader* header = HeaderOf(block);
    if (!header)
        return block;
    header->magic = 0;
    std::free(header);
    return nullptr;
}

std::size_t LocalSize(HLOCAL block)
{
    BlockHeader* header = HeaderOf(block);
    return header ? header->size : 0;
}

unsigned LocalLockCount(HLOCAL block)
{
    BlockHeader* header = HeaderOf(block);
    return header ? header->locks : 0;
}
