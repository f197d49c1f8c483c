#include "settings.h"

#include <atomic>

namespace {

constexpr std::uint32_t kLoadSetting = 100;
constexpr std::uint8_t kLoadSettingA = 1;
constexpr std::uint8_t kLoadSettingB = 2;

// Shared by every document the module reads, possibly on several threads at
// once; relaxed atomics keep that free of data races without ordering anything.
std::atomic<std::uint32_t> g_defaultSetting{kLoadSetting};
std::atomic<std::uint8_t> g_defaultSettingA{kLoadSettingA};
std::atomic<std::uint8_t> g_defaultSettingB{kLoadSettingB};

}  // namespace

CRovaSettings::CRovaSettings()
    : m_dwSetting(DefaultSetting()), m_bySettingA(DefaultSettingA()), m_bySettingB(DefaultSettingB())
{
}

void CRovaSettings::SetSetting(std::uint32_t value, std::uint8_t alsoDefault)
{
    m_dwSetting = value;
    if (alsoDefault)
        g_defaultSetting.store(value, std::memory_order_relaxed);
}

void CRovaSettings::SetSettingA(std::uint8_t value, std::uint8_t alsoDefault)
{
    m_bySettingA = value;
    if (alsoDefault)
        g_defaultSettingA.store(value, std::memory_order_relaxed);
}

void CRovaSettings::SetSettingB(std::uint8_t value, std::uint8_t alsoDefault)
{
    m_bySettingB = value;
    if (alsoDefault)
        g_defaultSettingB.store(value, std::memory_order_relaxed);
}

std::uint32_t CRovaSettings::DefaultSetting()
{
    return g_defaultSetting.load(std::memory_order_relaxed);
}

std::uint8_t CRovaSettings::DefaultSettingA()
{
    return g_defaultSettingA.load(std::memory_order_relaxed);
}

std::uint8_t CRovaSettings::DefaultSettingB()
{
    return g_defaultSettingB.load(std::memory_order_relaxed);
}

void CRovaSettings::ResetDefaults()
{
    g_defaultSetting.store(kLoadSetting, std::memory_order_relaxed);
    g_defaultSettingA.store(kLoadSettingA, std::memory_order_relaxed);
    g_defaultSettingB.store(kLoadSettingB, std::memory_order_relaxed);
}
