#include "registration.h"

#include "registry_script.h"

#include <oleauto.h>

#include <vector>

#ifndef STRSAFE_E_INSUFFICIENT_BUFFER
#define STRSAFE_E_INSUFFICIENT_BUFFER ((HRESULT)0x8007007AL)
#endif

namespace {

class TypeLibHolder {
public:
    ~TypeLibHolder()
    {
        if (m_lib)
            m_lib->Release();
    }
    ITypeLib** Out() { return &m_lib; }
    ITypeLib* Get() const { return m_lib; }

private:
    ITypeLib* m_lib = nullptr;
};

// The module's type library: from the module itself, else from the .tlb file
// beside it. modulePath receives the module's path.
HRESULT LoadOwnTypeLib(HINSTANCE module, std::wstring& modulePath, ITypeLib** lib)
{
    if (HRESULT hr = GetModulePath(module, modulePath); FAILED(hr))
        return hr;
    HRESULT hr = LoadTypeLib(modulePath.c_str(), lib);
    if (SUCCEEDED(hr))
        return hr;
    std::wstring tlbPath = modulePath;
    const std::size_t dot = tlbPath.find_last_of(L".\\/:");
    if (dot != std::wstring::npos && tlbPath[dot] == L'.')
        tlbPath.erase(dot);
    tlbPath += L".tlb";
    return LoadTypeLib(tlbPath.c_str(), lib);
}

}  // namespace

HRESULT GetModulePath(HINSTANCE module, std::wstring& path)
{
    wchar_t buffer[MAX_PATH];
    const DWORD length = GetModuleFileNameW(module, buffer, MAX_PATH);
    if (length == 0)
        return HRESULT_FROM_WIN32(GetLastError());
    if (length >= MAX_PATH)
        return STRSAFE_E_INSUFFICIENT_BUFFER;   // the path was cut short
    path.assign(buffer, length);
    return S_OK;
}

HRESULT ApplyScriptResource(HINSTANCE module, UINT resourceId, bool registering)
{
    std::wstring modulePath;
    if (HRESULT hr = GetModulePath(module, modulePath); FAILED(hr))
        return hr;

    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resourceId), L"REGISTRY");
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const char* text = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (!text)
        return HRESULT_FROM_WIN32(ERROR_RESOURCE_DATA_NOT_FOUND);
    const int bytes = static_cast<int>(SizeofResource(module, found));
    std::wstring script;
    if (bytes > 0) {
        const int chars = MultiByteToWideChar(CP_ACP, 0, text, bytes, nullptr, 0);
        if (chars <= 0)
            return HRESULT_FROM_WIN32(GetLastError());
        script.resize(static_cast<std::size_t>(chars));
        MultiByteToWideChar(CP_ACP, 0, text, bytes, &script[0], chars);
    }

    std::vector<ScriptKey> keys;
    if (!ParseRegistryScript(ExpandModulePath(script, modulePath), keys))
        return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
    return ApplyRegistryScript(HKEY_CLASSES_ROOT, keys, registering ? ScriptMode::Register : ScriptMode::Unregister);
}

HRESULT RegisterTypeLibrary(HINSTANCE module)
{
    std::wstring modulePath;
    TypeLibHolder lib;
    if (HRESULT hr = LoadOwnTypeLib(module, modulePath, lib.Out()); FAILED(hr))
        return hr;
    std::wstring helpDir = modulePath;
    helpDir.erase(helpDir.find_last_of(L"\\/:") + 1);   // npos + 1 == 0: no folder
    return RegisterTypeLib(lib.Get(), &modulePath[0], &helpDir[0]);
}

HRESULT UnregisterTypeLibrary(HINSTANCE module)
{
    std::wstring modulePath;
    TypeLibHolder lib;
    if (HRESULT hr = LoadOwnTypeLib(module, modulePath, lib.Out()); FAILED(hr))
        return hr;
    TLIBATTR* attr = nullptr;
    if (HRESULT hr = lib.Get()->GetLibAttr(&attr); FAILED(hr))
        return hr;
    const HRESULT hr = UnRegisterTypeLib(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid, attr->syskind);
    lib.Get()->ReleaseTLibAttr(attr);
    return hr;
}
