// The table of measured positions ("位置の表") as data and as text: its rows in
// frame order, the scale that turns pixels into a length unit, the choice of
// origin, and the text a spreadsheet takes (tab-separated for the clipboard,
// CSV for a file). No window needed.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "measure/motion.h"

namespace mt {

// Lengths per pixel and their unit; one pixel a pixel until a scale is set.
struct MotionScale {
    double perPixel = 1;
    std::wstring unit = L"px";
    bool Set() const { return unit != L"px"; }
};

class MotionTable {
public:
    // The rows of a trail: the rows of the frames it chose give way to its own
    // rows; rows of other frames stay.
    void ReplaceFrames(const std::vector<long>& chosen, const std::vector<MotionRow>& rows);
    // The rows of a trail from first to last: every row measured by a trail in
    // that range gives way to them (rows recorded by hand stay, unless the trail
    // measures their frame); rows outside it stay.
    void ReplaceTrail(long first, long last, const std::vector<MotionRow>& rows);
    // A row recorded by hand: replaces the row of its frame, or is added.
    void Record(const MotionRow& row);
    // Removes the rows of these frames.
    void Remove(const std::vector<long>& frames);
    void Clear() { rows_.clear(); }
    const std::vector<MotionRow>& Rows() const noexcept { return rows_; }

    MotionScale scale;
    // X and Y from the first row's place instead of the pane's bottom-left corner.
    bool originAtFirst = false;

private:
    std::vector<MotionRow> rows_;  // by frame
};

// The column headers, with the scale's unit.
std::vector<std::wstring> TableHeader(const MotionScale& scale);
// Each row's fields as shown: frame (as the counter shows it), time (s, 0.1 ms),
// X and Y (0.1 px or finer in the unit), Vx, Vy, Ax, Ay, and 面積 (px², empty for
// a row recorded by hand), with the decimal separator given.
// Vx, Vy, Ax and Ay are plain decimals (never an exponent), empty where a row has
// no neighbours on both sides. Where X and Y show d decimals, each shows d
// decimals, or more where 3 significant digits need them, but never more than
// d + 6: so every value of at least 10^-(d+4) in size (0.00001 for positions in
// 0.1 px) has 3 significant digits or more; a smaller one shows with d + 6
// decimals, and one that rounds to nothing there as 0 with d decimals (what
// lies below a millionth of the positions' last place is the rounding of the
// arithmetic, not the motion). So -0.000123 px/s shows as "-0.000123",
// 0.0000012 as "0.0000012", 0.00000001 as "0.0" and 120 as "120.0".
std::vector<std::vector<std::wstring>> TableCells(const MotionTable& table, wchar_t decimalSeparator);

// The row a frame number typed in the list stands for: the first row from
// `start` on (from the first row again after the last, where `wrap`) whose frame
// as shown (00040), or without its leading zeros (40), begins with `typed` (is
// `typed`, where not `partial`); none where no row's does.
std::optional<std::size_t> FindTypedFrame(const std::vector<std::vector<std::wstring>>& cells,
                                          const std::wstring& typed, std::size_t start, bool partial, bool wrap);

// The header line, then a line a row, the fields separated by `separator`, lines
// ended by CR LF. A field holding the separator, a quote or a line break is quoted
// (CSV's rule); tab-separated text never needs it.
std::wstring TableText(const MotionTable& table, wchar_t separator, wchar_t decimalSeparator);
// The same from the header and the cells made already.
std::wstring TableText(const std::vector<std::wstring>& header, const std::vector<std::vector<std::wstring>>& cells,
                       wchar_t separator);
// The field separator of a CSV file: the user's list separator, or a semicolon
// where the decimal separator is a comma (or the list separator is unusable).
wchar_t CsvSeparator(const std::wstring& listSeparator, wchar_t decimalSeparator);
// The bytes of a CSV file: UTF-8 with a byte-order mark.
std::string CsvFileBytes(const MotionTable& table, wchar_t separator, wchar_t decimalSeparator);
std::string CsvFileBytes(const std::wstring& text);

}  // namespace mt
