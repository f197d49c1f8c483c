#include "module.h"

#include "class_factory.h"
#include "identifiers.h"
#include "preview.h"
#include "registration.h"

#include <olectl.h>

#include <iterator>
#include <new>

namespace {

constexpr UINT kRegistryScriptId = 101;

HRESULT UpdatePreviewRegistry(bool registering)
{
    return ApplyScriptResource(g_module.Instance(), kRegistryScriptId, registering);
}

void NoHook() {}

ClassEntry g_classes[] = {
    {&CLSID_RovaPreview, UpdatePreviewRegistry, CRovaPreview::CreateInstance, NoHook, NoHook, nullptr},
};

}  // namespace

CRovaModule g_module;

CRovaModule::CRovaModule()
{
    InitializeCriticalSection(&m_csClassCache);
}

CRovaModule::~CRovaModule()
{
    DeleteCriticalSection(&m_csClassCache);
}

void CRovaModule::Attach(HINSTANCE instance)
{
    m_hInstance = instance;
    m_pClasses = g_classes;
    m_nClasses = std::size(g_classes);
    m_pLibId = &LIBID_GLIMLETLib;
    for (std::size_t i = 0; i < m_nClasses; ++i)
        m_pClasses[i].onStart();
}

void CRovaModule::Detach()
{
    for (std::size_t i = 0; i < m_nClasses; ++i) {
        ClassEntry& entry = m_pClasses[i];
        if (IUnknown* cached = entry.cachedClassObject) {
            entry.cachedClassObject = nullptr;
            cached->Release();
        }
        entry.onStop();
    }
}

HRESULT CRovaModule::GetClassObject(REFCLSID clsid, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    for (std::size_t i = 0; i < m_nClasses; ++i) {
        ClassEntry& entry = m_pClasses[i];
        if (!IsEqualCLSID(clsid, *entry.clsid))
            continue;
        if (!entry.cachedClassObject) {
            EnterCriticalSection(&m_csClassCache);
            // A second look: another thread may have filled the cache meanwhile.
            if (!entry.cachedClassObject) {
                if (auto* factory = new (std::nothrow) CRovaClassFactory(entry)) {
                    factory->AddRef();
                    entry.cachedClassObject = factory;
                }
            }
            LeaveCriticalSection(&m_csClassCache);
            if (!entry.cachedClassObject)
                return E_OUTOFMEMORY;
        }
        return entry.cachedClassObject->QueryInterface(riid, ppv);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CRovaModule::UpdateRegistry(bool registering)
{
    if (registering) {
        for (std::size_t i = 0; i < m_nClasses; ++i) {
            if (HRESULT hr = m_pClasses[i].updateRegistry(true); FAILED(hr))
                return hr;
        }
        return RegisterTypeLibrary(m_hInstance);
    }
    for (std::size_t i = 0; i < m_nClasses; ++i) {
        if (HRESULT hr = m_pClasses[i].updateRegistry(false); FAILED(hr))
            return hr;
    }
    return UnregisterTypeLibrary(m_hInstance);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_module.Attach(instance);
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        g_module.Detach();
    }
    return TRUE;
}

STDAPI DllCanUnloadNow()
{
    return g_module.LockCount() == 0 ? S_OK : S_FALSE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* ppv)
{
    return g_module.GetClassObject(clsid, riid, ppv);
}

STDAPI DllRegisterServer()
{
    return g_module.UpdateRegistry(true);
}

STDAPI DllUnregisterServer()
{
    return g_module.UpdateRegistry(false);
}
