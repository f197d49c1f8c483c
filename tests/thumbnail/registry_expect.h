// What rovaprev's registration leaves below HKEY_CLASSES_ROOT, read back
// with the registry API. Shared by the tests and by registry_probe, which
// checks the work of Wine's regsvr32.
#pragma once

#include <string>
#include <vector>

namespace thumb_test {

// Every key and value below HKCR\<path> as sorted lines: "sub\key" for a
// key, "sub\key:name=data" for a value ("@" names the default value).
// Empty when the key does not exist.
std::vector<std::wstring> RegistrySubtree(const std::wstring& path);
bool RegistryKeyExists(const std::wstring& path);

// Differences from the registered state, one line each; empty when the
// entries are exactly those of a registration of modulePath.
std::vector<std::wstring> RegisteredStateDifferences(const std::wstring& modulePath);
// The same for the state after removal: only HKCR\CLSID and an empty
// HKCR\.rov remain, and the type library is gone.
std::vector<std::wstring> RemovedStateDifferences();

std::wstring GuidText(const GUID& guid);

}  // namespace thumb_test
