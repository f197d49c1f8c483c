#include "plugin_info.h"

#include "texts.h"

#include <cstring>

namespace {

const char* const kPluginInfo[] = {
    "00IN",
    "ROVA2 Susie Plug-in Ver.0.90a (C) Quillmere",
    "*.rov",
    texts::kPluginFileType,
};

}  // namespace

int CopyPluginInfo(int index, char* buffer, int bufferLength)
{
    const unsigned slot = static_cast<unsigned>(index);
    if (slot >= sizeof kPluginInfo / sizeof kPluginInfo[0] || bufferLength <= 0 || !buffer)
        return 0;
    const char* text = kPluginInfo[slot];
    std::size_t n = std::strlen(text) + 1;
    if (n >= static_cast<std::size_t>(bufferLength))
        n = static_cast<std::size_t>(bufferLength);
    std::memcpy(buffer, text, n);
    return static_cast<int>(n);
}
