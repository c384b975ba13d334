#include "base/typed_number.h"

#include <charconv>
#include <cmath>

namespace mt {
namespace {

constexpr const wchar_t* kSpaces = L" \t\u3000";

// The typed text without the spaces around it; empty when there is nothing else.
std::wstring Trimmed(const std::wstring& text) {
    const std::size_t begin = text.find_first_not_of(kSpaces);
    if (begin == std::wstring::npos) return {};
    return text.substr(begin, text.find_last_not_of(kSpaces) - begin + 1);
}

// The digit's value, ASCII or full-width; -1 for anything else.
int DigitOf(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'０' && c <= L'９') return c - L'０';
    return -1;
}

}  // namespace

std::optional<long> ParseTypedWhole(const std::wstring& text) {
    const std::wstring digits = Trimmed(text);
    if (digits.empty()) return std::nullopt;
    long long n = 0;
    for (wchar_t c : digits) {
        const int d = DigitOf(c);
        if (d < 0) return std::nullopt;
        n = n * 10 + d;
        if (n > 2147483647LL) return std::nullopt;
    }
    return static_cast<long>(n);
}

std::optional<double> ParseTypedDecimal(const std::wstring& text, wchar_t decimalSeparator) {
    const std::wstring typed = Trimmed(text);
    std::string ascii;
    bool point = false, digit = false;
    for (wchar_t c : typed) {
        if (const int d = DigitOf(c); d >= 0) {
            ascii.push_back(static_cast<char>('0' + d));
            digit = true;
        } else if ((c == decimalSeparator || c == L'.' || c == L'．') && !point) {
            ascii.push_back('.');
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digit) return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (error != std::errc() || end != ascii.data() + ascii.size() || !std::isfinite(value) || value <= 0)
        return std::nullopt;
    return value;
}

}  // namespace mt
