// The whole-frame copy by SpeedButton1, the still image's birth and display,
// and the failures a copy reports.
#include "still/still_fixture.h"

#include "base/errors.h"
#include "common/dialog_driver.h"
#include "still/still_image.h"

namespace mt::test {
namespace {

using FrameCopy = StillTest;

// Clicks SpeedButton1 with the mouse.
void ClickSpeedButton(TForm1& form) {
    HWND button = form.SpeedButton1->Handle();
    ::PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20));
    ::PostMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(10, 20));
    Pump();
}

TEST_F(FrameCopy, BeforeAnyVideoTheStillImageGetsThePanesOwnLook) {
    Pixels look = ReadWindow(Panel1());
    // The pane shows its bevels, its dark face and its caption.
    EXPECT_NE(look.At(0, 0), look.At(160, 5));
    ClickSpeedButton(*form);
    ASSERT_TRUE(form->Image1->Picture);
    const TBitmap& still = *form->Image1->Picture;
    EXPECT_EQ(still.Width(), 320);
    EXPECT_EQ(still.Height(), 240);
    WindowDC screen(nullptr);
    EXPECT_EQ(still.BitsPerPixel(), ::GetDeviceCaps(screen.get(), BITSPIXEL));
    EXPECT_EQ(ReadBitmap(still.Handle()).px, look.px);
    ASSERT_TRUE(PumpUntil([&] { return ReadWindow(Image1()).px == look.px; }));
}

TEST_F(FrameCopy, CopiesWhatThePaneShowsNowPixelForPixel) {
    PaintPattern(Panel1(), 320, 240, 2);
    Pixels first = ReadWindow(Panel1());
    ClickSpeedButton(*form);
    EXPECT_EQ(ReadBitmap(form->Image1->Picture->Handle()).px, first.px);
    // A second copy replaces the pixels and keeps the same bitmap.
    HBITMAP bitmap = form->Image1->Picture->Handle();
    PaintPattern(Panel1(), 320, 240, 3);
    Pixels second = ReadWindow(Panel1());
    ASSERT_NE(second.px, first.px);
    ClickSpeedButton(*form);
    EXPECT_EQ(form->Image1->Picture->Handle(), bitmap);
    EXPECT_EQ(ReadBitmap(bitmap).px, second.px);
}

// What Button6Click does to the panes for a video of another size.
void ResizePanes(TForm1& form, int width, int height) {
    form.Pane1Width = form.Pane2Width = width;
    form.Pane1Height = form.Pane2Height = height;
    form.Panel1->SetBounds(form.Pane1Left, form.Pane1Top, width, height);
    form.Panel2->SetBounds(form.Pane2Left, form.Pane2Top, width, height);
    form.Image1->SetBounds(0, 0, width, height);
    Pump();
}

TEST_F(FrameCopy, AStillImageKeepsItsSizeWhenTheVideoSizeChanges) {
    ClickSpeedButton(*form);
    // A smaller video: the copy fills only the top-left part.
    ResizePanes(*form, 160, 120);
    PaintPattern(Panel1(), 160, 120, 4);
    Pixels small = ReadWindow(Panel1());
    ClickSpeedButton(*form);
    Pixels still = ReadBitmap(form->Image1->Picture->Handle());
    ASSERT_EQ(still.width, 320);
    ASSERT_EQ(still.height, 240);
    EXPECT_EQ(still.At(159, 119), small.At(159, 119));
    EXPECT_EQ(still.At(0, 0), small.At(0, 0));
    EXPECT_NE(still.At(200, 200), PatternColor(200, 200, 4));
    // Image1 now shows the 320 x 240 bitmap at half size: each shown pixel is
    // one of the 2 x 2 bitmap pixels it stands for, none smoothed.
    auto halfSized = [&](const Pixels& shown) {
        for (int j = 0; j < 120; j += 3)
            for (int i = 0; i < 160; i += 3) {
                std::uint32_t v = shown.At(i, j);
                if (v != still.At(2 * i, 2 * j) && v != still.At(2 * i + 1, 2 * j) &&
                    v != still.At(2 * i, 2 * j + 1) && v != still.At(2 * i + 1, 2 * j + 1))
                    return false;
            }
        return true;
    };
    EXPECT_TRUE(PumpUntil([&] { return halfSized(ReadWindow(Image1())); }));
}

TEST_F(FrameCopy, ACopyFromALargerPaneIsCutToTheStillImage) {
    ClickSpeedButton(*form);
    ResizePanes(*form, 330, 250);
    PaintPattern(Panel1(), 330, 250, 5);
    Pixels large = ReadWindow(Panel1());
    ClickSpeedButton(*form);
    Pixels still = ReadBitmap(form->Image1->Picture->Handle());
    ASSERT_EQ(still.width, 320);
    ASSERT_EQ(still.height, 240);
    for (int y = 0; y < 240; y += 7)
        for (int x = 0; x < 320; x += 5) ASSERT_EQ(still.At(x, y), large.At(x, y)) << x << ", " << y;
}

TEST_F(FrameCopy, AFailedPressReportsTheSystemTextAndLeavesTheTraceOff) {
    // A still image far beyond what the display can hold cannot be created.
    form->Image1->SetBounds(0, 0, 30000, 30000);
    RECT r;
    ::GetClientRect(Image1(), &r);
    ASSERT_GT(static_cast<long long>(r.right) * r.bottom, 100000000LL);
    DialogDriver report(L"Movetrail");
    Post(Panel1(), WM_LBUTTONDOWN, MK_LBUTTON, 50, 50);
    ASSERT_TRUE(report.Wait());
    EXPECT_EQ(form->Panel1Dragging, 0);
    EXPECT_FALSE(form->Image1->Picture);
    EXPECT_EQ(::GetCapture(), nullptr) << "the report ends the mouse capture";
    bool hasText = false;
    for (const auto& t : report.view.texts)
        if (!t.empty() && t != L"OK") {
            hasText = true;
            EXPECT_EQ(t.find(L"Win32"), std::wstring::npos) << "plain system text, not a call failure: ";
            EXPECT_EQ(t.back(), L'.');
        }
    EXPECT_TRUE(hasText);
}

TEST_F(FrameCopy, AFailedCopyDuringATraceEndsTheTrace) {
    Post(Panel1(), WM_LBUTTONDOWN, MK_LBUTTON, 50, 50);
    ASSERT_NE(form->Panel1Dragging, 0);
    // Forced: the next copy must create a still image the display cannot hold.
    form->Image1->Picture.reset();
    form->Image1->SetBounds(0, 0, 30000, 30000);
    DialogDriver report(L"Movetrail");
    Post(Panel1(), WM_MOUSEMOVE, MK_LBUTTON, 60, 60);
    ASSERT_TRUE(report.Wait());
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_EQ(form->Panel1Dragging, 0) << "every later move would repeat the failing copy and its report";
}

TEST_F(FrameCopy, AWindowWithoutADrawingSurfaceIsReported) {
    HWND gone = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ::DestroyWindow(gone);
    EXPECT_EQ(FailureOf([&] { CopyWindowToStill(gone, *form->Image1, RECT{0, 0, 4, 4}, RECT{0, 0, 4, 4}); }),
              L"デバイス コンテキストの作成に失敗しました");
}

}  // namespace
}  // namespace mt::test
