#include "source.h"

#include "temp_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using rova_test::TempFile;

Bytes BytesOf(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}


TEST(IsRovaFile, ExtensionOfTheLastComponentAndTheSignature)
{
    struct Case {
        const char* name;
        const char* head;
        bool supported;
    };
    const Case cases[] = {
        {"picture.rov", "ROVA2", true},
        {"PICTURE.ROV", "ROVA2", true},
        {"C:\\data\\x.RoV", "ROVA\0", true},
        {"/home/x/y.rov", "ROVAx", true},
        {".rov", "ROVA2", true},
        {"picture.rov.bak", "ROVA2", false},
        {"picture.rov", "RovA2", false},
        {"picture.rov", "rova2", false},
        {"picture", "ROVA2", false},
        {"picture.ro", "ROVA2", false},
        {"picture.rovx", "ROVA2", false},
        {"dir.rov\\picture", "ROVA2", false},
        {"dir.rov/picture", "ROVA2", false},
        {"c.rov:stream", "ROVA2", false},
        {"", "ROVA2", false},
        // A code page 932 name whose trail byte is 0x5C, the byte of '\'.
        {"\x95\x5C.rov", "ROVA2", true},
    };
    for (const Case& c : cases) {
        const Bytes head(c.head, c.head + 5);
        EXPECT_EQ(IsRovaFile(c.name, head.data(), head.size()), c.supported) << c.name << " / " << c.head;
    }
}

TEST(IsRovaFile, HeadShorterThanTheSignatureOrMissing)
{
    const Bytes head = BytesOf("ROVA2");
    EXPECT_FALSE(IsRovaFile("a.rov", head.data(), 3));
    EXPECT_FALSE(IsRovaFile("a.rov", head.data(), 0));
    EXPECT_TRUE(IsRovaFile("a.rov", head.data(), 4));
    EXPECT_FALSE(IsRovaFile("a.rov", nullptr, 10));
    EXPECT_FALSE(IsRovaFile(nullptr, head.data(), head.size()));
}

TEST(DetectRovaFormat, SignaturesAndThePositionPutBack)
{
    struct Case {
        std::string data;
        RovaFormat format;
    };
    const Case cases[] = {
        {"ROVA", ROVAFMT_ROVA},
        {std::string("ROVA\0\0\0\0\0\0", 10), ROVAFMT_ROVA},
        {"ROVA3", ROVAFMT_ROVA},
        {"ROVA2", ROVAFMT_ROVA2},
        {"ROVA2 and more", ROVAFMT_ROVA2},
        {"rova2", ROVAFMT_NONE},
        {"ROV", ROVAFMT_NONE},
        {"", ROVAFMT_NONE},
        {"XROVA2", ROVAFMT_NONE},
    };
    for (const Case& c : cases) {
        // Behind 3 bytes of something else, so "put back" means the data start, not 0.
        const Bytes bytes = BytesOf("abc" + c.data);
        CMemFile source(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        source.Seek(3, CFile::begin);
        EXPECT_EQ(DetectRovaFormat(source), c.format) << c.data;
        EXPECT_EQ(source.GetPosition(), 3) << c.data;
    }
}

TEST(DetectRovaFormat, NeverThrows)
{
    CFile closed;   // every operation of a closed file raises
    EXPECT_EQ(DetectRovaFormat(closed), ROVAFMT_NONE);
}

TEST(OpenPictureSource, FileReadFromTheOffset)
{
    Bytes contents(128, 'x');
    const Bytes document = BytesOf("ROVA2 document");
    contents.insert(contents.end(), document.begin(), document.end());
    const TempFile file("open_offset.rov", contents);

    std::unique_ptr<CFile> source = OpenPictureSource(file.path(), 128, 0);
    ASSERT_TRUE(source);
    EXPECT_EQ(source->GetPosition(), 128);
    EXPECT_EQ(DetectRovaFormat(*source), ROVAFMT_ROVA2);

    source = OpenPictureSource(file.path(), 0, 0xFFFFFFF8u);   // flag bits above the low three are ignored
    ASSERT_TRUE(source);
    EXPECT_EQ(DetectRovaFormat(*source), ROVAFMT_NONE);
}

TEST(OpenPictureSource, MemoryImageIsReadInPlace)
{
    const Bytes image = BytesOf(std::string("ROVA\0 and the rest", 18));
    for (std::uint32_t flags : {1u, 2u, 4u, 7u, 0x101u}) {
        std::unique_ptr<CFile> source =
            OpenPictureSource(reinterpret_cast<const char*>(image.data()), static_cast<std::int64_t>(image.size()), flags);
        ASSERT_TRUE(source) << flags;
        EXPECT_EQ(source->GetPosition(), 0);
        std::uint8_t head[4] = {};
        EXPECT_EQ(source->Read(head, 4), 4u);
        EXPECT_EQ(std::string(head, head + 4), "ROVA");
    }
    // The size bounds the image: a 3-byte image of the same block holds no signature.
    std::unique_ptr<CFile> cut = OpenPictureSource(reinterpret_cast<const char*>(image.data()), 3, 1);
    ASSERT_TRUE(cut);
    EXPECT_EQ(DetectRovaFormat(*cut), ROVAFMT_NONE);
}

TEST(OpenPictureSource, FailsForWhatCannotBeRead)
{
    const TempFile file("open_fail.rov", BytesOf("ROVA2"));
    const char image[] = "ROVA2";
    EXPECT_FALSE(OpenPictureSource((::testing::TempDir() + "no such file.rov").c_str(), 0, 0));
    EXPECT_FALSE(OpenPictureSource(nullptr, 0, 0));
    EXPECT_FALSE(OpenPictureSource(nullptr, 16, 1));
    EXPECT_FALSE(OpenPictureSource(image, -1, 1));
    EXPECT_FALSE(OpenPictureSource(file.path(), -1, 0));
    EXPECT_FALSE(OpenPictureSource(file.path(), std::int64_t{1} << 31, 0));
    // Past the end of the file is a valid position with nothing to read there.
    std::unique_ptr<CFile> past = OpenPictureSource(file.path(), 1000, 0);
    ASSERT_TRUE(past);
    EXPECT_EQ(DetectRovaFormat(*past), ROVAFMT_NONE);
}

}  // namespace
