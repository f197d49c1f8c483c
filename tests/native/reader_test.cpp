#include "reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Seen {
    std::uint32_t id;
    std::uint32_t size;
    std::int32_t position;
};

struct WalkLog {
    std::vector<Seen> chunks;
    std::uint32_t extraRead = 0;   // bytes each handler reads beyond nothing
};

int LoggingHandler(CRovaReader* reader, std::uint32_t id, std::uint32_t size, void* user)
{
    auto* log = static_cast<WalkLog*>(user);
    log->chunks.push_back({id, size, reader->m_pFile->GetPosition()});
    std::uint8_t scratch[64];
    reader->ReadBytes(scratch, log->extraRead, false);
    return 0;
}

void PutChunk(Bytes& out, std::uint16_t id, const Bytes& payload, std::uint32_t declared)
{
    out.push_back(static_cast<std::uint8_t>(id));
    out.push_back(static_cast<std::uint8_t>(id >> 8));
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(declared >> (8 * i)));
    out.insert(out.end(), payload.begin(), payload.end());
}

TEST(ReaderTest, PrimitivesAreLittleEndian)
{
    const Bytes bytes = {0x01, 0x02, 0x00, 0x00, 0x00, 0x80, 0xFF,
                         0xFE, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0, 3, 0, 0, 0, 0xFC, 0xFF, 0xFF, 0xFF,
                         0x78, 0x56, 0x34, 0x12, 9};
    CMemFile file(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    CRovaReader reader(&file);
    EXPECT_EQ(reader.ReadWord(), 513);
    EXPECT_EQ(reader.ReadDword(), 0x80000000u);
    EXPECT_EQ(reader.ReadByte(), 0xFF);
    const RovaRect rect = reader.ReadRect();
    EXPECT_EQ(rect.left, -2);
    EXPECT_EQ(rect.top, 2);
    EXPECT_EQ(rect.right, 3);
    EXPECT_EQ(rect.bottom, -4);
    const RovaValuePairData pair = reader.ReadValuePair();
    EXPECT_EQ(pair.dwValue, 0x12345678u);
    EXPECT_EQ(pair.byValue, 9);
}

TEST(ReaderTest, StringsTakeTheirLengthFromThePrefixOrTheCaller)
{
    const Bytes bytes = {3, 0, 'a', 'b', 'c', 'x'};
    CMemFile file(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    CRovaReader reader(&file);
    EXPECT_EQ(reader.ReadString(-1), CString("abc"));
    EXPECT_EQ(reader.ReadString(0), CString(""));
    EXPECT_EQ(reader.ReadString(65536), CString(""));   // only the low 16 bits count
    EXPECT_EQ(file.GetPosition(), 5);
    EXPECT_EQ(reader.ReadString(1), CString("x"));
}

TEST(ReaderTest, ShortReadsRaiseOnlyWhenAsked)
{
    const Bytes bytes = {1, 2, 3};
    CMemFile file(bytes.data(), 3);
    CRovaReader reader(&file);
    EXPECT_THROW(reader.ReadDword(), CFileException);
    file.SeekToBegin();
    std::uint8_t out[4];
    EXPECT_EQ(reader.ReadBytes(out, 4, false), 3u);
    file.SeekToBegin();
    EXPECT_THROW(reader.ReadString(4), CFileException);
}

TEST(WalkChunksTest, VisitsChunksInOrderAndEndsAtTheRangeEnd)
{
    Bytes body = {0xAA, 0xAA};   // bytes before the range
    PutChunk(body, 1000, {1, 2, 3}, 3);
    PutChunk(body, 0, {}, 0);
    PutChunk(body, 1000, {4}, 1);
    body.push_back(0xEE);   // after the range
    CMemFile file(body.data(), static_cast<std::uint32_t>(body.size()));
    CRovaReader reader(&file);

    for (std::uint32_t extra : {0u, 10u}) {   // handlers reading nothing or too much
        file.Seek(2, CFile::begin);
        WalkLog log;
        log.extraRead = extra;
        WalkChunks(&reader, static_cast<std::uint32_t>(body.size() - 3), LoggingHandler, &log);
        ASSERT_EQ(log.chunks.size(), 3u);
        EXPECT_EQ(log.chunks[0].id, 1000u);
        EXPECT_EQ(log.chunks[0].position, 8);
        EXPECT_EQ(log.chunks[1].size, 0u);
        EXPECT_EQ(log.chunks[1].position, 17);
        EXPECT_EQ(log.chunks[2].id, 1000u);
        EXPECT_EQ(log.chunks[2].position, 23);
        EXPECT_EQ(file.GetPosition(), static_cast<std::int32_t>(body.size() - 1));
    }
}

TEST(WalkChunksTest, EmptyRangeAndOversizedChunk)
{
    Bytes body;
    PutChunk(body, 7, {1, 2}, 100);   // declares more than the range holds
    PutChunk(body, 8, {}, 0);
    CMemFile file(body.data(), static_cast<std::uint32_t>(body.size()));
    CRovaReader reader(&file);

    WalkLog none;
    WalkChunks(&reader, 0, LoggingHandler, &none);
    EXPECT_TRUE(none.chunks.empty());
    EXPECT_EQ(file.GetPosition(), 0);

    WalkLog log;
    WalkChunks(&reader, static_cast<std::uint32_t>(body.size()), LoggingHandler, &log);
    ASSERT_EQ(log.chunks.size(), 1u);
    EXPECT_EQ(log.chunks[0].id, 7u);
    EXPECT_EQ(file.GetPosition(), static_cast<std::int32_t>(body.size()));
}

TEST(WalkChunksTest, ChunkReachingPast2To31Raises)
{
    Bytes body;
    PutChunk(body, 7, {}, 0x7FFFFFFF);
    CMemFile file(body.data(), static_cast<std::uint32_t>(body.size()));
    CRovaReader reader(&file);
    WalkLog log;
    EXPECT_THROW(WalkChunks(&reader, 0xFFFFFFFFu, LoggingHandler, &log), CFileException);
    EXPECT_EQ(log.chunks.size(), 1u);
}

TEST(WalkChunksTest, HeaderCutByTheSourceRaises)
{
    const Bytes body = {0x10, 0x00, 0x05};
    CMemFile file(body.data(), 3);
    CRovaReader reader(&file);
    WalkLog log;
    EXPECT_THROW(WalkChunks(&reader, 3, LoggingHandler, &log), CFileException);
}

}  // namespace
