// What the user sees when a handler fails.
#include <gtest/gtest.h>

#include "base/errors.h"
#include "base/failure.h"
#include "common/form_fixture.h"
#include "common/dialog_driver.h"

using namespace mt;
using namespace mt::test;

namespace {

bool HasIconStatic(const DialogView& v) {
    for (size_t i = 0; i < v.classes.size(); ++i)
        if (_wcsicmp(v.classes[i].c_str(), L"Static") == 0 && (v.styles[i] & SS_TYPEMASK) == SS_ICON) return true;
    return false;
}

}  // namespace

using FailureHandler = FormTest;

TEST_F(FailureHandler, ReportsAFailedClickInAStopBoxCaptionedWithTheTitleAndAddsAFullStop) {
    form->Button7->OnClick = [] { throw EPrinter(L"現在印刷中です"); };
    DialogDriver box(L"Movetrail");
    ::SendMessageW(form->Button7->Handle(), BM_CLICK, 0, 0);
    ASSERT_TRUE(box.Wait());
    EXPECT_TRUE(box.view.Shows(L"現在印刷中です.")) << "message box did not show the failure";
    EXPECT_TRUE(box.view.Shows(L"OK"));
    EXPECT_TRUE(HasIconStatic(box.view)) << "the stop icon is missing";
    // The window carries on.
    EXPECT_TRUE(::IsWindow(form->Handle()));
}

TEST_F(FailureHandler, CancelsAMouseCaptureBeforeReporting) {
    ::SetCapture(form->Panel1->Handle());
    ASSERT_EQ(::GetCapture(), form->Panel1->Handle());
    HWND captureDuringReport = reinterpret_cast<HWND>(1);
    form->Button8->OnClick = [] { throw EInvalidGraphic(L"ビットマップイメージが不正です"); };
    DialogDriver box(L"Movetrail");
    ::PostMessageW(form->Button8->Handle(), BM_CLICK, 0, 0);
    ASSERT_TRUE(box.Wait());
    captureDuringReport = ::GetCapture();
    EXPECT_EQ(captureDuringReport, nullptr);
    EXPECT_TRUE(box.view.Shows(L"ビットマップイメージが不正です."));
}

TEST_F(FailureHandler, ASilentAbortShowsNothing) {
    form->Button9->OnClick = [] { throw EAbort(); };
    DialogDriver box(L"Movetrail", Pressing(IDOK), 1500);
    ::SendMessageW(form->Button9->Handle(), BM_CLICK, 0, 0);
    EXPECT_FALSE(box.Wait());
}

TEST(FailureText, AFullStopFollowsOnlyCharactersThatSortAfterIt) {
    EXPECT_EQ(FailureDisplayText(L"現在印刷中です"), L"現在印刷中です.");
    EXPECT_EQ(FailureDisplayText(L"MCI デバイスがありません"), L"MCI デバイスがありません.");
    EXPECT_EQ(FailureDisplayText(L"done."), L"done.");
    EXPECT_EQ(FailureDisplayText(L"code (5)"), L"code (5)");
    EXPECT_EQ(FailureDisplayText(L"a-"), L"a-");
    EXPECT_EQ(FailureDisplayText(L"x/"), L"x/.");
    EXPECT_EQ(FailureDisplayText(L""), L"");
}

TEST(FailureText, SystemErrorsCarryTheirCodeAndTheSystemsText) {
    std::wstring text = Win32ErrorMessage(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(text.rfind(L"Win32 エラー。コード : 2.\n", 0), 0u) << "got: " << std::string(text.begin(), text.end());
    EXPECT_GT(text.size(), std::wstring(L"Win32 エラー。コード : 2.\n").size());
    EXPECT_EQ(Win32ErrorMessage(0), L"Win32 API 呼び出しに失敗しました");
    try {
        RaiseLastOSError(ERROR_ACCESS_DENIED);
        FAIL() << "no failure raised";
    } catch (const EOSError& e) {
        EXPECT_EQ(e.Code(), static_cast<unsigned long>(ERROR_ACCESS_DENIED));
        EXPECT_EQ(e.Message().rfind(L"Win32 エラー。コード : 5.\n", 0), 0u);
    }
}
