// The main window's measuring: the object of a trail of what moves followed into
// the table of positions, the object pointed at on the still image followed
// instead, the table shown, and positions recorded by hand.
#include "app/form1.h"
#include "base/messages.h"
#include "measure/motion.h"
#include "still/still_image.h"
#include "still/trail_marks.h"
#include "video/clip_frames.h"

namespace mt {
namespace {

constexpr UINT kFollowItem = 1;

std::vector<MarkPlace> Places(const std::vector<MotionRow>& rows) {
    std::vector<MarkPlace> places;
    places.reserve(rows.size());
    for (const MotionRow& r : rows) places.push_back({r.frame, r.x, r.y});
    return places;
}

}  // namespace

// Runs once a trail of what moves has been built, before its picture is drawn:
// the largest moving object followed; the places to mark.
std::vector<MarkPlace> TForm1::MeasureTrail(TrailParts parts) {
    MeasuredTrail = std::make_unique<TrailParts>(std::move(parts));
    MeasuredStill = StillParts(*MeasuredTrail);
    TrailRows = FollowLargest(*MeasuredTrail, MeasuredStill);
    return Places(TrailRows);
}

// Runs once the trail's dialog has gone: its rows into the table, shown
// without taking the keyboard from the main window.
void TForm1::ShowMeasuredTrail() {
    if (!MeasuredTrail) return;
    TPositionTable& table = PositionTableWindow();
    table.Table().ReplaceTrail(MeasuredTrail->first, MeasuredTrail->last, TrailRows);
    table.SetInterval(MeasuredTrail->every);
    table.SetFollowing(L"最大の動く物を追っています。右の画像で追う物を右クリックして選べます");
    table.Show(false);
}

// Runs for a right-click on the still image (x, y in its pixels): its menu.
void TForm1::Image1ContextPopup(int x, int y) {
    OwnedMenu menu(::CreatePopupMenu());
    if (!menu) return;
    ::AppendMenuW(menu.get(), MF_STRING, kFollowItem, L"この物を追う");
    POINT at{x, y};
    ::ClientToScreen(Image1->Handle(), &at);
    const UINT chosen = static_cast<UINT>(
        ::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, hwnd_, nullptr));
    menu.reset();
    if (chosen == kFollowItem) FollowObjectAt(x, y);
}

// Runs for この物を追う: the object of the last trail under (x, y) followed both
// ways from its frame, its rows in place of the trail's, its marks moved.
void TForm1::FollowObjectAt(int x, int y) {
    if (!MeasuredTrail) {
        ShowMessage(L"ここには動く物がありません。追う物を選ぶには、まず「動く物」の軌跡を合成してください");
        return;
    }
    const TrailParts& trail = *MeasuredTrail;
    const std::optional<PartIndex> part = PartAt(trail, MeasuredStill, x, y);
    if (!part) {
        ShowMessage(L"ここには動く物がありません");
        return;
    }
    TrailRows = FollowFrom(trail, MeasuredStill, *part);
    TPositionTable& table = PositionTableWindow();
    table.Table().ReplaceTrail(trail.first, trail.last, TrailRows);
    table.SetFollowing(L"右の画像で選んだ物 (フレーム " + std::to_wstring(trail.frames[part->frame].frame) +
                       L") を追っています");
    table.Show(false);
    if (!TrailMarks) return;
    std::optional<PixelPlane> picture = ReadStill(*Image1, trail.width, trail.height);
    std::vector<std::uint8_t> changed;
    if (picture && MoveMarks(*picture, changed, *TrailMarks, Places(TrailRows)))
        WriteCompositeToStill(*Image1, *picture, changed);
    else
        TrailMarks.reset();
}

TPositionTable& TForm1::PositionTableWindow() {
    if (!PositionTable)
        PositionTable = std::make_unique<TPositionTable>(
            hwnd_,
            [this]() -> std::optional<long double> {
                if (LastDragLength > 0) return LastDragLength;
                return std::nullopt;
            },
            [this](long frame) { ShowTableFrame(frame); });
    return *PositionTable;
}

// Runs after each step and seek of the clip, and with the frame counter.
void TForm1::FrameMoved() {
    if (!PositionTable || !PositionTable->Visible() || !MediaPlayer1 || !MediaPlayer1->DeviceOpen()) return;
    const long frame = MediaPlayer1->QueryPosition();
    PositionTable->ClipFrameShown(frame, [&]() -> std::optional<double> {
        if (std::unique_ptr<ClipFrames> frames = ClipFrames::Of(*MediaPlayer1)) return frames->TimeSeconds(frame);
        return std::nullopt;
    });
}

// Runs for a row chosen in the table's list or on its graph.
void TForm1::ShowTableFrame(long frame) {
    MediaPlayer1->SeekTo(frame);
    FrameMoved();
}

// Runs for Ctrl+D and the copy arrow's menu.
void TForm1::ShowPositionTable() {
    MediaPlayer1->RequireOpen();
    PositionTableWindow().Show();
}

// Runs for a click on the video pane while 手で記録 is checked.
void TForm1::RecordHandPosition(int x, int y) {
    MediaPlayer1->RequireOpen();
    if (MediaPlayer1->QueryMode() == mpPlaying) MediaPlayer1->Stop();
    const long frame = MediaPlayer1->QueryPosition();
    std::unique_ptr<ClipFrames> frames = ClipFrames::Of(*MediaPlayer1);
    if (!frames) {
        ShowMessage(L"この動画からは位置を記録できません");
        return;
    }
    const double time = frames->TimeSeconds(frame);
    frames.reset();
    TPositionTable& table = PositionTableWindow();
    table.Table().Record(MotionRow{frame, time, double(x), double(Pane1Height - y), std::nullopt});
    table.Refresh();
    StepWithin(table.Interval());
}

}  // namespace mt
