// Text conversions between the program's UTF-16 user texts, UTF-8 and the ANSI code page.
// Every conversion of the program goes through these.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace mt {

std::wstring AnsiToWide(std::string_view ansi);
std::string WideToAnsi(std::wstring_view wide);
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

// The name under which the ANSI file and media functions reach a file named in
// UTF-16 (a dropped file, a command-line argument): the name itself when it
// survives the round trip through the ANSI code page, else the file's short
// (8.3) name when that does; nothing when neither does.
std::optional<std::string> AnsiFileName(const std::wstring& name);

}  // namespace mt
