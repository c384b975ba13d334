// The axes of the table's graph: round-number ticks for a range of values, and
// the mapping of values to the pixels of the plotting area. No window needed.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace mt {

// An axis from `low` to `high` with round-number ticks on it: first,
// first + step, …, where step is 1, 2 or 5 times a power of ten.
struct AxisTicks {
    double low = 0, high = 1;  // the axis's ends
    double first = 0, step = 1;
    int count = 0;     // ticks, first included
    int decimals = 0;  // enough to tell the ticks apart, no more
    double last() const { return At(count - 1); }
    // Tick i's value, made from whole steps (so a tick meant to be 0 is 0).
    double At(int i) const;
};

// An axis over [low, high] with round-number ticks within it: the smallest step
// that gives at most `most` of them (taken as at least 4, which leaves at
// least one within). A range of one value is
// widened about it first (by a tenth of it, or by 1 about 0).
AxisTicks RoundTicks(double low, double high, int most);

// A tick's label: its value with `decimals` places and the decimal separator
// given, without the sign of a negative zero.
std::wstring TickLabel(double value, int decimals, wchar_t decimalSeparator);

// Values to pixels: x across from `left` to `right`, y up from `bottom` to `top`
// (rows grow downwards). The pixel rectangle as four ints; no window needed.
struct GraphMapping {
    int left = 0, top = 0, right = 1, bottom = 1;
    AxisTicks x, y;
    double Column(double value) const;
    double Row(double value) const;
    // The value at a column (the inverse of Column).
    double ValueAtColumn(double column) const;
};

// Of the points (x, y in values), the one whose pixel is nearest (column, row),
// within `reach` pixels; none when no point is that near.
std::optional<std::size_t> NearestPoint(const GraphMapping& mapping, const std::vector<double>& xs,
                                        const std::vector<double>& ys, double column, double row, double reach);

}  // namespace mt
