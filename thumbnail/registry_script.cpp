#include "registry_script.h"

#include <shlwapi.h>

#include <cwctype>

namespace {

class Tokens {
public:
    explicit Tokens(const std::wstring& text) : m_text(text) {}

    // The next token: a quoted name (quoted set) or a run of non-blank
    // characters. Returns false at the end of the text or on an open quote.
    bool Next(std::wstring& token, bool& quoted)
    {
        while (m_pos < m_text.size() && std::iswspace(m_text[m_pos]))
            ++m_pos;
        if (m_pos >= m_text.size())
            return false;
        token.clear();
        quoted = m_text[m_pos] == L'\'';
        if (!quoted) {
            while (m_pos < m_text.size() && !std::iswspace(m_text[m_pos]))
                token += m_text[m_pos++];
            return true;
        }
        for (++m_pos; m_pos < m_text.size(); ++m_pos) {
            if (m_text[m_pos] != L'\'') {
                token += m_text[m_pos];
            } else if (m_pos + 1 < m_text.size() && m_text[m_pos + 1] == L'\'') {
                token += L'\'';
                ++m_pos;
            } else {
                ++m_pos;
                return true;
            }
        }
        return false;
    }

    bool AtEnd()
    {
        while (m_pos < m_text.size() && std::iswspace(m_text[m_pos]))
            ++m_pos;
        return m_pos >= m_text.size();
    }

private:
    const std::wstring& m_text;
    std::size_t m_pos = 0;
};

bool IsWord(const std::wstring& token, bool quoted, const wchar_t* word)
{
    return !quoted && _wcsicmp(token.c_str(), word) == 0;
}

class Parser {
public:
    explicit Parser(const std::wstring& text) : m_tokens(text) {}

    bool Script(std::vector<ScriptKey>& keys)
    {
        while (!m_tokens.AtEnd()) {
            if (!Advance() || !(IsWord(m_token, m_quoted, L"HKCR") || IsWord(m_token, m_quoted, L"HKEY_CLASSES_ROOT")))
                return false;
            if (!Advance() || !IsWord(m_token, m_quoted, L"{") || !Body(keys, false))
                return false;
        }
        return true;
    }

private:
    bool Advance() { return m_tokens.Next(m_token, m_quoted); }

    // The contents of a brace pair up to and including "}". Named values are
    // allowed inside keys only, not at the root.
    bool Body(std::vector<ScriptKey>& keys, bool insideKey, std::vector<ScriptValue>* values = nullptr)
    {
        if (!Advance())
            return false;
        for (;;) {
            if (IsWord(m_token, m_quoted, L"}"))
                return true;
            if (insideKey && IsWord(m_token, m_quoted, L"val")) {
                ScriptValue value;
                if (!Advance() || IsWord(m_token, m_quoted, L"}"))
                    return false;
                value.name = m_token;
                if (!Advance() || !Assignment(value.data) || !Advance())
                    return false;
                values->push_back(std::move(value));
                continue;
            }
            keys.emplace_back();
            if (!Key(keys.back()))
                return false;
        }
    }

    // After "=" comes "s" and the quoted text.
    bool Assignment(std::wstring& data)
    {
        if (!IsWord(m_token, m_quoted, L"="))
            return false;
        if (!Advance() || !IsWord(m_token, m_quoted, L"s"))
            return false;
        return Advance() && m_quoted && (data = m_token, true);
    }

    // A key from its first token; leaves the token after it current.
    bool Key(ScriptKey& key)
    {
        if (IsWord(m_token, m_quoted, L"NoRemove"))
            key.mark = KeyMark::NoRemove;
        else if (IsWord(m_token, m_quoted, L"ForceRemove"))
            key.mark = KeyMark::ForceRemove;
        if (key.mark != KeyMark::None && !Advance())
            return false;
        if (!m_quoted && (m_token == L"{" || m_token == L"}" || m_token == L"=" ||
                          IsWord(m_token, false, L"val") || IsWord(m_token, false, L"NoRemove") ||
                          IsWord(m_token, false, L"ForceRemove")))
            return false;
        if (m_token.empty())
            return false;
        key.name = m_token;
        if (!Advance())
            return false;
        if (IsWord(m_token, m_quoted, L"=")) {
            ScriptValue value;
            if (!Assignment(value.data) || !Advance())
                return false;
            key.values.push_back(std::move(value));
        }
        if (IsWord(m_token, m_quoted, L"{")) {
            if (!Body(key.subkeys, true, &key.values) || !Advance())
                return false;
        }
        return true;
    }

