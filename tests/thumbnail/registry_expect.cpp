#include <windows.h>
#include <objbase.h>

#include "registry_expect.h"

#include "identifiers.h"

#include <algorithm>

namespace thumb_test {

namespace {

constexpr wchar_t kExtractImageKey[] = L"{BB2E617C-0920-11d1-9A0B-00C04FC2D6C1}";

void Collect(HKEY key, const std::wstring& prefix, std::vector<std::wstring>& lines)
{
    lines.push_back(prefix);
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameChars = 256;
        BYTE data[2048];
        DWORD dataBytes = sizeof data - sizeof(wchar_t);
        DWORD type = 0;
        if (RegEnumValueW(key, i, name, &nameChars, nullptr, &type, data, &dataBytes) != ERROR_SUCCESS)
            break;
        std::wstring text = type == REG_SZ ? std::wstring(reinterpret_cast<wchar_t*>(data), dataBytes / sizeof(wchar_t))
                                           : L"<type " + std::to_wstring(type) + L">";
        while (!text.empty() && text.back() == L'\0')
            text.pop_back();
        lines.push_back(prefix + L":" + (nameChars ? std::wstring(name, nameChars) : L"@") + L"=" + text);
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameChars = 256;
        if (RegEnumKeyExW(key, i, name, &nameChars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        HKEY sub = nullptr;
        if (RegOpenKeyExW(key, name, 0, KEY_READ, &sub) == ERROR_SUCCESS) {
            Collect(sub, prefix.empty() ? name : prefix + L"\\" + name, lines);
            RegCloseKey(sub);
        }
    }
}

void Compare(const std::wstring& path, std::vector<std::wstring> expected, std::vector<std::wstring>& differences)
{
    std::sort(expected.begin(), expected.end());
    const std::vector<std::wstring> actual = RegistrySubtree(path);
    for (const std::wstring& line : expected) {
        if (!std::binary_search(actual.begin(), actual.end(), line))
            differences.push_back(L"missing HKCR\\" + path + L" " + line);
    }
    for (const std::wstring& line : actual) {
        if (!std::binary_search(expected.begin(), expected.end(), line))
            differences.push_back(L"unexpected HKCR\\" + path + L" " + line);
    }
}

}  // namespace

std::wstring GuidText(const GUID& guid)
{
    wchar_t text[40];
    StringFromGUID2(guid, text, 40);
    return text;
}

std::vector<std::wstring> RegistrySubtree(const std::wstring& path)
{
    std::vector<std::wstring> lines;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return lines;
    Collect(key, L"", lines);
    RegCloseKey(key);
    std::sort(lines.begin(), lines.end());
    return lines;
}

bool RegistryKeyExists(const std::wstring& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::vector<std::wstring> RegisteredStateDifferences(const std::wstring& modulePath)
{
    const std::wstring clsid = GuidText(CLSID_RovaPreview);
    std::vector<std::wstring> differences;
    Compare(L"Quillmere.RovaPreview", {L"", L":@=RovaPreview Class", L"CLSID", L"CLSID:@=" + clsid}, differences);
    Compare(L"CLSID\\" + clsid,
            {L"", L":@=RovaPreview Class", L"ProgID", L"ProgID:@=Quillmere.RovaPreview", L"VersionIndependentProgID",
             L"VersionIndependentProgID:@=Quillmere.RovaPreview", L"Programmable", L"InprocServer32",
             L"InprocServer32:@=" + modulePath, L"InprocServer32:ThreadingModel=Apartment", L"TypeLib",
             L"TypeLib:@=" + GuidText(LIBID_GLIMLETLib)},
            differences);
    Compare(L".rov", {L"", L"shellex", std::wstring(L"shellex\\") + kExtractImageKey,
                      std::wstring(L"shellex\\") + kExtractImageKey + L":@=" + clsid},
            differences);
    if (!RegistryKeyExists(L"TypeLib\\" + GuidText(LIBID_GLIMLETLib)))
        differences.push_back(L"the type library is not registered");
    return differences;
}

std::vector<std::wstring> RemovedStateDifferences()
{
    std::vector<std::wstring> differences;
    const std::wstring clsid = GuidText(CLSID_RovaPreview);
    for (const std::wstring& gone : {std::wstring(L"Quillmere.RovaPreview"), L"CLSID\\" + clsid,
                                     L"TypeLib\\" + GuidText(LIBID_GLIMLETLib),
                                     L"Interface\\" + GuidText(IID_IRovaPreview)}) {
        if (RegistryKeyExists(gone))
            differences.push_back(L"still there: HKCR\\" + gone);
    }
    if (!RegistryKeyExists(L"CLSID"))
        differences.push_back(L"HKCR\\CLSID was removed");
    Compare(L".rov", {L""}, differences);
    return differences;
}

}  // namespace thumb_test
