// Pictures from the real plug-in under Wine, compared with what the test-side
// writer predicts for the documents it wrote.
#include "rova_files.h"
#include "susie_plugin.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using rova_test::Bytes;

enum class Source { File, FileAt128, Memory };
const Source kSources[] = {Source::File, Source::FileAt128, Source::Memory};
const char* Name(Source s)
{
    return s == Source::File ? "file" : s == Source::FileAt128 ? "file at offset 128" : "memory image";
}

// One document offered to the plug-in in one of the three ways a host can.
class Offer {
public:
    Offer(Source source, const Bytes& document, const std::string& fileName)
        : m_source(source), m_image(document), m_imageBytes(static_cast<LONG_PTR>(document.size()))
    {
        m_image.push_back(0);   // an empty image still has an address
        if (source == Source::Memory)
            return;
        Bytes contents = document;
        if (source == Source::FileAt128)
            contents.insert(contents.begin(), 128, 'x');
        m_file = std::make_unique<host::TempFile>(fileName, contents);
    }
    LPCSTR name() const { return m_file ? m_file->path() : reinterpret_cast<LPCSTR>(m_image.data()); }
    LONG_PTR offsetOrSize() const
    {
        return m_source == Source::Memory ? m_imageBytes : m_source == Source::FileAt128 ? 128 : 0;
    }
    UINT flags() const { return m_source == Source::Memory ? 1 : 0; }

private:
    Source m_source;
    Bytes m_image;
    LONG_PTR m_imageBytes;
    std::unique_ptr<host::TempFile> m_file;
};

// A block as a host receives it: movable, unlocked, readable once locked and
// freeable with LocalFree. Returns a copy of its bytes.
Bytes TakeBlock(HLOCAL block)
{
    Bytes bytes;
    if (!block) {
        ADD_FAILURE() << "no block";
        return bytes;
    }
    const UINT flags = ::LocalFlags(block);
    EXPECT_NE(flags, LMEM_INVALID_HANDLE);
    EXPECT_EQ(flags & LMEM_LOCKCOUNT, 0u) << "block still locked";
    const void* data = ::LocalLock(block);
    EXPECT_NE(data, nullptr);
    EXPECT_NE(data, static_cast<const void*>(block)) << "a movable block has a handle distinct from its address";
    if (data) {
        const auto* p = static_cast<const std::uint8_t*>(data);
        bytes.assign(p, p + ::LocalSize(block));
        ::LocalUnlock(block);
    }
    EXPECT_EQ(::LocalFree(block), nullptr);
    return bytes;
}

struct PictureCase {
    const char* name;
    Bytes document;
    int info;
    int picture;
    std::optional<rova_test::DocSpec> picturedBy;   // the picture a success must show
};

std::vector<PictureCase> PictureCases()
{
    rova_test::DocSpec shapes = rova_test::ShapesDocument(61, 45);
    rova_test::DocSpec nibble = rova_test::ShapesDocument(33, 17);
    nibble.nibbleMode = true;
    rova_test::LegacyFile fifthByte = rova_test::LegacyFromDoc(shapes);
    fifthByte.signature[4] = '!';
    rova_test::LegacyFile huge = rova_test::LegacyFromDoc(shapes);
    huge.width = huge.height = 0x7FFFFFFF;
    rova_test::Rova2Options broken;
    broken.compressedBytes = 20;
    rova_test::DocSpec noPage = shapes;
    noPage.currentPage = 9;

    return {
        {"rova2", rova_test::Rova2Document(shapes), 0, 0, shapes},
        {"rova2_nibble_mode", rova_test::Rova2Document(nibble), 0, 0, nibble},
        {"first_generation", rova_test::LegacyFileBytes(rova_test::LegacyFromDoc(shapes)), 0, 0, shapes},
        {"first_generation_fifth_byte", rova_test::LegacyFileBytes(fifthByte), 0, 3, std::nullopt},
        {"first_generation_too_large", rova_test::LegacyFileBytes(huge), 0, 5, std::nullopt},
        {"rova2_truncated", rova_test::Rova2Document(shapes, broken), 3, 3, std::nullopt},
        {"rova2_no_current_page", rova_test::Rova2Document(noPage), 8, 8, std::nullopt},
    };
}

