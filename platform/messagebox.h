// A modal message box with an OK button. Tests replace the box with a hook so
// that nothing blocks and they can see what would have been shown.
#pragma once

#include <functional>

constexpr unsigned MB_OK_ONLY = 0x00000000;
constexpr int IDOK_RESULT = 1;

using MessageBoxHook = std::function<int(const char* text, unsigned type)>;

// Shows text (ANSI code page bytes) and returns the button pressed.
int AfxMessageBox(const char* text, unsigned type = MB_OK_ONLY);

// Replaces the box for the whole process; an empty hook restores the default.
// Returns the hook that was in place.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);
