// The real main window with the video handlers, plus the test's own media folder.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/form1.h"
#include "common/dialog_driver.h"
#include "common/marker_clips.h"
#include "common/media.h"

namespace mt::test {

class VideoFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        FrameCountText.clear();
        form = std::make_unique<TForm1>();
        form->Show();
        Pump();
    }
    void TearDown() override {
        form.reset();
        PumpAfterClose();
    }
    // Clicks 動画読込 and answers the dialog with the path; returns what the dialog showed.
    DialogView Load(const std::string& path) {
        DialogDriver driver(FileDialog(), Typing(AnsiToWideForTest(path)));
        form->Button6Click();
        EXPECT_TRUE(driver.Wait()) << "no file dialog";
        return driver.view;
    }
    // A click as the window delivers it: failures go to the application's report.
    void Click(const std::unique_ptr<TButton>& button) {
        ::SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button->Handle()), BN_CLICKED),
                       reinterpret_cast<LPARAM>(button->Handle()));
    }
    static std::wstring AnsiToWideForTest(const std::string& s);

    MediaFolder folder;
    std::unique_ptr<TForm1> form;
};

// A control's rectangle in its parent's client coordinates.
RECT BoundsOf(HWND wnd);
// How many MCI devices this process has open.
int OpenMciDevices();
// Whether the file can be opened unshared: nothing, in this process or another, holds it open.
bool NothingHolds(const std::string& path);
// A clip of the given size, its ball crossing the middle.
media::BallClip Clip(int width, int height, int frames, int framesPerSecond);
// The ball of frame f is shown in the pane (and nothing of it where frame f-1 has it).
bool ShowsBallFrame(HWND pane, const media::BallClip& clip, int f);
// The marker of frame f is in the pane (a pixel inside it has the marker's colour,
// one a marker width to its left the ground's).
bool ShowsMarkerFrame(HWND pane, const MarkerClip& clip, long f);
// The pane shows the fitted pictures as they are, within 4 of the colours written
// in every format (2 to spare): a BT.601 and BT.709 mix-up at 1080p is 23 off.
inline constexpr int kMarkerBound = 6;

}  // namespace mt::test
