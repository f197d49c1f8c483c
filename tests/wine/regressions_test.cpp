// The regression corpus through the real plug-in, from the file as the
// thumbnail module names it and from a memory image: each file must give the
// codes its manifest records.
#include "regression_manifest.h"
#include "susie_plugin.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

using rova_test::Regression;

std::string RegressionPath(const std::string& file)
{
    return host::WindowsPath(std::string(ROVA_REGRESSIONS_DIR) + "/" + file);
}

std::vector<Regression> ReadManifest()
{
    return rova_test::ReadRegressionManifest(RegressionPath("manifest.txt"));
}

int PictureCode(const host::SusiePlugin& plugin, LPCSTR nameOrImage, LONG_PTR offsetOrSize, UINT flags)
{
    HLOCAL header = nullptr;
    HLOCAL pixels = nullptr;
    const int code = plugin.GetPicture(nameOrImage, offsetOrSize, flags, &header, &pixels, nullptr, 0);
    if (code == host::kSuccess) {
        LocalFree(header);
        LocalFree(pixels);
    } else {
        EXPECT_EQ(header, nullptr);
        EXPECT_EQ(pixels, nullptr);
    }
    return code;
}

TEST(RegressionCorpus, RealPluginGivesTheRecordedCodes)
{
    const host::SusiePlugin* plugin = host::Plugin();
    ASSERT_NE(plugin, nullptr);
    const std::vector<Regression> entries = ReadManifest();
    ASSERT_FALSE(entries.empty());
    for (const Regression& entry : entries) {
        const std::string path = RegressionPath(entry.file);
        std::ifstream in(path, std::ios::binary);
        ASSERT_TRUE(in) << path;
        std::vector<char> image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const auto imageBytes = static_cast<LONG_PTR>(image.size());
        image.push_back(0);

        host::PictureInfo info{};
        EXPECT_EQ(plugin->GetPictureInfo(path.c_str(), 0, 0, &info), entry.info) << entry.file << " (file)";
        EXPECT_EQ(plugin->GetPictureInfo(image.data(), imageBytes, 1, &info), entry.info) << entry.file << " (memory)";
        EXPECT_EQ(PictureCode(*plugin, path.c_str(), 0, 0), entry.picture) << entry.file << " (file)";
        EXPECT_EQ(PictureCode(*plugin, image.data(), imageBytes, 1), entry.picture) << entry.file << " (memory)";
    }
}

}  // namespace
