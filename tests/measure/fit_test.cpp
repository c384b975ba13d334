// The fit of the table's graph and its axes, on plain data: coefficients and
// standard errors against the normal equations solved here by Cramer's rule,
// the report's text, and round-number ticks.
#include <gtest/gtest.h>

#include <cmath>

#include "base/bitmap.h"
#include "measure/graph_scale.h"
#include "measure/motion_fit.h"
#include "measure/motion_graph.h"

namespace mt {
namespace {

// The least squares of a + b·t + c·t² the long way: the sums of the powers of
// t, the normal equations' determinant and cofactors.
struct Reference {
    long double a, b, c, errorA, errorB, errorC, rms;
};
Reference ParabolaByCramer(const std::vector<double>& t, const std::vector<double>& y) {
    long double s[5] = {}, r[3] = {};
    for (std::size_t i = 0; i < t.size(); ++i) {
        long double p = 1;
        for (int k = 0; k < 5; ++k, p *= t[i]) {
            s[k] += p;
            if (k < 3) r[k] += p * y[i];
        }
    }
    const long double m[3][3] = {{s[0], s[1], s[2]}, {s[1], s[2], s[3]}, {s[2], s[3], s[4]}};
    auto det = [](const long double (&q)[3][3]) {
        return q[0][0] * (q[1][1] * q[2][2] - q[1][2] * q[2][1]) - q[0][1] * (q[1][0] * q[2][2] - q[1][2] * q[2][0]) +
               q[0][2] * (q[1][0] * q[2][1] - q[1][1] * q[2][0]);
    };
    const long double d = det(m);
    long double solution[3];
    for (int j = 0; j < 3; ++j) {
        long double q[3][3];
        for (int i = 0; i < 3; ++i)
            for (int k = 0; k < 3; ++k) q[i][k] = k == j ? r[i] : m[i][k];
        solution[j] = det(q) / d;
    }
    long double squares = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const long double e = y[i] - (solution[0] + solution[1] * t[i] + solution[2] * t[i] * t[i]);
        squares += e * e;
    }
    const long double variance = squares / (t.size() - 3);
    // The inverse's diagonal: each cofactor over the determinant.
    const long double c00 = m[1][1] * m[2][2] - m[1][2] * m[2][1], c11 = m[0][0] * m[2][2] - m[0][2] * m[2][0],
                      c22 = m[0][0] * m[1][1] - m[0][1] * m[1][0];
    return {solution[0],
            solution[1],
            solution[2],
            std::sqrt(variance * c00 / d),
            std::sqrt(variance * c11 / d),
            std::sqrt(variance * c22 / d),
            std::sqrt(squares / t.size())};
}

std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    for (std::size_t at = 0;;) {
        const std::size_t end = text.find(L"\r\n", at);
        lines.push_back(text.substr(at, end - at));
        if (end == std::wstring::npos) return lines;
        at = end + 2;
    }
}

TEST(Fit, AParabolaAtUnequalTimesWithKnownNoiseGivesTheLeastSquaresCoefficientsAndTheirStandardErrors) {
    const std::vector<double> t{0.00, 0.07, 0.15, 0.31, 0.38, 0.52, 0.66, 0.70, 0.89, 1.00};
    const double noise[] = {0.012, -0.008, 0.003, -0.015, 0.010, 0.004, -0.011, 0.006, -0.002, 0.009};
    std::vector<double> y;
    for (std::size_t i = 0; i < t.size(); ++i) y.push_back(1.5 + 2.4 * t[i] - 4.9 * t[i] * t[i] + noise[i]);
    const PolynomialFit fit = FitPolynomial(t, y, 3);
    const Reference want = ParabolaByCramer(t, y);
    ASSERT_TRUE(fit.Made());
    ASSERT_TRUE(fit.Uncertain());
    EXPECT_EQ(fit.rows, 10u);
    EXPECT_NEAR(fit.coefficient[0], want.a, 1e-10);
    EXPECT_NEAR(fit.coefficient[1], want.b, 1e-10);
    EXPECT_NEAR(fit.coefficient[2], want.c, 1e-10);
    EXPECT_NEAR(fit.standardError[0], want.errorA, 1e-12);
    EXPECT_NEAR(fit.standardError[1], want.errorB, 1e-12);
    EXPECT_NEAR(fit.standardError[2], want.errorC, 1e-12);
    EXPECT_NEAR(fit.rms, want.rms, 1e-12);
    EXPECT_GT(fit.standardError[2], 0.005) << "the noise gives a real uncertainty";
    // The report, in metres with a comma: 2c as 加速度, b as 初速, to the
    // standard error's second digit.
    const std::vector<std::wstring> lines =
        Lines(FitText(fit, FitKind::Parabola, MotionColumn::Y, MotionScale{0.01, L"m"}, false, L','));
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0], L"Y = a + b·t + c·t²  (t: 時刻 s)");
    EXPECT_EQ(lines[3], L"c = -4,870 ± 0,035 m/s²");
    EXPECT_EQ(lines[4], L"初速 = 2,372 ± 0,035 m/s");
    EXPECT_EQ(lines[5], L"加速度 = -9,739 ± 0,069 m/s²");
    EXPECT_EQ(lines[6], L"n = 10 行 (値のある行すべて)");
}

