// Registration and removal by DllRegisterServer / DllUnregisterServer of a
// loaded copy, read back with the registry API; the type library as
// LoadRegTypeLib finds it.
#include "identifiers.h"
#include "registry_expect.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <oleauto.h>
#include <shlwapi.h>

#include <algorithm>

using namespace thumb_test;

namespace {

#ifndef STRSAFE_E_INSUFFICIENT_BUFFER
#define STRSAFE_E_INSUFFICIENT_BUFFER ((HRESULT)0x8007007AL)
#endif

std::string Narrow(const std::vector<std::wstring>& lines)
{
    std::string text;
    for (const std::wstring& line : lines) {
        for (wchar_t c : line)
            text += c < 128 ? char(c) : '?';
        text += '\n';
    }
    return text;
}

class RegistryTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        SHDeleteKeyW(HKEY_CLASSES_ROOT, (L".rov\\shellex\\" + GuidText(kOtherExtension)).c_str());
        m_server.Unregister();
    }

    // {5F1E0C1B-0A8F-4C4E-9B1E-6A2B7C3D4E5F}: another extension's handler.
    static constexpr GUID kOtherExtension = {0x5f1e0c1b, 0x0a8f, 0x4c4e, {0x9b, 0x1e, 0x6a, 0x2b, 0x7c, 0x3d, 0x4e, 0x5f}};
    const std::wstring m_path = EnvPath(L"beside\\rovaprev.dll");
    Server m_server{m_path};
};

}  // namespace

TEST_F(RegistryTest, RegisterWritesExactlyTheEntriesAndRemovalKeepsOnlyTheSharedKeys)
{
    ASSERT_EQ(m_server.Register(), S_OK);
    EXPECT_EQ(Narrow(RegisteredStateDifferences(m_path)), "");

    // Registering again rebuilds the ForceRemove class key from scratch.
    const std::wstring classKey = L"CLSID\\" + GuidText(CLSID_RovaPreview);
    HKEY stray = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, (classKey + L"\\Stray\\Deeper").c_str(), 0, nullptr, 0,
                              KEY_WRITE, nullptr, &stray, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(stray);
    ASSERT_EQ(m_server.Register(), S_OK);
    EXPECT_EQ(Narrow(RegisteredStateDifferences(m_path)), "");

    ASSERT_EQ(m_server.Unregister(), S_OK);
    EXPECT_EQ(Narrow(RemovedStateDifferences()), "");
}

TEST_F(RegistryTest, RemovalStopsAtAnotherExtensionsKey)
{
    ASSERT_EQ(m_server.Register(), S_OK);
    const std::wstring other = L".rov\\shellex\\" + GuidText(kOtherExtension);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, other.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);

    EXPECT_TRUE(FAILED(m_server.Unregister()));
    EXPECT_FALSE(RegistryKeyExists(L".rov\\shellex\\{BB2E617C-0920-11d1-9A0B-00C04FC2D6C1}"));
    EXPECT_TRUE(RegistryKeyExists(other));
    EXPECT_FALSE(RegistryKeyExists(L"Quillmere.RovaPreview")) << "keys before .rov were removed";
    ITypeLib* lib = nullptr;
    EXPECT_EQ(LoadRegTypeLib(LIBID_GLIMLETLib, 1, 0, 0x0409, &lib), S_OK) << "the type library stays registered";
    if (lib)
        lib->Release();
}

