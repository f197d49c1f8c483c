// The shipped x64 plug-in timed as a Susie host sees it: Rova2SPI.spi loaded
// with LoadLibrary, GetPicture and GetPictureInfo called through
// GetProcAddress, timed with QueryPerformanceCounter, against the floor of
// inflating the body with the same zlib. Run under Wine by scripts/bench.sh.
//
//   rova_bench_win.exe [--runs N]
// Each document is measured in a child process of its own (--measure), so
// its peak working set (GetProcessMemoryInfo) belongs to it alone.
#include "bench_documents.h"
#include "bench_report.h"
#include "susie_api.h"
#include "wine_path.h"

#include <windows.h>
#include <psapi.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#ifndef ROVA_SPI_PATH
#error "ROVA_SPI_PATH must name the plug-in to time"
#endif

namespace {

using namespace rova_bench;
using susie::GetPictureFn;
using susie::GetPictureInfoFn;
using susie::WindowsPath;

double Seconds()
{
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / frequency;
}

void Check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "rova_bench_win: %s failed\n", what);
        std::exit(1);
    }
}

void InflateFloor(const std::vector<std::uint8_t>& file)
{
    const std::uint32_t bodySize = static_cast<std::uint32_t>(file[8]) | (file[9] << 8) | (file[10] << 16) |
                                   (static_cast<std::uint32_t>(file[11]) << 24);
    auto* body = static_cast<std::uint8_t*>(std::malloc(bodySize ? bodySize : 1));
    z_stream stream{};
    Check(body && inflateInit(&stream) == Z_OK, "inflateInit");
    stream.next_in = const_cast<std::uint8_t*>(file.data() + 12);
    stream.avail_in = static_cast<uInt>(file.size() - 12);
    stream.next_out = body;
    stream.avail_out = bodySize;
    const int result = inflate(&stream, Z_FINISH);
    inflateEnd(&stream);
    std::free(body);
    Check(result == Z_STREAM_END && stream.avail_out == 0, "inflate");
}

// Wine takes the working set from the process's resident memory, and its
// peak from the kernel's high-water mark; the commit charge it reports does
// not follow the heap.
std::uint64_t WorkingSet(bool peak)
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return peak ? counters.PeakWorkingSetSize : counters.WorkingSetSize;
}

int Measure(int index, const char* path, int runs, const BenchDocument& sizes)
{
    // ROVA_SPI names another build of the plug-in to time, e.g. an older one.
    const char* other = std::getenv("ROVA_SPI");
    HMODULE plugin = LoadLibraryA(WindowsPath(other && *other ? other : ROVA_SPI_PATH).c_str());
    Check(plugin != nullptr, "LoadLibrary");
    auto getPicture = reinterpret_cast<GetPictureFn>(reinterpret_cast<void*>(GetProcAddress(plugin, "GetPicture")));
    auto getPictureInfo =
        reinterpret_cast<GetPictureInfoFn>(reinterpret_cast<void*>(GetProcAddress(plugin, "GetPictureInfo")));
    Check(getPicture && getPictureInfo, "GetProcAddress");

    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Check(!file.empty(), "reading the document");
    const char* image = reinterpret_cast<const char*>(file.data());
    const auto size = static_cast<LONG_PTR>(file.size());
    const bool rova2 = file[4] == '2';

    HLOCAL header = nullptr, pixels = nullptr;
    auto release = [&] {
        LocalFree(header);
        LocalFree(pixels);
        header = pixels = nullptr;
    };
    // Peak working set of one GetPicture from memory above what the process
    // held before it (the image included there), the returned blocks included.
    const std::uint64_t before = WorkingSet(false);
    Check(getPicture(image, size, 1, &header, &pixels, nullptr, 0) == 0, "GetPicture");
    const std::uint64_t peak = WorkingSet(true) - before;
    release();

    const double floorMs = rova2 ? MedianMs(runs, Seconds, [&] { InflateFloor(file); }) : -1;
    const double memoryMs = MedianMs(
        runs, Seconds, [&] { Check(getPicture(image, size, 1, &header, &pixels, nullptr, 0) == 0, "GetPicture"); },
        release);
    const double fileMs = MedianMs(
        runs, Seconds, [&] { Check(getPicture(path, 0, 0, &header, &pixels, nullptr, 0) == 0, "GetPicture file"); },
        release);
    susie::PictureInfo info;
    const double infoMs =
        MedianMs(runs, Seconds, [&] { Check(getPictureInfo(image, size, 1, &info) == 0, "GetPictureInfo"); });
    FreeLibrary(plugin);

    const std::uint64_t needed = sizes.bodyBytes + sizes.layerBytes + sizes.bitmapBytes;
    char ratio[32] = "n/a";
    if (floorMs > 0)
        std::snprintf(ratio, sizeof ratio, "%.2f", memoryMs / floorMs);
    std::printf("| %s | %s | %s | %s | %s | %s | %s / %s |\n", DocumentName(index), Cell(floorMs, sizes.layerBytes).c_str(),
                Cell(memoryMs, sizes.layerBytes).c_str(), Cell(fileMs, sizes.layerBytes).c_str(),
                Cell(infoMs, sizes.layerBytes).c_str(), ratio, Mib(peak).c_str(), Mib(needed).c_str());
    std::fflush(stdout);
    return 0;
}

// Writes document i to a file and measures it in a child process.
void MeasureInChild(const char* self, int index, int runs)
{
    const BenchDocument doc = MakeDocument(index);
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "rova_bench_" + std::to_string(index) + ".rov";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(doc.file.data()),
                                                 static_cast<std::streamsize>(doc.file.size()));
    std::string command = std::string("\"") + self + "\" --measure " + std::to_string(index) + " \"" + path + "\" " +
                          std::to_string(runs) + " " + std::to_string(doc.bodyBytes) + " " +
                          std::to_string(doc.layerBytes) + " " + std::to_string(doc.bitmapBytes);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    Check(CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process),
          "CreateProcess");
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    DeleteFileA(path.c_str());
    Check(code == 0, "measuring in a child process");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 8 && std::strcmp(argv[1], "--measure") == 0) {
        BenchDocument sizes;
        sizes.bodyBytes = std::strtoull(argv[5], nullptr, 10);
        sizes.layerBytes = std::strtoull(argv[6], nullptr, 10);
        sizes.bitmapBytes = std::strtoull(argv[7], nullptr, 10);
        return Measure(std::atoi(argv[2]), argv[3], std::atoi(argv[4]), sizes);
    }
    int runs = 5;
    if (argc == 3 && std::strcmp(argv[1], "--runs") == 0)
        runs = std::max(1, std::atoi(argv[2]));
    std::printf("x64 Rova2SPI.spi under Wine (LoadLibrary + GetProcAddress, QueryPerformanceCounter), median of %d "
                "runs. Rates are MB/s of layer pixel bytes of all pages. Peak: working set (PeakWorkingSetSize) of "
                "one GetPicture from memory / body + layer buffers + bitmap.\n\n",
                runs);
    std::printf("| Document | zlib floor | GetPicture (memory) | GetPicture (file) | GetPictureInfo | GetPicture / floor "
                "| Peak / needed MiB |\n|---|---|---|---|---|---|---|\n");
    std::fflush(stdout);
    for (int i = 0; i < kDocumentCount; ++i)
        MeasureInChild(argv[0], i, runs);
    return 0;
}
