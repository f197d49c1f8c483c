#include "document.h"
#include "messagebox.h"
#include "page.h"
#include "rova_files.h"
#include "sizes.h"
#include "texts.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using rova_test::Bytes;
using rova_test::ByteWriter;
using rova_test::Chunk;
using rova_test::Rova2File;
using rova_test::Rova2Options;
using rova_test::U8;
using rova_test::U32;

// Records every box the load would show.
class BoxRecorder {
public:
    BoxRecorder()
    {
        m_previous = SetMessageBoxHook([this](const char* text, unsigned) {
            shown.push_back(text);
            return IDOK_RESULT;
        });
    }
    ~BoxRecorder() { SetMessageBoxHook(m_previous); }
    std::vector<std::string> shown;

private:
    MessageBoxHook m_previous;
};

bool Load(CRovaDocument& document, const Bytes& file, bool warnNewer = false)
{
    CMemFile source(file.data(), static_cast<std::uint32_t>(file.size()));
    return document.LoadRova2(source, "???", warnNewer);
}

// One page of 2 x 1 pixels and a palette: enough to see that a body arrived.
Bytes SmallBody()
{
    rova_test::DocSpec spec;
    spec.pages.push_back({2, 1, {{{5, 6}, "Only"}}});
    spec.palettes.push_back({Bytes(6, 0x40)});
    return rova_test::Rova2Body(spec);
}

Rova2Options Options(std::uint8_t compression, std::optional<std::uint32_t> declaredBodySize = std::nullopt,
                     std::optional<std::size_t> compressedBytes = std::nullopt)
{
    Rova2Options options;
    options.compression = compression;
    options.declaredBodySize = declaredBodySize;
    options.compressedBytes = compressedBytes;
    return options;
}

std::string FileError(CFileException::Cause cause)
{
    return ExceptionMessage(CFileException(cause)).Str();
}

struct FailureCase {
    const char* name;
    Bytes file;
    std::string error;
};

std::vector<FailureCase> FailureCases()
{
    const Bytes body = SmallBody();
    const auto size = static_cast<std::uint32_t>(body.size());
    const Bytes whole = Rova2File(body);
    Bytes corrupt = whole;
    corrupt[12 + 2] ^= 0xFF;   // first byte of deflate data after the zlib header
    Bytes badHeader = whole;
    badHeader[12] = 0x00;       // not a zlib header

    return {
        {"first_generation_signature", ByteWriter().Raw(std::string("ROVA")).Fill(20, 0), texts::kNotRova2},
        {"other_fifth_byte", ByteWriter().Raw(std::string("ROVA3")).Fill(20, 0), texts::kNotRova2},
        {"shorter_than_signature", ByteWriter().Raw(std::string("ROV")), FileError(CFileException::endOfFile)},
        {"cut_in_version", ByteWriter().Raw(std::string("ROVA2")).U8(0), FileError(CFileException::endOfFile)},
        {"cut_in_body_size", ByteWriter().Raw(std::string("ROVA2")).U16(0).U8(1).U16(0),
         FileError(CFileException::endOfFile)},
        {"compression_0", Rova2File(body, Options(0)), texts::kUnsupportedCompression},
        {"compression_2", Rova2File(body, Options(2)), texts::kUnsupportedCompression},
        {"inflates_short_of_size", Rova2File(body, Options(1, size + 1)), texts::kInflateFailed},
        {"inflates_past_size", Rova2File(body, Options(1, size - 1)), texts::kInflateFailed},
        {"truncated_stream", Rova2File(body, Options(1, std::nullopt, whole.size() - 12 - 5)), texts::kInflateFailed},
        {"no_stream_at_all", Rova2File(body, Options(1, std::nullopt, 0)), texts::kInflateFailed},
        {"corrupt_deflate_data", corrupt, texts::kInflateFailed},
        {"not_a_zlib_header", badHeader, texts::kInflateFailed},
        // A chunk whose end lies beyond 2 GiB cannot be seeked past.
        {"chunk_end_beyond_32_bits", Rova2File(ByteWriter().ChunkDeclaring(9999, 0xFFFFFFF0u, {})),
         FileError(CFileException::badSeek)},
        // A scalar chunk cut by the end of the body.
        {"short_read_in_chunk", Rova2File(ByteWriter().U16(3006).U32(4).U16(7)), FileError(CFileException::endOfFile)},
    };
}