TEST(Fit, AsManyRowsAsCoefficientsFitExactlyWithoutUncertaintyAndFewerRowsOrOneTimeFitNothing) {
    const std::vector<double> t{0.1, 0.4, 0.5};
    std::vector<double> y;
    for (double s : t) y.push_back(1 + 2 * s + 3 * s * s);
    const PolynomialFit exact = FitPolynomial(t, y, 3);
    ASSERT_TRUE(exact.Made());
    EXPECT_FALSE(exact.Uncertain());
    EXPECT_NEAR(exact.coefficient[0], 1, 1e-12);
    EXPECT_NEAR(exact.coefficient[1], 2, 1e-12);
    EXPECT_NEAR(exact.coefficient[2], 3, 1e-12);
    const std::wstring text = FitText(exact, FitKind::Parabola, MotionColumn::X, MotionScale{}, false, L'.');
    EXPECT_NE(text.find(L"不確かさは出せません"), std::wstring::npos) << text;
    EXPECT_EQ(text.find(L"±"), std::wstring::npos) << text;
    EXPECT_NE(text.find(L"\r\n加速度 = 6.000 px/s²\r\n"), std::wstring::npos) << text;

    const PolynomialFit one = FitPolynomial({2.0}, {5.0}, 2);
    EXPECT_EQ(one.problem, PolynomialFit::Problem::TooFewRows);
    EXPECT_EQ(FitText(one, FitKind::Line, MotionColumn::X, MotionScale{}, false, L'.'),
              L"当てはめられません: X の値のある行が 1 行しかありません (直線には 2 行が要ります)");
    const PolynomialFit sameTime = FitPolynomial({0.5, 0.5, 0.5}, {1.0, 2.0, 3.0}, 2);
    EXPECT_EQ(sameTime.problem, PolynomialFit::Problem::TooFewTimes);
    EXPECT_EQ(FitText(sameTime, FitKind::Line, MotionColumn::X, MotionScale{}, false, L'.'),
              L"当てはめられません: すべての行が同じ時刻です");
}

// A ball falling 490 px/s² from rest at unequal times, 0.02 m a pixel: the
// velocities of the inner rows lie on a line whose slope is g.
TEST(Fit, ALineFittedToVelocitiesGivesTheAccelerationAndTakesTheSelectedRowsWhereThereAreEnough) {
    MotionTable table;
    table.scale = MotionScale{0.02, L"m"};
    const double times[] = {0.0, 0.05, 0.1, 0.2, 0.25, 0.3, 0.4, 0.45};
    long frame = 0;
    for (double t : times) table.Record({frame++, t, 100, 200 - 245 * t * t, 100});
    const ColumnPoints vy = PointsOf(table, MotionColumn::Vy);
    ASSERT_EQ(vy.size(), 6u) << "the first and last rows have no velocity";
    EXPECT_EQ(vy.rows.front(), 1u);
    const PolynomialFit fit = FitColumn(vy, FitPoints(std::vector<bool>(6, false), 2), FitKind::Line);
    ASSERT_TRUE(fit.Made());
    EXPECT_NEAR(fit.coefficient[1], -9.8, 1e-9);
    EXPECT_NEAR(fit.coefficient[0], 0, 1e-9);
    const std::vector<std::wstring> lines =
        Lines(FitText(fit, FitKind::Line, MotionColumn::Vy, table.scale, false, L'.'));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], L"Vy = a + b·t  (t: 時刻 s)");
    EXPECT_TRUE(lines[3].starts_with(L"加速度 = -9.8000000 ± 0.0000")) << lines[3];
    EXPECT_TRUE(lines[3].ends_with(L" m/s²")) << lines[3];
    EXPECT_EQ(lines[4], L"n = 6 行 (値のある行すべて)");

    // Two selected rows are a line's own; one is not enough, and all are taken.
    const FitChoice two = FitPoints({false, true, false, false, true, false}, 2);
    EXPECT_TRUE(two.fromSelection);
    EXPECT_EQ(two.points, (std::vector<std::size_t>{1, 4}));
    EXPECT_EQ(FitColumn(vy, two, FitKind::Line).rows, 2u);
    const FitChoice one = FitPoints({false, true, false, false, false, false}, 2);
    EXPECT_FALSE(one.fromSelection);
    EXPECT_EQ(one.points.size(), 6u);
}

