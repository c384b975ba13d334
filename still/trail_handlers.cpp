// The main window's trail command: a composite of a range of frames, read from
// the clip's frames without moving the video pane, built into the still image.
#include "app/form1.h"
#include "base/errors.h"
#include "base/messages.h"
#include "still/still_image.h"
#include "still/trail.h"
#include "still/trail_dialog.h"
#include "video/clip_frames.h"
#include "video/own_device.h"

namespace mt {
namespace {

constexpr UINT kCopyFrameItem = 1, kTrailItem = 2;

}  // namespace

// Runs for Ctrl+T and the copy arrow's menu.
void TForm1::ComposeTrail() {
    MediaPlayer1->RequireOpen();
    std::unique_ptr<ClipFrames> frames = ClipFrames::Of(*MediaPlayer1);
    if (!frames) {
        ShowMessage(L"この動画からは軌跡を合成できません");
        return;
    }
    const long length = MediaPlayer1->QueryLength(), position = MediaPlayer1->QueryPosition();
    const int width = Pane1Width, height = Pane1Height;
    RunTrailDialog(hwnd_, length, position, [&](const TrailRequest& request, TrailProgress& progress) {
        TrailJob job(request, width, height, ReadStill(*Image1, width, height), [&](long frame, PixelPlane& into) {
            if (!frames->Read(frame, width, height, into.px.data()))
                throw EMCIDeviceError(OwnDeviceErrorText(kOwnDeviceFrameNotDecoded));
            return true;
        });
        if (!progress.Continue(0, job.Total())) return false;
        while (job.Step())
            if (!progress.Continue(job.Done(), job.Total())) return false;
        WriteCompositeToStill(*Image1, job.Composer().Result(), job.Composer().Changed());
        return true;
    });
}

// Runs for a right-click on the copy arrow: copy the whole frame, as a click
// does, or build a trail.
void TForm1::SpeedButton1ContextPopup(int x, int y) {
    OwnedMenu menu(::CreatePopupMenu());
    if (!menu) return;
    ::AppendMenuW(menu.get(), MF_STRING, kCopyFrameItem, L"フレーム全体をコピー");
    ::AppendMenuW(menu.get(), MF_STRING, kTrailItem, L"軌跡の合成...\tCtrl+T");
    const UINT chosen = static_cast<UINT>(
        ::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, x, y, 0, hwnd_, nullptr));
    menu.reset();
    if (chosen == kCopyFrameItem) SpeedButton1Click();
    else if (chosen == kTrailItem) ComposeTrail();
}

}  // namespace mt
