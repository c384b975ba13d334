#include "measure/motion_fit.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "base/format.h"

namespace mt {

namespace {

bool IsPosition(MotionColumn c) { return c == MotionColumn::X || c == MotionColumn::Y; }
bool IsVelocity(MotionColumn c) { return c == MotionColumn::Vx || c == MotionColumn::Vy; }

// The column's powers of seconds: 0 for a place, 1 for a velocity, 2 for an
// acceleration.
int PerSeconds(MotionColumn c) { return IsPosition(c) ? 0 : IsVelocity(c) ? 1 : 2; }

// A length unit per second to the power given ("m", "m/s", "m/s²", …).
std::wstring UnitPerSeconds(const std::wstring& unit, int power) {
    static const wchar_t* const kPowers[] = {L"", L"/s", L"/s²", L"/s³", L"/s⁴"};
    return unit + kPowers[std::clamp(power, 0, 4)];
}

}  // namespace

std::wstring ColumnName(MotionColumn column) {
    static const wchar_t* const kNames[] = {L"X", L"Y", L"Vx", L"Vy", L"Ax", L"Ay"};
    return kNames[static_cast<int>(column)];
}

std::wstring ColumnUnit(MotionColumn column, const MotionScale& scale) {
    return UnitPerSeconds(scale.unit, PerSeconds(column));
}

std::wstring ColumnAxisName(MotionColumn column, const MotionScale& scale) {
    return ColumnName(column) + L" (" + ColumnUnit(column, scale) + L")";
}

ColumnPoints PointsOf(const MotionTable& table, MotionColumn column) {
    const std::vector<MotionRow>& rows = table.Rows();
    const double k = table.scale.perPixel;
    const double x0 = table.originAtFirst && !rows.empty() ? rows.front().x : 0;
    const double y0 = table.originAtFirst && !rows.empty() ? rows.front().y : 0;
    std::vector<MotionDerivative> d;
    if (!IsPosition(column)) d = Derivatives(rows);
    ColumnPoints points;
    points.rows.reserve(rows.size());
    points.times.reserve(rows.size());
    points.values.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::optional<double> v;
        switch (column) {
        case MotionColumn::X: v = (rows[i].x - x0) * k; break;
        case MotionColumn::Y: v = (rows[i].y - y0) * k; break;
        case MotionColumn::Vx: v = d[i].vx; break;
        case MotionColumn::Vy: v = d[i].vy; break;
        case MotionColumn::Ax: v = d[i].ax; break;
        case MotionColumn::Ay: v = d[i].ay; break;
        }
        if (!v || !std::isfinite(*v) || !std::isfinite(rows[i].time)) continue;
        points.rows.push_back(i);
        points.times.push_back(rows[i].time);
        points.values.push_back(IsPosition(column) ? *v : *v * k);
    }
    return points;
}

int FitTerms(FitKind kind) { return kind == FitKind::Line ? 2 : kind == FitKind::Parabola ? 3 : 0; }

namespace {

using Matrix = std::array<std::array<long double, 3>, 3>;

// The inverse of the leading p×p block of m (symmetric, positive definite),
// by Gauss-Jordan elimination with partial pivoting; none where it is singular.
std::optional<Matrix> Inverse(Matrix m, int p) {
    Matrix inv{};
    for (int i = 0; i < p; ++i) inv[i][i] = 1;
    for (int c = 0; c < p; ++c) {
        int pivot = c;
        for (int r = c + 1; r < p; ++r)
            if (std::fabs(m[r][c]) > std::fabs(m[pivot][c])) pivot = r;
        if (!(std::fabs(m[pivot][c]) > 1e-300L)) return std::nullopt;
        std::swap(m[c], m[pivot]);
        std::swap(inv[c], inv[pivot]);
        const long double scale = m[c][c];
        for (int k = 0; k < p; ++k) {
            m[c][k] /= scale;
            inv[c][k] /= scale;
        }
        for (int r = 0; r < p; ++r) {
            if (r == c) continue;
            const long double f = m[r][c];
            for (int k = 0; k < p; ++k) {
                m[r][k] -= f * m[c][k];
                inv[r][k] -= f * inv[c][k];
            }
        }
    }
    return inv;
}

}  // namespace

