#include "plugin.h"

namespace susie {
namespace {

template <class Fn>
Fn Export(HMODULE module, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

}  // namespace

Plugin::Plugin(const std::string& path)
{
    m_module = ::LoadLibraryA(path.c_str());
    if (!m_module) {
        m_error = "cannot load " + path + " (error " + std::to_string(::GetLastError()) + ")";
        return;
    }
    GetPluginInfo = Export<GetPluginInfoFn>(m_module, "GetPluginInfo");
    IsSupported = Export<IsSupportedFn>(m_module, "IsSupported");
    GetPictureInfo = Export<GetPictureInfoFn>(m_module, "GetPictureInfo");
    GetPicture = Export<GetPictureFn>(m_module, "GetPicture");
    if (!GetPluginInfo || !IsSupported) {
        m_error = path + " is not a Susie plug-in (GetPluginInfo or IsSupported missing)";
        ::FreeLibrary(m_module);
        m_module = nullptr;
    }
}

Plugin::~Plugin()
{
    if (m_module)
        ::FreeLibrary(m_module);
}

}  // namespace susie