TEST(LoadRova2, EveryFailureLeavesItsText)
{
    for (const FailureCase& c : FailureCases()) {
        SCOPED_TRACE(c.name);
        CRovaDocument document;
        EXPECT_FALSE(Load(document, c.file));
        EXPECT_EQ(document.m_strError.Str(), c.error);
    }
}

// A body larger than the document may allocate fails before anything is
// inflated, with the memory exception's own description.
TEST(LoadRova2, BodyBeyondTheBudgetLeavesTheMemoryText)
{
    AllocationBudget budget(1 << 20);
    CRovaDocument document;
    EXPECT_FALSE(Load(document, Rova2File(SmallBody(), Options(1, 2u << 20))));
    EXPECT_EQ(document.m_strError.Str(), ExceptionMessage(CMemoryException()).Str());
    EXPECT_EQ(document.m_pages.GetCount(), 0);
}

TEST(LoadRova2, ReadsTheBodyIntoTheDocument)
{
    CRovaDocument document;
    ASSERT_TRUE(Load(document, Rova2File(SmallBody())));
    EXPECT_TRUE(document.m_strError.IsEmpty());
    EXPECT_EQ(document.m_nBitDepth, 8);
    ASSERT_EQ(document.m_pages.GetCount(), 1);
    ASSERT_NE(document.m_pages.GetCurrent(), nullptr);
    EXPECT_EQ(document.m_palettes.GetCount(), 1);
    EXPECT_EQ(document.m_bCreated, 0);
}

TEST(LoadRova2, EmptyBodyAndTrailingBytes)
{
    {
        CRovaDocument document;
        EXPECT_TRUE(Load(document, Rova2File({})));
        EXPECT_EQ(document.m_pages.GetCount(), 0);
        EXPECT_EQ(document.m_palettes.GetCount(), 0);
    }
    {
        Rova2Options options;
        options.trailing = Bytes(30000, 0xCC);   // more than the input buffer holds
        CRovaDocument document;
        EXPECT_TRUE(Load(document, Rova2File(SmallBody(), options)));
        EXPECT_EQ(document.m_pages.GetCount(), 1);
    }
}

TEST(LoadRova2, BodyLargerThanTheInputBuffer)
{
    // Incompressible pixels make a stream several input buffers long.
    rova_test::DocSpec spec;
    Bytes noise(200 * 200);
    std::uint32_t state = 12345;
    for (auto& b : noise) {
        state = state * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(state >> 24);
    }
    spec.pages.push_back({200, 200, {{noise, "Noise"}}});
    spec.palettes.push_back({Bytes(768, 1)});
    const Bytes file = rova_test::Rova2Document(spec);
    ASSERT_GT(file.size(), 3u * 10240u);

    CRovaDocument document;
    ASSERT_TRUE(Load(document, file));
    const auto* page = document.m_pages.GetCurrentAs<CRovaPage>();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->m_nWidth, 200);
}

TEST(LoadRova2, NewerVersionWarnsOnlyWhenAsked)
{
    Rova2Options newer;
    newer.version = 1;
    const Bytes file = Rova2File(SmallBody(), newer);
    {
        BoxRecorder boxes;
        CRovaDocument document;
        EXPECT_TRUE(Load(document, file, false));
        EXPECT_TRUE(boxes.shown.empty());
        EXPECT_EQ(document.m_pages.GetCount(), 1);
    }
    {
        BoxRecorder boxes;
        CRovaDocument document;
        EXPECT_TRUE(Load(document, file, true));
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0], texts::kNewerVersionWarning);
        EXPECT_EQ(document.m_pages.GetCount(), 1);
    }
}

TEST(LoadRova2, ForeignExceptionGivesTheUnknownErrorText)
{
    Rova2Options newer;
    newer.version = 7;
    MessageBoxHook previous =
        SetMessageBoxHook([](const char*, unsigned) -> int { throw std::runtime_error("not ours"); });
    CRovaDocument document;
    EXPECT_FALSE(Load(document, Rova2File(SmallBody(), newer), true));
    SetMessageBoxHook(previous);
    EXPECT_EQ(document.m_strError.Str(), texts::kUnknownError);
}

}  // namespace