PolynomialFit FitPolynomial(const std::vector<double>& times, const std::vector<double>& values, int terms) {
    PolynomialFit fit;
    fit.terms = std::clamp(terms, 2, 3);
    const int p = fit.terms;
    const std::size_t n = std::min(times.size(), values.size());
    fit.rows = n;
    if (n < static_cast<std::size_t>(p)) {
        fit.problem = PolynomialFit::Problem::TooFewRows;
        return fit;
    }
    {
        std::vector<double> sorted(times.begin(), times.begin() + static_cast<std::ptrdiff_t>(n));
        std::sort(sorted.begin(), sorted.end());
        fit.times = static_cast<std::size_t>(std::unique(sorted.begin(), sorted.end()) - sorted.begin());
        fit.firstTime = sorted.front();
        fit.lastTime = sorted.back();
    }
    if (fit.times < static_cast<std::size_t>(p)) {
        fit.problem = PolynomialFit::Problem::TooFewTimes;
        return fit;
    }
    // s = (t − t0) / h lies in [−1, 1]; y is taken about its mean.
    long double t0 = 0, y0 = 0;
    for (std::size_t i = 0; i < n; ++i) {
        t0 += times[i];
        y0 += values[i];
    }
    t0 /= n;
    y0 /= n;
    long double h = 0;
    for (std::size_t i = 0; i < n; ++i) h = std::max(h, std::fabs(times[i] - t0));
    Matrix normal{};
    std::array<long double, 3> right{};
    for (std::size_t i = 0; i < n; ++i) {
        const long double s = (times[i] - t0) / h, y = values[i] - y0;
        const long double powers[5] = {1, s, s * s, s * s * s, s * s * s * s};
        for (int j = 0; j < p; ++j) {
            right[j] += powers[j] * y;
            for (int k = 0; k < p; ++k) normal[j][k] += powers[j + k];
        }
    }
    const std::optional<Matrix> inverse = Inverse(normal, p);
    if (!inverse) {
        fit.problem = PolynomialFit::Problem::TooFewTimes;
        return fit;
    }
    std::array<long double, 3> alpha{};
    for (int j = 0; j < p; ++j)
        for (int k = 0; k < p; ++k) alpha[j] += (*inverse)[j][k] * right[k];
    long double squares = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const long double s = (times[i] - t0) / h;
        const long double e = (values[i] - y0) - (alpha[0] + s * (alpha[1] + s * alpha[2]));
        squares += e * e;
    }
    alpha[0] += y0;
    // In t: a + b·t + c·t² = α0 + α1·s + α2·s², so β = T·α with
    //   a = α0 − α1·t0/h + α2·t0²/h², b = α1/h − 2·α2·t0/h², c = α2/h².
    Matrix to{};
    to[0] = {1, -t0 / h, t0 * t0 / (h * h)};
    to[1] = {0, 1 / h, -2 * t0 / (h * h)};
    to[2] = {0, 0, 1 / (h * h)};
    for (int j = 0; j < p; ++j) {
        long double beta = 0;
        for (int k = 0; k < p; ++k) beta += to[j][k] * alpha[k];
        fit.coefficient[std::size_t(j)] = static_cast<double>(beta);
    }
    fit.rms = static_cast<double>(std::sqrt(squares / n));
    if (n > static_cast<std::size_t>(p)) {
        const long double variance = squares / static_cast<long double>(n - static_cast<std::size_t>(p));
        for (int j = 0; j < p; ++j) {
            // (T·(XᵀX)⁻¹·Tᵀ)jj
            long double diagonal = 0;
            for (int k = 0; k < p; ++k)
                for (int l = 0; l < p; ++l) diagonal += to[j][k] * (*inverse)[k][l] * to[j][l];
            fit.standardError[std::size_t(j)] = static_cast<double>(std::sqrt(std::max(0.0L, variance * diagonal)));
        }
    }
    return fit;
}

FitChoice FitPoints(const std::vector<bool>& selected, int terms) {
    FitChoice choice;
    for (std::size_t i = 0; i < selected.size(); ++i)
        if (selected[i]) choice.points.push_back(i);
    if (terms > 0 && choice.points.size() >= static_cast<std::size_t>(terms)) {
        choice.fromSelection = true;
        return choice;
    }
    choice.points.resize(selected.size());
    for (std::size_t i = 0; i < selected.size(); ++i) choice.points[i] = i;
    return choice;
}

PolynomialFit FitColumn(const ColumnPoints& points, const FitChoice& choice, FitKind kind) {
    std::vector<double> t, y;
    t.reserve(choice.points.size());
    y.reserve(choice.points.size());
    for (std::size_t i : choice.points) {
        if (i >= points.size()) continue;
        t.push_back(points.times[i]);
        y.push_back(points.values[i]);
    }
    return FitPolynomial(t, y, FitTerms(kind));
}

