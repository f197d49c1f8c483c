// Native benchmark of the plug-in's core on large documents, against the
// floor of inflating the body with zlib alone. Prints medians of several
// runs; see README "Performance".
//
//   rova_bench [--runs N] [--only I]
#include "bench_documents.h"
#include "bench_report.h"
#include "counting_allocator.h"

#include "document.h"
#include "file.h"
#include "flatten.h"
#include "legacy.h"
#include "localmem.h"
#include "picture_requests.h"

#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

using namespace rova_bench;

double Seconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// zlib alone: a buffer of the declared body size and one inflate over the
// whole stream, which is all the decoding any reader of the format must do.
void InflateFloor(const rova_test::Bytes& file)
{
    const std::uint32_t bodySize = static_cast<std::uint32_t>(file[8]) | (file[9] << 8) | (file[10] << 16) |
                                   (static_cast<std::uint32_t>(file[11]) << 24);
    std::unique_ptr<std::uint8_t[]> body(new std::uint8_t[bodySize ? bodySize : 1]);
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        std::abort();
    stream.next_in = const_cast<std::uint8_t*>(file.data() + 12);
    stream.avail_in = static_cast<uInt>(file.size() - 12);
    stream.next_out = body.get();
    stream.avail_out = bodySize;
    const int result = inflate(&stream, Z_FINISH);
    inflateEnd(&stream);
    if (result != Z_STREAM_END || stream.avail_out != 0)
        std::abort();
}

bool LoadDocument(const BenchDocument& doc, CRovaDocument& document)
{
    CMemFile image(doc.file.data(), static_cast<std::uint32_t>(doc.file.size()));
    if (doc.rova2)
        return document.LoadRova2(image, "???", false);
    return ReadLegacyDocument(image, document);
}

struct Blocks {
    HLOCAL header = nullptr;
    HLOCAL pixels = nullptr;
    void Free()
    {
        LocalFree(header);
        LocalFree(pixels);
        header = pixels = nullptr;
    }
};

void Check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "rova_bench: %s failed\n", what);
        std::exit(1);
    }
}

void Measure(const BenchDocument& doc, int runs)
{
    const char* image = reinterpret_cast<const char*>(doc.file.data());
    const auto imageSize = static_cast<std::int64_t>(doc.file.size());
    const std::string path = "/tmp/rova_bench_" + std::to_string(getpid()) + ".rov";
    std::ofstream(path, std::ios::binary).write(image, imageSize);

    // Peak heap of one whole GetPicture from memory, the returned blocks
    // included; the caller's image is not part of it.
    Blocks blocks;
    ResetPeakHeap();
    const std::uint64_t before = LiveHeapBytes();
    Check(RequestPicture(image, imageSize, 1, &blocks.header, &blocks.pixels) == 0, "GetPicture");
    const std::uint64_t peak = PeakHeapBytes() - before;
    blocks.Free();

    const double floorMs = doc.rova2 ? MedianMs(runs, Seconds, [&] { InflateFloor(doc.file); }) : -1;
    std::unique_ptr<CRovaDocument> loaded;
    const double loadMs = MedianMs(
        runs, Seconds,
        [&] {
            loaded = std::make_unique<CRovaDocument>();
            Check(LoadDocument(doc, *loaded), "load");
        },
        [&] { loaded.reset(); });
    loaded = std::make_unique<CRovaDocument>();
    Check(LoadDocument(doc, *loaded), "load");
    const double flattenMs = MedianMs(
        runs, Seconds, [&] { Check(FlattenPageToDib(*loaded, &blocks.header, &blocks.pixels) == 0, "flatten"); },
        [&] { blocks.Free(); });
    loaded.reset();
    const double memoryMs = MedianMs(
        runs, Seconds,
        [&] { Check(RequestPicture(image, imageSize, 1, &blocks.header, &blocks.pixels) == 0, "GetPicture"); },
        [&] { blocks.Free(); });
    const double fileMs = MedianMs(
        runs, Seconds,
        [&] { Check(RequestPicture(path.c_str(), 0, 0, &blocks.header, &blocks.pixels) == 0, "GetPicture file"); },
        [&] { blocks.Free(); });
    PictureInfo info;
    const double infoMs =
        MedianMs(runs, Seconds, [&] { Check(RequestPictureInfo(image, imageSize, 1, &info) == 0, "GetPictureInfo"); });
    std::remove(path.c_str());

    const std::uint64_t needed = doc.bodyBytes + doc.layerBytes + doc.bitmapBytes;
    char ratio[32] = "n/a";
    if (floorMs > 0)
        std::snprintf(ratio, sizeof ratio, "%.2f", memoryMs / floorMs);
    std::printf("| %s | %s | %s | %s | %s | %s | %s | %s | %s / %s |\n", doc.name.c_str(),
                Cell(floorMs, doc.layerBytes).c_str(), Cell(loadMs, doc.layerBytes).c_str(),
                Cell(flattenMs, doc.pageLayerBytes).c_str(), Cell(memoryMs, doc.layerBytes).c_str(),
                Cell(fileMs, doc.layerBytes).c_str(), Cell(infoMs, doc.layerBytes).c_str(), ratio,
                Mib(peak).c_str(), Mib(needed).c_str());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    int runs = 5;
    int only = -1;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--only") == 0)
            only = std::atoi(argv[i + 1]);
    }
    std::printf("Native (g++ -O2, rova_spi_core linked in), median of %d runs. Rates are MB/s of layer pixel bytes:\n"
                "all layers of all pages, for Flatten those of the current page. Peak: heap of one GetPicture from\n"
                "memory (counting malloc) / body + layer buffers + bitmap.\n\n",
                runs);
    std::printf("| Document | zlib floor | Load | Flatten | GetPicture (memory) | GetPicture (file) | GetPictureInfo "
                "| GetPicture / floor | Peak / needed MiB |\n|---|---|---|---|---|---|---|---|---|\n");
    for (int i = 0; i < kDocumentCount; ++i) {
        if (only >= 0 && i != only)
            continue;
        const BenchDocument doc = MakeDocument(i);
        Measure(doc, runs);
    }
    return 0;
}
