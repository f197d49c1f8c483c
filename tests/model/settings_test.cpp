#include "settings.h"

#include "fresh_defaults.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// The defaults are process-wide: every test starts and ends with the load-time values.
class SettingsTest : public rova_test::FreshDefaultsTest {};

struct Values {
    std::uint32_t setting;
    std::uint8_t a, b;
};

void ExpectValues(const CRovaSettings& s, Values expected)
{
    EXPECT_EQ(s.m_dwSetting, expected.setting);
    EXPECT_EQ(s.m_bySettingA, expected.a);
    EXPECT_EQ(s.m_bySettingB, expected.b);
}

TEST_F(SettingsTest, NewRecordsStartFromTheLoadTimeDefaults)
{
    ExpectValues(CRovaSettings(), {100, 1, 2});
    ExpectValues(CRovaLayerSettings(), {100, 1, 2});
    CRovaPageSettings page;
    ExpectValues(page, {100, 1, 2});
    EXPECT_EQ(page.m_pairA.m_dwValue, 0u);
    EXPECT_EQ(page.m_pairA.m_byValue, 0);
    EXPECT_EQ(page.m_pairB.m_dwValue, 0u);
    EXPECT_EQ(page.m_pairB.m_byValue, 0);
}

TEST_F(SettingsTest, SettersReplaceTheDefaultOnlyWhenAsked)
{
    struct Case {
        const char* name;
        void (*set)(CRovaSettings&, std::uint8_t alsoDefault);
        Values stored;   // in the record set, and in records made after a default change
    };
    const Case cases[] = {
        {"Setting", [](CRovaSettings& s, std::uint8_t d) { s.SetSetting(70000, d); }, {70000, 1, 2}},
        {"SettingA", [](CRovaSettings& s, std::uint8_t d) { s.SetSettingA(5, d); }, {100, 5, 2}},
        {"SettingB", [](CRovaSettings& s, std::uint8_t d) { s.SetSettingB(9, d); }, {100, 1, 9}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CRovaSettings::ResetDefaults();
        CRovaPaletteSettings earlier;

        CRovaPaletteSettings local;
        c.set(local, 0);
        ExpectValues(local, c.stored);
        ExpectValues(CRovaPaletteSettings(), {100, 1, 2});

        CRovaPaletteSettings shared;
        c.set(shared, 7);   // any non-zero byte asks for it
        ExpectValues(shared, c.stored);
        ExpectValues(CRovaLayerSettings(), c.stored);
        ExpectValues(earlier, {100, 1, 2});   // records made before keep their values
    }
}

TEST_F(SettingsTest, ResetRestoresTheLoadTimeDefaults)
{
    CRovaSettings s;
    s.SetSetting(1, 1);
    s.SetSettingA(0, 1);
    s.SetSettingB(0, 1);
    ExpectValues(CRovaSettings(), {1, 0, 0});
    CRovaSettings::ResetDefaults();
    ExpectValues(CRovaSettings(), {100, 1, 2});
}

}  // namespace
