#include "exceptions.h"
#include "file.h"
#include "localmem.h"
#include "messagebox.h"
#include "sizes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

std::string WriteTempFile(const std::string& bytes)
{
    char path[] = "/tmp/rova_platform_XXXXXX";
    const int fd = mkstemp(path);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    close(fd);
    return path;
}

TEST(CStringTest, KeepsBytesAndFormats)
{
    const CString withZero("a\0b", 3);
    EXPECT_EQ(withZero.GetLength(), 3);
    EXPECT_EQ(CString::Format("%03dPage", 7), CString("007Page"));
    EXPECT_EQ(CString::Format("Layer%03d", 1234), CString("Layer1234"));
    EXPECT_EQ(CString::Format("%d", -3), CString("-3"));
}

TEST(FileTest, OpensReadsSeeksAndReportsPosition)
{
    const std::string path = WriteTempFile("0123456789");
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str()));
    char buffer[4] = {};
    EXPECT_EQ(file.Read(buffer, 3), 3u);
    EXPECT_EQ(std::string(buffer, 3), "012");
    EXPECT_EQ(file.GetPosition(), 3);
    EXPECT_EQ(file.Seek(8, CFile::begin), 8);
    EXPECT_EQ(file.Read(buffer, 4), 2u);   // short at the end, no exception
    EXPECT_EQ(file.Seek(20, CFile::begin), 20);   // past the end is allowed
    EXPECT_EQ(file.Read(buffer, 1), 0u);
    EXPECT_THROW(file.Seek(std::int64_t{1} << 31, CFile::begin), CFileException);
    EXPECT_THROW(file.Seek(-1, CFile::begin), CFileException);
    std::remove(path.c_str());
}

TEST(FileTest, MissingFileDoesNotOpen)
{
    CFile file;
    EXPECT_FALSE(file.Open("/nonexistent/rova/file.rov"));
}

TEST(MemFileTest, ReadsCallersBufferWithoutOwningIt)
{
    const unsigned char bytes[] = {1, 2, 3, 4, 5};
    CMemFile file(bytes, sizeof bytes);
    unsigned char out[8] = {};
    EXPECT_EQ(file.Read(out, 2), 2u);
    EXPECT_EQ(out[1], 2);
    EXPECT_EQ(file.Seek(1, CFile::current), 3);
    EXPECT_EQ(file.Read(out, 8), 2u);
    EXPECT_EQ(out[0], 4);
    EXPECT_EQ(out[1], 5);
    EXPECT_EQ(file.Seek(0x7FFFFFFF, CFile::begin), 0x7FFFFFFF);
    EXPECT_EQ(file.Read(out, 1), 0u);
    EXPECT_THROW(file.Seek(0x80000000LL, CFile::begin), CFileException);
    EXPECT_THROW(file.Seek(-1, CFile::begin), CFileException);
    EXPECT_EQ(file.Detach(), bytes);
}

TEST(ExceptionTest, DescribesItselfThroughABoundedBuffer)
{
    const CFileException shortRead(CFileException::endOfFile);
    EXPECT_FALSE(ExceptionMessage(shortRead).IsEmpty());
    EXPECT_NE(ExceptionMessage(shortRead), ExceptionMessage(CMemoryException()));
    char tiny[4];
    EXPECT_TRUE(shortRead.GetErrorMessage(tiny, sizeof tiny));
    EXPECT_EQ(std::string(tiny).size(), 3u);
}

TEST(MessageBoxTest, HookSeesTextAndCanBeRestored)
{
    std::string seen;
    const MessageBoxHook previous = SetMessageBoxHook([&](const char* text, unsigned) {
        seen = text;
        return 42;
    });
    EXPECT_EQ(AfxMessageBox("hello"), 42);
    EXPECT_EQ(seen, "hello");
    SetMessageBoxHook(previous);
}

TEST(SizesTest, RefusesProductsThatWouldWrap)
{
    EXPECT_EQ(BufferSize(65535, 65535, 1), 65535u * 65535u);
    EXPECT_EQ(BufferSize(0, 123456789, 4), 0u);
    EXPECT_THROW(BufferSize(-1, 2), CMemoryException);
    EXPECT_THROW(BufferSize(0x7FFFFFFF, 0x7FFFFFFF, 4), CMemoryException);
}

TEST(LocalMemTest, MovableBlocksLockUnlockAndFree)
{
    HLOCAL block = LocalAlloc(LMEM_MOVEABLE, 16);
    ASSERT_NE(block, nullptr);
    auto* bytes = static_cast<unsigned char*>(LocalLock(block));
    ASSERT_NE(bytes, nullptr);
    bytes[15] = 7;
    EXPECT_EQ(LocalLockCount(block), 1u);
    EXPECT_EQ(LocalUnlock(block), 0);
    EXPECT_EQ(LocalSize(block), 16u);
    EXPECT_EQ(LocalFree(block), nullptr);
}

}  // namespace