TEST(GraphTicks, RoundNumbersWithinAPositiveANegativeATinyAndAOneValueRange) {
    const AxisTicks plain = RoundTicks(0, 10, 6);
    EXPECT_EQ(plain.At(0), 0);
    EXPECT_EQ(plain.step, 2);
    EXPECT_EQ(plain.count, 6);
    EXPECT_EQ(plain.decimals, 0);
    const AxisTicks negative = RoundTicks(-9.3, 2.1, 8);
    EXPECT_EQ(negative.At(0), -8);
    EXPECT_EQ(negative.last(), 2);
    EXPECT_EQ(negative.step, 2);
    EXPECT_EQ(negative.low, -9.3);
    EXPECT_EQ(negative.high, 2.1);
    const AxisTicks tiny = RoundTicks(0.0012, 0.0047, 6);
    EXPECT_EQ(tiny.At(0), 0.002);
    EXPECT_EQ(tiny.At(1), 0.003);
    EXPECT_EQ(tiny.last(), 0.004);
    EXPECT_EQ(tiny.decimals, 3);
    EXPECT_EQ(TickLabel(tiny.At(1), tiny.decimals, L','), L"0,003");
    // Ticks across zero: the one at zero is 0, shown without a sign.
    const AxisTicks across = RoundTicks(-0.3, 0.2, 6);
    EXPECT_EQ(across.At(1), -0.2);
    EXPECT_EQ(across.At(3), 0.0);
    EXPECT_EQ(TickLabel(across.At(3), across.decimals, L'.'), L"0.0");
    EXPECT_EQ(TickLabel(-0.01, 1, L'.'), L"0.0");
    // One value: an axis about it, with ticks either side.
    const AxisTicks one = RoundTicks(128.5, 128.5, 6);
    EXPECT_LT(one.low, 128.5);
    EXPECT_GT(one.high, 128.5);
    EXPECT_LT(one.At(0), 128.5);
    EXPECT_GT(one.last(), 128.5);
}

// On a memory DC: the points where the mapping puts them, the selected one in
// red, the others in blue, and the clip's line in green.
TEST(GraphTicks, ThePaintedGraphPutsEachPointAndTheClipsLineWhereItsMappingSays) {
    DibSurface surface(300, 200);
    ASSERT_TRUE(surface);
    GraphPicture picture;
    picture.times = {0.1, 0.5, 0.9};
    picture.values = {1.0, 3.0, 2.0};
    picture.selected = {false, true, false};
    picture.yName = L"Y (px)";
    picture.clipTime = 0.3;
    const GraphMapping m = PaintGraph(surface.Dc(), RECT{0, 0, 300, 200}, picture);
    std::vector<std::uint32_t> px(surface.Count());
    surface.CopyTo(px.data());
    auto at = [&](double column, double row) {
        return px[std::size_t(std::lround(row)) * 300 + std::size_t(std::lround(column))];
    };
    EXPECT_EQ(at(m.Column(0.1), m.Row(1.0)), 0x1E50C8u);
    EXPECT_EQ(at(m.Column(0.5), m.Row(3.0)), 0xDC0000u);
    EXPECT_EQ(at(m.Column(0.9), m.Row(2.0)), 0x1E50C8u);
    EXPECT_EQ(at(m.Column(0.3), (m.top + m.bottom) / 2.0), 0x009600u);
    EXPECT_EQ(at(m.Column(0.7), m.Row(1.3)), 0xFFFFFFu) << "the ground";
}

}  // namespace
}  // namespace mt
