// registry_probe registered <module path> | removed
// Checks the registry as a registration of that module (or a removal) must
// leave it; prints the differences and exits 1 when there are any. Run by
// regsvr32_test.sh around Wine's own regsvr32.
#include <windows.h>

#include "registry_expect.h"

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv)
{
    std::vector<std::wstring> differences;
    if (argc == 3 && std::wcscmp(argv[1], L"registered") == 0)
        differences = thumb_test::RegisteredStateDifferences(argv[2]);
    else if (argc == 2 && std::wcscmp(argv[1], L"removed") == 0)
        differences = thumb_test::RemovedStateDifferences();
    else {
        std::fputs("usage: registry_probe registered <module path> | removed\n", stderr);
        return 2;
    }
    for (const std::wstring& line : differences)
        std::fprintf(stderr, "%ls\n", line.c_str());
    return differences.empty() ? 0 : 1;
}
