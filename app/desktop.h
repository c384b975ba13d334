// What the desktop hands the program besides clicks: the file named on the
// command line, files dropped on the window, the stepping and editing keys.
#pragma once
#include <windows.h>

#include <string>

namespace mt {

// The first argument of the program's command line, unquoted, as a full path;
// empty when none.
std::wstring CommandLineFile();

// Whether a key pressed in the main window steps the video (Right, Left, Home,
// End, PageDown, PageUp).
bool IsStepKey(unsigned key) noexcept;
// Whether a key pressed in the main window, with the keyboard's shift state,
// opens the dialog that goes to a frame: Ctrl+G.
bool IsGoToFrameKey(unsigned key, unsigned shift) noexcept;
// Whether a key pressed in the main window, with the keyboard's shift state
// (TShiftState), edits the still image: Ctrl with Z, Y, C or V.
bool IsEditKey(unsigned key, unsigned shift) noexcept;
// The message loop's first look at the main window's messages: the stepping and
// editing keys, and the mouse wheel, go to the main window wherever its focus is.
bool ForwardWindowKeys(MSG& msg);

}  // namespace mt