TEST_F(RegistryTest, TypeLibraryIsRegisteredWithItsAttributes)
{
    ASSERT_EQ(m_server.Register(), S_OK);
    ITypeLib* lib = nullptr;
    ASSERT_EQ(LoadRegTypeLib(LIBID_GLIMLETLib, 1, 0, 0x0409, &lib), S_OK);

    TLIBATTR* libAttr = nullptr;
    ASSERT_EQ(lib->GetLibAttr(&libAttr), S_OK);
    EXPECT_TRUE(IsEqualGUID(libAttr->guid, LIBID_GLIMLETLib));
    EXPECT_EQ(libAttr->lcid, 0x0409u);
    EXPECT_EQ(libAttr->syskind, SYS_WIN32);
    EXPECT_EQ(libAttr->wMajorVerNum, 1);
    EXPECT_EQ(libAttr->wMinorVerNum, 0);
    // The loader adds LIBFLAG_FHASDISKIMAGE to a library it read from a file.
    EXPECT_EQ(libAttr->wLibFlags & ~LIBFLAG_FHASDISKIMAGE, 0);
    lib->ReleaseTLibAttr(libAttr);
    BSTR name = nullptr, help = nullptr;
    ASSERT_EQ(lib->GetDocumentation(-1, &name, &help, nullptr, nullptr), S_OK);
    EXPECT_STREQ(name, L"GLIMLETLib");
    EXPECT_STREQ(help, L"Rova Preview 1.0 Type Library");
    SysFreeString(name);
    SysFreeString(help);

    ITypeInfo* coclass = nullptr;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(CLSID_RovaPreview, &coclass), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(coclass->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_COCLASS);
    EXPECT_EQ(attr->wTypeFlags, TYPEFLAG_FCANCREATE);
    EXPECT_EQ(attr->wMajorVerNum, 0);
    EXPECT_EQ(attr->wMinorVerNum, 0);
    EXPECT_EQ(attr->cImplTypes, 1);
    coclass->ReleaseTypeAttr(attr);
    ASSERT_EQ(coclass->GetDocumentation(MEMBERID_NIL, &name, &help, nullptr, nullptr), S_OK);
    EXPECT_STREQ(name, L"RovaPreview");
    EXPECT_STREQ(help, L"Rova Preview Class");
    SysFreeString(name);
    SysFreeString(help);
    INT implFlags = 0;
    EXPECT_EQ(coclass->GetImplTypeFlags(0, &implFlags), S_OK);
    EXPECT_EQ(implFlags, IMPLTYPEFLAG_FDEFAULT);
    coclass->Release();

    // A dual interface shows as a dispinterface; its vtable side is reached
    // through the reference -1.
    ITypeInfo* dispatch = nullptr;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(IID_IRovaPreview, &dispatch), S_OK);
    ASSERT_EQ(dispatch->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
    EXPECT_EQ(attr->cFuncs, 7) << "the IUnknown and IDispatch entries only";
    EXPECT_EQ(attr->cVars, 0);
    dispatch->ReleaseTypeAttr(attr);
    HREFTYPE vtableRef = 0;
    ITypeInfo* vtable = nullptr;
    ASSERT_EQ(dispatch->GetRefTypeOfImplType(-1, &vtableRef), S_OK);
    ASSERT_EQ(dispatch->GetRefTypeInfo(vtableRef, &vtable), S_OK);
    ASSERT_EQ(vtable->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_INTERFACE);
    EXPECT_EQ(attr->wTypeFlags, TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE);
    EXPECT_EQ(attr->cFuncs, 0) << "no methods of its own";
    EXPECT_EQ(attr->cbSizeVft, 7 * 4) << "seven entries of a SYS_WIN32 library";
    EXPECT_EQ(attr->wMajorVerNum, 0);
    EXPECT_EQ(attr->wMinorVerNum, 0);
    vtable->ReleaseTypeAttr(attr);
    vtable->Release();
    ASSERT_EQ(dispatch->GetDocumentation(MEMBERID_NIL, &name, &help, nullptr, nullptr), S_OK);
    EXPECT_STREQ(name, L"IRovaPreview");
    EXPECT_STREQ(help, L"IRovaPreview Interface");
    SysFreeString(name);
    SysFreeString(help);
    dispatch->Release();
    lib->Release();
}

TEST_F(RegistryTest, ModulePathWithAQuoteArrivesUnchanged)
{
    const std::wstring quoted = EnvPath(L"it's here\\rovaprev.dll");
    Server server(quoted);
    ASSERT_EQ(server.Register(), S_OK);
    EXPECT_EQ(Narrow(RegisteredStateDifferences(quoted)), "");
    EXPECT_EQ(server.Unregister(), S_OK);
    EXPECT_EQ(Narrow(RemovedStateDifferences()), "");
}

TEST_F(RegistryTest, ModulePathOf260CharactersFailsBeforeTouchingTheRegistry)
{
    // A folder chain long enough that the module path takes 260 characters.
    std::wstring folder = EnvPath(L"long");
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring file = L"\\rovaprev.dll";
    while (folder.size() + file.size() < 260) {
        folder += L"\\" + std::wstring(std::min<std::size_t>(40, 260 - folder.size() - file.size()), L'd');
        CreateDirectoryW(folder.c_str(), nullptr);
    }
    const std::wstring path = folder + file;
    ASSERT_GE(path.size(), 260u);
    ASSERT_TRUE(CopyFileW(m_path.c_str(), path.c_str(), FALSE) || GetLastError() == ERROR_FILE_EXISTS);
    Server server(path);
    ASSERT_NE(server.Module(), nullptr);
    EXPECT_EQ(server.Register(), STRSAFE_E_INSUFFICIENT_BUFFER);
    EXPECT_FALSE(RegistryKeyExists(L"Quillmere.RovaPreview"));
    EXPECT_FALSE(RegistryKeyExists(L"CLSID\\" + GuidText(CLSID_RovaPreview)));
    EXPECT_EQ(server.Unregister(), STRSAFE_E_INSUFFICIENT_BUFFER);
}
