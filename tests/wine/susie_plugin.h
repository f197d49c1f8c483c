// The plug-in as a Susie host sees it: loaded from its file with LoadLibrary
// and called through GetProcAddress, with the host's own declarations of the
// interface (susie_api.h).
#pragma once

#include "susie_api.h"
#include "wine_path.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace host {

// Result codes, PictureInfo and the export signatures, as a host declares them.
using namespace susie;

struct SusiePlugin {
    HMODULE module = nullptr;
    GetPluginInfoFn GetPluginInfo = nullptr;
    IsSupportedFn IsSupported = nullptr;
    GetPictureInfoFn GetPictureInfo = nullptr;
    GetPictureFn GetPicture = nullptr;
    GetPictureFn GetPreview = nullptr;
    ConfigurationDlgFn ConfigurationDlg = nullptr;
};

// The built Rova2SPI.spi, loaded once per test program. Fails the calling
// test (and returns null) if the module or one of its exports is missing.
const SusiePlugin* Plugin();

// The path of the plug-in under test, in Windows form.
std::string PluginPath();

// A file in the temporary folder, deleted when the object goes.
class TempFile {
public:
    TempFile(const std::string& name, const std::vector<std::uint8_t>& contents);
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const char* path() const { return m_path.c_str(); }

private:
    std::string m_path;
};

}  // namespace host
