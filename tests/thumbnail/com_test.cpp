// The class object and the extractor as COM clients use them, through a
// loaded copy of rovaprev.dll and its exports.
#include "identifiers.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace thumb_test;

namespace {

// {953BB8E5-84F3-4B2C-8C05-0F2D5F5D5E8E}: a class nobody serves.
constexpr GUID kOtherClass = {0x953bb8e5, 0x84f3, 0x4b2c, {0x8c, 0x05, 0x0f, 0x2d, 0x5f, 0x5d, 0x5e, 0x8e}};

class ComTest : public ::testing::Test {
protected:
    Server m_server{EnvPath(L"beside\\rovaprev.dll")};
};

// An outer object for aggregation: counts its references, answers only
// IID_IUnknown itself.
class Outer final : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        ++m_queries;
        if (IsEqualIID(riid, IID_IUnknown)) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override { return --m_refs; }

    ULONG m_refs = 1;
    int m_queries = 0;
};

}  // namespace

TEST_F(ComTest, ClassObjectIsServedForItsClassOnly)
{
    void* object = this;
    EXPECT_EQ(m_server.GetClassObject(kOtherClass, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(m_server.GetClassObject(CLSID_RovaPreview, IID_IClassFactory, nullptr), E_POINTER);

    ComPtr<IUnknown> unknown;
    ASSERT_EQ(m_server.GetClassObject(CLSID_RovaPreview, IID_IUnknown, reinterpret_cast<void**>(unknown.GetAddressOf())),
              S_OK);
    ComPtr<IClassFactory> factory = m_server.Factory();
    ComPtr<IUnknown> sameUnknown;
    ASSERT_EQ(factory.As(&sameUnknown), S_OK);
    EXPECT_EQ(unknown.Get(), sameUnknown.Get()) << "one cached class object";

    ComPtr<IExtractImage> notAFactory;
    EXPECT_EQ(factory.As(&notAFactory), E_NOINTERFACE);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IExtractImage, nullptr), E_POINTER);
}

TEST_F(ComTest, LockCountFollowsCallersServerLocksAndObjects)
{
    ASSERT_EQ(m_server.CanUnloadNow(), S_OK);
    ComPtr<IClassFactory> factory = m_server.Factory();
    ASSERT_TRUE(factory);
    EXPECT_EQ(m_server.CanUnloadNow(), S_FALSE) << "a caller holds the class object";

    ComPtr<IExtractImage> extractor;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IExtractImage, reinterpret_cast<void**>(extractor.GetAddressOf())),
              S_OK);
    factory.Reset();
    EXPECT_EQ(m_server.CanUnloadNow(), S_FALSE) << "an extractor is alive";
    extractor.Reset();
    EXPECT_EQ(m_server.CanUnloadNow(), S_OK) << "only the cache holds the class object";

    factory = m_server.Factory();
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory.Reset();
    EXPECT_EQ(m_server.CanUnloadNow(), S_FALSE) << "server lock";
    factory = m_server.Factory();
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    factory.Reset();
    EXPECT_EQ(m_server.CanUnloadNow(), S_OK);

    // A failed CreateInstance leaves no object behind.
    factory = m_server.Factory();
    void* object = this;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    factory.Reset();
    EXPECT_EQ(m_server.CanUnloadNow(), S_OK);
}

TEST_F(ComTest, ExtractorAnswersItsTwoInterfacesWithOneIdentity)
{
    ComPtr<IExtractImage> extractor = m_server.NewExtractor();
    ASSERT_TRUE(extractor);
    ComPtr<IPersistFile> file;
    ASSERT_EQ(extractor.As(&file), S_OK);

    IUnknown* fromExtract = nullptr;
    IUnknown* fromFile = nullptr;
    ASSERT_EQ(extractor->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&fromExtract)), S_OK);
    ASSERT_EQ(file->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&fromFile)), S_OK);
    EXPECT_EQ(fromExtract, static_cast<IUnknown*>(file.Get())) << "the IPersistFile pointer is the identity";
    EXPECT_EQ(fromFile, fromExtract);
    fromExtract->Release();
    fromFile->Release();

    const IID refused[] = {IID_IPersist, IID_IDispatch, IID_IRovaPreview, IID_IExtractImage2, IID_IClassFactory};
    for (const IID& iid : refused) {
        void* object = this;
        EXPECT_EQ(extractor->QueryInterface(iid, &object), E_NOINTERFACE);
        EXPECT_EQ(object, nullptr);
    }
    EXPECT_EQ(extractor->QueryInterface(IID_IPersistFile, nullptr), E_POINTER);
}

