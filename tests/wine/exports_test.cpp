// The real plug-in under Wine, called as a Susie host calls it.
#include "susie_plugin.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using host::Plugin;
using host::TempFile;

Bytes BytesOf(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

const std::string kFileType = "ROVA/ROVA2\x83\x74\x83\x40\x83\x43\x83\x8B";   // ROVA/ROVA2ファイル in CP932

TEST(PluginExports, GetPluginInfoCopiesBoundedPrefixes)
{
    const host::SusiePlugin* spi = Plugin();
    ASSERT_TRUE(spi);
    const std::string strings[] = {std::string("00IN", 5), std::string("ROVA2 Susie Plug-in Ver.0.90a (C) Quillmere") + '\0',
                                   std::string("*.rov", 6), kFileType + '\0'};
    for (int index = -1; index <= 4; ++index) {
        for (int length : {0, 3, 100}) {
            SCOPED_TRACE("index " + std::to_string(index) + ", length " + std::to_string(length));
            char buffer[128];
            std::memset(buffer, 0x5A, sizeof buffer);
            const int copied = spi->GetPluginInfo(index, buffer, length);
            if (index < 0 || index > 3) {
                EXPECT_EQ(copied, 0);
                EXPECT_EQ(buffer[0], 0x5A);
                continue;
            }
            const std::string expected = strings[index].substr(0, static_cast<std::size_t>(length));
            EXPECT_EQ(copied, static_cast<int>(expected.size()));
            EXPECT_EQ(std::string(buffer, expected.size()), expected);
            EXPECT_EQ(buffer[expected.size()], 0x5A);
        }
    }
}

TEST(PluginExports, UnimplementedExportsSayNotImplemented)
{
    const host::SusiePlugin* spi = Plugin();
    ASSERT_TRUE(spi);
    HLOCAL header = nullptr, pixels = nullptr;
    EXPECT_EQ(spi->GetPreview("a.rov", 0, 0, &header, &pixels, nullptr, 0), host::kNotImplemented);
    EXPECT_EQ(spi->ConfigurationDlg(nullptr, 0), host::kNotImplemented);
    EXPECT_EQ(spi->ConfigurationDlg(nullptr, 1), host::kNotImplemented);
}

struct HeadCase {
    const char* name;
    std::string head;
    int supported;
};

const HeadCase kHeadCases[] = {
    {"picture.rov", "ROVA2 body", 1},
    {"C:\\pictures\\PICTURE.ROV", "ROVA2 body", 1},
    {"old.rov", std::string("ROVA\0\0\0\0\0\0", 10), 1},
    {"picture.rov.bak", "ROVA2 body", 0},
    {"picture.rov", "RovA2 body", 0},
    {"picture", "ROVA2 body", 0},
    {"folder.rov\\picture", "ROVA2 body", 0},
};

TEST(PluginExports, IsSupportedReadsTheHeadFromAHostBuffer)
{
    const host::SusiePlugin* spi = Plugin();
    ASSERT_TRUE(spi);
    for (const HeadCase& c : kHeadCases) {
        std::vector<char> buffer(2048, 0);   // hosts pass the first 2 KiB
        std::memcpy(buffer.data(), c.head.data(), c.head.size());
        EXPECT_EQ(spi->IsSupported(c.name, reinterpret_cast<DWORD_PTR>(buffer.data())), c.supported) << c.name;
    }
}

#ifdef _WIN64
// A block whose address has zero low 32 bits, so that a buffer placed 0x1234
// bytes into it would pass for a file handle if the test looked at 32 bits only.
class HighBlock {
public:
    HighBlock()
    {
        for (std::uint64_t base = std::uint64_t{2} << 32; base < (std::uint64_t{64} << 32) && !m_block;
             base += std::uint64_t{1} << 32) {
            m_block = ::VirtualAlloc(reinterpret_cast<void*>(base), 0x10000, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
            if (m_block && reinterpret_cast<std::uint64_t>(m_block) != base) {
                ::VirtualFree(m_block, 0, MEM_RELEASE);
                m_block = nullptr;
            }
        }
    }
    ~HighBlock()
    {
        if (m_block)
            ::VirtualFree(m_block, 0, MEM_RELEASE);
    }
    char* get() const { return static_cast<char*>(m_block); }

private:
    void* m_block = nullptr;
};

TEST(PluginExports, IsSupportedTakesAHighBufferForABufferNotAHandle)
{
    const host::SusiePlugin* spi = Plugin();
    ASSERT_TRUE(spi);
    HighBlock block;
    ASSERT_TRUE(block.get()) << "no free block at a 4 GiB boundary above 8 GiB";
    char* head = block.get() + 0x1234;
    ASSERT_GE(reinterpret_cast<std::uint64_t>(head), std::uint64_t{0x200000000});
    for (const HeadCase& c : kHeadCases) {
        std::memset(head, 0, 2048);
        std::memcpy(head, c.head.data(), c.head.size());
        EXPECT_EQ(spi->IsSupported(c.name, reinterpret_cast<DWORD_PTR>(head)), c.supported) << c.name;
    }
}
#endif

// Opens a file for the host's side of IsSupported; closed when it goes.
class HostHandle {
public:
    HostHandle(const char* path, DWORD access)
        : m_handle(::CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr))
    {
    }
    ~HostHandle()
    {
        if (m_handle != INVALID_HANDLE_VALUE)
            ::CloseHandle(m_handle);
    }
    HANDLE get() const { return m_handle; }
    DWORD_PTR argument() const { return reinterpret_cast<DWORD_PTR>(m_handle); }

private:
    HANDLE m_handle;
};

TEST(PluginExports, IsSupportedReadsTenBytesFromAFileHandle)
{
    const host::SusiePlugin* spi = Plugin();
    ASSERT_TRUE(spi);
    const TempFile document("handle.rov", BytesOf("ROVA2 and a body behind it"));
    const TempFile tiny("tiny.rov", BytesOf("ROV"));
    const TempFile emptyFile("empty.rov", {});

    {
        HostHandle file(document.path(), GENERIC_READ);
        ASSERT_NE(file.get(), INVALID_HANDLE_VALUE);
        ASSERT_LT(file.argument(), 0x10000u) << "handles are expected to fit in 16 bits";
        EXPECT_EQ(spi->IsSupported(document.path(), file.argument()), 1);
        EXPECT_EQ(::SetFilePointer(file.get(), 0, nullptr, FILE_CURRENT), 10u);
        // From the handle's current position on: the signature is behind it now.
        EXPECT_EQ(spi->IsSupported(document.path(), file.argument()), 0);
    }
    {
        HostHandle file(document.path(), GENERIC_READ);
        EXPECT_EQ(spi->IsSupported("handle.txt", file.argument()), 0);
    }
    for (const TempFile* shortFile : {&tiny, &emptyFile}) {
        HostHandle file(shortFile->path(), GENERIC_READ);
        ASSERT_NE(file.get(), INVALID_HANDLE_VALUE);
        EXPECT_EQ(spi->IsSupported(shortFile->path(), file.argument()), 0) << shortFile->path();
    }
    {
        // ReadFile fails on a handle without read access, whatever the file holds.
        HostHandle writeOnly(document.path(), GENERIC_WRITE);
        ASSERT_NE(writeOnly.get(), INVALID_HANDLE_VALUE);
        EXPECT_EQ(spi->IsSupported(document.path(), writeOnly.argument()), 0);
    }
    EXPECT_EQ(spi->IsSupported(document.path(), 0), 0);
}

// Fills a record with a pattern so that writes to it can be seen.
host::PictureInfo PatternedInfo()
{
    host::PictureInfo info;
    std::memset(&info, 0xA5, sizeof info);
    return info;
}

bool IsPatterned(const host::PictureInfo& info)
{
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&info);
    for (std::size_t i = 0; i < sizeof info; ++i) {
        if (bytes[i] != 0xA5)
            return false;
    }
    return true;
}

