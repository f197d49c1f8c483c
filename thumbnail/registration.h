// Registration steps shared by the server's classes and its type library.
#pragma once

#include <windows.h>

#include <string>

// The module's full path, which must fit 260 characters with its terminator:
// a longer one fails with STRSAFE_E_INSUFFICIENT_BUFFER.
HRESULT GetModulePath(HINSTANCE module, std::wstring& path);

// Applies the module's "REGISTRY" script resource in either direction.
HRESULT ApplyScriptResource(HINSTANCE module, UINT resourceId, bool registering);

// The type library in the module (TYPELIB 1) or, failing that, in a ".tlb"
// file beside it.
HRESULT RegisterTypeLibrary(HINSTANCE module);
HRESULT UnregisterTypeLibrary(HINSTANCE module);