    Tokens m_tokens;
    std::wstring m_token;
    bool m_quoted = false;
};

class RegKey {
public:
    RegKey() = default;
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    ~RegKey() { Close(); }
    void Close()
    {
        if (m_key)
            RegCloseKey(m_key);
        m_key = nullptr;
    }
    HKEY* Out() { return &m_key; }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

HRESULT FromWin32(LONG error)
{
    return error == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(static_cast<DWORD>(error));
}

HRESULT SetValue(HKEY key, const ScriptValue& value)
{
    const DWORD bytes = static_cast<DWORD>((value.data.size() + 1) * sizeof(wchar_t));
    return FromWin32(RegSetValueExW(key, value.name.empty() ? nullptr : value.name.c_str(), 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(value.data.c_str()), bytes));
}

HRESULT RegisterKey(HKEY parent, const ScriptKey& key)
{
    const wchar_t* name = key.name.c_str();
    if (key.mark == KeyMark::ForceRemove)
        SHDeleteKeyW(parent, name);   // a missing key is what we want anyway
    RegKey opened;
    if (RegOpenKeyExW(parent, name, 0, KEY_READ | KEY_WRITE, opened.Out()) != ERROR_SUCCESS &&
        RegOpenKeyExW(parent, name, 0, KEY_READ, opened.Out()) != ERROR_SUCCESS) {
        const LONG created = RegCreateKeyExW(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                             KEY_READ | KEY_WRITE, nullptr, opened.Out(), nullptr);
        if (created != ERROR_SUCCESS)
            return FromWin32(created);
    }
    for (const ScriptValue& value : key.values) {
        if (HRESULT hr = SetValue(opened.Get(), value); FAILED(hr))
            return hr;
    }
    return ApplyRegistryScript(opened.Get(), key.subkeys, ScriptMode::Register);
}

HRESULT UnregisterKey(HKEY parent, const ScriptKey& key)
{
    const wchar_t* name = key.name.c_str();
    RegKey opened;
    const LONG open = RegOpenKeyExW(parent, name, 0, KEY_READ | KEY_WRITE, opened.Out());
    if (open == ERROR_FILE_NOT_FOUND)
        return S_OK;
    if (open != ERROR_SUCCESS)
        return FromWin32(open);
    for (const ScriptValue& value : key.values) {
        if (value.name.empty())
            continue;   // the default value goes with its key
        const LONG deleted = RegDeleteValueW(opened.Get(), value.name.c_str());
        if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND)
            return FromWin32(deleted);
    }
    if (HRESULT hr = ApplyRegistryScript(opened.Get(), key.subkeys, ScriptMode::Unregister); FAILED(hr))
        return hr;
    opened.Close();
    if (key.mark == KeyMark::NoRemove)
        return S_OK;
    // Fails while subkeys the script does not list remain: they are not ours.
    const LONG deleted = RegDeleteKeyW(parent, name);
    return deleted == ERROR_FILE_NOT_FOUND ? S_OK : FromWin32(deleted);
}

}  // namespace

bool ParseRegistryScript(const std::wstring& script, std::vector<ScriptKey>& keys)
{
    keys.clear();
    return Parser(script).Script(keys);
}

std::wstring ExpandModulePath(const std::wstring& script, const std::wstring& modulePath)
{
    static const std::wstring kMarker = L"%MODULE%";
    std::wstring quoted;
    for (wchar_t c : modulePath) {
        quoted += c;
        if (c == L'\'')
            quoted += L'\'';
    }
    std::wstring result;
    std::size_t from = 0;
    for (std::size_t at; (at = script.find(kMarker, from)) != std::wstring::npos; from = at + kMarker.size())
        result.append(script, from, at - from).append(quoted);
    return result.append(script, from, std::wstring::npos);
}

HRESULT ApplyRegistryScript(HKEY parent, const std::vector<ScriptKey>& keys, ScriptMode mode)
{
    for (const ScriptKey& key : keys) {
        const HRESULT hr = mode == ScriptMode::Register ? RegisterKey(parent, key) : UnregisterKey(parent, key);
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}
