#include "base/format.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace mt {
namespace {

wchar_t g_decimalSeparator = L'.';

std::wstring PadLeft(std::wstring s, int width) {
    if (width > 0 && static_cast<int>(s.size()) < width)
        s.insert(0, static_cast<size_t>(width - static_cast<int>(s.size())), L' ');
    return s;
}

std::wstring FormatDecimal(long long value, int precision) {
    unsigned long long magnitude =
        value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    std::wstring digits = std::to_wstring(magnitude);
    if (precision > 0 && static_cast<int>(digits.size()) < precision)
        digits.insert(0, static_cast<size_t>(precision - static_cast<int>(digits.size())), L'0');
    if (value < 0) digits.insert(0, 1, L'-');
    return digits;
}

}  // namespace

wchar_t DecimalSeparator() { return g_decimalSeparator; }
void SetDecimalSeparator(wchar_t separator) { g_decimalSeparator = separator ? separator : L'.'; }

std::wstring FormatFixed(double value, int decimals, wchar_t decimalSeparator) {
    if (std::isnan(value)) return L"NAN";
    if (std::isinf(value)) return value < 0 ? L"-INF" : L"INF";
    if (decimals < 0) decimals = 0;
    if (decimals > 18) decimals = 18;
    bool negative = std::signbit(value) && value != 0.0;
    // 18 significant digits: d.ddddddddddddddddde±x
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17e", std::fabs(value));
    std::string mant;
    int exp10 = 0;
    {
        const char* p = buf;
        for (; *p && *p != 'e'; ++p)
            if (*p >= '0' && *p <= '9') mant.push_back(*p);
        if (*p == 'e') exp10 = std::atoi(p + 1);
    }
    // Digits as an integer string with the decimal point after position intLen.
    // Value = 0.mant * 10^(exp10+1).
    int pointPos = exp10 + 1;  // digits before the point
    std::string digits = mant;
    if (pointPos <= 0) {
        digits.insert(0, static_cast<size_t>(-pointPos + 1), '0');
        pointPos = 1;
    }
    // Keep pointPos + decimals digits, rounding on the next one.
    size_t keep = static_cast<size_t>(pointPos + decimals);
    if (digits.size() < keep + 1) digits.append(keep + 1 - digits.size(), '0');
    bool carry = digits[keep] >= '5';
    digits.resize(keep);
    for (size_t i = keep; carry && i > 0; --i) {
        if (digits[i - 1] == '9') {
            digits[i - 1] = '0';
        } else {
            ++digits[i - 1];
            carry = false;
        }
    }
    if (carry) {
        digits.insert(0, 1, '1');
        ++pointPos;
    }
    std::string intPart = digits.substr(0, static_cast<size_t>(pointPos));
    std::string fracPart = digits.substr(static_cast<size_t>(pointPos));
    size_t nz = intPart.find_first_not_of('0');
    intPart = nz == std::string::npos ? "0" : intPart.substr(nz);
    bool allZero = intPart == "0" && fracPart.find_first_not_of('0') == std::string::npos;
    std::wstring out;
    if (negative && !allZero) out.push_back(L'-');
    out.append(intPart.begin(), intPart.end());
    if (decimals > 0) {
        out.push_back(decimalSeparator);
        out.append(fracPart.begin(), fracPart.end());
    }
    return out;
}

std::wstring Format(const std::wstring& pattern, std::initializer_list<FormatArg> args) {
    std::wstring out;
    auto next = args.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        wchar_t c = pattern[i];
        if (c != L'%') {
            out.push_back(c);
            continue;
        }
        size_t j = i + 1;
        if (j < pattern.size() && pattern[j] == L'%') {
            out.push_back(L'%');
            i = j;
            continue;
        }
        int width = -1, precision = -1;
        if (j < pattern.size() && pattern[j] >= L'0' && pattern[j] <= L'9') {
            width = 0;
            while (j < pattern.size() && pattern[j] >= L'0' && pattern[j] <= L'9') width = width * 10 + (pattern[j++] - L'0');
        }
        if (j < pattern.size() && pattern[j] == L'.') {
            ++j;
            precision = 0;
            while (j < pattern.size() && pattern[j] >= L'0' && pattern[j] <= L'9')
                precision = precision * 10 + (pattern[j++] - L'0');
        }
        if (j >= pattern.size()) throw std::invalid_argument("format pattern ends inside an item");
        wchar_t type = pattern[j];
        if (next == args.end()) throw std::invalid_argument("format pattern has more items than arguments");
        const FormatArg& arg = *next++;
        std::wstring item;
        switch (type) {
        case L'd':
        case L'D':
            if (auto v = std::get_if<long long>(&arg)) item = FormatDecimal(*v, precision);
            else throw std::invalid_argument("%d needs an integer");
            break;
        case L'f':
        case L'F':
            if (auto v = std::get_if<double>(&arg)) item = FormatFixed(*v, precision < 0 ? 2 : precision, g_decimalSeparator);
            else if (auto n = std::get_if<long long>(&arg))
                item = FormatFixed(static_cast<double>(*n), precision < 0 ? 2 : precision, g_decimalSeparator);
            else throw std::invalid_argument("%f needs a number");
            break;
        case L's':
        case L'S':
            if (auto v = std::get_if<std::wstring>(&arg)) {
                item = *v;
                if (precision >= 0 && static_cast<int>(item.size()) > precision) item.resize(static_cast<size_t>(precision));
            } else {
                throw std::invalid_argument("%s needs a string");
            }
            break;
        default:
            throw std::invalid_argument("unknown format type");
        }
        out += PadLeft(std::move(item), width);
        i = j;
    }
    return out;
}

}  // namespace mt
