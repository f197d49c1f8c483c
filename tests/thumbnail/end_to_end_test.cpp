// The real pair from the build output, as Explorer meets it: regsvr32 has
// registered bin/rovaprev.dll (regsvr32_test.sh runs this program between
// registration and removal), Rova2SPI.spi lies beside it, and the shell's
// folder objects hand out the extractor for writer-made documents. Every
// pixel of the thumbnail is predicted from the document's description.
#include "identifiers.h"
#include "registry_expect.h"
#include "rova_files.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>

using namespace thumb_test;

namespace {

void WriteFile(const std::wstring& path, const rova_test::Bytes& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_TRUE(ok && written == bytes.size());
}

// The thumbnail a picture must give: white ground, the picture from column
// 1, reduced by nearest neighbour over the bottom-up rows when a side
// exceeds 192.
Pixels PredictThumbnail(const rova_test::ExpectedPicture& picture)
{
    const LONG width = picture.width, height = picture.height;
    const LONG shownWidth = std::min<LONG>(width, 192), shownHeight = std::min<LONG>(height, 192);
    Pixels thumbnail;
    thumbnail.width = (shownWidth + 4) & ~3;
    thumbnail.height = shownHeight;
    thumbnail.rgb.assign(std::size_t(thumbnail.width) * std::size_t(shownHeight), kWhite);
    for (LONG ty = 0; ty < shownHeight; ++ty) {
        const std::int64_t sourceMemoryRow = std::int64_t(shownHeight - 1 - ty) * height / shownHeight;
        const std::int64_t sourceRow = height - 1 - sourceMemoryRow;
        for (LONG x = 0; x < shownWidth; ++x) {
            const std::int64_t sourceColumn = std::int64_t(x) * width / shownWidth;
            const std::uint8_t index = picture.indexes[std::size_t(sourceRow * width + sourceColumn)];
            const std::uint8_t* quad = &picture.colorTable[std::size_t(index) * 4];
            thumbnail.rgb[std::size_t(ty) * std::size_t(thumbnail.width) + std::size_t(x) + 1] =
                (std::uint32_t{quad[2]} << 16) | (std::uint32_t{quad[1]} << 8) | quad[0];
        }
    }
    return thumbnail;
}

ComPtr<IExtractImage> ExtractorFromShell(const std::wstring& path)
{
    ComPtr<IExtractImage> extractor;
    PIDLIST_ABSOLUTE item = nullptr;
    EXPECT_EQ(SHParseDisplayName(path.c_str(), nullptr, &item, 0, nullptr), S_OK);
    if (!item)
        return extractor;
    ComPtr<IShellFolder> folder;
    PCUITEMID_CHILD child = nullptr;
    if (SHBindToParent(item, IID_IShellFolder, reinterpret_cast<void**>(folder.GetAddressOf()), &child) == S_OK) {
        EXPECT_EQ(folder->GetUIObjectOf(nullptr, 1, &child, IID_IExtractImage, nullptr,
                                        reinterpret_cast<void**>(extractor.GetAddressOf())),
                  S_OK);
    }
    CoTaskMemFree(item);
    return extractor;
}

}  // namespace

TEST(EndToEnd, ShellThumbnailOfWriterDocumentsMatchesThePrediction)
{
    const std::wstring server = BinPath(L"rovaprev.dll");
    ASSERT_EQ(RegistrySubtree(L"CLSID\\" + GuidText(CLSID_RovaPreview) + L"\\InprocServer32").size(), 3u)
        << "run by regsvr32_test.sh after registration";
    ASSERT_EQ(RegisteredStateDifferences(server), std::vector<std::wstring>{});
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));

    const struct {
        std::int32_t width, height;
    } sizes[] = {{120, 90}, {301, 250}, {150, 300}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height));
        const rova_test::DocSpec spec = rova_test::ShapesDocument(size.width, size.height);
        const std::wstring path = EnvPath(L"files\\shapes_" + std::to_wstring(size.width) + L".rov");
        WriteFile(path, rova_test::Rova2Document(spec));

        ComPtr<IExtractImage> extractor = ExtractorFromShell(path);
        ASSERT_TRUE(extractor);
        wchar_t location[MAX_PATH] = L"";
        DWORD priority = 0, flags = IEIFLAG_ASPECT;
        const SIZE requested = {256, 256};
        EXPECT_EQ(extractor->GetLocation(location, MAX_PATH, &priority, &requested, 32, &flags), S_OK);
        HBITMAP bitmap = nullptr;
        ASSERT_EQ(extractor->Extract(&bitmap), S_OK);
        ASSERT_NE(bitmap, nullptr);
        const Pixels actual = ReadBitmap(bitmap);
        DeleteObject(bitmap);

        const Pixels predicted = PredictThumbnail(rova_test::ExpectedFlattening(spec));
        ASSERT_EQ(actual.width, predicted.width);
        ASSERT_EQ(actual.height, predicted.height);
        int wrong = 0;
        for (LONG y = 0; y < actual.height; ++y) {
            for (LONG x = 0; x < actual.width; ++x) {
                if (actual.At(x, y) != predicted.At(x, y) && ++wrong <= 3)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << actual.At(x, y)
                                  << ", predicted " << predicted.At(x, y);
            }
        }
        EXPECT_EQ(wrong, 0);
    }
    CoUninitialize();
}

// The real plug-in refuses these (its own C++ exceptions run inside the
// guarded call for the cut one): no thumbnail, and the plug-in is unloaded.
TEST(EndToEnd, DocumentsThePluginRefusesGiveNoThumbnail)
{
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    const rova_test::Bytes whole = rova_test::Rova2Document(rova_test::ShapesDocument(64, 64));
    rova_test::Rova2Options cut;
    cut.compressedBytes = 40;
    const struct {
        const wchar_t* name;
        rova_test::Bytes bytes;
    } files[] = {
        {L"cut.rov", rova_test::Rova2Document(rova_test::ShapesDocument(64, 64), cut)},
        {L"header_only.rov", rova_test::Bytes(whole.begin(), whole.begin() + 12)},
        {L"not_rova.rov", rova_test::Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0}},
        {L"empty.rov", {}},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(file.name)));
        const std::wstring path = EnvPath(L"files\\refused_") + file.name;
        WriteFile(path, file.bytes);
        ComPtr<IExtractImage> extractor = ExtractorFromShell(path);
        ASSERT_TRUE(extractor);
        HBITMAP bitmap = reinterpret_cast<HBITMAP>(1);
        EXPECT_EQ(extractor->Extract(&bitmap), S_OK);
        EXPECT_EQ(bitmap, nullptr);
        EXPECT_EQ(GetModuleHandleW(L"Rova2SPI.spi"), nullptr);
    }
    CoUninitialize();
}
