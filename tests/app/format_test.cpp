#include <gtest/gtest.h>

#include "base/format.h"

using mt::Format;

namespace {
struct SeparatorScope {
    explicit SeparatorScope(wchar_t s) : old(mt::DecimalSeparator()) { mt::SetDecimalSeparator(s); }
    ~SeparatorScope() { mt::SetDecimalSeparator(old); }
    wchar_t old;
};
}  // namespace

TEST(FormatPatterns, FrameCounterPadsToFiveDigitsWithSignInFront) {
    EXPECT_EQ(Format(L"%.5d", {12LL}), L"00012");
    EXPECT_EQ(Format(L"%.5d", {250LL}), L"00250");
    EXPECT_EQ(Format(L"%.5d", {-12LL}), L"-00012");
    EXPECT_EQ(Format(L"%.5d", {1234567LL}), L"1234567");
    EXPECT_EQ(Format(L"%.5d", {0LL}), L"00000");
    EXPECT_EQ(Format(L"%.5d / %.5d", {12LL, 250LL}), L"00012 / 00250");
}

TEST(FormatPatterns, WidthPadsWithSpacesOnTheLeftAndNeverCuts) {
    EXPECT_EQ(Format(L"X=%4d, Y=%4d", {5LL, 240LL}), L"X=   5, Y= 240");
    EXPECT_EQ(Format(L"X=%4d, Y=%4d", {-3LL, 1LL}), L"X=  -3, Y=   1");
    EXPECT_EQ(Format(L"%4d", {123456LL}), L"123456");
    EXPECT_EQ(Format(L"%4d", {-2147483647LL - 1}), L"-2147483648");
    EXPECT_EQ(Format(L"%8.3f", {3.14159}), L"   3.142");
}

TEST(FormatPatterns, FixedPointHasTwoDecimalsByDefault) {
    SeparatorScope dot(L'.');
    EXPECT_EQ(Format(L"ドラッグ距離=%4f", {0.0}), L"ドラッグ距離=0.00");
    EXPECT_EQ(Format(L"%4f", {5.0}), L"5.00");
    EXPECT_EQ(Format(L"%4f", {1.4142135623730951}), L"1.41");
    EXPECT_EQ(Format(L"%4f", {3.605551275463989}), L"3.61");
    EXPECT_EQ(Format(L"%4f", {100.0}), L"100.00");
    EXPECT_EQ(Format(L"%.0f", {2.5}), L"3");
    EXPECT_EQ(Format(L"%4f", {-0.001}), L"0.00");
    EXPECT_EQ(Format(L"%f", {-1.5}), L"-1.50");
    EXPECT_EQ(Format(L"%4f", {99.995}), L"100.00");
}

TEST(FormatPatterns, FixedPointRoundsAfterTakingEighteenSignificantDigits) {
    SeparatorScope dot(L'.');
    // 0.125 is exact: the third decimal 5 carries up.
    EXPECT_EQ(Format(L"%4f", {0.125}), L"0.13");
    // 1.005 is stored as 1.00499999999999989...; to 18 digits that is
    // 1.00499999999999989, so it rounds down.
    EXPECT_EQ(Format(L"%4f", {1.005}), L"1.00");
    // 2.675 is stored as 2.67499999999999982236431605997495353221893310546875.
    EXPECT_EQ(Format(L"%4f", {2.675}), L"2.67");
    // 0.285 is stored as 0.284999999999999975575093458246556110680103302001953125:
    // eighteen digits give 0.284999999999999976.
    EXPECT_EQ(Format(L"%4f", {0.285}), L"0.28");
    EXPECT_EQ(Format(L"%4f", {1e20}), L"100000000000000000000.00");
}

TEST(FormatPatterns, FixedPointUsesTheLocaleDecimalSeparator) {
    SeparatorScope comma(L',');
    EXPECT_EQ(Format(L"ドラッグ距離=%4f", {5.0}), L"ドラッグ距離=5,00");
}

TEST(FormatPatterns, PercentSignsAndLiteralTextPassThrough) {
    EXPECT_EQ(Format(L"100%% 完了", {}), L"100% 完了");
    EXPECT_THROW(Format(L"%d", {}), std::invalid_argument);
    EXPECT_THROW(Format(L"%d", {1.5}), std::invalid_argument);
}
