// The resources rovaprev.dll carries, read from the real build output.
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>

using namespace thumb_test;

namespace {

class ResourceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(m_module, nullptr); }
    void TearDown() override { FreeLibrary(m_module); }

    // The bytes of a resource in exactly the given language.
    std::string Resource(const wchar_t* type, const wchar_t* name, WORD language) const
    {
        HRSRC found = FindResourceExW(m_module, type, name, language);
        if (!found)
            return {};
        const char* bytes = static_cast<const char*>(LockResource(LoadResource(m_module, found)));
        return std::string(bytes, SizeofResource(m_module, found));
    }

    const std::wstring m_path = BinPath(L"rovaprev.dll");
    HMODULE m_module = LoadLibraryExW(m_path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
};

}  // namespace

TEST_F(ResourceTest, RegistryScriptIsTabIndentedWithCrLfLines)
{
    const std::string script = Resource(L"REGISTRY", MAKEINTRESOURCEW(101), MAKELANGID(LANG_NEUTRAL, SUBLANG_SYS_DEFAULT));
    ASSERT_FALSE(script.empty());
    EXPECT_NE(script.find("InprocServer32 = s '%MODULE%'"), std::string::npos);
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < script.size(); ++i) {
        if (script[i] != '\n')
            continue;
        EXPECT_TRUE(i > 0 && script[i - 1] == '\r') << "LF without CR at byte " << i;
        lineStart = i + 1;
        if (lineStart < script.size()) {
            EXPECT_NE(script[lineStart], ' ') << "indented by blanks at byte " << lineStart;
        }
    }
}

TEST_F(ResourceTest, TypeLibraryAndStringAreInTheirLanguages)
{
    EXPECT_EQ(Resource(L"TYPELIB", MAKEINTRESOURCEW(1), 0x0409).substr(0, 4), "MSFT");

    // String 100 lives in block 7 (strings 96 to 111) as the fifth entry.
    const std::string block = Resource(MAKEINTRESOURCEW(6) /* RT_STRING */, MAKEINTRESOURCEW(100 / 16 + 1), 0x0411);
    ASSERT_FALSE(block.empty());
    const auto* text = reinterpret_cast<const wchar_t*>(block.data());
    for (int skip = 0; skip < 100 % 16; ++skip)
        text += 1 + *text;
    EXPECT_EQ(std::wstring(text + 1, *text), L"Rova Preview");
}

TEST_F(ResourceTest, VersionBlockHoldsTheProductTexts)
{
    EXPECT_FALSE(Resource(MAKEINTRESOURCEW(16) /* RT_VERSION */, MAKEINTRESOURCEW(1), 0x0411).empty());
    const DWORD bytes = GetFileVersionInfoSizeW(m_path.c_str(), nullptr);
    ASSERT_GT(bytes, 0u);
    std::string block(bytes, '\0');
    ASSERT_TRUE(GetFileVersionInfoW(m_path.c_str(), 0, bytes, &block[0]));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedBytes = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedBytes));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010001u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000000u);

    const struct {
        const wchar_t* field;
        const wchar_t* value;
    } fields[] = {
        {L"FileVersion", L"1, 1, 0, 1"},
        {L"ProductVersion", L"1, 0, 0, 0"},
        {L"CompanyName", L"Quillmere"},
        {L"FileDescription", L"Rova \u30d5\u30a1\u30a4\u30eb\u306e\u30d7\u30ec\u30d3\u30e5\u30fc\u7528\u30e2\u30b8\u30e5\u30fc\u30eb"},
        {L"InternalName", L"Glimlet"},
        {L"OriginalFilename", L"Rovaprev.dll"},
        {L"ProductName", L"Rova Preview"},
    };
    for (const auto& f : fields) {
        wchar_t* value = nullptr;
        UINT chars = 0;
        const std::wstring query = std::wstring(L"\\StringFileInfo\\040904b0\\") + f.field;
        ASSERT_TRUE(VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &chars)) << f.field;
        EXPECT_EQ(std::wstring(value), f.value) << f.field;
    }
}
