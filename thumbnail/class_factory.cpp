#include "class_factory.h"

#include <shlwapi.h>

#include <cstddef>

CRovaClassFactory::CRovaClassFactory(const ClassEntry& entry) : m_entry(entry)
{
    InitializeCriticalSection(&m_csRef);
}

CRovaClassFactory::~CRovaClassFactory()
{
    DeleteCriticalSection(&m_csRef);
}

STDMETHODIMP CRovaClassFactory::QueryInterface(REFIID riid, void** ppv)
{
    static const QITAB kInterfaces[] = {
        {&IID_IClassFactory, 0},
        {nullptr, 0},
    };
    return QISearch(this, kInterfaces, riid, ppv);
}

// Going from 1 to 2 means a caller besides the cache holds us: that keeps
// the module loaded until the count falls back to the cache's own reference.
STDMETHODIMP_(ULONG) CRovaClassFactory::AddRef()
{
    EnterCriticalSection(&m_csRef);
    const LONG count = InterlockedIncrement(&m_cRef);
    if (count == 2)
        g_module.Lock();
    LeaveCriticalSection(&m_csRef);
    return static_cast<ULONG>(count);
}

STDMETHODIMP_(ULONG) CRovaClassFactory::Release()
{
    EnterCriticalSection(&m_csRef);
    const LONG count = InterlockedDecrement(&m_cRef);
    if (count == 1)
        g_module.Unlock();
    LeaveCriticalSection(&m_csRef);
    if (count == 0)
        delete this;
    return static_cast<ULONG>(count);
}

STDMETHODIMP CRovaClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (outer && !IsEqualIID(riid, IID_IUnknown))
        return CLASS_E_NOAGGREGATION;
    return m_entry.createInstance(outer, riid, ppv);
}

STDMETHODIMP CRovaClassFactory::LockServer(BOOL lock)
{
    if (lock)
        g_module.Lock();
    else
        g_module.Unlock();
    return S_OK;
}
