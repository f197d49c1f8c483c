// Replays every file of the regression corpus (inputs that once showed a
// fault) and checks the result codes its manifest records.
#include "picture_requests.h"
#include "regression_manifest.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

using rova_test::Regression;

std::vector<Regression> ReadManifest()
{
    return rova_test::ReadRegressionManifest(std::string(ROVA_REGRESSIONS_DIR) + "/manifest.txt");
}

TEST(Regressions, EveryFileGivesItsRecordedCodes)
{
    const std::vector<Regression> entries = ReadManifest();
    ASSERT_FALSE(entries.empty()) << "no manifest in " << ROVA_REGRESSIONS_DIR;
    for (const Regression& entry : entries) {
        std::ifstream in(std::string(ROVA_REGRESSIONS_DIR) + "/" + entry.file, std::ios::binary);
        ASSERT_TRUE(in) << entry.file;
        std::vector<char> image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        image.push_back(0);   // an address even for an empty file
        const auto size = static_cast<std::int64_t>(image.size() - 1);
        PictureInfo info;
        EXPECT_EQ(RequestPictureInfo(image.data(), size, 1, &info), entry.info) << entry.file;
        HLOCAL header = nullptr;
        HLOCAL pixels = nullptr;
        EXPECT_EQ(RequestPicture(image.data(), size, 1, &header, &pixels), entry.picture) << entry.file;
        LocalFree(header);
        LocalFree(pixels);
    }
}

}  // namespace
