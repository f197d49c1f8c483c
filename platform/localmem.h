// Movable local memory, the currency of the Susie interface for bitmaps.
// On Windows it is the real LocalAlloc family; elsewhere a stand-in over
// malloc lets the flattening code run and be tested natively.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <cstddef>

using HLOCAL = void*;
constexpr unsigned LMEM_FIXED = 0x0000;
constexpr unsigned LMEM_MOVEABLE = 0x0002;
constexpr unsigned LMEM_ZEROINIT = 0x0040;

HLOCAL LocalAlloc(unsigned flags, std::size_t bytes);
void* LocalLock(HLOCAL block);
int LocalUnlock(HLOCAL block);     // nonzero while the block stays locked
HLOCAL LocalFree(HLOCAL block);    // null on success
std::size_t LocalSize(HLOCAL block);
unsigned LocalLockCount(HLOCAL block);   // for tests: locks not yet undone
#endif
