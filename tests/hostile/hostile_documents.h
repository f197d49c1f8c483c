// Hostile documents built with the writer: bodies whose sizes, counts,
// positions and indexes are out of all proportion to the file.
#pragma once

#include "rova_files.h"

#include <cstdint>
#include <vector>

namespace rova_hostile {

using rova_test::Bytes;

// Document chunks before the pages: 8 bits per pixel, one 16-entry palette, current.
Bytes PaletteChunks();
// A page chunk of width x height (u16 chunks) with the given layer payloads.
Bytes PageChunk(std::uint16_t width, std::uint16_t height, const std::vector<Bytes>& layers);
// A layer payload with the given pixel bytes and extra chunks.
Bytes LayerPayload(const Bytes& pixels, const Bytes& extra = {});
// A whole body: palette chunks, then the page chunks, page 0 current.
Bytes Body(const std::vector<Bytes>& pages);

}  // namespace rova_hostile