struct RequestCase {
    const char* what;
    const char* nameOrImage;
    LONG_PTR offsetOrSize;
    UINT flags;
    int result;
};

TEST(PluginExports, PictureRequestsFailWithTheHostsCodesAndLeaveNothingBehind)
{
    const host::SusiePlugin* spi = Plugin();
    ASSERT_TRUE(spi);
    Bytes junk(200, 'x');
    const TempFile junkFile("junk.rov", junk);
    // A file that holds its signature only at byte 128.
    Bytes shifted(128, 'x');
    const Bytes signature = BytesOf("ROVA2");
    shifted.insert(shifted.end(), signature.begin(), signature.end());
    shifted.resize(200, 0);
    const TempFile shiftedFile("shifted.rov", shifted);
    const std::string missing = std::string(junkFile.path()) + ".missing";
    const char* image = reinterpret_cast<const char*>(junk.data());

    const RequestCase cases[] = {
        {"missing file", missing.c_str(), 0, 0, host::kFileReadError},
        {"file without signature", junkFile.path(), 0, 0, host::kInternalError},
        {"signature before the offset", shiftedFile.path(), 129, 0, host::kInternalError},
        {"signature after the offset", shiftedFile.path(), 64, 0, host::kInternalError},
        {"offset past the end", junkFile.path(), 100000, 0, host::kInternalError},
        {"negative offset", junkFile.path(), -1, 0, host::kFileReadError},
        {"memory image without signature", image, static_cast<LONG_PTR>(junk.size()), 1, host::kInternalError},
        {"empty memory image", image, 0, 1, host::kInternalError},
        {"negative image size", image, -5, 1, host::kFileReadError},
        {"null image", nullptr, 16, 1, host::kFileReadError},
#ifdef _WIN64
        {"offset beyond 32-bit positions", junkFile.path(), LONG_PTR{1} << 32, 0, host::kFileReadError},
#endif
    };
    for (const RequestCase& c : cases) {
        SCOPED_TRACE(c.what);
        host::PictureInfo info = PatternedInfo();
        EXPECT_EQ(spi->GetPictureInfo(c.nameOrImage, c.offsetOrSize, c.flags, &info), c.result);
        EXPECT_TRUE(IsPatterned(info)) << "record written by a failed call";

        HLOCAL header = reinterpret_cast<HLOCAL>(0x1234), pixels = reinterpret_cast<HLOCAL>(0x5678);
        EXPECT_EQ(spi->GetPicture(c.nameOrImage, c.offsetOrSize, c.flags, &header, &pixels, nullptr, 0), c.result);
        EXPECT_EQ(header, nullptr);
        EXPECT_EQ(pixels, nullptr);
    }
}

