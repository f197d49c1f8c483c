// Rova2SPI.spi as rovaprev uses it: loaded for one thumbnail, two exports
// called by name with the Susie conventions, freed again.
#pragma once

#include <windows.h>

#include "picture_info.h"

// Pointer-sized offsets and callback data on 64-bit builds, as 64-bit Susie
// hosts pass them; 32 bits on x86.
using GetPictureInfoProc = int(WINAPI*)(LPCSTR nameOrImage, LONG_PTR offsetOrSize, unsigned flags,
                                        PictureInfo* info);
using GetPictureProc = int(WINAPI*)(LPCSTR nameOrImage, LONG_PTR offsetOrSize, unsigned flags, HLOCAL* header,
                                    HLOCAL* pixels, FARPROC progress, LONG_PTR callbackData);

// Loads the plug-in from the folder that holds rovaprev.dll when it is there,
// else by bare file name through the system's search order. Null on failure.
HMODULE LoadRovaPlugin();

class PluginModule {
public:
    explicit PluginModule(HMODULE module) : m_module(module) {}
    ~PluginModule()
    {
        if (m_module)
            FreeLibrary(m_module);
    }
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    HMODULE Get() const { return m_module; }

private:
    HMODULE m_module;
};
