// Extract through a copy of rovaprev.dll with the fake plug-in beside it:
// the thumbnail's size, margins and every pixel, and the failure outcomes.
#include "fake_plugin.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>

using namespace thumb_test;

namespace {

// The pixel the thumbnail of a W by H fake picture shows at (tx, ty): the
// picture from column 1, rows sampled from the bottom-up source rows.
std::uint32_t ExpectedPixel(LONG width, LONG height, LONG tx, LONG ty)
{
    const LONG shownWidth = std::min<LONG>(width, 192);
    const LONG shownHeight = std::min<LONG>(height, 192);
    if (tx == 0 || tx > shownWidth)
        return kWhite;
    const std::int64_t memoryRow = shownHeight - 1 - ty;
    const std::int64_t sourceMemoryRow = memoryRow * height / shownHeight;
    const std::int64_t sourceColumn = std::int64_t(tx - 1) * width / shownWidth;
    return fake_picture::ColourOf(fake_picture::IndexAt(sourceColumn, height - 1 - sourceMemoryRow));
}

std::wstring PicturePath(LONG width, LONG height)
{
    return EnvPath(L"files\\pic_" + std::to_wstring(width) + L"x" + std::to_wstring(height) + L".rov");
}

int DisplayBitsPerPixel()
{
    HDC display = CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr);
    const int bits = GetDeviceCaps(display, BITSPIXEL);
    DeleteDC(display);
    return bits;
}

bool PluginLoaded()
{
    return GetModuleHandleW(L"Rova2SPI.spi") != nullptr;
}

class ExtractTest : public ::testing::Test {
protected:
    void TearDown() override { SetDllDirectoryW(nullptr); }
};

struct SizeCase {
    LONG width, height;
    LONG bitmapWidth, bitmapHeight;
};

}  // namespace

TEST_F(ExtractTest, ThumbnailShowsThePictureReducedToAtMost192OnWhite)
{
    const SizeCase cases[] = {
        {192, 192, 196, 192},   // not reduced; white columns 0 and 193 to 195
        {50, 50, 52, 50},
        {640, 480, 196, 192},   // each side limited on its own
        {150, 300, 152, 192},   // rows sampled, columns kept
        {101, 400, 104, 192},   // width not a multiple of 4, reduced
        {193, 50, 196, 50},     // last source column not shown
        {1000, 1000, 196, 192},
        {3, 1, 4, 1},
        {4, 3, 8, 3},
    };
    Server server(EnvPath(L"beside\\rovaprev.dll"));
    ComPtr<IExtractImage> extractor = server.NewExtractor();
    ASSERT_TRUE(extractor);
    const std::uint32_t filler = fake_picture::ColourOf(fake_picture::kFillerIndex);
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        HBITMAP bitmap = LoadAndExtract(extractor.Get(), PicturePath(c.width, c.height));
        ASSERT_NE(bitmap, nullptr);
        const Pixels pixels = ReadBitmap(bitmap);
        DeleteObject(bitmap);
        EXPECT_EQ(pixels.width, c.bitmapWidth);
        EXPECT_EQ(pixels.height, c.bitmapHeight);
        EXPECT_EQ(pixels.bitsPerPixel, DisplayBitsPerPixel());
        int wrong = 0, fillerShown = 0;
        for (LONG y = 0; y < pixels.height; ++y) {
            for (LONG x = 0; x < pixels.width; ++x) {
                const std::uint32_t pixel = pixels.At(x, y);
                fillerShown += pixel == filler;
                if (pixel != ExpectedPixel(c.width, c.height, x, y) && ++wrong <= 3)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << pixel;
            }
        }
        EXPECT_EQ(wrong, 0);
        EXPECT_EQ(fillerShown, 0);
        EXPECT_FALSE(PluginLoaded());
    }
}

TEST_F(ExtractTest, FailuresGiveNoBitmapAndLeaveNothingLoaded)
{
    const wchar_t* names[] = {
        L"not_a_document.rov",       // the plug-in answers 8
        L"fault_av_64x64.rov",       // access violation inside GetPicture
        L"fault_div_64x64.rov",      // division by zero inside GetPictureInfo
        L"short_64x64.rov",          // pixel block smaller than its rows
        L"nopicture_64x64.rov",      // GetPicture fails after GetPictureInfo
        L"negative_-5x10.rov",
        L"zero_0x10.rov",
        L"",
    };
    Server server(EnvPath(L"beside\\rovaprev.dll"));
    ComPtr<IExtractImage> extractor = server.NewExtractor();
    ASSERT_TRUE(extractor);
    for (const wchar_t* name : names) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(name)));
        HRESULT hr = E_FAIL;
        HBITMAP bitmap = LoadAndExtract(extractor.Get(), *name ? EnvPath(L"files\\") + name : L"", &hr);
        EXPECT_EQ(hr, S_OK);
        EXPECT_EQ(bitmap, nullptr);
        EXPECT_FALSE(PluginLoaded());
        // The same object goes on working.
        HBITMAP good = LoadAndExtract(extractor.Get(), PicturePath(8, 8));
        EXPECT_NE(good, nullptr);
        DeleteObject(good);
    }
}

