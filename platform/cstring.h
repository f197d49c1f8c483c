// A byte string in the Windows ANSI code page (or any 8-bit text): it holds
// its bytes unchanged, zero bytes included, and never interprets them.
#pragma once

#include <cstddef>
#include <string>

class CString {
public:
    CString() = default;
    CString(const char* text) : m_text(text ? text : "") {}
    CString(const char* bytes, std::size_t length) : m_text(bytes, length) {}
    explicit CString(std::string text) : m_text(std::move(text)) {}

    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    const char* GetString() const { return m_text.c_str(); }
    operator const char*() const { return m_text.c_str(); }
    const std::string& Str() const { return m_text; }

    // printf-style formatting ("%03dPage", "Layer%03d", "%d").
    static CString Format(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 1, 2)))
#endif
        ;

    CString& operator+=(const CString& other) { m_text += other.m_text; return *this; }
    friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }

private:
    std::string m_text;
};
