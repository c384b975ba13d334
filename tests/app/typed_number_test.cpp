// Numbers typed into the program's dialogs (開始フレーム, フレームへ移動, a length).
#include <gtest/gtest.h>

#include "base/typed_number.h"

namespace mt::test {
namespace {

TEST(TypedNumber, AWholeNumberMayHaveFullWidthDigitsAndSpacesAroundIt) {
    EXPECT_EQ(ParseTypedWhole(L"10"), std::optional<long>(10));
    EXPECT_EQ(ParseTypedWhole(L"０"), std::optional<long>(0));
    EXPECT_EQ(ParseTypedWhole(L" １０ "), std::optional<long>(10));
    EXPECT_EQ(ParseTypedWhole(L"\t1２\u3000 "), std::optional<long>(12));
    EXPECT_EQ(ParseTypedWhole(L"2147483647"), std::optional<long>(2147483647L));
}

TEST(TypedNumber, AWholeNumberWithASpaceInsideASignOrAnythingElseIsRefused) {
    for (const wchar_t* text : {L"", L"   ", L"1 0", L"１\u30000", L"1\t0", L"-1", L"－1", L"+1", L"1e3", L"1.0",
                                L"１２a", L"2147483648", L"99999999999"})
        EXPECT_EQ(ParseTypedWhole(text), std::nullopt) << testing::PrintToString(std::wstring(text));
}

TEST(TypedNumber, ADecimalTakesTheUsersSeparatorOrAPoint) {
    EXPECT_EQ(ParseTypedDecimal(L"2,5", L','), std::optional<double>(2.5));
    EXPECT_EQ(ParseTypedDecimal(L"2.5", L','), std::optional<double>(2.5));
    EXPECT_EQ(ParseTypedDecimal(L"2.5", L'.'), std::optional<double>(2.5));
    EXPECT_EQ(ParseTypedDecimal(L" ２．５\u3000", L'.'), std::optional<double>(2.5));
    EXPECT_EQ(ParseTypedDecimal(L"12", L'.'), std::optional<double>(12.0));
    EXPECT_EQ(ParseTypedDecimal(L".5", L'.'), std::optional<double>(0.5));
    EXPECT_EQ(ParseTypedDecimal(L"5.", L'.'), std::optional<double>(5.0));
    EXPECT_EQ(ParseTypedDecimal(L"0.31", L'.'), std::optional<double>(0.31));
}

TEST(TypedNumber, ADecimalThatIsNotAbove0OrHasMoreThanDigitsAndOnePointIsRefused) {
    for (const wchar_t* text : {L"", L" ", L".", L"0", L"0.0", L"-2.5", L"+2.5", L"2 .5", L"2. 5", L"1 0", L"1.2.3",
                                L"1,000.5", L"2,5", L"1e3", L"2.5m", L"inf", L"nan"})
        EXPECT_EQ(ParseTypedDecimal(text, L'.'), std::nullopt) << testing::PrintToString(std::wstring(text));
    EXPECT_EQ(ParseTypedDecimal(L"1,5,0", L','), std::nullopt);
}

}  // namespace
}  // namespace mt::test