TEST_F(ExtractTest, NothingOfTheFaultGuardOutlivesTheServer)
{
    {
        Server server(EnvPath(L"beside\\rovaprev.dll"));
        ComPtr<IExtractImage> extractor = server.NewExtractor();
        ASSERT_TRUE(extractor);
        EXPECT_EQ(LoadAndExtract(extractor.Get(), EnvPath(L"files\\fault_av_8x8.rov")), nullptr);
    }
    ASSERT_EQ(GetModuleHandleW(EnvPath(L"beside\\rovaprev.dll").c_str()), nullptr) << "the server was unloaded";
    // Every exception passes the vectored handlers first: one left behind
    // would now point into unmapped code.
    bool caught = false;
    try {
        throw std::runtime_error("after the server is gone");
    } catch (const std::runtime_error&) {
        caught = true;
    }
    EXPECT_TRUE(caught);
}

TEST_F(ExtractTest, LoadKeepsTheLastPathAndRefusesOneThatDoesNotFit)
{
    Server server(EnvPath(L"beside\\rovaprev.dll"));
    ComPtr<IExtractImage> extractor = server.NewExtractor();
    ASSERT_TRUE(extractor);
    ComPtr<IPersistFile> file;
    ASSERT_EQ(extractor.As(&file), S_OK);

    // Without a Load there is nothing to draw.
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(1);
    EXPECT_EQ(extractor->Extract(&bitmap), S_OK);
    EXPECT_EQ(bitmap, nullptr);

    ASSERT_EQ(file->Load(PicturePath(20, 10).c_str(), STGM_READ), S_OK);
    ASSERT_EQ(file->Load(PicturePath(40, 30).c_str(), STGM_READ), S_OK);
    ASSERT_EQ(extractor->Extract(&bitmap), S_OK);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(ReadBitmap(bitmap).width, 44);
    DeleteObject(bitmap);

    // 259 characters fit with the terminator; 260 do not.
    std::wstring longest = EnvPath(L"files\\");
    const std::wstring tail = L"_16x16.rov";
    longest += std::wstring(259 - longest.size() - tail.size(), L'n') + tail;
    ASSERT_EQ(longest.size(), 259u);
    EXPECT_EQ(file->Load(longest.c_str(), STGM_READ), S_OK);
    ASSERT_EQ(extractor->Extract(&bitmap), S_OK);
    EXPECT_NE(bitmap, nullptr);
    DeleteObject(bitmap);

    const std::wstring tooLong = L"x" + longest;
    EXPECT_EQ(file->Load(tooLong.c_str(), STGM_READ), HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE));
    ASSERT_EQ(extractor->Extract(&bitmap), S_OK);
    EXPECT_EQ(bitmap, nullptr);
    EXPECT_EQ(extractor->Extract(nullptr), E_POINTER);
}

TEST_F(ExtractTest, PluginBesideTheServerComesBeforeTheSearchOrder)
{
    {
        // The search order offers a plug-in that refuses every file.
        ASSERT_TRUE(SetDllDirectoryW(EnvPath(L"search_refusing").c_str()));
        Server server(EnvPath(L"beside\\rovaprev.dll"));
        ComPtr<IExtractImage> extractor = server.NewExtractor();
        ASSERT_TRUE(extractor);
        HBITMAP bitmap = LoadAndExtract(extractor.Get(), PicturePath(16, 16));
        EXPECT_NE(bitmap, nullptr);
        DeleteObject(bitmap);
    }
    {
        // No plug-in beside the server: the search order is used.
        ASSERT_TRUE(SetDllDirectoryW(EnvPath(L"search_serving").c_str()));
        Server server(EnvPath(L"alone\\rovaprev.dll"));
        ComPtr<IExtractImage> extractor = server.NewExtractor();
        ASSERT_TRUE(extractor);
        HBITMAP bitmap = LoadAndExtract(extractor.Get(), PicturePath(16, 16));
        EXPECT_NE(bitmap, nullptr);
        DeleteObject(bitmap);

        // And none anywhere: no thumbnail.
        ASSERT_TRUE(SetDllDirectoryW(nullptr));
        HRESULT hr = E_FAIL;
        bitmap = LoadAndExtract(extractor.Get(), PicturePath(16, 16), &hr);
        EXPECT_EQ(hr, S_OK);
        EXPECT_EQ(bitmap, nullptr);
        EXPECT_FALSE(PluginLoaded());
    }
}
