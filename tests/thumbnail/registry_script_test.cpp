// The registrar's reading of the script notation.
#include "registry_script.h"

#include <gtest/gtest.h>

TEST(RegistryScript, ReadsKeysMarksValuesAndQuotedNames)
{
    const std::wstring script = ExpandModulePath(
        L"HKCR\r\n{\r\n\tNoRemove Top = s 'a ''quoted'' text'\r\n\t{\r\n\t\tval Named = s '%MODULE%'\r\n"
        L"\t\tForceRemove 'val'\r\n\t\t{Sub} = s ''\r\n\t}\r\n}\r\n",
        L"C:\\it's\\x.dll");
    std::vector<ScriptKey> keys;
    ASSERT_TRUE(ParseRegistryScript(script, keys));
    ASSERT_EQ(keys.size(), 1u);
    const ScriptKey& top = keys[0];
    EXPECT_EQ(top.name, L"Top");
    EXPECT_EQ(top.mark, KeyMark::NoRemove);
    ASSERT_EQ(top.values.size(), 2u);
    EXPECT_EQ(top.values[0].name, L"");
    EXPECT_EQ(top.values[0].data, L"a 'quoted' text");
    EXPECT_EQ(top.values[1].name, L"Named");
    EXPECT_EQ(top.values[1].data, L"C:\\it's\\x.dll");
    ASSERT_EQ(top.subkeys.size(), 2u);
    EXPECT_EQ(top.subkeys[0].name, L"val");
    EXPECT_EQ(top.subkeys[0].mark, KeyMark::ForceRemove);
    EXPECT_EQ(top.subkeys[1].name, L"{Sub}");
    EXPECT_EQ(top.subkeys[1].values.at(0).data, L"");
}

TEST(RegistryScript, RefusesWhatTheNotationDoesNotAllow)
{
    const wchar_t* broken[] = {
        L"HKCR { Key = s 'open quote }",
        L"HKCR { Key { }",
        L"HKCR { Key = d '5' }",            // only string values
        L"HKCR { Key = s }",
        L"HKCR { val Named = s 'x' }",      // named values belong to keys
        L"HKLM { Key }",                    // classes root only
        L"HKCR { NoRemove }",
        L"HKCR { Key } }",
        L"Key",
    };
    for (const wchar_t* text : broken) {
        std::vector<ScriptKey> keys;
        EXPECT_FALSE(ParseRegistryScript(text, keys)) << testing::PrintToString(std::wstring(text));
    }
}