// The size fields of a first-generation header: all GetPictureInfo reads.
Bytes LegacyHeader(std::uint32_t width, std::uint32_t height)
{
    Bytes bytes = BytesOf(std::string("ROVA\0\0\0\0\0\0", 10));
    for (std::uint32_t value : {width, height}) {
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<std::uint8_t>(value >> shift));
    }
    return bytes;
}

TEST(PluginExports, GetPictureInfoWritesTheWholeRecordFromAnOffsetOrAnImage)
{
    const host::SusiePlugin* spi = Plugin();
    ASSERT_TRUE(spi);
    const Bytes header = LegacyHeader(37, 21);
    Bytes shifted(128, 'x');
    shifted.insert(shifted.end(), header.begin(), header.end());
    const TempFile file("legacy_at_128.rov", shifted);

    host::PictureInfo fromFile = PatternedInfo();
    ASSERT_EQ(spi->GetPictureInfo(file.path(), 128, 0, &fromFile), host::kSuccess);
    host::PictureInfo fromImage = PatternedInfo();
    ASSERT_EQ(spi->GetPictureInfo(reinterpret_cast<const char*>(header.data()),
                                  static_cast<LONG_PTR>(header.size()), 1, &fromImage),
              host::kSuccess);

    for (const host::PictureInfo* info : {&fromFile, &fromImage}) {
        EXPECT_EQ(info->left, 0);
        EXPECT_EQ(info->top, 0);
        EXPECT_EQ(info->width, 37u);
        EXPECT_EQ(info->height, 21u);
        EXPECT_EQ(info->x_density, 0);
        EXPECT_EQ(info->y_density, 0);
        EXPECT_EQ(info->colorDepth, 8);
        EXPECT_EQ(info->hInfo, nullptr);
#ifdef _WIN64
        EXPECT_EQ(info->padding[0], 0);
        EXPECT_EQ(info->padding[1], 0);
#endif
    }
}

TEST(PluginExports, PictureRequestsRefuseMissingOutputs)
{
    const host::SusiePlugin* spi = Plugin();
    ASSERT_TRUE(spi);
    const TempFile junkFile("outputs.rov", Bytes(64, 'x'));
    HLOCAL header = nullptr;
    EXPECT_EQ(spi->GetPictureInfo(junkFile.path(), 0, 0, nullptr), host::kInternalError);
    EXPECT_EQ(spi->GetPicture(junkFile.path(), 0, 0, &header, nullptr, nullptr, 0), host::kInternalError);
    EXPECT_EQ(header, nullptr);
    EXPECT_EQ(spi->GetPicture(junkFile.path(), 0, 0, nullptr, nullptr, nullptr, 0), host::kInternalError);
}

std::string VersionString(const std::vector<char>& block, const char* name)
{
    void* value = nullptr;
    UINT length = 0;
    const std::string key = std::string("\\StringFileInfo\\041104b0\\") + name;
    if (!::VerQueryValueA(block.data(), key.c_str(), &value, &length) || !value)
        return "<missing>";
    return static_cast<const char*>(value);
}

TEST(PluginExports, VersionResource)
{
    const std::string path = host::PluginPath();
    const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), nullptr);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(::GetFileVersionInfoA(path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);

    EXPECT_EQ(VersionString(block, "FileDescription"), "Rova2SPI DLL");
    EXPECT_EQ(VersionString(block, "InternalName"), "Rova2SPI");
    EXPECT_EQ(VersionString(block, "OriginalFilename"), "Rova2SPI.DLL");
    EXPECT_EQ(VersionString(block, "FileVersion"), "1.0.0.1");

    // The non-ASCII notice survives the trip from the UTF-8 source.
    wchar_t* copyright = nullptr;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\StringFileInfo\\041104b0\\LegalCopyright",
                                 reinterpret_cast<void**>(&copyright), &length));
    EXPECT_EQ(std::wstring(copyright), L"\u00A9 Quillmere");
}

}  // namespace
