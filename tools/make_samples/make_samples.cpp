// Writes the sample documents: make_samples <folder>
//   layers.rov  ROVA2, 128 x 96, a gradient ground under three shape layers
//   legacy.rov  the same picture as a first-generation file
#include "rova_files.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace {

bool WriteFile(const std::string& path, const rova_test::Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        return false;
    std::printf("%s: %zu bytes\n", path.c_str(), bytes.size());
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_samples <folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    const rova_test::DocSpec shapes = rova_test::ShapesDocument(128, 96);
    const bool ok = WriteFile(folder + "/layers.rov", rova_test::Rova2Document(shapes)) &&
                    WriteFile(folder + "/legacy.rov",
                              rova_test::LegacyFileBytes(rova_test::LegacyFromDoc(shapes)));
    return ok ? 0 : 1;
}
