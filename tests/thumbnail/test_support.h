// Helpers of the rovaprev tests: the folders the build prepares, a loaded
// copy of rovaprev.dll called as COM would, and bitmaps read back.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <cstdint>
#include <string>
#include <vector>

namespace thumb_test {

using Microsoft::WRL::ComPtr;

// A folder of the prepared test environment as a Windows path, e.g.
// EnvPath(L"beside") for the copy of rovaprev.dll with the fake plug-in.
std::wstring EnvPath(const std::wstring& relative = L"");
// The build's output folder holding the real rovaprev.dll and Rova2SPI.spi.
std::wstring BinPath(const std::wstring& file);

// Makes an empty file (the shell wants files that exist).
void TouchFile(const std::wstring& path);

class Server {
public:
    explicit Server(const std::wstring& dllPath);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    HMODULE Module() const { return m_module; }
    HRESULT CanUnloadNow() const;
    HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** ppv) const;
    HRESULT Register() const;
    HRESULT Unregister() const;

    ComPtr<IClassFactory> Factory() const;
    ComPtr<IExtractImage> NewExtractor() const;

private:
    HMODULE m_module;
};

struct Pixels {
    LONG width = 0;
    LONG height = 0;
    WORD bitsPerPixel = 0;
    std::vector<std::uint32_t> rgb;   // top row first, 0x00RRGGBB
    std::uint32_t At(LONG x, LONG y) const { return rgb[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};

// Reads a device-dependent bitmap back through GetDIBits.
Pixels ReadBitmap(HBITMAP bitmap);

// Load(path), then Extract; returns the bitmap (null when there is none).
HBITMAP LoadAndExtract(IExtractImage* extractor, const std::wstring& path, HRESULT* extractResult = nullptr);

constexpr std::uint32_t kWhite = 0xFFFFFF;

}  // namespace thumb_test