TEST_F(ComTest, PersistFileDoesNothingButLoad)
{
    ComPtr<IExtractImage> extractor = m_server.NewExtractor();
    ComPtr<IPersistFile> file;
    ASSERT_EQ(extractor.As(&file), S_OK);
    ASSERT_EQ(file->Load(L"C:\\somewhere\\picture_10x10.rov", STGM_READ), S_OK);

    CLSID clsid = kOtherClass;
    EXPECT_EQ(file->GetClassID(&clsid), E_NOTIMPL);
    EXPECT_TRUE(IsEqualCLSID(clsid, kOtherClass)) << "nothing written";
    EXPECT_EQ(file->IsDirty(), E_NOTIMPL);
    EXPECT_EQ(file->Save(L"C:\\other.rov", TRUE), E_NOTIMPL);
    EXPECT_EQ(file->SaveCompleted(L"C:\\other.rov"), E_NOTIMPL);
    LPOLESTR current = nullptr;
    EXPECT_EQ(file->GetCurFile(&current), E_NOTIMPL);
    EXPECT_EQ(current, nullptr);
}

TEST_F(ComTest, GetLocationOnlyAnswersWhetherToRunInTheBackground)
{
    ComPtr<IExtractImage> extractor = m_server.NewExtractor();
    ASSERT_TRUE(extractor);
    const SIZE size = {96, 96};
    struct Case {
        DWORD flags;
        HRESULT expected;
    };
    const Case cases[] = {
        {0, S_OK},
        {IEIFLAG_ASYNC, E_PENDING},
        {IEIFLAG_ASYNC | IEIFLAG_ASPECT | IEIFLAG_OFFLINE, E_PENDING},
        {IEIFLAG_ASPECT | IEIFLAG_SCREEN, S_OK},
    };
    for (const Case& c : cases) {
        wchar_t path[MAX_PATH];
        wmemset(path, L'#', MAX_PATH);
        DWORD priority = 1234;
        DWORD flags = c.flags;
        EXPECT_EQ(extractor->GetLocation(path, MAX_PATH, &priority, &size, 32, &flags), c.expected);
        EXPECT_EQ(flags, c.flags);
        EXPECT_EQ(priority, 1234u);
        EXPECT_EQ(std::wstring(path, MAX_PATH), std::wstring(MAX_PATH, L'#'));
    }
}

TEST_F(ComTest, AggregationOnlyThroughIUnknown)
{
    ComPtr<IClassFactory> factory = m_server.Factory();
    ASSERT_TRUE(factory);
    Outer outer;
    void* object = this;
    EXPECT_EQ(factory->CreateInstance(&outer, IID_IExtractImage, &object), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);

    IUnknown* inner = nullptr;
    ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&inner)), S_OK);
    factory.Reset();
    EXPECT_EQ(m_server.CanUnloadNow(), S_FALSE);

    // The inner unknown answers the interfaces; they speak for the outer object.
    IExtractImage* extractor = nullptr;
    ASSERT_EQ(inner->QueryInterface(IID_IExtractImage, reinterpret_cast<void**>(&extractor)), S_OK);
    EXPECT_EQ(outer.m_refs, 2u) << "the interface's reference belongs to the outer object";
    IUnknown* identity = nullptr;
    ASSERT_EQ(extractor->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
    EXPECT_EQ(identity, &outer);
    EXPECT_EQ(outer.m_queries, 1);
    identity->Release();
    extractor->Release();
    EXPECT_EQ(outer.m_refs, 1u);

    IUnknown* innerAgain = nullptr;
    ASSERT_EQ(inner->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&innerAgain)), S_OK);
    EXPECT_EQ(innerAgain, inner);
    innerAgain->Release();
    EXPECT_EQ(inner->Release(), 0u);
    EXPECT_EQ(m_server.CanUnloadNow(), S_OK);
}
