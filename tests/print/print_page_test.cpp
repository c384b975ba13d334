// Printing the still image on the test queue and measuring the printed page.
#include <gtest/gtest.h>

#include "common/dialog_driver.h"
#include "print/print_fixture.h"

namespace mt::test {
namespace {

TEST_F(PrintTest, TheStillImagePrintsAt031MmPerPanePixelWith15MmMarginsInItsColours) {
    MakeQuarteredStillImage();
    RenderedPage page = ClickAndRender(form->Button9->Handle());
    ASSERT_FALSE(lastJob.empty()) << "no job reached the queue";
    ASSERT_GT(page.width, 0) << "the job could not be rendered";
    EXPECT_LT(page.width, page.height) << "portrait paper";

    ExpectPaneSizedAt15Mm(page);

    RECT box = InkBox(page);
    const int qx = (box.right - box.left) / 4, qy = (box.bottom - box.top) / 4;
    EXPECT_TRUE(Near(page.Pixel(box.left + qx, box.top + qy), 255, 0, 0));
    EXPECT_TRUE(Near(page.Pixel(box.right - qx, box.top + qy), 0, 160, 0));
    EXPECT_TRUE(Near(page.Pixel(box.left + qx, box.bottom - qy), 0, 0, 255));
    EXPECT_TRUE(Near(page.Pixel(box.right - qx, box.bottom - qy), 0, 0, 0));

    EXPECT_TRUE(SchedulerHasJobNamed("KORIBEN"));
    EXPECT_NE(std::string::npos, lastJob.find("KORIBEN"));
}

TEST_F(PrintTest, ThePrintedSizeFollowsThePaneNotTheBitmap) {
    MakeQuarteredStillImage(64, 48);   // stretched over the 320 x 240 pane
    ExpectPaneSizedAt15Mm(ClickAndRender(form->Button9->Handle()));
}

// With no still image the page is already begun: it goes out empty, then the
// failure is reported.
TEST_F(PrintTest, WithoutAStillImageOneEmptyPageIsSpooledThenTheFailureShown) {
    for (bool zeroSized : {false, true}) {
        SCOPED_TRACE(zeroSized ? "0 x 0 still image" : "no still image");
        form->Image1->Picture = zeroSized ? std::make_unique<TBitmap>() : nullptr;
        DialogDriver box(L"Movetrail");
        RenderedPage page = ClickAndRender(form->Button9->Handle());
        ASSERT_TRUE(box.Wait());
        EXPECT_TRUE(box.view.Shows(L"ビットマップイメージが不正です."));
        ASSERT_FALSE(lastJob.empty()) << "no page was spooled";
        EXPECT_NE(std::string::npos, lastJob.find("%%Pages: 1"));
        ASSERT_GT(page.width, 0);
        EXPECT_EQ(0, InkBox(page).right) << "the page is blank";
    }
}

}  // namespace
}  // namespace mt::test
