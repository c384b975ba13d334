// Text conversions between the program's UTF-16 user texts, UTF-8 and the ANSI code page.
// Every conversion of the program goes through these.
#pragma once
#include <string>
#include <string_view>

namespace mt {

std::wstring AnsiToWide(std::string_view ansi);
std::string WideToAnsi(std::wstring_view wide);
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

}  // namespace mt
