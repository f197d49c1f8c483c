#include "messagebox.h"
#include "picture_requests.h"
#include "rova_files.h"
#include "temp_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

using rova_test::Bytes;
using rova_test::TempFile;

// The three ways a host names the data.
enum class Source { File, FileAt128, Memory };
const Source kSources[] = {Source::File, Source::FileAt128, Source::Memory};
const char* Name(Source s)
{
    return s == Source::File ? "file" : s == Source::FileAt128 ? "file at offset 128" : "memory image";
}

struct Request {
    Request(Source source, const Bytes& document)
        : m_source(source),
          m_image(document),
          m_imageBytes(static_cast<std::int64_t>(document.size())),
          m_file("request.rov", source == Source::FileAt128 ? Prefixed(document) : document)
    {
        m_image.push_back(0);
    }
    int Info(PictureInfo* info) const
    {
        switch (m_source) {
        case Source::File: return RequestPictureInfo(m_file.path(), 0, 0, info);
        case Source::FileAt128: return RequestPictureInfo(m_file.path(), 128, 0, info);
        case Source::Memory: break;
        }
        return RequestPictureInfo(reinterpret_cast<const char*>(m_image.data()), m_imageBytes, 1, info);
    }
    int Picture(HLOCAL* header, HLOCAL* pixels) const
    {
        switch (m_source) {
        case Source::File: return RequestPicture(m_file.path(), 0, 0, header, pixels);
        case Source::FileAt128: return RequestPicture(m_file.path(), 128, 0, header, pixels);
        case Source::Memory: break;
        }
        return RequestPicture(reinterpret_cast<const char*>(m_image.data()), m_imageBytes, 1, header, pixels);
    }

private:
    static Bytes Prefixed(const Bytes& document)
    {
        Bytes bytes(128, 'x');   // something that is neither signature
        bytes.insert(bytes.end(), document.begin(), document.end());
        return bytes;
    }
    Source m_source;
    Bytes m_image;   // one spare byte, so that even an empty image has an address
    std::int64_t m_imageBytes;
    TempFile m_file;
};

struct RequestCase {
    const char* name;
    Bytes document;
    int info;
    int picture;
    std::uint32_t width;
    std::uint32_t height;
    std::optional<rova_test::DocSpec> picturedBy;   // set when the picture is checked
};

std::vector<RequestCase> RequestCases()
{
    const rova_test::DocSpec shapes = rova_test::ShapesDocument(41, 23);
    const rova_test::LegacyFile legacy = rova_test::LegacyFromDoc(shapes);
    const Bytes legacyBytes = rova_test::LegacyFileBytes(legacy);

    rova_test::LegacyFile fifthByte = legacy;
    fifthByte.signature[4] = 'X';
    rova_test::LegacyFile huge = legacy;
    huge.width = huge.height = 0x7FFFFFFF;
    rova_test::Rova2Options newer;
    newer.version = 3;
    rova_test::Rova2Options broken;
    broken.compression = 0;
    rova_test::DocSpec noPage = shapes;
    noPage.currentPage.reset();
    rova_test::DocSpec noPalette = shapes;
    noPalette.currentPalette = 4;
    rova_test::DocSpec deep;
    deep.bitDepth = 24;
    deep.pages.push_back({3, 2, {{Bytes(18, 9), ""}}});
    deep.palettes.push_back({Bytes(768, 5)});
    rova_test::DocSpec flat;
    flat.pages.push_back({7, 0, {{{}, ""}}});
    flat.palettes.push_back({Bytes(768, 5)});

    return {
        {"rova2", rova_test::Rova2Document(shapes), 0, 0, 41, 23, shapes},
        {"rova2_newer_version_no_box", rova_test::Rova2Document(shapes, newer), 0, 0, 41, 23, shapes},
        {"rova2_24_bits_reports_depth_8", rova_test::Rova2Document(deep), 0, 0, 3, 2, deep},
        {"first_generation", legacyBytes, 0, 0, 41, 23, shapes},
        {"first_generation_fifth_byte_not_zero", rova_test::LegacyFileBytes(fifthByte), 0, 3, 41, 23, std::nullopt},
        {"first_generation_cut_in_height", Bytes(legacyBytes.begin(), legacyBytes.begin() + 16), 8, 8, 0, 0, std::nullopt},
        {"first_generation_cut_in_layers", Bytes(legacyBytes.begin(), legacyBytes.end() - 1), 0, 8, 41, 23, std::nullopt},
        {"first_generation_too_large", rova_test::LegacyFileBytes(huge), 0, 5, 0x7FFFFFFF, 0x7FFFFFFF, std::nullopt},
        {"rova2_broken", rova_test::Rova2Document(shapes, broken), 3, 3, 0, 0, std::nullopt},
        {"rova2_no_current_page", rova_test::Rova2Document(noPage), 8, 8, 0, 0, std::nullopt},
        {"rova2_no_current_palette", rova_test::Rova2Document(noPalette), 8, 8, 0, 0, std::nullopt},
        {"rova2_empty_page", rova_test::Rova2Document(flat), 0, 5, 7, 0, std::nullopt},
        {"neither_signature", Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0}, 8, 8, 0, 0, std::nullopt},
        {"empty", Bytes{}, 8, 8, 0, 0, std::nullopt},
    };
}

