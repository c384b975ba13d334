// A trace: holding a mouse button on the video pane copies the 4 x 4 block
// whose third column and row is the mouse pixel, from what the pane shows, to
// the same place in the still image.
#include "still/still_fixture.h"

#include <set>
#include <utility>

#include "common/pump.h"

namespace mt::test {
namespace {

class Trace : public StillTest {
protected:
    void SetUp() override {
        StillTest::SetUp();
        PaintPattern(Panel1(), 320, 240, 1);
        shown = ReadWindow(Panel1());
        // The pattern really is on the pane (and nothing has painted over it).
        ASSERT_EQ(shown.At(100, 50), PatternColor(100, 50, 1));
    }

    // The still image must hold the pane's pixels in the patches taken at
    // `points` (those within the bitmap) and white everywhere else.
    void ExpectPatches(const std::vector<std::pair<int, int>>& points, const Pixels& source) {
        ASSERT_TRUE(form->Image1->Picture);
        Pixels still = ReadBitmap(form->Image1->Picture->Handle());
        std::set<std::pair<int, int>> covered;
        for (auto [x, y] : points)
            for (int j = y - 2; j < y + 2; ++j)
                for (int i = x - 2; i < x + 2; ++i) covered.insert({i, j});
        int wrong = 0;
        for (int y = 0; y < still.height; ++y)
            for (int x = 0; x < still.width; ++x) {
                bool in = covered.count({x, y}) > 0;
                std::uint32_t want = in && x < source.width && y < source.height ? source.At(x, y) : kWhite;
                if (still.At(x, y) != want && ++wrong <= 5)
                    ADD_FAILURE() << "still (" << x << ", " << y << ") " << std::hex << still.At(x, y) << " want "
                                  << want;
            }
        EXPECT_EQ(wrong, 0);
    }

    Pixels shown;
};

TEST_F(Trace, LeftDragCopiesThePatchOfEveryEventAndNothingBetween) {
    EXPECT_FALSE(form->Image1->Picture);
    Post(Panel1(), WM_LBUTTONDOWN, MK_LBUTTON, 50, 60);
    EXPECT_NE(form->Panel1Dragging, 0);
    ASSERT_TRUE(form->Image1->Picture);
    EXPECT_EQ(form->Image1->Picture->Width(), 320);
    EXPECT_EQ(form->Image1->Picture->Height(), 240);
    Post(Panel1(), WM_MOUSEMOVE, MK_LBUTTON, 60, 60);
    Post(Panel1(), WM_MOUSEMOVE, MK_LBUTTON, 200, 130);
    // At the pane's edges the block reaches outside; only pane pixels arrive.
    Post(Panel1(), WM_MOUSEMOVE, MK_LBUTTON, 0, 1);
    Post(Panel1(), WM_MOUSEMOVE, MK_LBUTTON, 319, 239);
    Post(Panel1(), WM_LBUTTONUP, 0, 150, 150);
    EXPECT_EQ(form->Panel1Dragging, 0);
    Post(Panel1(), WM_MOUSEMOVE, 0, 250, 30);
    ExpectPatches({{50, 60}, {60, 60}, {200, 130}, {0, 1}, {319, 239}}, shown);
}

TEST_F(Trace, PressAndReleaseWithoutAMoveCopyExactlyOnePatch) {
    Post(Panel1(), WM_MOUSEMOVE, 0, 20, 20);
    EXPECT_FALSE(form->Image1->Picture) << "a move without a press copies nothing";
    Post(Panel1(), WM_LBUTTONDOWN, MK_LBUTTON, 100, 100);
    Post(Panel1(), WM_LBUTTONUP, 0, 100, 100);
    ExpectPatches({{100, 100}}, shown);
}

TEST_F(Trace, ImageShowsEachPatchOnceItIsCopied) {
    Post(Panel1(), WM_LBUTTONDOWN, MK_LBUTTON, 30, 40);
    Post(Panel1(), WM_MOUSEMOVE, MK_LBUTTON, 250, 200);
    Post(Panel1(), WM_LBUTTONUP, 0, 250, 200);
    // Image1 repaints by itself; what it shows equals the still image.
    Pixels still = ReadBitmap(form->Image1->Picture->Handle());
    ASSERT_TRUE(PumpUntil([&] { return ReadWindow(Image1()).px == still.px; }));
    EXPECT_EQ(ReadWindow(Image1()).At(250, 200), shown.At(250, 200));
}

TEST_F(Trace, LeftDragOutOfThePaneCopiesTheWindowThereIntoALargerPicture) {
    // A 640 x 480 picture, as a load from a file would leave it.
    form->Image1->Picture = std::make_unique<TBitmap>(TBitmap::CreateWhiteScreenCompatible(640, 480));
    Pixels window = ReadWindow(form->Handle());
    MouseMoveTo(Panel1(), 100, 100);
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(PumpUntil([&] { return form->Panel1Dragging != 0; }));
    // Over the gap between the panes, right of the video pane: the pane holds the mouse.
    MouseMoveTo(Panel1(), 330, 30);
    ASSERT_TRUE(PumpUntil([&] { return Label(*form->Label1) == L"X= 330, Y= 210"; }));
    MouseButton(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(PumpUntil([&] { return form->Panel1Dragging == 0; }));
    Pixels still = ReadBitmap(form->Image1->Picture->Handle());
    for (int y = 28; y < 32; ++y)
        for (int x = 328; x < 332; ++x)
            EXPECT_EQ(still.At(x, y), window.At(10 + x, 80 + y)) << x << ", " << y;
    EXPECT_EQ(still.At(99, 99), shown.At(99, 99));
    EXPECT_EQ(still.At(332, 30), kWhite);
}

TEST_F(Trace, RightButtonReleasedOutsideLeavesTheTraceOnUntilAReleaseOverThePane) {
    MouseMoveTo(Panel1(), 40, 40);
    MouseButton(MOUSEEVENTF_RIGHTDOWN);
    ASSERT_TRUE(PumpUntil([&] { return form->Panel1Dragging != 0; }));
    // Released over the still-image pane: the video pane is not told.
    MouseMoveTo(Image1(), 100, 100);
    HandleInput();
    MouseButton(MOUSEEVENTF_RIGHTUP);
    HandleInput();
    EXPECT_NE(form->Panel1Dragging, 0);
    // Moving over the pane with no button held still copies.
    MouseMoveTo(Panel1(), 120, 90);
    ASSERT_TRUE(PumpUntil([&] { return Label(*form->Label1) == L"X= 120, Y= 150"; }));
    MouseButton(MOUSEEVENTF_MIDDLEDOWN);
    HandleInput();
    MouseButton(MOUSEEVENTF_MIDDLEUP);
    ASSERT_TRUE(PumpUntil([&] { return form->Panel1Dragging == 0; }));
    MouseMoveTo(Panel1(), 200, 200);
    ASSERT_TRUE(PumpUntil([&] { return Label(*form->Label1) == L"X= 200, Y=  40"; }));
    ExpectPatches({{40, 40}, {120, 90}}, shown);
}

TEST_F(Trace, AStillImageWithoutPixelsTakesNothing) {
    form->Image1->Picture = std::make_unique<TBitmap>();
    Post(Panel1(), WM_LBUTTONDOWN, MK_LBUTTON, 100, 100);
    Post(Panel1(), WM_LBUTTONUP, 0, 100, 100);
    form->SpeedButton1Click();
    ASSERT_TRUE(form->Image1->Picture);
    EXPECT_TRUE(form->Image1->Picture->Empty());
}

}  // namespace
}  // namespace mt::test