TEST(PluginPictures, EveryRequestFromEverySource)
{
    const host::SusiePlugin* spi = host::Plugin();
    ASSERT_TRUE(spi);
    for (const PictureCase& c : PictureCases()) {
        for (Source source : kSources) {
            SCOPED_TRACE(std::string(c.name) + " from " + Name(source));
            const Offer offer(source, c.document, std::string(c.name) + ".rov");

            host::PictureInfo info;
            std::memset(&info, 0xAB, sizeof info);
            EXPECT_EQ(spi->GetPictureInfo(offer.name(), offer.offsetOrSize(), offer.flags(), &info), c.info);
            if (c.picturedBy) {
                const rova_test::DocPage& page = c.picturedBy->pages[0];
                EXPECT_EQ(info.width, static_cast<std::uint32_t>(page.width));
                EXPECT_EQ(info.height, static_cast<std::uint32_t>(page.height));
                EXPECT_EQ(info.colorDepth, 8);
                EXPECT_EQ(info.left | info.top | info.x_density | info.y_density, 0);
                EXPECT_EQ(info.hInfo, nullptr);
#ifdef _WIN64
                EXPECT_EQ(info.padding[0] | info.padding[1], 0);
#endif
            }

            HLOCAL header = reinterpret_cast<HLOCAL>(0x1234), pixels = reinterpret_cast<HLOCAL>(0x5678);
            ASSERT_EQ(spi->GetPicture(offer.name(), offer.offsetOrSize(), offer.flags(), &header, &pixels, nullptr, 0),
                      c.picture);
            if (c.picture != 0) {
                EXPECT_EQ(header, nullptr);
                EXPECT_EQ(pixels, nullptr);
                continue;
            }
            const Bytes headerBytes = TakeBlock(header);
            const Bytes pixelBytes = TakeBlock(pixels);
            if (c.picturedBy) {
                EXPECT_EQ(rova_test::CompareDib(rova_test::ExpectedFlattening(*c.picturedBy), headerBytes.data(),
                                                headerBytes.size(), pixelBytes.data(), pixelBytes.size()),
                          "");
            }
        }
    }
}

// A full-size picture: 1000 x 1000 pixels in four layers, through the DLL.
TEST(PluginPictures, LargeFourLayerDocumentDecodesAsPredicted)
{
    const host::SusiePlugin* spi = host::Plugin();
    ASSERT_TRUE(spi);
    const rova_test::DocSpec spec = rova_test::ShapesDocument(1000, 1000, 3);
    ASSERT_EQ(spec.pages[0].layers.size(), 4u);
    const host::TempFile file("large.rov", rova_test::Rova2Document(spec));

    host::PictureInfo info{};
    ASSERT_EQ(spi->GetPictureInfo(file.path(), 0, 0, &info), 0);
    EXPECT_EQ(info.width, 1000u);
    EXPECT_EQ(info.height, 1000u);

    HLOCAL header = nullptr, pixels = nullptr;
    ASSERT_EQ(spi->GetPicture(file.path(), 0, 0, &header, &pixels, nullptr, 0), 0);
    const Bytes headerBytes = TakeBlock(header);
    const Bytes pixelBytes = TakeBlock(pixels);
    EXPECT_EQ(pixelBytes.size(), 1000u * 1000u);
    EXPECT_EQ(rova_test::CompareDib(rova_test::ExpectedFlattening(spec), headerBytes.data(), headerBytes.size(),
                                    pixelBytes.data(), pixelBytes.size()),
              "");
}

}  // namespace
