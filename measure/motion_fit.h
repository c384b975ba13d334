// A column of the table against time, as the graph shows it, and a line or a
// parabola fitted to it by least squares, with the standard errors of its
// coefficients and the text that reports them. No window needed.
//
// The fit: with n rows (tᵢ, yᵢ) and p coefficients (2 for a line y = a + b·t,
// 3 for a parabola y = a + b·t + c·t²), the coefficients β minimise the sum of
// the squared residuals eᵢ = yᵢ − (a + b·tᵢ + c·tᵢ²). With X the n×p matrix
// whose rows are (1, tᵢ) or (1, tᵢ, tᵢ²), β = (XᵀX)⁻¹·Xᵀy; the residuals'
// variance is s² = Σeᵢ² / (n − p), the covariance of β is s²·(XᵀX)⁻¹, and the
// standard error of each coefficient is the square root of its diagonal
// element. The RMS of the residuals is √(Σeᵢ² / n). The sums are made on the
// times centred on their mean and divided by their largest distance from it
// (the same least squares, better conditioned), in long double, and the
// coefficients and their covariance are carried back to t exactly.
#pragma once
#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "measure/motion_table.h"

namespace mt {

// The columns the graph plots against time.
enum class MotionColumn { X, Y, Vx, Vy, Ax, Ay };
inline constexpr MotionColumn kMotionColumns[] = {MotionColumn::X,  MotionColumn::Y,  MotionColumn::Vx,
                                                  MotionColumn::Vy, MotionColumn::Ax, MotionColumn::Ay};

// "X", "Vy", …; the column's unit in the table's scale ("m", "m/s", "m/s²"),
// and the axis name with it ("Y (m)").
std::wstring ColumnName(MotionColumn column);
std::wstring ColumnUnit(MotionColumn column, const MotionScale& scale);
std::wstring ColumnAxisName(MotionColumn column, const MotionScale& scale);

// The rows that have a value in the column: their index in the table, time and
// value, in the table's scale and origin as the table shows them.
struct ColumnPoints {
    std::vector<std::size_t> rows;
    std::vector<double> times, values;
    std::size_t size() const noexcept { return rows.size(); }
};
ColumnPoints PointsOf(const MotionTable& table, MotionColumn column);

enum class FitKind { None, Line, Parabola };
// The coefficients a fit of the kind has: 0, 2 or 3.
int FitTerms(FitKind kind);

struct PolynomialFit {
    enum class Problem { None, TooFewRows, TooFewTimes };
    Problem problem = Problem::None;
    int terms = 0;  // 2: a + b·t; 3: a + b·t + c·t²
    std::size_t rows = 0;
    std::size_t times = 0;                  // different times among the rows
    std::array<double, 3> coefficient{};    // a, b, c
    std::array<double, 3> standardError{};  // of each; see Uncertain()
    double rms = 0;                         // of the residuals
    double firstTime = 0, lastTime = 0;     // of the rows fitted
    bool Made() const noexcept { return problem == Problem::None; }
    // The standard errors mean something: more rows than coefficients.
    bool Uncertain() const noexcept { return Made() && rows > static_cast<std::size_t>(terms); }
    double At(double t) const { return coefficient[0] + t * (coefficient[1] + t * coefficient[2]); }
};

// The least-squares polynomial of `terms` coefficients (2 or 3) through the
// points. Not made with fewer points than coefficients, or fewer different
// times.
PolynomialFit FitPolynomial(const std::vector<double>& times, const std::vector<double>& values, int terms);

// The points a fit takes: the selected ones where there are at least `terms`
// of them, else all (fromSelection tells which).
struct FitChoice {
    std::vector<std::size_t> points;
    bool fromSelection = false;
};
FitChoice FitPoints(const std::vector<bool>& selected, int terms);

// The fit of the kind over the chosen points of the column.
PolynomialFit FitColumn(const ColumnPoints& points, const FitChoice& choice, FitKind kind);

// The report, one item a line (CR LF between them): the equation, each
// coefficient with its standard error and unit, what the coefficients mean for
// the column (速度, 初速, 加速度), the rows used and the RMS of the residuals;
// or why no fit could be made. Empty for FitKind::None.
std::wstring FitText(const PolynomialFit& fit, FitKind kind, MotionColumn column, const MotionScale& scale,
                     bool fromSelection, wchar_t decimalSeparator);

}  // namespace mt
