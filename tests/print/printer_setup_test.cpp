// The printer-setup dialog driven as a user would: its choice applies to the
// next print, its Cancel changes nothing.
#include <gtest/gtest.h>

#include <windows.h>
#include <dlgs.h>

#include "common/dialog_driver.h"
#include "print/print_fixture.h"
#include "print/printer.h"

namespace mt::test {
namespace {

class PrinterSetupTest : public PrintTest {
protected:
    void RunSetup(int orientationId, int buttonId) {
        // The printer-setup dialog is the one with the orientation buttons.
        DialogDriver driver(DialogMatch(L"", [](HWND w) { return ::GetDlgItem(w, rad2) != nullptr; }), [&](HWND d) {
            if (orientationId) ::SendMessageW(::GetDlgItem(d, orientationId), BM_CLICK, 0, 0);
            Pressing(buttonId)(d);
        });
        ::SendMessageW(form->Button10->Handle(), BM_CLICK, 0, 0);
        ASSERT_TRUE(driver.Wait()) << "the printer-setup dialog did not appear";
    }
};

TEST_F(PrinterSetupTest, CancelLeavesTheNextPrintUnchanged) {
    MakeQuarteredStillImage();
    RenderedPage before = ClickAndRender(form->Button9->Handle());
    ASSERT_GT(before.width, 0);
    RunSetup(rad2, IDCANCEL);   // landscape chosen, then cancelled
    RenderedPage after = ClickAndRender(form->Button9->Handle());
    ASSERT_GT(after.width, 0);
    EXPECT_EQ(before.width, after.width);
    EXPECT_EQ(before.height, after.height);
    PlacedImage a = Placement(before), b = Placement(after);
    EXPECT_NEAR(a.left, b.left, 0.2);
    EXPECT_NEAR(a.top, b.top, 0.2);
    EXPECT_NEAR(a.width, b.width, 0.2);
}

TEST_F(PrinterSetupTest, ConfirmedLandscapeMakesTheNextPrintLandscapeWithMarginsFromTheNewEdges) {
    MakeQuarteredStillImage();
    RunSetup(rad2, IDOK);
    std::wstring device, driver, port;
    HGLOBAL devMode = nullptr;
    Printer().GetPrinter(device, driver, port, devMode);
    {
        GlobalView<DEVMODEW> dm(devMode);
        ASSERT_TRUE(dm);
        EXPECT_EQ(DMORIENT_LANDSCAPE, dm->dmOrientation);
    }
    RenderedPage printed = ClickAndRender(form->Button9->Handle());
    ASSERT_GT(printed.width, 0);
    EXPECT_NE(std::string::npos, lastJob.find("%%Orientation: Landscape"));
    // The landscape sheet comes out of the renderer on portrait media with the
    // content turned; measure it as the reader holds it, picture upright.
    RenderedPage page;
    for (bool clockwise : {false, true}) {
        RenderedPage turned = Turned(printed, clockwise);
        if (Near(TopLeftQuarterColour(turned), 255, 0, 0)) page = std::move(turned);
    }
    ASSERT_GT(page.width, page.height) << "no quarter turn shows the picture upright on a landscape sheet";
    ExpectPaneSizedAt15Mm(page);
}

}  // namespace
}  // namespace mt::test
