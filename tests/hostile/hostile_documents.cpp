#include "hostile_documents.h"

namespace rova_hostile {

using namespace rova_test;

Bytes PaletteChunks()
{
    Bytes colors(16 * 3);
    for (std::size_t i = 0; i < colors.size(); ++i)
        colors[i] = static_cast<std::uint8_t>(i * 5);
    ByteWriter w;
    w.Chunk(1000, U8(8)).Chunk(1001, U8(0)).Chunk(3001, U16(16)).Chunk(3006, U32(0));
    w.Chunk(3003, Chunk(1005, colors)).Chunk(3004, U32(0));
    return w;
}

Bytes PageChunk(std::uint16_t width, std::uint16_t height, const std::vector<Bytes>& layers)
{
    ByteWriter w;
    w.Chunk(1005, U16(width)).Chunk(1006, U16(height));
    for (const Bytes& layer : layers)
        w.Chunk(2003, layer);
    return Chunk(2003, w);
}

Bytes LayerPayload(const Bytes& pixels, const Bytes& extra)
{
    return Concat({Chunk(1006, pixels), extra});
}

Bytes Body(const std::vector<Bytes>& pages)
{
    ByteWriter w;
    w.Raw(PaletteChunks());
    for (const Bytes& page : pages)
        w.Raw(page);
    w.Chunk(2004, U32(0));
    return w;
}

}  // namespace rova_hostile
