#pragma once
#include <string>

namespace mt {
// Shows a plain message: a modal dialog captioned with the application title,
// without icon, with one "OK" button that is both default and cancel button,
// centred on the screen, its text wrapped to at most half the screen width.
void ShowMessage(const std::wstring& text);
// The same over another window of the program (a dialog of its own), which stays
// disabled until the message is closed.
void ShowMessage(const std::wstring& text, void* owner);
}  // namespace mt
