// Writes the fuzzers' seed corpus with the test-side writer:
//   make_fuzz_seeds <corpus folder>   (fills <folder>/rova2, legacy, info)
// Small documents that between them reach every chunk handler.
#include "rova_files.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace rova_test;
namespace fs = std::filesystem;

bool WriteFile(const fs::path& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

DocSpec Small(std::int32_t width, std::int32_t height, std::size_t shapes)
{
    DocSpec spec = ShapesDocument(width, height, shapes);
    spec.colorCount = 16;
    spec.palettes[0].bgr.resize(16 * 3);
    return spec;
}

// A body with the chunks the writer's documents leave out: a layer selection
// with mask and packed pixels, a palette selection with its sub-palette, a
// page byte map and the two auxiliary records.
Bytes SelectionBody()
{
    const Bytes mask = {1, 0, 1, 1, 0, 1};
    const Bytes layer = Concat({Chunk(1000, Text("sel")), Chunk(1006, Bytes(4 * 3, 7)),
                                Chunk(1008, Concat({Chunk(1000, Rect(-1, 0, 2, 2)), Chunk(1001, mask),
                                                    Chunk(1002, Bytes{9, 8, 7, 6})}))});
    const Bytes page = Concat({Chunk(1005, U16(4)), Chunk(1006, U16(3)), Chunk(2003, layer), Chunk(2004, U32(0)),
                               Chunk(4000, U32(0x00020002)), Chunk(4001, Bytes{1, 2, 3, 4}),
                               Chunk(3003, ValuePair(5, 6))});
    Bytes paletteMask(256, 0);
    paletteMask[0] = paletteMask[17] = paletteMask[18] = 1;
    const Bytes palette = Concat({Chunk(1005, Bytes(4 * 3, 0x40)), Chunk(1006, Bytes(8, 1)),
                                  Chunk(1011, Concat({Chunk(1000, paletteMask), Chunk(1001, Bytes(9, 0x80))})),
                                  Chunk(2001, U8(3))});
    ByteWriter w;
    w.Chunk(1000, U8(8)).Chunk(1001, U8(0)).Chunk(3001, U16(4)).Chunk(3006, U32(7));
    w.Chunk(1004, Chunk(1000, U8(9))).Chunk(1005, Chunk(1001, U8(1)));
    w.Chunk(3003, palette).Chunk(3004, U32(0)).Chunk(2003, page).Chunk(2004, U32(0));
    return w;
}

Bytes Prefixed(std::uint8_t mode, const Bytes& rest)
{
    Bytes out{mode};
    out.insert(out.end(), rest.begin(), rest.end());
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds <corpus folder>\n");
        return 2;
    }
    const fs::path root = argv[1];
    for (const char* target : {"rova2", "legacy", "info"})
        fs::create_directories(root / target);

    DocSpec shapes = Small(8, 6, 2);
    DocSpec nibble = Small(5, 3, 1);
    nibble.nibbleMode = true;
    DocSpec pages = Small(4, 2, 1);
    pages.pages.push_back(pages.pages[0]);
    pages.currentPage = 1;
    DocSpec twoByte = Small(3, 3, 1);
    twoByte.paletteFormat = 1;
    DocSpec deep = Small(2, 2, 0);
    deep.bitDepth = 24;
    for (auto& layer : deep.pages[0].layers)
        layer.pixels.resize(2 * 2 * 3, 5);

    bool ok = true;
    const std::pair<const char*, Bytes> bodies[] = {
        {"shapes", Rova2Body(shapes)},   {"nibble", Rova2Body(nibble)},       {"two_pages", Rova2Body(pages)},
        {"two_byte", Rova2Body(twoByte)}, {"depth24", Rova2Body(deep)},       {"selections", SelectionBody()},
    };
    for (const auto& [name, body] : bodies)
        ok = WriteFile(root / "rova2" / (std::string(name) + ".bin"), Prefixed(0, body)) && ok;
    // The raw form: header and zlib stream as a file holds them.
    const Bytes file = Rova2Document(shapes);
    ok = WriteFile(root / "rova2" / "raw_shapes.bin", Prefixed(2, Bytes(file.begin() + 5, file.end()))) && ok;

    const Bytes legacy = LegacyFileBytes(LegacyFromDoc(shapes));
    ok = WriteFile(root / "legacy" / "shapes.bin", Bytes(legacy.begin() + 10, legacy.end())) && ok;
    LegacyFile runs = LegacyFromDoc(Small(6, 2, 1));
    runs.layers[0].block = LegacyBlock({{0, 2, 1}, {0, 1, 2}, {3, 4, 9}}, Bytes{7, 8, 7});
    const Bytes runsBytes = LegacyFileBytes(runs);
    ok = WriteFile(root / "legacy" / "runs.bin", Bytes(runsBytes.begin() + 10, runsBytes.end())) && ok;

    ok = WriteFile(root / "info" / "shapes.rov", file) && ok;
    ok = WriteFile(root / "info" / "selections.rov", Rova2File(SelectionBody())) && ok;
    ok = WriteFile(root / "info" / "legacy.rov", legacy) && ok;
    return ok ? 0 : 1;
}
