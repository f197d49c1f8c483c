// The registry script notation of the server's "REGISTRY" resource and the
// registrar that applies it below HKEY_CLASSES_ROOT, in both directions.
//
//   HKCR { Name = s 'text' { val Named = s 'text'  NoRemove Sub { ... } } }
//
// A key is a bare word or a name in single quotes ('' inside stands for one
// quote); NoRemove or ForceRemove may stand before it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

enum class KeyMark { None, NoRemove, ForceRemove };

struct ScriptValue {
    std::wstring name;   // empty for the key's default value
    std::wstring data;   // always REG_SZ
};

struct ScriptKey {
    std::wstring name;
    KeyMark mark = KeyMark::None;
    std::vector<ScriptValue> values;
    std::vector<ScriptKey> subkeys;
};

// Parses a whole script; its root keys must be HKCR. Returns false, with the
// output unspecified, for anything the notation does not allow.
bool ParseRegistryScript(const std::wstring& script, std::vector<ScriptKey>& keys);

// Replaces every "%MODULE%" with the module path, its single quotes doubled
// because the script's values stand in single quotes.
std::wstring ExpandModulePath(const std::wstring& script, const std::wstring& modulePath);

enum class ScriptMode { Register, Unregister };

// Applies the keys below parent in script order; returns S_OK or the first
// failure as an HRESULT of the Win32 facility.
HRESULT ApplyRegistryScript(HKEY parent, const std::vector<ScriptKey>& keys, ScriptMode mode);
