#include "preview.h"

#include "module.h"
#include "render.h"

#include <shlwapi.h>

#include <cwchar>
#include <new>

CRovaPreview::CRovaPreview(IUnknown* outer) : m_inner(*this), m_pOuter(outer)
{
    g_module.Lock();
}

CRovaPreview::~CRovaPreview()
{
    g_module.Unlock();
}

HRESULT CRovaPreview::CreateInstance(IUnknown* outer, REFIID riid, void** ppv)
{
    auto* object = new (std::nothrow) CRovaPreview(outer);
    if (!object)
        return E_OUTOFMEMORY;
    const HRESULT hr = object->m_inner.QueryInterface(riid, ppv);
    if (FAILED(hr))
        delete object;
    return hr;
}

// The first row answers IID_IUnknown too, so the IPersistFile pointer is the
// identity of a plain object.
STDMETHODIMP CRovaPreview::CInnerUnknown::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv && m_owner.m_pOuter && IsEqualIID(riid, IID_IUnknown)) {
        *ppv = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    static const QITAB kInterfaces[] = {
        QITABENT(CRovaPreview, IPersistFile),
        QITABENT(CRovaPreview, IExtractImage),
        {nullptr, 0},
    };
    return QISearch(&m_owner, kInterfaces, riid, ppv);
}

STDMETHODIMP_(ULONG) CRovaPreview::CInnerUnknown::AddRef()
{
    return ++m_owner.m_cRef;
}

STDMETHODIMP_(ULONG) CRovaPreview::CInnerUnknown::Release()
{
    const ULONG count = --m_owner.m_cRef;
    if (count == 0)
        delete &m_owner;
    return count;
}

STDMETHODIMP CRovaPreview::QueryInterface(REFIID riid, void** ppv)
{
    return m_pOuter ? m_pOuter->QueryInterface(riid, ppv) : m_inner.QueryInterface(riid, ppv);
}

STDMETHODIMP_(ULONG) CRovaPreview::AddRef()
{
    return m_pOuter ? m_pOuter->AddRef() : m_inner.AddRef();
}

STDMETHODIMP_(ULONG) CRovaPreview::Release()
{
    return m_pOuter ? m_pOuter->Release() : m_inner.Release();
}

STDMETHODIMP CRovaPreview::GetClassID(CLSID*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CRovaPreview::IsDirty()
{
    return E_NOTIMPL;
}

STDMETHODIMP CRovaPreview::Load(LPCOLESTR fileName, DWORD)
{
    if (!fileName)
        return E_POINTER;
    const std::size_t length = wcsnlen(fileName, MAX_PATH);
    if (length >= MAX_PATH) {
        // Forget the previous path too: an Extract after this must not draw it.
        m_szPath[0] = L'\0';
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    }
    wmemcpy(m_szPath, fileName, length + 1);
    return S_OK;
}

STDMETHODIMP CRovaPreview::Save(LPCOLESTR, BOOL)
{
    return E_NOTIMPL;
}

STDMETHODIMP CRovaPreview::SaveCompleted(LPCOLESTR)
{
    return E_NOTIMPL;
}

STDMETHODIMP CRovaPreview::GetCurFile(LPOLESTR*)
{
    return E_NOTIMPL;
}

// Only answers whether the shell should extract in the background; the
// thumbnail's size does not depend on what is asked for here.
STDMETHODIMP CRovaPreview::GetLocation(LPWSTR, DWORD, DWORD*, const SIZE*, DWORD, DWORD* flags)
{
    return flags && (*flags & IEIFLAG_ASYNC) ? E_PENDING : S_OK;
}

STDMETHODIMP CRovaPreview::Extract(HBITMAP* bitmap)
{
    if (!bitmap)
        return E_POINTER;
    *bitmap = nullptr;
    try {
        *bitmap = RenderThumbnail(m_szPath);
    } catch (...) {
        // std::bad_alloc, CMemoryException and the like: no thumbnail.
        *bitmap = nullptr;
    }
    return S_OK;
}
