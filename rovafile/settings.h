// Small records embedded by pages, layers and palettes.
#pragma once

#include <cstdint>

// One 32-bit and two 8-bit values. A new record starts from three
// process-wide defaults (100, 1, 2 at load); setters called with alsoDefault
// replace the default too, so records made later start from the new value.
// The defaults are shared by every thread: they are atomics.
class CRovaSettings {
public:
    CRovaSettings();
    virtual ~CRovaSettings() = default;

    void SetSetting(std::uint32_t value, std::uint8_t alsoDefault);
    void SetSettingA(std::uint8_t value, std::uint8_t alsoDefault);
    void SetSettingB(std::uint8_t value, std::uint8_t alsoDefault);

    // Current process-wide defaults, and a way back to the load-time values (tests).
    static std::uint32_t DefaultSetting();
    static std::uint8_t DefaultSettingA();
    static std::uint8_t DefaultSettingB();
    static void ResetDefaults();

    std::uint32_t m_dwSetting;
    std::uint8_t m_bySettingA;
    std::uint8_t m_bySettingB;
};

class CRovaValuePair {
public:
    std::uint32_t m_dwValue = 0;
    std::uint8_t m_byValue = 0;
};

class CRovaPageSettings : public CRovaSettings {
public:
    CRovaValuePair m_pairA;
    CRovaValuePair m_pairB;
};

class CRovaLayerSettings : public CRovaSettings {};

class CRovaPaletteSettings : public CRovaSettings {};
