#include "measure/motion_table.h"

#include <algorithm>
#include <cmath>

#include "base/format.h"
#include "base/text.h"

namespace mt {

void MotionTable::ReplaceFrames(const std::vector<long>& chosen, const std::vector<MotionRow>& rows) {
    Remove(chosen);
    for (const MotionRow& row : rows) Record(row);
}

void MotionTable::ReplaceTrail(long first, long last, const std::vector<MotionRow>& rows) {
    std::erase_if(rows_, [&](const MotionRow& r) { return r.area && r.frame >= first && r.frame <= last; });
    for (const MotionRow& row : rows) Record(row);
}

void MotionTable::Record(const MotionRow& row) {
    auto at = std::lower_bound(rows_.begin(), rows_.end(), row.frame,
                               [](const MotionRow& r, long frame) { return r.frame < frame; });
    if (at != rows_.end() && at->frame == row.frame) *at = row;
    else rows_.insert(at, row);
}

void MotionTable::Remove(const std::vector<long>& frames) {
    std::erase_if(rows_, [&](const MotionRow& r) { return std::find(frames.begin(), frames.end(), r.frame) != frames.end(); });
}

std::vector<std::wstring> TableHeader(const MotionScale& scale) {
    const std::wstring& u = scale.unit;
    return {L"フレーム",          L"時刻 (s)",         L"X (" + u + L")",     L"Y (" + u + L")",
            L"Vx (" + u + L"/s)", L"Vy (" + u + L"/s)", L"Ax (" + u + L"/s²)", L"Ay (" + u + L"/s²)",
            L"面積 (px²)"};
}

namespace {

// Decimals that show a tenth of a pixel, or finer, in the scale's unit.
int PositionDecimals(const MotionScale& scale) {
    const double tenth = 0.1 * scale.perPixel;
    if (!(tenth > 0) || !std::isfinite(tenth)) return 1;
    return std::clamp(static_cast<int>(std::ceil(-std::log10(tenth) - 1e-9)), 1, 12);
}

// FormatFixed's text, made with whole numbers where no tie is near (a table
// holds thousands of numbers, and the general way takes the value to 18
// significant digits as text first).
std::wstring Fixed(double value, int decimals, wchar_t separator) {
    static constexpr long double kTens[] = {1e0L, 1e1L, 1e2L, 1e3L, 1e4L, 1e5L, 1e6L,
                                            1e7L, 1e8L, 1e9L, 1e10L, 1e11L, 1e12L};
    if (!std::isfinite(value) || decimals < 0 || decimals > 12) return FormatFixed(value, decimals, separator);
    const long double scaled = std::fabs(static_cast<long double>(value)) * kTens[decimals];
    if (scaled >= 1e13L) return FormatFixed(value, decimals, separator);  // a tie there is past telling
    const long double whole = std::floor(scaled), part = scaled - whole;
    if (std::fabs(part - 0.5L) < 1e-6L) return FormatFixed(value, decimals, separator);
    const unsigned long long n = static_cast<unsigned long long>(whole) + (part > 0.5L ? 1u : 0u);
    std::wstring digits = std::to_wstring(n);
    if (digits.size() < static_cast<std::size_t>(decimals) + 1)
        digits.insert(0, static_cast<std::size_t>(decimals) + 1 - digits.size(), L'0');
    if (decimals > 0) digits.insert(digits.size() - static_cast<std::size_t>(decimals), 1, separator);
    if (value < 0 && n != 0) digits.insert(0, 1, L'-');
    return digits;
}

std::wstring Number(double value, int decimals, wchar_t separator) {
    std::wstring text = Fixed(value, decimals, separator);
    // A value that rounds to nothing is shown without a sign.
    if (text.size() > 1 && text[0] == L'-' && text.find_first_not_of(std::wstring(L"0") + separator, 1) == std::wstring::npos)
        text.erase(0, 1);
    return text;
}

// At least three significant digits, and never coarser than the positions; a
// millionth of the positions' last place is the finest shown (below it lies only
// the rounding of the arithmetic: a motion at constant speed gives accelerations
// of about 1e-12 px/s², not 0).
constexpr int kRateDecimalsPastPositions = 6;

std::wstring Rate(const std::optional<double>& value, int positionDecimals, wchar_t separator) {
    if (!value) return L"";
    int decimals = positionDecimals;
    if (*value != 0 && std::isfinite(*value))
        decimals = std::max(decimals, 2 - static_cast<int>(std::floor(std::log10(std::fabs(*value)))));
    decimals = std::clamp(decimals, 0, positionDecimals + kRateDecimalsPastPositions);
    // What rounds to nothing there is shown as a plain zero.
    if (std::fabs(*value) < 0.5 * std::pow(10.0, -decimals)) decimals = positionDecimals;
    return Number(*value, decimals, separator);
}

}  // namespace

std::vector<std::vector<std::wstring>> TableCells(const MotionTable& table, wchar_t decimalSeparator) {
    const std::vector<MotionRow>& rows = table.Rows();
    const std::vector<MotionDerivative> d = Derivatives(rows);
    const double k = table.scale.perPixel;
    const int places = PositionDecimals(table.scale);
    const double x0 = table.originAtFirst && !rows.empty() ? rows.front().x : 0;
    const double y0 = table.originAtFirst && !rows.empty() ? rows.front().y : 0;
    auto scaled = [&](const std::optional<double>& v) { return v ? std::optional<double>(*v * k) : std::nullopt; };
    std::vector<std::vector<std::wstring>> cells;
    cells.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const MotionRow& r = rows[i];
        cells.push_back({Format(L"%.5d", {static_cast<long long>(r.frame)}), Number(r.time, 4, decimalSeparator),
                         Number((r.x - x0) * k, places, decimalSeparator), Number((r.y - y0) * k, places, decimalSeparator),
                         Rate(scaled(d[i].vx), places, decimalSeparator), Rate(scaled(d[i].vy), places, decimalSeparator),
                         Rate(scaled(d[i].ax), places, decimalSeparator), Rate(scaled(d[i].ay), places, decimalSeparator),
                         r.area ? std::to_wstring(*r.area) : L""});
    }
    return cells;
}

