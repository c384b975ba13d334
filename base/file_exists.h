#pragma once
#include <string>

namespace mt {
// A path exists when a directory search finds it, it is not a folder, and its
// last-write time converts to a DOS date and time. The path is in the ANSI code page.
bool FileExists(const std::string& ansiPath);
}  // namespace mt
