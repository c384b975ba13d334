#pragma once
#include <windows.h>

#include <string>

namespace mt {
// Shows a plain message: a modal dialog captioned with the application title,
// without icon, with one "OK" button that is both default and cancel button,
// centred on the screen, its text wrapped to at most half the screen width.
void ShowMessage(const std::wstring& text);
// The same message over a dialog of the program's own, which stays disabled
// while it shows.
void ShowMessage(const std::wstring& text, HWND owner);
}  // namespace mt