std::optional<std::size_t> FindTypedFrame(const std::vector<std::vector<std::wstring>>& cells,
                                          const std::wstring& typed, std::size_t start, bool partial, bool wrap) {
    if (typed.empty() || cells.empty()) return std::nullopt;
    const auto matches = [&](const std::wstring& shown) {
        const std::size_t digits = shown.find_first_not_of(L'0');
        const std::wstring plain = digits == std::wstring::npos ? L"0" : shown.substr(digits);
        for (const std::wstring& text : {shown, plain})
            if (partial ? text.starts_with(typed) : text == typed) return true;
        return false;
    };
    const std::size_t n = cells.size();
    if (start >= n) {
        if (!wrap) return std::nullopt;
        start = 0;
    }
    for (std::size_t i = 0; i < (wrap ? n : n - start); ++i) {
        const std::size_t row = (start + i) % n;
        if (!cells[row].empty() && matches(cells[row][0])) return row;
    }
    return std::nullopt;
}

namespace {

void AppendLine(std::wstring& text, const std::vector<std::wstring>& fields, wchar_t separator) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i) text.push_back(separator);
        const std::wstring& f = fields[i];
        if (separator != L'\t' && f.find_first_of(std::wstring{separator, L'"', L'\r', L'\n'}) != std::wstring::npos) {
            text.push_back(L'"');
            for (wchar_t c : f) {
                if (c == L'"') text.push_back(L'"');
                text.push_back(c);
            }
            text.push_back(L'"');
        } else {
            text += f;
        }
    }
    text += L"\r\n";
}

}  // namespace

std::wstring TableText(const MotionTable& table, wchar_t separator, wchar_t decimalSeparator) {
    return TableText(TableHeader(table.scale), TableCells(table, decimalSeparator), separator);
}

std::wstring TableText(const std::vector<std::wstring>& header, const std::vector<std::vector<std::wstring>>& cells,
                       wchar_t separator) {
    std::wstring text;
    text.reserve((cells.size() + 1) * 64);
    AppendLine(text, header, separator);
    for (const auto& row : cells) AppendLine(text, row, separator);
    return text;
}

wchar_t CsvSeparator(const std::wstring& listSeparator, wchar_t decimalSeparator) {
    if (decimalSeparator == L',') return L';';
    if (listSeparator.size() == 1 && listSeparator[0] != decimalSeparator && listSeparator[0] != L'"' &&
        listSeparator[0] != L' ')
        return listSeparator[0];
    return L',';
}

std::string CsvFileBytes(const MotionTable& table, wchar_t separator, wchar_t decimalSeparator) {
    return CsvFileBytes(TableText(table, separator, decimalSeparator));
}

std::string CsvFileBytes(const std::wstring& text) { return "\xEF\xBB\xBF" + WideToUtf8(text); }

}  // namespace mt
