// Process-wide state of rovaprev.dll: the module handle, the lock count that
// DllCanUnloadNow reads, and the table of creatable classes with their cached
// class objects.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <cstddef>

struct ClassEntry {
    const CLSID* clsid;
    HRESULT (*updateRegistry)(bool registering);
    HRESULT (*createInstance)(IUnknown* outer, REFIID riid, void** ppv);
    std::atomic<IUnknown*> cachedClassObject;   // holds one reference once filled
};

class CRovaModule {
public:
    CRovaModule();
    ~CRovaModule();
    CRovaModule(const CRovaModule&) = delete;
    CRovaModule& operator=(const CRovaModule&) = delete;

    void Attach(HINSTANCE instance);
    void Detach();

    HINSTANCE Instance() const { return m_hInstance; }

    LONG Lock() { return InterlockedIncrement(&m_nLockCount); }
    LONG Unlock() { return InterlockedDecrement(&m_nLockCount); }
    LONG LockCount() const { return m_nLockCount; }

    HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** ppv);
    HRESULT UpdateRegistry(bool registering);

private:
    HINSTANCE m_hInstance = nullptr;
    ClassEntry* m_pClasses = nullptr;
    std::size_t m_nClasses = 0;
    volatile LONG m_nLockCount = 0;
    CRITICAL_SECTION m_csClassCache;
};

extern CRovaModule g_module;
