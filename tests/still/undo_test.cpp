// Undo and redo of the still image with the keys: a trace stroke or a
// whole-frame copy is one step, and an undo gives back exactly what was there.
#include "still/still_fixture.h"

#include "common/pump.h"
#include "still/still_history.h"

namespace mt::test {
namespace {

class Undo : public StillTest {
protected:
    void SetUp() override {
        StillTest::SetUp();
        // The keys reach the window with the focus on a button.
        ::SetFocus(form->Button8->Handle());
        ASSERT_EQ(::GetFocus(), form->Button8->Handle());
    }
    // A stroke of three patches, from a press to its release on the video pane.
    void Stroke(int x, int y) {
        Post(Panel1(), WM_LBUTTONDOWN, MK_LBUTTON, x, y);
        Post(Panel1(), WM_MOUSEMOVE, MK_LBUTTON, x + 3, y + 1);
        Post(Panel1(), WM_MOUSEMOVE, MK_LBUTTON, x + 7, y + 2);
        Post(Panel1(), WM_LBUTTONUP, 0, x + 7, y + 2);
    }
    Pixels Still() const { return ReadBitmap(form->Image1->Picture->Handle()); }
    // Image1 shows the still image (pane-sized, so pixel for pixel).
    bool Shows(const Pixels& still) {
        return PumpUntil([&] { return ReadWindow(Image1()).px == still.px; });
    }
};

TEST_F(Undo, CtrlZGivesThePixelsFromBeforeAStrokeAndCtrlYTheStrokeAgain) {
    PaintPattern(Panel1(), 320, 240, 1);
    form->SpeedButton1Click();
    const Pixels before = Still();
    PaintPattern(Panel1(), 320, 240, 2);
    Stroke(100, 80);
    const Pixels after = Still();
    ASSERT_NE(after.px, before.px);

    PressKeys({VK_CONTROL, 'Z'});
    EXPECT_EQ(Still().px, before.px);
    EXPECT_TRUE(Shows(before));
    PressKeys({VK_CONTROL, 'Y'});
    EXPECT_EQ(Still().px, after.px);
    EXPECT_TRUE(Shows(after));
    PressKeys({VK_CONTROL, 'Z'});
    PressKeys({VK_CONTROL, VK_SHIFT, 'Z'});
    EXPECT_EQ(Still().px, after.px) << "Ctrl+Shift+Z redoes";

    // Back before the first copy: no still image, the pane's own look.
    PressKeys({VK_CONTROL, 'Z'});
    PressKeys({VK_CONTROL, 'Z'});
    EXPECT_FALSE(form->Image1->Picture);
    PressKeys({VK_CONTROL, 'Z'});  // nothing left: nothing happens
    EXPECT_FALSE(form->Image1->Picture);
    PressKeys({VK_CONTROL, 'Y'});
    ASSERT_TRUE(form->Image1->Picture);
    EXPECT_EQ(Still().px, before.px);
    EXPECT_EQ(::GetFocus(), form->Button8->Handle()) << "the keys do not move the focus";
    PressKeys({VK_TAB});
    EXPECT_EQ(::GetFocus(), form->Button9->Handle()) << "Tab still moves it";
}

TEST_F(Undo, DuringAStrokeTheKeysAreIgnoredAndANewStepEndsTheRedo) {
    PaintPattern(Panel1(), 320, 240, 3);
    Stroke(40, 40);
    const Pixels first = Still();
    Post(Panel1(), WM_LBUTTONDOWN, MK_LBUTTON, 200, 150);
    const Pixels pressed = Still();
    PressKeys({VK_CONTROL, 'Z'});
    EXPECT_EQ(Still().px, pressed.px) << "an undo while the button is held";
    Post(Panel1(), WM_LBUTTONUP, 0, 200, 150);
    PressKeys({VK_CONTROL, 'Z'});
    EXPECT_EQ(Still().px, first.px);
    form->SpeedButton1Click();
    const Pixels copied = Still();
    PressKeys({VK_CONTROL, 'Y'});
    EXPECT_EQ(Still().px, copied.px) << "the copy cleared what was undone";
}

TEST_F(Undo, SixtyStrokesKeepTheLastFiftyWithinTheMemoryBound) {
    PaintPattern(Panel1(), 320, 240, 4);
    Pixels afterTen;
    for (int i = 0; i < 60; ++i) {
        Stroke(10 + (i % 10) * 30, 10 + (i / 10) * 38);
        if (i == 9) afterTen = Still();
    }
    const TStillHistory& history = form->StillHistory;
    EXPECT_EQ(history.UndoCount(), 60u);
    EXPECT_LE(history.Bytes(), TStillHistory::kMemoryBound);
    // A stroke keeps its bounding rectangle, not the picture.
    EXPECT_LT(history.Bytes(), 60u * 16 * 1024);
    for (int i = 0; i < 50; ++i) form->UndoStill();
    EXPECT_EQ(Still().px, afterTen.px);
}

TEST_F(Undo, TheOldestStepsGoFirstWhenTheBoundIsReached) {
    // A bound of 1 MB holds three whole-frame copies of the 320 x 240 pane.
    TStillHistory small(std::size_t{1} << 20);
    form->Image1->History = &small;
    std::vector<Pixels> copies;
    for (unsigned seed = 0; seed < 8; ++seed) {
        PaintPattern(Panel1(), 320, 240, seed);
        form->SpeedButton1Click();
        copies.push_back(Still());
        EXPECT_LE(small.Bytes(), std::size_t{1} << 20);
    }
    const std::size_t kept = small.UndoCount();
    EXPECT_GE(kept, 2u);
    EXPECT_LT(kept, 8u);
    for (std::size_t i = 0; i < kept; ++i) EXPECT_TRUE(small.Undo(form->Image1->Picture));
    EXPECT_EQ(Still().px, copies[7 - kept].px);
    EXPECT_FALSE(small.Undo(form->Image1->Picture));
    form->Image1->History = &form->StillHistory;
}

}  // namespace
}  // namespace mt::test
