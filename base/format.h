// Format patterns for user-visible numbers: literal text with items
// "%[width][.precision]type", type d (signed decimal) or f (fixed point).
#pragma once
#include <initializer_list>
#include <string>
#include <variant>

namespace mt {

using FormatArg = std::variant<long long, double, std::wstring>;

// Formats the pattern with the arguments in order. An item without an argument,
// or of the wrong kind, is a programming error and throws std::invalid_argument.
std::wstring Format(const std::wstring& pattern, std::initializer_list<FormatArg> args);

// Formats one number as type f: the value is first taken to 18 significant
// digits, then rounded to `decimals` places, a following digit of 5 or more carrying up.
std::wstring FormatFixed(double value, int decimals, wchar_t decimalSeparator);

// The decimal separator used by type f (the user's locale setting).
wchar_t DecimalSeparator();
void SetDecimalSeparator(wchar_t separator);

}  // namespace mt
