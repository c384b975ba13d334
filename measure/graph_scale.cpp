#include "measure/graph_scale.h"

#include <algorithm>
#include <cmath>

#include "base/format.h"

namespace mt {
namespace {

// 10^n, exact where the double can hold it.
double PowerOfTen(int n) {
    double p = 1;
    for (int i = 0; i < std::abs(n); ++i) p *= 10;
    return n < 0 ? 1 / p : p;
}

}  // namespace

double AxisTicks::At(int i) const {
    // (first / step + i) whole steps, divided by the power of ten where that is
    // below one, so 0.3 is the double nearest 0.3 rather than 3 * 0.1.
    const double units = std::round(first / step) + i;
    const int exponent = static_cast<int>(std::floor(std::log10(step) + 1e-9));
    const double mantissa = std::round(step / PowerOfTen(exponent));
    const double value = exponent < 0 ? units * mantissa / PowerOfTen(-exponent) : units * mantissa * PowerOfTen(exponent);
    return value == 0 ? 0.0 : value;  // never -0
}

AxisTicks RoundTicks(double low, double high, int most) {
    if (!std::isfinite(low) || !std::isfinite(high)) low = 0, high = 1;
    if (low > high) std::swap(low, high);
    most = std::max(most, 4);  // so at least one tick lies within
    const double size = std::max(std::fabs(low), std::fabs(high));
    if (high - low <= size * 1e-12) {
        // One value (or values a double can hardly tell apart): about it.
        const double middle = (low + high) / 2, widen = middle == 0 ? 1 : std::fabs(middle) * 0.1;
        low = middle - widen;
        high = middle + widen;
    }
    const double rough = (high - low) / (most - 1);
    int exponent = static_cast<int>(std::floor(std::log10(rough)));
    static constexpr int kMantissas[] = {1, 2, 5};
    for (int tries = 0; tries < 64; ++tries) {
        for (int mantissa : kMantissas) {
            const double step = mantissa * PowerOfTen(exponent);
            if (step < rough * (1 - 1e-12)) continue;
            const double firstUnits = std::ceil(low / step - 1e-9);
            const double lastUnits = std::floor(high / step + 1e-9);
            const double count = lastUnits - firstUnits + 1;
            if (count > most) continue;
            AxisTicks ticks;
            ticks.low = low;
            ticks.high = high;
            ticks.step = step;
            ticks.first = firstUnits * step;
            ticks.count = static_cast<int>(std::max(0.0, count));
            ticks.decimals = std::max(0, -exponent);
            if (ticks.count > 0) ticks.first = ticks.At(0);
            return ticks;
        }
        ++exponent;
    }
    return AxisTicks{low, high, low, high - low, 2, 0};
}

std::wstring TickLabel(double value, int decimals, wchar_t decimalSeparator) {
    std::wstring text = FormatFixed(value, decimals, decimalSeparator);
    if (text.size() > 1 && text[0] == L'-' &&
        text.find_first_not_of(std::wstring(L"0") + decimalSeparator, 1) == std::wstring::npos)
        text.erase(0, 1);
    return text;
}

double GraphMapping::Column(double value) const {
    return left + (value - x.low) / (x.high - x.low) * (right - left);
}

double GraphMapping::Row(double value) const {
    return bottom - (value - y.low) / (y.high - y.low) * (bottom - top);
}

double GraphMapping::ValueAtColumn(double column) const {
    return x.low + (column - left) / (right - left) * (x.high - x.low);
}

std::optional<std::size_t> NearestPoint(const GraphMapping& mapping, const std::vector<double>& xs,
                                        const std::vector<double>& ys, double column, double row, double reach) {
    std::optional<std::size_t> nearest;
    double best = reach * reach;
    for (std::size_t i = 0; i < xs.size() && i < ys.size(); ++i) {
        const double dx = mapping.Column(xs[i]) - column, dy = mapping.Row(ys[i]) - row;
        const double d = dx * dx + dy * dy;
        if (d <= best) {
            best = d;
            nearest = i;
        }
    }
    return nearest;
}

}  // namespace mt
