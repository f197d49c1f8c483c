// rovaprev as the shell reaches it once registered: CoCreateInstance of the
// class, and the extractor for a .rov file through shell32's folder objects.
#include "identifiers.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <shlobj.h>

using namespace thumb_test;

namespace {

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(m_server.Register(), S_OK);
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    }
    void TearDown() override
    {
        CoUninitialize();
        EXPECT_EQ(m_server.Unregister(), S_OK);
    }

    Server m_server{EnvPath(L"beside\\rovaprev.dll")};
};

}  // namespace

TEST_F(ShellTest, CoCreateInstanceMakesAWorkingExtractor)
{
    ComPtr<IExtractImage> extractor;
    ASSERT_EQ(CoCreateInstance(CLSID_RovaPreview, nullptr, CLSCTX_INPROC_SERVER, IID_IExtractImage,
                               reinterpret_cast<void**>(extractor.GetAddressOf())),
              S_OK);
    HBITMAP bitmap = LoadAndExtract(extractor.Get(), EnvPath(L"files\\pic_30x20.rov"));
    ASSERT_NE(bitmap, nullptr);
    const Pixels pixels = ReadBitmap(bitmap);
    DeleteObject(bitmap);
    EXPECT_EQ(pixels.width, 32);
    EXPECT_EQ(pixels.height, 20);

    ComPtr<IDispatch> dispatch;
    EXPECT_EQ(CoCreateInstance(CLSID_RovaPreview, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                               reinterpret_cast<void**>(dispatch.GetAddressOf())),
              E_NOINTERFACE);
}

TEST_F(ShellTest, ShellFolderHandsOutTheExtractorForARovFile)
{
    const std::wstring path = EnvPath(L"files\\shell_64x48.rov");
    TouchFile(path);
    PIDLIST_ABSOLUTE item = nullptr;
    ASSERT_EQ(SHParseDisplayName(path.c_str(), nullptr, &item, 0, nullptr), S_OK);
    ComPtr<IShellFolder> folder;
    PCUITEMID_CHILD child = nullptr;
    ASSERT_EQ(SHBindToParent(item, IID_IShellFolder, reinterpret_cast<void**>(folder.GetAddressOf()), &child), S_OK);
    ComPtr<IExtractImage> extractor;
    const HRESULT found = folder->GetUIObjectOf(nullptr, 1, &child, IID_IExtractImage, nullptr,
                                                reinterpret_cast<void**>(extractor.GetAddressOf()));
    CoTaskMemFree(item);
    ASSERT_EQ(found, S_OK);

    wchar_t location[MAX_PATH] = L"";
    DWORD priority = 0;
    const SIZE size = {96, 96};
    DWORD flags = IEIFLAG_ASYNC;
    EXPECT_EQ(extractor->GetLocation(location, MAX_PATH, &priority, &size, 32, &flags), E_PENDING);
    HBITMAP bitmap = nullptr;
    ASSERT_EQ(extractor->Extract(&bitmap), S_OK);
    ASSERT_NE(bitmap, nullptr) << "the shell loaded the path into the extractor";
    const Pixels pixels = ReadBitmap(bitmap);
    DeleteObject(bitmap);
    EXPECT_EQ(pixels.width, 68);
    EXPECT_EQ(pixels.height, 48);
}
