// A Susie plug-in loaded the way a host loads one: by path, with its exports
// looked up by name.
#pragma once

#include "susie_api.h"

#include <windows.h>

#include <string>

namespace susie {

class Plugin {
public:
    // Loads the module; error() says why when loaded() is false.
    explicit Plugin(const std::string& path);
    ~Plugin();
    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;

    bool loaded() const { return m_module != nullptr; }
    const std::string& error() const { return m_error; }

    // Exports; null when the plug-in lacks one.
    GetPluginInfoFn GetPluginInfo = nullptr;
    IsSupportedFn IsSupported = nullptr;
    GetPictureInfoFn GetPictureInfo = nullptr;
    GetPictureFn GetPicture = nullptr;

private:
    HMODULE m_module = nullptr;
    std::string m_error;
};

}  // namespace susie
