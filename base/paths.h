// Path rules that need no window.
#pragma once
#include <string>

namespace mt {

// The folder part of a file path, without a trailing separator, except that a
// drive root ("C:\") keeps its separator. "" when the path has no folder.
std::string FolderOfPath(const std::string& path);

// The extension of a file name including its dot ("" when none).
std::string ExtensionOf(const std::string& path);

// ASCII upper case (file-name extensions).
std::string UpperAscii(std::string s);

}  // namespace mt
