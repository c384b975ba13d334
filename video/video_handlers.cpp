// The main window's video handlers: loading, transport, the jumps by key, wheel and
// Ctrl+G, and the frame counter.
#include "app/form1.h"

#include <algorithm>

#include "base/errors.h"
#include "base/file_exists.h"
#include "base/format.h"
#include "base/messages.h"
#include "video/go_to_frame_dialog.h"

namespace mt {

// Runs when 動画読込 is clicked: opens a video into the video pane and plays it.
void TForm1::Button6Click() {
    // While the user picks a file, the decoder's back end starts (once a session,
    // where Media Foundation is installed): the first clip then opens without
    // waiting for it, and a session that never opens a clip never pays for it.
    if (!warmUp_) warmUp_ = DecoderWarmUp::AtStart(false);
    if (!OpenDialog1->Execute(hwnd_)) return;
    OpenVideo(OpenDialog1->FileName);
}

// What follows the video dialog once a file was chosen, also run for a video
// dropped on the window or named on the command line.
void TForm1::OpenVideo(const std::string& fileName) {
    if (!FileExists(fileName)) return;
    try {
        WaitCursor wait;
        MediaPlayer1->FileName = fileName;
        MediaPlayer1->OpenDevice();
    } catch (...) {
        ShowMessage(L"そのファイルは開けません");
        return;
    }
    // The positions and scale measured belong to the clip they came from.
    if (PositionTable) PositionTable->ClipChanged();
    MeasuredTrail.reset();
    MeasuredStill.clear();
    TrailRows.clear();
    TrailMarks.reset();
    MediaPlayer1->SetDisplay(Panel1->Handle());
    // A device without video leaves the rectangle alone: the panes keep their size.
    RECT dest{0, 0, Pane1Width, Pane1Height};
    MediaPlayer1->GetDestinationRect(dest);
    Pane1Height = dest.bottom - dest.top;
    Pane1Width = dest.right - dest.left;
    Panel1->SetBounds(Panel1->Left(), Panel1->Top(), Pane1Width, Pane1Height);
    Pane2Width = Pane1Width;
    Pane2Height = Pane1Height;
    Panel2->SetBounds(Panel2->Left(), Panel2->Top(), Pane1Width, Pane1Height);
    Image1->SetBounds(Image1->Left(), Image1->Top(), Pane2Width, Pane2Height);
    MediaPlayer1->SetDestinationRect(RECT{0, 0, Pane1Width, Pane1Height});
    MediaPlayer1->StepFrames = 1;
    MediaPlayer1->SeekToStart();
    MediaPlayer1->Play();
    FrameCountText = Format(L"%.5d", {static_cast<long long>(MediaPlayer1->QueryLength())});
    if (!Timer1->Enabled() && !Timer1->SetEnabled(true)) throw EOutOfResources(L"タイマーを取得できません");
}

// Runs when 再生 is clicked.
void TForm1::Button1Click() { MediaPlayer1->Play(); }
// Runs when 停止 is clicked.
void TForm1::Button5Click() { MediaPlayer1->Stop(); }
// Runs when +１フレーム is clicked.
void TForm1::Button2Click() {
    MediaPlayer1->StepForward();
    FrameMoved();
}
// Runs when -1フレーム is clicked.
void TForm1::Button3Click() {
    MediaPlayer1->StepBackward();
    FrameMoved();
}
// Runs when 最初のフレーム is clicked.
void TForm1::Button4Click() {
    MediaPlayer1->SeekTo(0);
    FrameMoved();
}

namespace {
// The last frame's position; raises the missing device's error without a clip.
std::int32_t LastFrame(TMediaPlayer& player) { return std::max(0, player.QueryLength() - 1); }
}  // namespace

// Runs when End is pressed.
void TForm1::SeekLastFrame() {
    MediaPlayer1->SeekTo(LastFrame(*MediaPlayer1));
    FrameMoved();
}

// Runs for PageDown and PageUp (Shift+Right and Shift+Left), and for a wheel
// turned several notches at once.
void TForm1::StepWithin(std::int32_t frames) {
    const std::int32_t last = LastFrame(*MediaPlayer1);
    const std::int32_t position = MediaPlayer1->QueryPosition();
    const std::int32_t target = std::clamp(std::clamp(position, 0, last) + frames, 0, last);
    if (target != position) MediaPlayer1->StepBy(target - position);
    FrameMoved();
}

// Runs when the wheel turns over the video pane.
void TForm1::Panel1MouseWheel(int wheelDelta) {
    wheelRest_ += wheelDelta;
    const int notches = wheelRest_ / WHEEL_DELTA;
    wheelRest_ -= notches * WHEEL_DELTA;
    if (notches == -1) Button2Click();
    else if (notches == 1) Button3Click();
    else if (notches != 0) StepWithin(-notches);
}

// Runs when Ctrl+G is pressed.
void TForm1::GoToFrame() {
    const std::int32_t last = LastFrame(*MediaPlayer1);
    if (auto frame = AskFrameNumber(hwnd_, MediaPlayer1->QueryPosition(), last)) MediaPlayer1->SeekTo(*frame);
    FrameMoved();
}

// Runs once a second after the first video was loaded: the frame counter, and
// the table's graph told the frame.
void TForm1::Timer1Timer() {
    std::wstring position = Format(L"%.5d", {static_cast<long long>(MediaPlayer1->QueryPosition())});
    Label4->SetCaption(position + L" / " + FrameCountText);
    FrameMoved();
}

}  // namespace mt
