// The position readouts over both panes and the drag distance on the still
// image, driven by real mouse messages and read back with WM_GETTEXT.
#include "still/still_fixture.h"

#include "common/pump.h"

namespace mt::test {
namespace {

using Readouts = StillTest;

TEST_F(Readouts, PanesReadFromTheBottomLeftCornerAndKeepTheLastText) {
    Post(Panel1(), WM_MOUSEMOVE, 0, 0, 0);
    EXPECT_EQ(Label(*form->Label1), L"X=   0, Y= 240");
    Post(Panel1(), WM_MOUSEMOVE, 0, 319, 239);
    EXPECT_EQ(Label(*form->Label1), L"X= 319, Y=   1");
    Post(Panel1(), WM_MOUSEMOVE, 0, 5, 10);
    EXPECT_EQ(Label(*form->Label1), L"X=   5, Y= 230");

    Post(Image1(), WM_MOUSEMOVE, 0, 0, 0);
    EXPECT_EQ(Label(*form->Label2), L"X=   0, Y= 240");
    Post(Image1(), WM_MOUSEMOVE, 0, 319, 239);
    EXPECT_EQ(Label(*form->Label2), L"X= 319, Y=   1");
    // The other pane's readout and the distance are left alone.
    EXPECT_EQ(Label(*form->Label1), L"X=   5, Y= 230");
    EXPECT_EQ(Label(*form->Label3), L"ドラッグ距離＝");

    // Presses and releases do not touch the position readouts.
    Post(Panel1(), WM_RBUTTONDOWN, MK_RBUTTON, 100, 100);
    Post(Panel1(), WM_RBUTTONUP, 0, 101, 101);
    Post(Image1(), WM_RBUTTONDOWN, MK_RBUTTON, 100, 100);
    Post(Image1(), WM_RBUTTONUP, 0, 101, 101);
    EXPECT_EQ(Label(*form->Label1), L"X=   5, Y= 230");
    EXPECT_EQ(Label(*form->Label2), L"X= 319, Y=   1");
}

TEST_F(Readouts, ALabelRepaintsToItsNewText) {
    const RECT shown{0, 0, 64, 12};
    Post(Panel1(), WM_MOUSEMOVE, 0, 0, 0);
    Pixels first = ReadWindow(form->Label1->Handle(), shown);
    Post(Panel1(), WM_MOUSEMOVE, 0, 319, 239);
    EXPECT_NE(ReadWindow(form->Label1->Handle(), shown).px, first.px);
    Post(Panel1(), WM_MOUSEMOVE, 0, 0, 0);
    EXPECT_EQ(ReadWindow(form->Label1->Handle(), shown).px, first.px);
}

TEST_F(Readouts, PositionsOutsideThePaneAreNegativeOrLongAndNeverCut) {
    Post(Panel1(), WM_MOUSEMOVE, 0, -3, 250);
    EXPECT_EQ(Label(*form->Label1), L"X=  -3, Y= -10");
    Post(Panel1(), WM_MOUSEMOVE, 0, 12345, 240);
    EXPECT_EQ(Label(*form->Label1), L"X=12345, Y=   0");
    // The label grows with its text, so nothing of it is cut.
    RECT r;
    ::GetClientRect(form->Label1->Handle(), &r);
    EXPECT_GT(r.right, 64);
}

TEST_F(Readouts, ReadoutsFollowTheHeightFieldsOfTheLoadedVideo) {
    form->Pane1Height = 120;
    form->Pane2Height = 120;
    Post(Panel1(), WM_MOUSEMOVE, 0, 7, 119);
    EXPECT_EQ(Label(*form->Label1), L"X=   7, Y=   1");
    Post(Image1(), WM_MOUSEMOVE, 0, 7, 0);
    EXPECT_EQ(Label(*form->Label2), L"X=   7, Y= 120");
}

TEST_F(Readouts, DragDistanceHasTwoDecimalsLiveAndAfterTheRelease) {
    struct Case { int x0, y0, x1, y1; const wchar_t* shown; };
    for (Case c : {Case{10, 10, 13, 14, L"5.00"}, Case{50, 50, 51, 51, L"1.41"}, Case{0, 0, 2, 3, L"3.61"},
                   Case{200, 30, 100, 30, L"100.00"}, Case{40, 40, 40, 40, L"0.00"}}) {
        SCOPED_TRACE(c.shown);
        Post(Image1(), WM_LBUTTONDOWN, MK_LBUTTON, c.x0, c.y0);
        EXPECT_EQ(Label(*form->Label3), L"ドラッグ距離=0.00");
        Post(Image1(), WM_MOUSEMOVE, MK_LBUTTON, c.x1, c.y1);
        EXPECT_EQ(Label(*form->Label3), std::wstring(L"ドラッグ距離=") + c.shown);
        Post(Image1(), WM_MOUSEMOVE, MK_LBUTTON, c.x0 + 1, c.y0);
        Post(Image1(), WM_LBUTTONUP, 0, c.x1, c.y1);
        EXPECT_EQ(Label(*form->Label3), std::wstring(L"ドラッグ距離=") + c.shown);
        EXPECT_EQ(form->Image1Dragging, 0);
    }
    // After the release, moves leave the final distance in place.
    Post(Image1(), WM_MOUSEMOVE, 0, 300, 200);
    EXPECT_EQ(Label(*form->Label3), L"ドラッグ距離=0.00");
}

TEST_F(Readouts, ASecondPressRestartsTheMeasurement) {
    Post(Image1(), WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
    Post(Image1(), WM_MOUSEMOVE, MK_LBUTTON, 20, 10);
    Post(Image1(), WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, 20, 10);
    EXPECT_EQ(Label(*form->Label3), L"ドラッグ距離=0.00");
    EXPECT_EQ(form->DragStartX, 20);
    Post(Image1(), WM_MOUSEMOVE, MK_LBUTTON | MK_RBUTTON, 23, 14);
    EXPECT_EQ(Label(*form->Label3), L"ドラッグ距離=5.00");
    Post(Image1(), WM_RBUTTONUP, MK_LBUTTON, 23, 14);
    Post(Image1(), WM_LBUTTONUP, 0, 23, 14);
}

TEST_F(Readouts, AReleaseWithoutAPressMeasuresFromTheLastStartPoint) {
    // No press yet: the start point is (0, 0).
    Post(Image1(), WM_MBUTTONUP, 0, 3, 4);
    EXPECT_EQ(Label(*form->Label3), L"ドラッグ距離=5.00");
    EXPECT_EQ(form->Image1Dragging, 0);
}

TEST_F(Readouts, LeftDragHoldsTheMouseOutsideTheStillImage) {
    MouseMoveTo(Image1(), 10, 10);
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(PumpUntil([&] { return form->Image1Dragging != 0; }));
    // Left of the still image, over the gap and the video pane.
    MouseMoveTo(Image1(), -20, 10);
    ASSERT_TRUE(PumpUntil([&] { return Label(*form->Label2) == L"X= -20, Y= 230"; }));
    EXPECT_EQ(Label(*form->Label3), L"ドラッグ距離=30.00");
    MouseButton(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(PumpUntil([&] { return form->Image1Dragging == 0; }));
    EXPECT_EQ(Label(*form->Label3), L"ドラッグ距離=30.00");
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(Readouts, RightDragReleasedOutsideKeepsMeasuringUntilAReleaseOverTheImage) {
    MouseMoveTo(Image1(), 10, 10);
    MouseButton(MOUSEEVENTF_RIGHTDOWN);
    ASSERT_TRUE(PumpUntil([&] { return form->Image1Dragging != 0; }));
    // Released over the video pane: the still image never hears of it.
    MouseMoveTo(Panel1(), 100, 100);
    HandleInput();
    MouseButton(MOUSEEVENTF_RIGHTUP);
    HandleInput();
    EXPECT_NE(form->Image1Dragging, 0);
    // Back over the image with no button held: the distance still follows.
    MouseMoveTo(Image1(), 13, 14);
    ASSERT_TRUE(PumpUntil([&] { return Label(*form->Label3) == L"ドラッグ距離=5.00"; }));
    MouseButton(MOUSEEVENTF_RIGHTDOWN);
    HandleInput();
    MouseMoveTo(Image1(), 16, 18);
    MouseButton(MOUSEEVENTF_RIGHTUP);
    ASSERT_TRUE(PumpUntil([&] { return form->Image1Dragging == 0; }));
    EXPECT_EQ(Label(*form->Label3), L"ドラッグ距離=5.00");
    MouseMoveTo(Image1(), 100, 100);
    HandleInput();
    EXPECT_EQ(Label(*form->Label3), L"ドラッグ距離=5.00");
}

// Sets the user's decimal separator and tells the main window, restoring both.
class DecimalSeparatorScope {
public:
    DecimalSeparatorScope(HWND main, const wchar_t* separator) : main_(main) {
        ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, old_, 8);
        ::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator);
        ::SendMessageW(main_, WM_WININICHANGE, 0, reinterpret_cast<LPARAM>(L"intl"));
    }
    ~DecimalSeparatorScope() {
        ::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, old_);
        ::SendMessageW(main_, WM_WININICHANGE, 0, reinterpret_cast<LPARAM>(L"intl"));
    }
private:
    HWND main_;
    wchar_t old_[8] = {};
};

TEST_F(Readouts, DistanceUsesTheLocaleDecimalSeparator) {
    {
        DecimalSeparatorScope comma(form->Handle(), L",");
        Post(Image1(), WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
        EXPECT_EQ(Label(*form->Label3), L"ドラッグ距離=0,00");
        Post(Image1(), WM_LBUTTONUP, 0, 13, 14);
        EXPECT_EQ(Label(*form->Label3), L"ドラッグ距離=5,00");
    }
    Post(Image1(), WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
    Post(Image1(), WM_LBUTTONUP, 0, 13, 14);
    EXPECT_EQ(Label(*form->Label3), L"ドラッグ距離=5.00");
}

}  // namespace
}  // namespace mt::test