namespace {

// Decimals that show a tenth of a pixel, or finer, in the scale's unit (as the
// table shows positions).
int PositionDecimals(const MotionScale& scale) {
    const double tenth = 0.1 * scale.perPixel;
    if (!(tenth > 0) || !std::isfinite(tenth)) return 1;
    return std::clamp(static_cast<int>(std::ceil(-std::log10(tenth) - 1e-9)), 1, 12);
}

std::wstring Number(double value, int decimals, wchar_t separator) {
    std::wstring text = FormatFixed(value, decimals, separator);
    if (text.size() > 1 && text[0] == L'-' && text.find_first_not_of(std::wstring(L"0") + separator, 1) == std::wstring::npos)
        text.erase(0, 1);
    return text;
}

// A standard error is shown to two significant digits and its value to the
// same place, never finer than `finest` decimals.
int ErrorDecimals(double error, int finest) {
    if (!(error > 0) || !std::isfinite(error)) return finest;
    return std::clamp(1 - static_cast<int>(std::floor(std::log10(error))), 0, finest);
}

// A value without an error: four significant digits, never finer than `finest`.
int PlainDecimals(double value, int finest, int coarsest) {
    if (!(value != 0) || !std::isfinite(value)) return coarsest;
    return std::clamp(3 - static_cast<int>(std::floor(std::log10(std::fabs(value)))), 0, finest);
}

}  // namespace

std::wstring FitText(const PolynomialFit& fit, FitKind kind, MotionColumn column, const MotionScale& scale,
                     bool fromSelection, wchar_t decimalSeparator) {
    const int terms = FitTerms(kind);
    if (terms == 0) return L"";
    const std::wstring name = ColumnName(column);
    if (fit.problem == PolynomialFit::Problem::TooFewRows) {
        const std::wstring need = terms == 2 ? L"直線には 2 行が要ります" : L"放物線には 3 行が要ります";
        if (fit.rows == 0) return L"当てはめられません: " + name + L" の値のある行がありません (" + need + L")";
        return L"当てはめられません: " + name + L" の値のある行が " + std::to_wstring(fit.rows) + L" 行しかありません (" +
               need + L")";
    }
    if (fit.problem == PolynomialFit::Problem::TooFewTimes) {
        if (fit.times <= 1) return L"当てはめられません: すべての行が同じ時刻です";
        return L"当てはめられません: 行の時刻が " + std::to_wstring(fit.times) +
               L" つしかありません (放物線には 3 つの時刻が要ります)";
    }
    const int finest = PositionDecimals(scale) + 4, base = PerSeconds(column);
    const std::wstring& unit = scale.unit;
    auto valued = [&](double value, double error) {
        if (!fit.Uncertain()) return Number(value, PlainDecimals(value, finest, PositionDecimals(scale)), decimalSeparator);
        const int decimals = ErrorDecimals(error, finest);
        return Number(value, decimals, decimalSeparator) + L" ± " + Number(error, decimals, decimalSeparator);
    };
    std::wstring text = name + (terms == 2 ? L" = a + b·t" : L" = a + b·t + c·t²") + L"  (t: 時刻 s)";
    static const wchar_t* const kLetters[] = {L"a", L"b", L"c"};
    for (int j = 0; j < terms; ++j)
        text += std::wstring(L"\r\n") + kLetters[j] + L" = " +
                valued(fit.coefficient[std::size_t(j)], fit.standardError[std::size_t(j)]) + L" " +
                UnitPerSeconds(unit, base + j);
    if (IsPosition(column) && terms == 2) {
        text += L"\r\n速度 = " + valued(fit.coefficient[1], fit.standardError[1]) + L" " + UnitPerSeconds(unit, 1);
    } else if (IsPosition(column)) {
        text += L"\r\n初速 = " + valued(fit.coefficient[1], fit.standardError[1]) + L" " + UnitPerSeconds(unit, 1);
        text += L"\r\n加速度 = " + valued(2 * fit.coefficient[2], 2 * fit.standardError[2]) + L" " + UnitPerSeconds(unit, 2);
    } else if (IsVelocity(column) && terms == 2) {
        text += L"\r\n加速度 = " + valued(fit.coefficient[1], fit.standardError[1]) + L" " + UnitPerSeconds(unit, 2);
    }
    if (!fit.Uncertain()) text += L"\r\n行の数が係数の数と同じなので、不確かさは出せません";
    text += L"\r\nn = " + std::to_wstring(fit.rows) + (fromSelection ? L" 行 (選んだ行)" : L" 行 (値のある行すべて)");
    text += L"\r\n残差の RMS = " + Number(fit.rms, ErrorDecimals(fit.rms, finest), decimalSeparator) + L" " +
            UnitPerSeconds(unit, base);
    return text;
}

}  // namespace mt
