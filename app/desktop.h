// What the desktop hands the program besides clicks: the file named on the
// command line, files dropped on the window, the stepping keys.
#pragma once
#include <string>

namespace mt {

// The first argument of the program's command line, unquoted, as a full path;
// empty when none.
std::wstring CommandLineFile();

// Whether a key pressed in the main window steps the video (Right, Left, Home).
bool IsStepKey(unsigned key) noexcept;

}  // namespace mt
