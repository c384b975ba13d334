// The printer-setup dialog driven as a user would: its choice applies to the
// next print, its Cancel changes nothing.
#include <gtest/gtest.h>

#include <windows.h>
#include <dlgs.h>

#include "common/pump.h"
#include "print/print_fixture.h"
#include "print/printer.h"

namespace mt::test {
namespace {

// From another thread: waits for the printer-setup dialog (the one with the
// orientation buttons), optionally clicks one of them, then presses a button.
class SetupDialogDriver {
public:
    SetupDialogDriver(int orientationId, int buttonId) : orientation_(orientationId), button_(buttonId) {
        thread_ = ::CreateThread(nullptr, 0, &Run, this, 0, nullptr);
    }
    ~SetupDialogDriver() { Wait(); }
    bool Wait() {
        if (thread_) {
            while (::MsgWaitForMultipleObjects(1, &thread_, FALSE, 50, QS_ALLINPUT) != WAIT_OBJECT_0) Pump();
            ::CloseHandle(thread_);
            thread_ = nullptr;
        }
        return done_;
    }

private:
    static BOOL CALLBACK Find(HWND wnd, LPARAM lp) {
        auto* self = reinterpret_cast<SetupDialogDriver*>(lp);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(wnd, &pid);
        if (pid == ::GetCurrentProcessId() && ::IsWindowVisible(wnd) && ::GetDlgItem(wnd, rad2)) {
            self->dialog_ = wnd;
            return FALSE;
        }
        return TRUE;
    }
    static DWORD WINAPI Run(void* p) {
        auto* self = static_cast<SetupDialogDriver*>(p);
        for (int i = 0; i < 3000 && !self->dialog_; ++i) {
            ::EnumWindows(&Find, reinterpret_cast<LPARAM>(self));
            if (!self->dialog_) ::Sleep(10);
        }
        if (!self->dialog_) return 0;
        if (self->orientation_) ::SendMessageW(::GetDlgItem(self->dialog_, self->orientation_), BM_CLICK, 0, 0);
        ::PostMessageW(self->dialog_, WM_COMMAND, MAKEWPARAM(self->button_, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(self->dialog_, self->button_)));
        self->done_ = true;
        return 0;
    }
    int orientation_, button_;
    HANDLE thread_ = nullptr;
    HWND dialog_ = nullptr;
    bool done_ = false;
};

class PrinterSetupTest : public PrintTest {
protected:
    void RunSetup(int orientationId, int buttonId) {
        SetupDialogDriver driver(orientationId, buttonId);
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
