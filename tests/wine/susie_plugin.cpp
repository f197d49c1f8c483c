#include "susie_plugin.h"

#include <gtest/gtest.h>

#include <fstream>

#ifndef ROVA_SPI_PATH
#error "ROVA_SPI_PATH must name the plug-in under test"
#endif

namespace host {
namespace {

template <class Fn>
bool Resolve(HMODULE module, const char* name, Fn& function)
{
    function = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    EXPECT_NE(reinterpret_cast<void*>(function), nullptr) << "export " << name << " missing";
    return function != nullptr;
}

SusiePlugin LoadPlugin()
{
    SusiePlugin plugin;
    plugin.module = ::LoadLibraryA(PluginPath().c_str());
    EXPECT_NE(plugin.module, nullptr) << "cannot load " << PluginPath() << ", error " << ::GetLastError();
    if (!plugin.module)
        return plugin;
    const bool complete = Resolve(plugin.module, "GetPluginInfo", plugin.GetPluginInfo) &&
                          Resolve(plugin.module, "IsSupported", plugin.IsSupported) &&
                          Resolve(plugin.module, "GetPictureInfo", plugin.GetPictureInfo) &&
                          Resolve(plugin.module, "GetPicture", plugin.GetPicture) &&
                          Resolve(plugin.module, "GetPreview", plugin.GetPreview) &&
                          Resolve(plugin.module, "ConfigurationDlg", plugin.ConfigurationDlg);
    if (!complete)
        plugin.module = nullptr;
    return plugin;
}

}  // namespace

const SusiePlugin* Plugin()
{
    static const SusiePlugin plugin = LoadPlugin();
    if (!plugin.module)
        ADD_FAILURE() << "plug-in not loaded";
    return plugin.module ? &plugin : nullptr;
}

std::string PluginPath()
{
    return WindowsPath(ROVA_SPI_PATH);
}

TempFile::TempFile(const std::string& name, const std::vector<std::uint8_t>& contents)
{
    char folder[MAX_PATH];
    const DWORD length = ::GetTempPathA(MAX_PATH, folder);
    m_path = std::string(folder, length) + "rova_wine_" + std::to_string(::GetCurrentProcessId()) + "_" + name;
    std::ofstream out(m_path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(contents.data()), static_cast<std::streamsize>(contents.size()));
    EXPECT_TRUE(out.good()) << "cannot write " << m_path;
}

TempFile::~TempFile()
{
    ::DeleteFileA(m_path.c_str());
}

}  // namespace host
