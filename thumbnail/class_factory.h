// The class object of a creatable class. The module's cache keeps one
// reference that does not lock the module; any reference beyond it does.
#pragma once

#include "module.h"

#include <unknwn.h>

class CRovaClassFactory final : public IClassFactory {
public:
    explicit CRovaClassFactory(const ClassEntry& entry);
    ~CRovaClassFactory();
    CRovaClassFactory(const CRovaClassFactory&) = delete;
    CRovaClassFactory& operator=(const CRovaClassFactory&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    const ClassEntry& m_entry;
    volatile LONG m_cRef = 0;
    CRITICAL_SECTION m_csRef;
};
