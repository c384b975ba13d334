// The main window's trail command: a composite of a range of frames, read from
// the clip's frames without moving the video pane, built into the still image;
// a trail of what moves hands the parts it found in each chosen frame on to be
// measured into the table of positions.
#include "app/form1.h"
#include "base/messages.h"
#include "still/still_image.h"
#include "still/trail.h"
#include "still/trail_dialog.h"
#include "still/trail_frames.h"
#include "still/trail_marks.h"
#include "video/clip_frames.h"

namespace mt {
namespace {

constexpr UINT kCopyFrameItem = 1, kTrailItem = 2, kTableItem = 3;

}  // namespace

// Runs for Ctrl+T and the copy arrow's menu.
void TForm1::ComposeTrail() {
    // As 停止 does: play would draw through the decoder the trail reads from, and
    // the frame it stops at is the one the dialog offers to start from.
    MediaPlayer1->Stop();
    std::unique_ptr<ClipFrames> frames = ClipFrames::Of(*MediaPlayer1);
    if (!frames) {
        ShowMessage(L"この動画からは軌跡を合成できません");
        return;
    }
    const long length = MediaPlayer1->QueryLength(), position = MediaPlayer1->QueryPosition();
    const int width = Pane1Width, height = Pane1Height;
    // A close asked for while the trail was built: the window closes once the dialog has gone.
    closeAfterTrail_ = false;
    const struct CloseAfter {
        TForm1& form;
        ~CloseAfter() {
            if (form.closeAfterTrail_) ::PostMessageW(form.hwnd_, WM_CLOSE, 0, 0);
        }
    } closeAfter{*this};
    bool measured = false;
    const bool built = RunTrailDialog(hwnd_, length, position, [&](const TrailRequest& request, TrailProgress& progress) {
        buildingTrail_ = true;
        const struct Built {
            bool& building;
            ~Built() { building = false; }
        } building{buildingTrail_};
        TrailJob job(
            request, width, height, ReadStill(*Image1, width, height),
            [&](long frame, PixelPlane& into) {
                frames->Read(frame, width, height, into.px.data());
                return true;
            },
            TrailJob::kKeptBytes, DecodedFrameKeeper(frames->Source(), width, height));
        const bool moving = request.method == TrailMethod::Moving;
        TrailParts found{request.first, request.last, request.every, width, height, {}};
        if (moving)
            job.OnChosenFrame([&](long frame, const std::vector<MaskPart>& parts) {
                found.frames.push_back({frame, frames->TimeSeconds(frame), parts});
            });
        if (!progress.Continue(0, job.Total()) || closeAfterTrail_) return false;
        while (job.Step()) {
            if (TrailStepped) TrailStepped(job.Done(), job.Total());
            if (!progress.Continue(job.Done(), job.Total()) || closeAfterTrail_) return false;
        }
        std::vector<MarkPlace> places;
        if (moving) {
            places = MeasureTrail(std::move(found));
            measured = true;
        }
        TrailMarks.reset();
        if (moving && request.marks) {
            PixelPlane marked = job.Composer().Result();
            std::vector<std::uint8_t> changed = job.Composer().Changed();
            MarkedTrail kept = DrawMarksKept(marked, changed, places);
            WriteCompositeToStill(*Image1, marked, changed);
            TrailMarks = std::move(kept);
        } else {
            WriteCompositeToStill(*Image1, job.Composer().Result(), job.Composer().Changed());
        }
        return true;
    });
    if (built && measured) ShowMeasuredTrail();
}

// Runs for a right-click on the copy arrow: copy the whole frame, as a click
// does, build a trail, or show the table of positions.
void TForm1::SpeedButton1ContextPopup(int x, int y) {
    OwnedMenu menu(::CreatePopupMenu());
    if (!menu) return;
    ::AppendMenuW(menu.get(), MF_STRING, kCopyFrameItem, L"フレーム全体をコピー");
    ::AppendMenuW(menu.get(), MF_STRING, kTrailItem, L"軌跡の合成...\tCtrl+T");
    ::AppendMenuW(menu.get(), MF_STRING, kTableItem, L"位置の表...\tCtrl+D");
    const UINT chosen = static_cast<UINT>(
        ::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, x, y, 0, hwnd_, nullptr));
    menu.reset();
    if (chosen == kCopyFrameItem) SpeedButton1Click();
    else if (chosen == kTrailItem) ComposeTrail();
    else if (chosen == kTableItem) ShowPositionTable();
}

}  // namespace mt
