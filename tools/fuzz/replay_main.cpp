// Replays inputs through a fuzz target without libFuzzer, so the normal test
// run (g++, AddressSanitizer + UBSan) covers the corpus and the regressions.
//   fuzz_<target> <file or folder>...   runs every file, folders one level deep
//   fuzz_<target> --emit <out> <input>  writes the memory image the input stands for
#include "fuzz_common.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

bool ReadFile(const fs::path& path, rova_fuzz::Bytes& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

int Emit(const char* out, const char* input)
{
    rova_fuzz::Bytes bytes;
    if (!ReadFile(input, bytes)) {
        std::fprintf(stderr, "cannot read %s\n", input);
        return 1;
    }
    const rova_fuzz::Bytes image = rova_fuzz::BuildImage(bytes.data(), bytes.size());
    std::ofstream file(out, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    return file ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--emit")
        return Emit(argv[2], argv[3]);
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        const fs::path path = argv[i];
        if (fs::is_directory(path)) {
            for (const auto& entry : fs::directory_iterator(path))
                if (entry.is_regular_file())
                    files.push_back(entry.path());
        } else if (fs::is_regular_file(path)) {
            files.push_back(path);
        } else {
            std::fprintf(stderr, "no such input: %s\n", argv[i]);
            return 1;
        }
    }
    for (const fs::path& path : files) {
        rova_fuzz::Bytes bytes;
        if (!ReadFile(path, bytes)) {
            std::fprintf(stderr, "cannot read %s\n", path.c_str());
            return 1;
        }
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::printf("replayed %zu inputs\n", files.size());
    return files.empty() ? 1 : 0;
}
