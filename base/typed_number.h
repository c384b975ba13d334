// Numbers as a user types them into a dialog's edit box: ASCII or full-width
// digits, with spaces (ASCII, tab, ideographic) allowed around the number and
// nowhere else. Any other text is refused. No window needed.
#pragma once
#include <optional>
#include <string>

namespace mt {

// A whole number from 0 to 2147483647 ("１２", " 12 "); nothing for a sign, a
// space between digits ("1 0"), any other character or a larger number.
std::optional<long> ParseTypedWhole(const std::wstring& text);

// A number above 0 with at most one decimal point, written as the user's
// decimalSeparator, as "." or as "．": with ',' "2,5" and "2.5" are both 2.5;
// ".5" and "5." are read too. Nothing for a sign, an exponent, a thousands
// separator, 0 or any other text.
std::optional<double> ParseTypedDecimal(const std::wstring& text, wchar_t decimalSeparator);

}  // namespace mt
