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

ClassEntry g_classes[] = {
    {&CLSID_RovaPreview, UpdatePreviewRegistry, CRovaPreview::CreateInstance, nullptr},
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
}

void CRovaModule::Detach()
{
    for (std::size_t i = 0; i < m_nClasses; ++i) {
        ClassEntry& entry = m_pClasses[i];
        if (IUnknown* cached = entry.cachedClassObject.exchange(nullptr))
            cached->Release();
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
        IUnknown* cached = entry.cachedClassObject.load(std::memory_order_acquire);
        if (!cached) {
            EnterCriticalSection(&m_csClassCache);
            // A second look: another thread may have filled the cache meanwhile.
            cached = entry.cachedClassObject.load(std::memory_order_acquire);
            if (!cached) {
                if (auto* factory = new (std::nothrow) CRovaClassFactory(entry)) {
                    factory->AddRef();
                    cached = factory;
                    entry.cachedClassObject.store(cached, std::memory_order_release);
                }
            }
            LeaveCriticalSection(&m_csClassCache);
            if (!cached)
                return E_OUTOFMEMORY;
        }
        return cached->QueryInterface(riid, ppv);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

// The classes' entries first, then the type library; the first failure ends it.
HRESULT CRovaModule::UpdateRegistry(bool registering)
{
    for (std::size_t i = 0; i < m_nClasses; ++i) {
        if (HRESULT hr = m_pClasses[i].updateRegistry(registering); FAILED(hr))
            return hr;
    }
    return registering ? RegisterTypeLibrary(m_hInstance) : UnregisterTypeLibrary(m_hInstance);
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