TEST(PictureRequests, ResultCodesFromEverySource)
{
    int boxes = 0;
    MessageBoxHook previous = SetMessageBoxHook([&boxes](const char*, unsigned) { return ++boxes, IDOK_RESULT; });
    for (const RequestCase& c : RequestCases()) {
        for (Source source : kSources) {
            SCOPED_TRACE(std::string(c.name) + " from " + Name(source));
            const Request request(source, c.document);

            PictureInfo info;
            std::memset(&info, 0xAB, sizeof info);
            ASSERT_EQ(request.Info(&info), c.info);
            if (c.info == 0) {
                PictureInfo expected;
                std::memset(&expected, 0, sizeof expected);
                expected.width = c.width;
                expected.height = c.height;
                expected.colorDepth = 8;
                EXPECT_EQ(std::memcmp(&info, &expected, sizeof info), 0) << "the whole record, padding included";
            } else {
                const std::vector<std::uint8_t> untouched(sizeof info, 0xAB);
                EXPECT_EQ(std::memcmp(&info, untouched.data(), sizeof info), 0) << "record written on failure";
            }

            HLOCAL header = reinterpret_cast<HLOCAL>(1);
            HLOCAL pixels = reinterpret_cast<HLOCAL>(1);
            ASSERT_EQ(request.Picture(&header, &pixels), c.picture);
            if (c.picture != 0) {
                EXPECT_EQ(header, nullptr);
                EXPECT_EQ(pixels, nullptr);
                continue;
            }
            EXPECT_EQ(LocalLockCount(header), 0u);
            EXPECT_EQ(LocalLockCount(pixels), 0u);
            if (c.picturedBy) {
                const auto* h = static_cast<const std::uint8_t*>(LocalLock(header));
                const auto* p = static_cast<const std::uint8_t*>(LocalLock(pixels));
                EXPECT_EQ(rova_test::CompareDib(rova_test::ExpectedFlattening(*c.picturedBy), h, LocalSize(header), p,
                                                LocalSize(pixels)),
                          "");
                LocalUnlock(header);
                LocalUnlock(pixels);
            }
            EXPECT_EQ(LocalFree(header), nullptr);
            EXPECT_EQ(LocalFree(pixels), nullptr);
        }
    }
    SetMessageBoxHook(previous);
    EXPECT_EQ(boxes, 0);
}

TEST(PictureRequests, MissingFileIsAReadError)
{
    const std::string missing = ::testing::TempDir() + "no-such-file.rov";
    PictureInfo info{};
    EXPECT_EQ(RequestPictureInfo(missing.c_str(), 0, 0, &info), 6);
    HLOCAL header = reinterpret_cast<HLOCAL>(1);
    HLOCAL pixels = reinterpret_cast<HLOCAL>(1);
    EXPECT_EQ(RequestPicture(missing.c_str(), 0, 0, &header, &pixels), 6);
    EXPECT_EQ(header, nullptr);
    EXPECT_EQ(pixels, nullptr);
}

}  // namespace
