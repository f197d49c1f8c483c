// CRovaPreview: the shell's image extractor for ".rov" files. It holds one
// path from IPersistFile::Load; IExtractImage::Extract draws the thumbnail.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <shobjidl.h>

class CRovaPreview final : public IPersistFile, public IExtractImage {
public:
    // The creator of the class object: plain, or aggregated inside outer
    // (the caller has checked that riid is IID_IUnknown then).
    static HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv);

    // Nearest-neighbour reduction of one-byte pixels in place: the reduced
    // rows, (newWidth + 3) & ~3 bytes apart, replace the start of the block.
    // The block must hold the source rows, (width + 3) & ~3 bytes apart.
    // False, with nothing changed, when the new size exceeds the old one in
    // either side or the work buffer cannot be had.
    static bool ReducePixels(BYTE* pixels, LONG& width, LONG& height, LONG newWidth, LONG newHeight);

    // IUnknown, passed on to the controlling unknown.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IPersistFile
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(LPCOLESTR fileName, DWORD mode) override;
    STDMETHODIMP Save(LPCOLESTR fileName, BOOL remember) override;
    STDMETHODIMP SaveCompleted(LPCOLESTR fileName) override;
    STDMETHODIMP GetCurFile(LPOLESTR* fileName) override;

    // IExtractImage
    STDMETHODIMP GetLocation(LPWSTR pathBuffer, DWORD pathChars, DWORD* priority, const SIZE* size,
                             DWORD colorDepth, DWORD* flags) override;
    STDMETHODIMP Extract(HBITMAP* bitmap) override;

private:
    // Owns the reference count; in the aggregated form it is the object's
    // own unknown, handed to the outer object only.
    class CInnerUnknown final : public IUnknown {
    public:
        explicit CInnerUnknown(CRovaPreview& owner) : m_owner(owner) {}
        STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;

    private:
        CRovaPreview& m_owner;
    };

    explicit CRovaPreview(IUnknown* outer);
    ~CRovaPreview();
    CRovaPreview(const CRovaPreview&) = delete;
    CRovaPreview& operator=(const CRovaPreview&) = delete;

    CInnerUnknown m_inner;
    IUnknown* m_pOuter;          // null unless aggregated
    ULONG m_cRef = 0;            // apartment-threaded: a plain counter
    WCHAR m_szPath[MAX_PATH] = {};
};
