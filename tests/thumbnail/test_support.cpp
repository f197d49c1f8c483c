#include "test_support.h"

#include "identifiers.h"

#include <gtest/gtest.h>

namespace thumb_test {

namespace {

std::wstring FromUnixPath(const char* unixPath)
{
    std::wstring path = L"Z:";
    for (const char* p = unixPath; *p; ++p)
        path += *p == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return path;
}

template <class Proc>
Proc ExportOf(HMODULE module, const char* name)
{
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

using NoArgProc = HRESULT(STDAPICALLTYPE*)();
using GetClassObjectProc = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

}  // namespace

std::wstring EnvPath(const std::wstring& relative)
{
    return FromUnixPath(ROVA_THUMB_ENV_DIR) + (relative.empty() ? L"" : L"\\" + relative);
}

std::wstring BinPath(const std::wstring& file)
{
    return FromUnixPath(ROVA_BIN_DIR) + L"\\" + file;
}

void TouchFile(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot create a test file";
    CloseHandle(file);
}

Server::Server(const std::wstring& dllPath) : m_module(LoadLibraryW(dllPath.c_str()))
{
    EXPECT_NE(m_module, nullptr) << "cannot load the server copy, error " << GetLastError();
}

Server::~Server()
{
    if (m_module)
        FreeLibrary(m_module);
}

HRESULT Server::CanUnloadNow() const
{
    return ExportOf<NoArgProc>(m_module, "DllCanUnloadNow")();
}

HRESULT Server::GetClassObject(REFCLSID clsid, REFIID riid, void** ppv) const
{
    return ExportOf<GetClassObjectProc>(m_module, "DllGetClassObject")(clsid, riid, ppv);
}

HRESULT Server::Register() const
{
    return ExportOf<NoArgProc>(m_module, "DllRegisterServer")();
}

HRESULT Server::Unregister() const
{
    return ExportOf<NoArgProc>(m_module, "DllUnregisterServer")();
}

ComPtr<IClassFactory> Server::Factory() const
{
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(GetClassObject(CLSID_RovaPreview, IID_IClassFactory, reinterpret_cast<void**>(factory.GetAddressOf())),
              S_OK);
    return factory;
}

ComPtr<IExtractImage> Server::NewExtractor() const
{
    ComPtr<IExtractImage> extractor;
    if (ComPtr<IClassFactory> factory = Factory()) {
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_IExtractImage,
                                          reinterpret_cast<void**>(extractor.GetAddressOf())),
                  S_OK);
    }
    return extractor;
}

Pixels ReadBitmap(HBITMAP bitmap)
{
    Pixels pixels;
    BITMAP info = {};
    if (!GetObjectW(bitmap, sizeof info, &info))
        return pixels;
    pixels.width = info.bmWidth;
    pixels.height = info.bmHeight;
    pixels.bitsPerPixel = info.bmBitsPixel;

    BITMAPINFO request = {};
    request.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    request.bmiHeader.biWidth = info.bmWidth;
    request.bmiHeader.biHeight = -info.bmHeight;   // top row first
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    request.bmiHeader.biCompression = BI_RGB;
    pixels.rgb.resize(std::size_t(info.bmWidth) * std::size_t(info.bmHeight));
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, bitmap, 0, UINT(info.bmHeight), pixels.rgb.data(), &request, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(rows, info.bmHeight);
    for (std::uint32_t& value : pixels.rgb)
        value &= 0xFFFFFF;
    return pixels;
}

HBITMAP LoadAndExtract(IExtractImage* extractor, const std::wstring& path, HRESULT* extractResult)
{
    ComPtr<IPersistFile> file;
    EXPECT_EQ(extractor->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.GetAddressOf())), S_OK);
    EXPECT_EQ(file->Load(path.c_str(), STGM_READ), S_OK);
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(static_cast<INT_PTR>(-1));
    const HRESULT hr = extractor->Extract(&bitmap);
    if (extractResult)
        *extractResult = hr;
    else
        EXPECT_EQ(hr, S_OK);
    return bitmap;
}

}  // namespace thumb_test
