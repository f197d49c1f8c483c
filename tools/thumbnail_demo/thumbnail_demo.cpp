// thumbnail_demo <document.rov> <thumbnail.bmp> [rovaprev.dll]
// Takes the thumbnail of a document as Explorer would, through rovaprev.dll's
// class object (no registration needed), and writes it as a 32-bit .bmp.
// Without a third argument the rovaprev.dll beside this program is used.
#include "identifiers.h"

#include <windows.h>
#include <objbase.h>
#include <shobjidl.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::wstring BesideProgram(const wchar_t* file)
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length < MAX_PATH ? length : 0);
    folder.erase(folder.find_last_of(L"\\/") + 1);
    return folder + file;
}

HBITMAP ExtractThumbnail(HMODULE server, const wchar_t* document)
{
    using GetClassObjectProc = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto getClassObject = reinterpret_cast<GetClassObjectProc>(
        reinterpret_cast<void*>(GetProcAddress(server, "DllGetClassObject")));
    IClassFactory* factory = nullptr;
    if (!getClassObject || FAILED(getClassObject(CLSID_RovaPreview, IID_IClassFactory, reinterpret_cast<void**>(&factory))))
        return nullptr;
    IPersistFile* file = nullptr;
    IExtractImage* extractor = nullptr;
    HBITMAP bitmap = nullptr;
    if (SUCCEEDED(factory->CreateInstance(nullptr, IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(document, STGM_READ)) &&
        SUCCEEDED(file->QueryInterface(IID_IExtractImage, reinterpret_cast<void**>(&extractor)))) {
        extractor->Extract(&bitmap);
    }
    if (extractor)
        extractor->Release();
    if (file)
        file->Release();
    factory->Release();
    return bitmap;
}

bool WriteBmp(HBITMAP bitmap, const wchar_t* path)
{
    BITMAP info = {};
    if (!GetObjectW(bitmap, sizeof info, &info))
        return false;
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = info.bmWidth;
    header.biHeight = info.bmHeight;   // bottom-up, as .bmp files usually are
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    std::vector<BYTE> pixels(std::size_t(info.bmWidth) * std::size_t(info.bmHeight) * 4);
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, bitmap, 0, UINT(info.bmHeight), pixels.data(),
                               reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows != info.bmHeight)
        return false;

    BITMAPFILEHEADER fileHeader = {};
    fileHeader.bfType = 0x4D42;   // "BM"
    fileHeader.bfOffBits = sizeof fileHeader + sizeof header;
    fileHeader.bfSize = DWORD(fileHeader.bfOffBits + pixels.size());
    FILE* out = _wfopen(path, L"wb");
    if (!out)
        return false;
    const bool written = std::fwrite(&fileHeader, sizeof fileHeader, 1, out) == 1 &&
                         std::fwrite(&header, sizeof header, 1, out) == 1 &&
                         std::fwrite(pixels.data(), 1, pixels.size(), out) == pixels.size();
    return std::fclose(out) == 0 && written;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3 || argc > 4) {
        std::fputs("usage: thumbnail_demo <document.rov> <thumbnail.bmp> [rovaprev.dll]\n", stderr);
        return 2;
    }
    const std::wstring serverPath = argc == 4 ? argv[3] : BesideProgram(L"rovaprev.dll");
    HMODULE server = LoadLibraryW(serverPath.c_str());
    if (!server) {
        std::fprintf(stderr, "cannot load %ls (error %lu)\n", serverPath.c_str(), GetLastError());
        return 1;
    }
    HBITMAP bitmap = ExtractThumbnail(server, argv[1]);
    int status = 0;
    if (!bitmap) {
        std::fprintf(stderr, "no thumbnail for %ls\n", argv[1]);
        status = 1;
    } else {
        BITMAP info = {};
        GetObjectW(bitmap, sizeof info, &info);
        if (WriteBmp(bitmap, argv[2])) {
            std::printf("%ls: %ld x %ld thumbnail written to %ls\n", argv[1], info.bmWidth, info.bmHeight, argv[2]);
        } else {
            std::fprintf(stderr, "cannot write %ls\n", argv[2]);
            status = 1;
        }
        DeleteObject(bitmap);
    }
    FreeLibrary(server);
    return status;
}
