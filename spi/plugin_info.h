// The description strings of GetPluginInfo and the argument test of
// IsSupported, kept free of Windows so they are tested natively.
#pragma once

#include <cstdint>

// Copies description string `index` (0 to 3) into buffer: min(length + 1,
// bufferLength) bytes, so a short buffer gets a prefix without terminator.
// Returns the bytes copied; 0 for another index or a negative length.
int CopyPluginInfo(int index, char* buffer, int bufferLength);

// IsSupported's second argument is a file handle when only its low 16 bits
// can be set; anything wider is the address of the file's leading bytes.
inline bool IsFileHandleArgument(std::uintptr_t handleOrAddress)
{
    return (handleOrAddress & ~static_cast<std::uintptr_t>(0xFFFF)) == 0;
}
