// Copies from a real playing clip: what the video pane shows (read back from
// the pane in the same test) is what lands in the still image.
#include "still/still_fixture.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <set>
#include <thread>

#include "base/format.h"
#include "base/text.h"
#include "common/dialog_driver.h"
#include "common/marker_clips.h"
#include "common/media.h"
#include "common/pump.h"
#include "imagefiles/bmp_io.h"
#include "imagefiles/picture_files.h"
#include "measure/position_table.h"
#include "measure/scale_dialog.h"
#include "still/trail_dialog.h"
#include "still/trail_marks.h"

namespace mt::test {
namespace {

class VideoCapture : public StillTest {
protected:
    void TearDown() override {
        StillTest::TearDown();
        PumpAfterClose();
    }
    // Opens the clip with 動画読込 and its dialog; it starts playing.
    void Load(const std::string& path) {
        DialogDriver driver(FileDialog(), Typing(AnsiToWide(path)));
        form->Button6Click();
        ASSERT_TRUE(driver.Wait()) << "no file dialog";
        ASSERT_TRUE(form->MediaPlayer1->DeviceOpen());
    }
    // Opens a blue clip with a yellow ball of the given size, waits until the
    // device has drawn it into the pane, stops it and copies the whole frame.
    // Returns what the pane showed at the copy.
    Pixels CopyFrameOfBallClip(int width, int height) {
        media::BallClip clip;
        clip.width = width;
        clip.height = height;
        clip.frames = 40;
        clip.startY = height / 8 * 4;
        Load(folder.WriteClip("ball.avi", clip));
        EXPECT_TRUE(PumpUntil([&] { return ReadWindow(Panel1(), RECT{0, 0, 4, 4}).At(1, 1) == 0x0000FF; }, 15000))
            << "the clip is not shown";
        form->Button5Click();
        Pixels shown = ReadWindow(Panel1());
        form->SpeedButton1Click();
        return shown;
    }
    MediaFolder folder;
};

// Every 4 x 4 block of frame f has its own flat colour: red tells the frame,
// green and blue the place.
media::Rgb FrameBlock(int frame, int x, int y) {
    return {static_cast<std::uint8_t>(8 * (frame % 32)), static_cast<std::uint8_t>(8 * ((x / 4) % 32)),
            static_cast<std::uint8_t>(8 * ((y / 4) % 32) | 0x80)};
}

TEST_F(VideoCapture, TraceOverAPlayingClipCollectsPatchesOfSuccessiveFrames) {
    std::string path = folder.Write("frames.avi", media::EncodeMsVideo1Avi(192, 144, 600, 10, FrameBlock));
    Load(path);
    ASSERT_EQ(form->Pane1Width, 192);
    std::uint32_t anyFrame = 0;
    ASSERT_TRUE(PumpUntil([&] {
        anyFrame = ReadWindow(Panel1(), RECT{0, 0, 4, 4}).At(1, 1);
        return (anyFrame & 0xFF) == 0x84;  // block (0, 0): blue from the place, any frame
    }, 15000)) << std::hex << anyFrame;

    // Patches on block boundaries: each is one flat block of one frame.
    const std::vector<std::pair<int, int>> points{{10, 10}, {30, 22}, {62, 50}, {98, 70}, {150, 110}, {186, 138}};
    std::set<std::uint32_t> framesSeen;
    std::vector<std::pair<Pixels, Pixels>> around;  // the pane before and after each event
    for (size_t i = 0; i < points.size(); ++i) {
        auto [x, y] = points[i];
        RECT patch{x - 2, y - 2, x + 2, y + 2};
        Pixels before = ReadWindow(Panel1(), patch);
        Post(Panel1(), i == 0 ? WM_LBUTTONDOWN : WM_MOUSEMOVE, MK_LBUTTON, x, y);
        Pixels after = ReadWindow(Panel1(), patch);
        around.push_back({before, after});
        // Let the clip move on by a few frames before the next event.
        std::int32_t at = form->MediaPlayer1->QueryPosition();
        PumpUntil([&] { return form->MediaPlayer1->QueryPosition() >= at + 2; }, 3000);
    }
    Post(Panel1(), WM_LBUTTONUP, 0, 186, 138);

    Pixels still = ReadBitmap(form->Image1->Picture->Handle());
    ASSERT_EQ(still.width, 192);
    ASSERT_EQ(still.height, 144);
    std::set<std::pair<int, int>> covered;
    for (size_t i = 0; i < points.size(); ++i) {
        auto [x, y] = points[i];
        const auto& [before, after] = around[i];
        // Each pixel shows this place (green, blue) in a frame from the one
        // shown just before the event to the one shown just after it (red).
        auto framesAfter = [](std::uint32_t from, std::uint32_t to) { return ((to >> 16) - (from >> 16)) & 0xFF; };
        int wrong = 0;
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 4; ++k) {
                std::uint32_t got = still.At(x - 2 + k, y - 2 + j);
                covered.insert({x - 2 + k, y - 2 + j});
                if ((got & 0xFFFF) != (before.At(k, j) & 0xFFFF) ||
                    framesAfter(before.At(k, j), got) > framesAfter(before.At(k, j), after.At(k, j)))
                    ++wrong;
            }
        EXPECT_EQ(wrong, 0) << "patch at " << x << ", " << y << " is not what the pane showed";
        framesSeen.insert(still.At(x - 2, y - 2) >> 16);
    }
    EXPECT_GE(framesSeen.size(), 2u) << "the patches come from successive frames";
    int wrong = 0;
    for (int y = 0; y < still.height; ++y)
        for (int x = 0; x < still.width; ++x)
            if (!covered.count({x, y}) && still.At(x, y) != kWhite) ++wrong;
    EXPECT_EQ(wrong, 0) << "pixels outside the patches stay white";
}

// A clip colour as the screen shows it, 0xRRGGBB.
std::uint32_t Shown(media::Rgb c) {
    media::Rgb s = media::ShownColor(c);
    return (std::uint32_t{s.r} << 16) | (s.g << 8) | s.b;
}

// Frame f of a ball clip is what the pixels say: the ball's left and right
// columns are ball, the columns just outside them background.
::testing::AssertionResult ShowsBallOfFrame(const Pixels& shown, const media::BallClip& clip, int f) {
    auto r = clip.BallAt(f);
    int y = (r.top + r.bottom) / 2;
    std::uint32_t ball = Shown(clip.ball), back = Shown(clip.background);
    bool ok = shown.At(r.left, y) == ball && shown.At(r.right - 1, y) == ball && shown.At(r.right, y) == back &&
              (r.left == 0 || shown.At(r.left - 1, y) == back);
    if (ok) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the ball of frame " << f << " is not at " << r.left << ".." << r.right
                                         << ": " << std::hex << shown.At(r.left, y) << " " << shown.At(r.right, y);
}

// A moving ball clip, loaded, played past its first frames and stopped.
class SteppedCapture : public VideoCapture {
protected:
    void SetUp() override {
        VideoCapture::SetUp();
        clip.frames = 30;
        clip.framesPerSecond = 10;
        Load(folder.WriteClip("moving.avi", clip));
        ASSERT_TRUE(PumpUntil([&] { return form->MediaPlayer1->QueryPosition() >= 6; }, 20000));
        form->Button5Click();
    }
    media::BallClip clip;
};

TEST_F(SteppedCapture, FirstFrameAndStepsShowTheirFrameInThePane) {
    form->Button4Click();
    EXPECT_TRUE(ShowsBallOfFrame(ReadWindow(Panel1()), clip, 0)) << "after 最初のフレーム";
    form->Button2Click();
    form->Button2Click();
    EXPECT_TRUE(ShowsBallOfFrame(ReadWindow(Panel1()), clip, 2)) << "after two steps forward";
    form->Button3Click();
    EXPECT_TRUE(ShowsBallOfFrame(ReadWindow(Panel1()), clip, 1)) << "after a step back";
    EXPECT_EQ(form->MediaPlayer1->QueryPosition(), 1);
}

TEST_F(SteppedCapture, ARepaintWhileStoppedKeepsTheSteppedFrame) {
    form->Button4Click();
    form->Button2Click();
    form->OpenDialog1Close();  // what a closing dialog does to the window
    Pump();
    EXPECT_TRUE(ShowsBallOfFrame(ReadWindow(Panel1()), clip, 1)) << "after the invalidation";
    ::ShowWindow(form->Handle(), SW_MINIMIZE);
    Pump();
    ::ShowWindow(form->Handle(), SW_RESTORE);
    ::UpdateWindow(form->Handle());
    Pump();
    EXPECT_TRUE(ShowsBallOfFrame(ReadWindow(Panel1()), clip, 1)) << "after a restore from minimised";
    // Playing on draws the following frames again.
    form->Button1Click();
    EXPECT_TRUE(PumpUntil([&] {
        Pixels shown = ReadWindow(Panel1());
        for (int f = 4; f < clip.frames; ++f)
            if (ShowsBallOfFrame(shown, clip, f)) return true;
        return false;
    }, 20000)) << "frames are drawn while playing";
}

TEST_F(SteppedCapture, ATraceAndAWholeFrameCopyAfterSteppingTakeTheSteppedFrame) {
    form->Button4Click();
    form->Button2Click();
    // A patch over the right edge of frame 1's ball, past frame 0's ball and short of frame 2's edge.
    auto r = clip.BallAt(1);
    int x = r.right - 1, y = (r.top + r.bottom) / 2;
    Post(Panel1(), WM_LBUTTONDOWN, MK_LBUTTON, x, y);
    Post(Panel1(), WM_LBUTTONUP, 0, x, y);
    Pixels still = ReadBitmap(form->Image1->Picture->Handle());
    EXPECT_EQ(still.At(x, y), Shown(clip.ball));
    EXPECT_EQ(still.At(x + 1, y), Shown(clip.background)) << "the column after frame 1's ball";
    form->Button2Click();
    form->SpeedButton1Click();
    EXPECT_TRUE(ShowsBallOfFrame(ReadBitmap(form->Image1->Picture->Handle()), clip, 2));
}

TEST_F(VideoCapture, AFrameShownAfterASeekIsPixelForPixelTheFrameDrawnWhilePlaying) {
    Load(folder.Write("frames.avi", media::EncodeMsVideo1Avi(192, 144, 600, 10, FrameBlock)));
    ASSERT_TRUE(PumpUntil([&] { return form->MediaPlayer1->QueryPosition() >= 3; }, 20000));
    form->Button5Click();
    Pixels played = ReadWindow(Panel1());
    int frame = static_cast<int>(played.At(1, 1) >> 16) / 8;  // red tells the frame
    ASSERT_EQ(played.At(1, 1) & 0xFFFF, 0x84u) << "a frame was drawn while playing";
    form->Button4Click();
    ASSERT_NE(ReadWindow(Panel1()).At(1, 1) >> 16, played.At(1, 1) >> 16) << "the first frame is shown";
    form->MediaPlayer1->SeekTo(frame);
    EXPECT_EQ(ReadWindow(Panel1()).px, played.px) << "frame " << frame;
}

TEST_F(VideoCapture, WholeFrameCopyEqualsTheDisplayedFrame) {
    Pixels shown = CopyFrameOfBallClip(192, 144);
    Pixels still = ReadBitmap(form->Image1->Picture->Handle());
    ASSERT_EQ(still.width, 192);
    EXPECT_EQ(still.px, shown.px);
    // The frame has the ball in it, as the clip was made.
    std::set<std::uint32_t> colours(shown.px.begin(), shown.px.end());
    EXPECT_TRUE(colours.count(0xFFFF00)) << "the ball is in the frame";
}

TEST_F(VideoCapture, AStillImageMadeBeforeALargerVideoKeepsItsSizeAndTakesTheTopLeftPart) {
    form->SpeedButton1Click();
    Pixels shown = CopyFrameOfBallClip(336, 256);
    ASSERT_EQ(form->Pane1Width, 336);
    Pixels still = ReadBitmap(form->Image1->Picture->Handle());
    ASSERT_EQ(still.width, 320);
    ASSERT_EQ(still.height, 240);
    int wrong = 0;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            if (still.At(x, y) != shown.At(x, y)) ++wrong;
    EXPECT_EQ(wrong, 0);
    // Image1 has the video's size and shows the bitmap enlarged.
    RECT r;
    ::GetClientRect(Image1(), &r);
    EXPECT_EQ(r.right, 336);
    EXPECT_EQ(r.bottom, 256);
}

// The trail clips: a red 24x24 square whose left edge is at x = 4n in frame n (y =
// 100) over a still ground of 4x4 blocks of many colours, 320x240.
constexpr int kTrailTop = 100, kTrailSize = 24;
media::Rgb TexturedBlock(int frame, int x, int y) {
    if (x >= 4 * frame && x < 4 * frame + kTrailSize && y >= kTrailTop && y < kTrailTop + kTrailSize)
        return {248, 24, 24};
    return {static_cast<std::uint8_t>(64 + 8 * ((x / 4 * 3 + y / 4 * 5) % 16)),
            static_cast<std::uint8_t>(96 + 6 * ((x / 4 * 7 + y / 4) % 16)),
            static_cast<std::uint8_t>(48 + 10 * ((x / 4 + y / 4 * 3) % 16))};
}
bool Near(std::uint32_t a, std::uint32_t b, int tolerance) {
    for (int shift = 0; shift <= 16; shift += 8)
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance) return false;
    return true;
}

// The trail dialog answered with the typed values, then 合成 or キャンセル.
DialogScript TrailValues(std::wstring first, std::wstring last, std::wstring every, int button = IDOK) {
    return [=](HWND dialog) {
        auto type = [&](int id, const std::wstring& text) {
            DWORD_PTR got = 0;
            ::SendMessageTimeoutW(::GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                                  SMTO_NORMAL, 5000, &got);
        };
        type(TrailDialogIds::kFirst, first);
        type(TrailDialogIds::kLast, last);
        type(TrailDialogIds::kEvery, every);
        Pressing(button)(dialog);
    };
}

// The trail dialog given the range and 合成 pressed; the driver then waits,
// bounded, until the dialog has gone, however long the build takes (it would
// press キャンセル after a few seconds).
DialogScript Building(std::wstring first, std::wstring last, std::wstring every) {
    return [=](HWND dialog) {
        TrailValues(first, last, every)(dialog);
        for (int i = 0; i < 12000 && ::IsWindow(dialog); ++i) ::Sleep(10);
    };
}

// What the trail dialog's fields hold, read before the script runs.
struct TrailFields {
    std::wstring first, last, every;
};
DialogScript ReadingFields(std::shared_ptr<TrailFields> fields, DialogScript then) {
    return [=](HWND dialog) {
        auto read = [&](int id) {
            wchar_t text[32] = {};
            ::GetDlgItemTextW(dialog, id, text, 32);
            return std::wstring(text);
        };
        *fields = {read(TrailDialogIds::kFirst), read(TrailDialogIds::kLast), read(TrailDialogIds::kEvery)};
        then(dialog);
    };
}

class TrailCapture : public VideoCapture, public ::testing::WithParamInterface<bool> {
protected:
    // Opens the clip (the system's AVI device, or an MP4 on the program's own),
    // shows frame 0 and copies it: the still image traced before the trail.
    void OpenAtFrameZero(bool own) {
        path_ = own ? kTrailMp4.Path() : folder.Write("textured.avi", media::EncodeMsVideo1Avi(320, 240, 90, 30, TexturedBlock));
        Load(path_);
        form->Button5Click();
        form->Button4Click();
        ASSERT_TRUE(PumpUntil([&] { return Near(ReadWindow(Panel1()).At(12, 112), 0xF81818, 48); }, 30000))
            << "frame 0 is not shown";
        form->SpeedButton1Click();
        before_ = ReadBitmap(form->Image1->Picture->Handle());
        ::SetFocus(form->Button8->Handle());
    }
    // What the pane shows once repainted.
    Pixels Repainted() {
        ::RedrawWindow(Panel1(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        Pump();
        return ReadWindow(Panel1());
    }
    // From the next step of a trail's build on, `at(done, total)` runs after
    // each step; the steps seen are kept.
    void OnTrailStep(std::function<void(int, int)> at) {
        form->TrailStepped = [this, at](int done, int total) {
            stepsSeen_.push_back(done);
            at(done, total);
        };
    }
    // Presses the trail dialog's キャンセル, as the user does, from the program's thread.
    static void PressCancel() {
        HWND dialog = ::FindWindowW(L"#32770", L"軌跡の合成");
        ASSERT_TRUE(dialog);
        ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDCANCEL)));
    }
    std::vector<int> stepsSeen_;
    std::string path_;
    Pixels before_;
    static constexpr MarkerClip kTrailMp4{"marker-textured.mp4", 320, 240, 320, 240, 4, kTrailTop, kTrailSize, kTrailSize};
};

TEST_P(TrailCapture, CtrlTLaysTheSquareOfEachChosenFrameOverTheStillImageAndCtrlZTakesItBack) {
    const bool own = GetParam();
    OpenAtFrameZero(own);
    const Pixels pane = Repainted();
    auto fields = std::make_shared<TrailFields>();
    {
        DialogDriver driver(DialogMatch(L"軌跡の合成"), ReadingFields(fields, Building(L"10", L"70", L"10")));
        PressKeys({VK_CONTROL, 'T'});
        ASSERT_TRUE(driver.Wait()) << "no trail dialog";
    }
    // Offered at frame 0 of 90: all of it, every 8th (12 frames).
    EXPECT_EQ(fields->first, L"0");
    EXPECT_EQ(fields->last, L"89");
    EXPECT_EQ(fields->every, L"8");
    EXPECT_EQ(Repainted().px, pane.px) << "the pane stays at its frame";
    const std::string saved = folder.Path() + "\\trail.bmp";
    SavePicture(*form->Image1, saved);
    const Pixels trail = ReadBitmap(ReadPictureFile(saved, ".BMP")->Handle());
    // The AVI's 15-bit colour is shown exactly, the MP4's within its coding.
    const std::uint32_t square = own ? 0xF81818 : 0xFF1818;
    const int tolerance = own ? 40 : 0;
    for (int k = 0; k < 7; ++k) {
        const int left = 40 + 40 * k;
        EXPECT_TRUE(Near(trail.At(left + 12, 112), square, tolerance)) << "the square of frame " << 10 + 10 * k;
        // Its edges: a square from another frame sits 4 pixels off.
        for (int x : {left + 1, left + kTrailSize - 2})
            for (int y : {kTrailTop + 1, kTrailTop + 12, kTrailTop + kTrailSize - 2})
                EXPECT_TRUE(Near(trail.At(x, y), square, tolerance)) << "frame " << 10 + 10 * k << " at " << x << "," << y;
        for (int x : {left - 2, left + kTrailSize + 1})
            EXPECT_FALSE(Near(trail.At(x, 112), square, tolerance)) << "frame " << 10 + 10 * k << " at " << x;
        // The ground between the squares, and above them, is the still image as it was.
        EXPECT_EQ(trail.At(left + 32, 112), before_.At(left + 32, 112)) << "between " << k << " and " << k + 1;
        EXPECT_EQ(trail.At(left + 12, 40), before_.At(left + 12, 40));
    }
    // Frame 0's square, traced before, is where no chosen frame's square is.
    EXPECT_EQ(trail.At(12, 112), before_.At(12, 112));
    PressKeys({VK_CONTROL, 'Z'});
    EXPECT_EQ(ReadBitmap(form->Image1->Picture->Handle()).px, before_.px) << "one Ctrl+Z undoes the whole trail";
}

TEST_P(TrailCapture, BadValuesAndCancelLeaveTheStillImageAsItWas) {
    OpenAtFrameZero(GetParam());
    const std::size_t steps = form->StillHistory.UndoCount();
    // A start beyond the clip: the message, then the dialog is still there with
    // the values as typed, and is cancelled.
    std::atomic<bool> answered{false};
    DialogDriver message(DialogMatch(L"Movetrail"), [&](HWND m) {
        Pressing(IDOK)(m);
        answered = true;
    });
    std::wstring shownAfter;
    DialogDriver dialog(DialogMatch(L"軌跡の合成"), [&](HWND d) {
        TrailValues(L"90", L"70", L"10")(d);
        // The message is over the dialog (which it disables) until answered.
        for (int i = 0; i < 1200 && !(answered && ::IsWindowEnabled(d)); ++i) ::Sleep(25);
        wchar_t text[16] = {};
        ::GetDlgItemTextW(d, TrailDialogIds::kFirst, text, 16);
        shownAfter = text;
        Pressing(IDCANCEL)(d);
    });
    PressKeys({VK_CONTROL, 'T'});
    ASSERT_TRUE(dialog.Wait());
    EXPECT_TRUE(message.Wait());
    EXPECT_TRUE(message.view.Shows(L"開始フレームには 0 から 89 までの数を入れてください")) << Describe(message.view.dialog);
    EXPECT_EQ(shownAfter, L"90");
    // キャンセル while the trail is being built: while the frames are read (after
    // the 3rd), and once they are being laid in (before the last).
    for (const bool reading : {true, false}) {
        stepsSeen_.clear();
        int cancelledAt = -1;
        OnTrailStep([&](int done, int total) {
            if (cancelledAt < 0 && done == (reading ? 3 : total - 1)) {
                cancelledAt = done;
                PressCancel();
            }
        });
        DialogDriver building(DialogMatch(L"軌跡の合成"), Building(L"0", L"89", L"1"));
        PressKeys({VK_CONTROL, 'T'});
        ASSERT_TRUE(building.Wait());
        ASSERT_GT(cancelledAt, 0) << "the build never reached the step " << (reading ? "reading" : "laying in") << ": "
                                  << stepsSeen_.size() << " steps, " << building.strays << " other windows";
        EXPECT_EQ(stepsSeen_.back(), cancelledAt) << "the build went on after キャンセル";
        EXPECT_EQ(ReadBitmap(form->Image1->Picture->Handle()).px, before_.px) << (reading ? "reading" : "laying in");
        EXPECT_EQ(form->StillHistory.UndoCount(), steps);
    }
}

TEST_P(TrailCapture, CtrlTWhileTheClipPlaysStopsItAndOffersTheFrameItStoppedAt) {
    OpenAtFrameZero(GetParam());
    form->Button1Click();
    ASSERT_TRUE(PumpUntil([&] { return form->MediaPlayer1->QueryPosition() > 0; }, 20000)) << "the clip does not play";
    auto fields = std::make_shared<TrailFields>();
    DialogDriver driver(DialogMatch(L"軌跡の合成"), ReadingFields(fields, Pressing(IDCANCEL)));
    PressKeys({VK_CONTROL, 'T'});
    ASSERT_TRUE(driver.Wait()) << "no trail dialog";
    EXPECT_EQ(form->MediaPlayer1->QueryMode(), mpStopped);
    const long stoppedAt = form->MediaPlayer1->QueryPosition();
    EXPECT_EQ(fields->first, std::to_wstring(stoppedAt));
    EXPECT_TRUE(PumpUntil([&] { return Label(*form->Label4).starts_with(Format(L"%.5d", {static_cast<long long>(stoppedAt)})); }))
        << "the counter shows " << Label(*form->Label4);
}

TEST_P(TrailCapture, AWindowClosedDuringABuildEndsItAsACancelWouldAndTheProgramEndsWithExitCode0) {
    OpenAtFrameZero(GetParam());
    const std::size_t steps = form->StillHistory.UndoCount();
    const HWND main = form->Handle();
    int closedAt = -1;
    OnTrailStep([&](int done, int total) {
        // While the frames are laid in, as a logoff or a task manager would.
        if (closedAt < 0 && done == total - 3) {
            closedAt = done;
            ::PostMessageW(main, WM_CLOSE, 0, 0);
        }
    });
    DialogDriver building(DialogMatch(L"軌跡の合成"), Building(L"0", L"89", L"1"));
    form->ComposeTrail();  // what Ctrl+T runs
    ASSERT_GT(closedAt, 0) << "the build never reached the step";
    EXPECT_TRUE(::IsWindow(main)) << "the window was destroyed under the build";
    // The program's own loop until it ends.
    std::optional<WPARAM> exitCode;
    for (const DWORD start = ::GetTickCount(); !exitCode && ::GetTickCount() - start < 30000;) {
        MSG m;
        if (!::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            continue;
        }
        if (m.message == WM_QUIT) exitCode = m.wParam;
        ::TranslateMessage(&m);
        ::DispatchMessageW(&m);
    }
    EXPECT_TRUE(building.Wait());
    EXPECT_EQ(stepsSeen_.back(), closedAt) << "the build went on after the close";
    EXPECT_FALSE(::IsWindow(main)) << "the window closes";
    ASSERT_TRUE(exitCode.has_value()) << "the program's loop does not end";
    EXPECT_EQ(*exitCode, 0u);
    EXPECT_EQ(ReadBitmap(form->Image1->Picture->Handle()).px, before_.px);
    EXPECT_EQ(form->StillHistory.UndoCount(), steps);
}

TEST_F(VideoCapture, ATrailWithNoClipOpenGivesTheStepButtonsMessage) {
    EXPECT_EQ(FailureOf([&] { form->ComposeTrail(); }), FailureOf([&] { form->Button2Click(); }));
    EXPECT_EQ(FailureOf([&] { form->ComposeTrail(); }), L"MCI デバイスがありません");
    EXPECT_EQ(FailureOf([&] { form->ShowPositionTable(); }), L"MCI デバイスがありません");
}

// The table of positions as its コピー puts it on the clipboard: a line a row,
// the fields of each.
std::vector<std::vector<std::wstring>> CopiedTable(HWND table) {
    ::SendMessageW(::GetDlgItem(table, PositionTableIds::kCopy), BM_CLICK, 0, 0);
    std::wstring text;
    if (::OpenClipboard(nullptr)) {
        if (auto* p = static_cast<const wchar_t*>(::GlobalLock(::GetClipboardData(CF_UNICODETEXT)))) {
            text = p;
            ::GlobalUnlock(::GetClipboardData(CF_UNICODETEXT));
        }
        ::CloseClipboard();
    }
    std::vector<std::vector<std::wstring>> rows;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find(L"\r\n", at);
        const std::wstring line = text.substr(at, end - at);
        rows.emplace_back();
        for (std::size_t f = 0;;) {
            const std::size_t tab = line.find(L'\t', f);
            rows.back().push_back(line.substr(f, tab - f));
            if (tab == std::wstring::npos) break;
            f = tab + 1;
        }
        at = end == std::wstring::npos ? text.size() : end + 2;
    }
    return rows;
}
double Field(const std::wstring& text) {
    std::wstring plain = text;
    std::replace(plain.begin(), plain.end(), DecimalSeparator(), L'.');
    return std::wcstod(plain.c_str(), nullptr);
}

// A trail of what moves measures it: the table has a row per chosen frame with
// the square's centre and the frame's time; a drag of known length sets the
// unit; a click with 手で記録 records a row by hand and steps on; a save writes
// what a copy gives.
TEST_P(TrailCapture, ATrailOfWhatMovesFillsTheTableWhichCopiesScalesRecordsByHandAndSaves) {
    const bool own = GetParam();
    OpenAtFrameZero(own);
    {
        DialogDriver driver(DialogMatch(L"軌跡の合成"), TrailValues(L"10", L"70", L"10"));
        PressKeys({VK_CONTROL, 'T'});
        ASSERT_TRUE(driver.Wait()) << "no trail dialog";
    }
    ASSERT_TRUE(form->PositionTable && form->PositionTable->Visible()) << "the trail shows the table";
    const HWND table = form->PositionTable->Handle();
    EXPECT_EQ(WindowText(table), L"位置の表");
    auto rows = CopiedTable(table);
    ASSERT_EQ(rows.size(), 8u);
    EXPECT_EQ(rows[0], TableHeader(MotionScale{}));
    const double tolerance = own ? 0.5 : 0.05;
    for (int k = 0; k < 7; ++k) {
        const long frame = 10 + 10 * k;
        const auto& row = rows[std::size_t(k) + 1];
        ASSERT_EQ(row.size(), 9u);
        EXPECT_EQ(Field(row[0]), frame);
        EXPECT_NEAR(Field(row[1]), frame / 30.0, 0.00005) << frame;
        EXPECT_NEAR(Field(row[2]), 4 * frame + (kTrailSize - 1) / 2.0, tolerance) << frame;
        EXPECT_NEAR(Field(row[3]), 240 - (kTrailTop + (kTrailSize - 1) / 2.0), tolerance) << frame;
        if (k > 0 && k < 6) {
            EXPECT_NEAR(Field(row[4]), 4 * 30.0, 30 * tolerance) << frame;
        }
        EXPECT_NEAR(Field(row[8]), kTrailSize * kTrailSize, own ? 60 : 0) << frame;
    }
    EXPECT_EQ(rows[1][4], L"") << "no velocity without a row before";

    // A drag of 100 pixels on the still image is 1 m.
    Post(Image1(), WM_LBUTTONDOWN, MK_LBUTTON, 20, 200);
    Post(Image1(), WM_MOUSEMOVE, MK_LBUTTON, 120, 200);
    Post(Image1(), WM_LBUTTONUP, 0, 120, 200);
    Pump();
    {
        DialogDriver scale(DialogMatch(L"尺度"), [](HWND d) {
            ::SendMessageW(::GetDlgItem(d, ScaleDialogIds::kLength), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"1"));
            Pressing(IDOK)(d);
        });
        ::SendMessageW(::GetDlgItem(table, PositionTableIds::kScale), BM_CLICK, 0, 0);
        ASSERT_TRUE(scale.Wait()) << "no scale dialog";
        EXPECT_TRUE(scale.view.Shows(L"ドラッグ距離=100" + std::wstring(1, DecimalSeparator()) + L"00")) << Describe(scale.view.dialog);
    }
    const auto metres = CopiedTable(table);
    ASSERT_EQ(metres.size(), 8u);
    EXPECT_EQ(metres[0][2], L"X (m)");
    EXPECT_EQ(metres[0][6], L"Ax (m/s²)");
    for (std::size_t r = 1; r < 8; ++r) {
        EXPECT_NEAR(Field(metres[r][2]), Field(rows[r][2]) / 100, 0.0006) << r;
        EXPECT_NEAR(Field(metres[r][3]), Field(rows[r][3]) / 100, 0.0006) << r;
        if (r > 1 && r < 7) {
            EXPECT_NEAR(Field(metres[r][4]), Field(rows[r][4]) / 100, 0.01) << r;
        }
        EXPECT_EQ(metres[r][8], rows[r][8]) << "the area stays in pixels";
    }

    // 手で記録 with 間隔 5: a click at (50, 60) on the pane at frame 0 records
    // (50, 180) for frame 0, copies nothing, and the clip steps on to frame 5.
    ::SendMessageW(::GetDlgItem(table, PositionTableIds::kRecord), BM_CLICK, 0, 0);
    ::SetDlgItemTextW(table, PositionTableIds::kInterval, L"5");
    const Pixels still = ReadBitmap(form->Image1->Picture->Handle());
    ASSERT_EQ(form->MediaPlayer1->QueryPosition(), 0);
    Post(Panel1(), WM_LBUTTONDOWN, MK_LBUTTON, 50, 60);
    Post(Panel1(), WM_LBUTTONUP, 0, 50, 60);
    Pump();
    EXPECT_EQ(form->MediaPlayer1->QueryPosition(), 5);
    EXPECT_EQ(ReadBitmap(form->Image1->Picture->Handle()).px, still.px);
    const auto byHand = CopiedTable(table);
    ASSERT_EQ(byHand.size(), 9u);
    EXPECT_EQ(Field(byHand[1][0]), 0);
    EXPECT_EQ(Field(byHand[1][1]), 0);
    EXPECT_NEAR(Field(byHand[1][2]), 0.5, 1e-9);
    EXPECT_NEAR(Field(byHand[1][3]), 1.8, 1e-9);
    EXPECT_EQ(byHand[1][8], L"");
    // Delete removes the selected row, the hand-recorded one.
    {
        HWND list = ::GetDlgItem(table, PositionTableIds::kList);
        LVITEMW item{};
        item.stateMask = item.state = LVIS_SELECTED;
        ::SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
        ::SendMessageW(list, WM_KEYDOWN, VK_DELETE, 0);
        ::SendMessageW(list, WM_KEYUP, VK_DELETE, 0);
        EXPECT_EQ(CopiedTable(table).size(), 8u);
        form->PositionTable->Table().Record({0, 0, 50, 180, std::nullopt});
        form->PositionTable->Refresh();
    }

    // 保存... writes the same table as CSV, UTF-8 with a byte-order mark.
    const std::string saved = folder.Path() + "\\positions.csv";
    {
        DialogDriver driver(FileDialog(), Typing(AnsiToWide(saved)));
        ::SendMessageW(::GetDlgItem(table, PositionTableIds::kSave), BM_CLICK, 0, 0);
        ASSERT_TRUE(driver.Wait()) << "no save dialog";
        EXPECT_EQ(driver.view.filters.at(0), L"CSV ファイル (*.csv)");
    }
    std::string bytes;
    if (FILE* f = std::fopen(saved.c_str(), "rb")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
        std::fclose(f);
    }
    ASSERT_GT(bytes.size(), 3u);
    EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    std::wstring csv = Utf8ToWide(bytes.substr(3));
    const wchar_t separator = DecimalSeparator() == L',' ? L';' : L',';
    std::replace(csv.begin(), csv.end(), separator, L'\t');
    std::wstring copied;
    for (const auto& row : byHand) {
        for (std::size_t f = 0; f < row.size(); ++f) copied += (f ? L"\t" : L"") + row[f];
        copied += L"\r\n";
    }
    EXPECT_EQ(csv, copied);
}

// The scale without a drag, a length that is no number, and a save into a folder
// that does not exist each give their message and change nothing.
TEST_F(VideoCapture, TheTableRefusesAScaleWithoutADragALengthThatIsNoNumberAndAnUnwritableFile) {
    media::BallClip clip;
    Load(folder.WriteClip("ball.avi", clip));
    form->Button5Click();
    ::SetFocus(form->Button8->Handle());
    PressKeys({VK_CONTROL, 'D'});
    ASSERT_TRUE(form->PositionTable && form->PositionTable->Visible()) << "Ctrl+D shows the table";
    const HWND table = form->PositionTable->Handle();
    {
        DialogDriver message(DialogMatch(L"Movetrail"));
        ::SendMessageW(::GetDlgItem(table, PositionTableIds::kScale), BM_CLICK, 0, 0);
        ASSERT_TRUE(message.Wait());
        EXPECT_TRUE(message.view.Shows(L"尺度を決めるには、まず右の画像の上で長さの分かる所をドラッグしてください"));
    }
    Post(Image1(), WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
    Post(Image1(), WM_LBUTTONUP, 0, 40, 50);
    Pump();
    std::atomic<bool> answered{false};
    DialogDriver message(DialogMatch(L"Movetrail"), [&](HWND m) {
        Pressing(IDOK)(m);
        answered = true;
    });
    std::wstring shownAfter;
    DialogDriver scale(DialogMatch(L"尺度"), [&](HWND d) {
        ::SendMessageW(::GetDlgItem(d, ScaleDialogIds::kLength), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"abc"));
        Pressing(IDOK)(d);
        for (int i = 0; i < 1200 && !(answered && ::IsWindowEnabled(d)); ++i) ::Sleep(25);
        shownAfter = WindowText(::GetDlgItem(d, ScaleDialogIds::kLength));
        Pressing(IDCANCEL)(d);
    });
    ::SendMessageW(::GetDlgItem(table, PositionTableIds::kScale), BM_CLICK, 0, 0);
    ASSERT_TRUE(scale.Wait());
    ASSERT_TRUE(message.Wait());
    EXPECT_TRUE(message.view.Shows(L"長さには 0 より大きい数を入れてください")) << Describe(message.view.dialog);
    EXPECT_EQ(shownAfter, L"abc");
    EXPECT_FALSE(form->PositionTable->Table().scale.Set());
    const std::string nowhere = folder.Path() + "\\no such folder\\positions.csv";
    EXPECT_EQ(FailureOf([&] { form->PositionTable->SaveTo(nowhere); }),
              L"ファイル " + AnsiToWide(nowhere) + L" を作成できません");
}

// 手で記録 ends when the table is hidden (Esc) and when another clip is opened: a
// click on the video pane then traces as before, adds no row and stays on its frame.
TEST_F(VideoCapture, RecordingByHandEndsWhenTheTableIsHiddenAndWhenAnotherClipIsOpened) {
    media::BallClip clip;
    Load(folder.WriteClip("ball.avi", clip));
    form->Button5Click();
    form->Button4Click();
    form->ShowPositionTable();
    const HWND table = form->PositionTable->Handle();
    const HWND record = ::GetDlgItem(table, PositionTableIds::kRecord);
    auto clickTraces = [&](int x, int y, const char* after) {
        const long frame = form->MediaPlayer1->QueryPosition();
        const Pixels pane = ReadWindow(Panel1(), RECT{x - 2, y - 2, x + 2, y + 2});
        Post(Panel1(), WM_LBUTTONDOWN, MK_LBUTTON, x, y);
        Post(Panel1(), WM_LBUTTONUP, 0, x, y);
        Pump();
        ASSERT_TRUE(form->Image1->Picture) << "no patch copied " << after;
        const Pixels still = ReadBitmap(form->Image1->Picture->Handle());
        EXPECT_EQ(still.At(x, y), pane.At(2, 2)) << "no patch copied " << after;
        EXPECT_EQ(form->MediaPlayer1->QueryPosition(), frame) << "the clip stepped " << after;
        EXPECT_TRUE(form->PositionTable->Table().Rows().empty()) << "a row was added " << after;
    };

    ::SendMessageW(record, BM_CLICK, 0, 0);
    ASSERT_EQ(::IsDlgButtonChecked(table, PositionTableIds::kRecord), BST_CHECKED);
    ::SetForegroundWindow(table);
    ::SetFocus(record);
    PressKeys({VK_ESCAPE});
    ASSERT_FALSE(form->PositionTable->Visible()) << "Esc hides the table";
    clickTraces(50, 60, "with the table hidden");
    form->ShowPositionTable();
    EXPECT_EQ(::IsDlgButtonChecked(table, PositionTableIds::kRecord), BST_UNCHECKED);

    if (::IsDlgButtonChecked(table, PositionTableIds::kRecord) != BST_CHECKED) ::SendMessageW(record, BM_CLICK, 0, 0);
    ASSERT_EQ(::IsDlgButtonChecked(table, PositionTableIds::kRecord), BST_CHECKED);
    Load(folder.WriteClip("other.avi", clip));
    form->Button5Click();
    form->Button4Click();
    ASSERT_TRUE(form->PositionTable->Visible());
    EXPECT_EQ(::IsDlgButtonChecked(table, PositionTableIds::kRecord), BST_UNCHECKED);
    clickTraces(120, 30, "after another clip was opened");
}

// The table's dialogs (尺度, its messages, the save dialog) hold the main window
// too: it is disabled while one is open, and enabled again once it has gone.
TEST_F(VideoCapture, WhileADialogOfTheTableIsOpenTheMainWindowIsDisabled) {
    media::BallClip clip;
    Load(folder.WriteClip("ball.avi", clip));
    form->Button5Click();
    form->ShowPositionTable();
    const HWND table = form->PositionTable->Handle(), main = form->Handle();
    std::atomic<int> mainEnabled{-1};
    auto noting = [&](DialogScript then) {
        return [&mainEnabled, main, then](HWND d) {
            mainEnabled = ::IsWindowEnabled(main) ? 1 : 0;
            then(d);
        };
    };
    {
        DialogDriver message(DialogMatch(L"Movetrail"), noting(Pressing(IDOK)));
        ::SendMessageW(::GetDlgItem(table, PositionTableIds::kScale), BM_CLICK, 0, 0);
        ASSERT_TRUE(message.Wait());
        EXPECT_EQ(mainEnabled, 0) << "under the message of 尺度...";
    }
    EXPECT_TRUE(::IsWindowEnabled(main));

    Post(Image1(), WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
    Post(Image1(), WM_LBUTTONUP, 0, 40, 50);
    Pump();
    std::atomic<bool> answered{false};
    DialogDriver message(DialogMatch(L"Movetrail"), [&](HWND m) {
        Pressing(IDOK)(m);
        answered = true;
    });
    std::atomic<int> mainEnabledAfterMessage{-1};
    DialogDriver scale(DialogMatch(L"尺度"), noting([&](HWND d) {
        ::SendMessageW(::GetDlgItem(d, ScaleDialogIds::kLength), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"abc"));
        Pressing(IDOK)(d);
        for (int i = 0; i < 1200 && !(answered && ::IsWindowEnabled(d)); ++i) ::Sleep(25);
        mainEnabledAfterMessage = ::IsWindowEnabled(main) ? 1 : 0;
        Pressing(IDCANCEL)(d);
    }));
    ::SendMessageW(::GetDlgItem(table, PositionTableIds::kScale), BM_CLICK, 0, 0);
    ASSERT_TRUE(scale.Wait());
    ASSERT_TRUE(message.Wait());
    EXPECT_EQ(mainEnabled, 0) << "under 尺度";
    EXPECT_EQ(mainEnabledAfterMessage, 0) << "under 尺度, once its message has gone";
    EXPECT_TRUE(::IsWindowEnabled(main));

    mainEnabled = -1;
    {
        DialogDriver save(FileDialog(), noting(Pressing(IDCANCEL)));
        ::SendMessageW(::GetDlgItem(table, PositionTableIds::kSave), BM_CLICK, 0, 0);
        ASSERT_TRUE(save.Wait());
        EXPECT_EQ(mainEnabled, 0) << "under the save dialog";
    }
    EXPECT_TRUE(::IsWindowEnabled(main));
    EXPECT_TRUE(::IsWindowEnabled(table));
}

// A frame number typed in the list selects that frame's row.
TEST_F(VideoCapture, AFrameNumberTypedInTheTableSelectsItsRow) {
    media::BallClip clip;
    Load(folder.WriteClip("ball.avi", clip));
    form->Button5Click();
    form->ShowPositionTable();
    for (long frame : {5L, 12L, 40L, 47L}) form->PositionTable->Table().Record({frame, frame / 30.0, 10, 10, std::nullopt});
    form->PositionTable->Refresh();
    const HWND table = form->PositionTable->Handle(), list = ::GetDlgItem(table, PositionTableIds::kList);
    ::SetForegroundWindow(table);
    ::SetFocus(list);
    auto selected = [&] { return static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED)); };
    PressKeys({'4'});
    EXPECT_TRUE(PumpUntil([&] { return selected() == 2; }, 2000)) << "row " << selected() << " selected for 4";
}

// On a clip whose rate changes (30 fps, then 15 from frame 45) the table's times
// are the frames' own.
TEST_F(VideoCapture, TheTimesOfTheTableFollowAClipWhoseRateChanges) {
    constexpr MarkerClip vfr{"marker-vfr.mp4", 400, 300, 320, 240, 4, 40, 16, 100};
    Load(vfr.Path());
    form->Button5Click();
    {
        DialogDriver driver(DialogMatch(L"軌跡の合成"), TrailValues(L"35", L"55", L"5"));
        form->ComposeTrail();
        ASSERT_TRUE(driver.Wait()) << "no trail dialog";
    }
    ASSERT_TRUE(form->PositionTable);
    const auto rows = CopiedTable(form->PositionTable->Handle());
    ASSERT_EQ(rows.size(), 6u);
    const double times[] = {35 / 30.0, 40 / 30.0, 45 / 30.0, 45 / 30.0 + 5 / 15.0, 45 / 30.0 + 10 / 15.0};
    for (std::size_t r = 1; r < rows.size(); ++r) {
        EXPECT_NEAR(Field(rows[r][1]), times[r - 1], 0.00006) << rows[r][0];
        EXPECT_NEAR(Field(rows[r][2]), vfr.FittedLeft(long(Field(rows[r][0]))) + 6.4 - 0.5, 0.75) << rows[r][0];
    }
}

// A throw, in 4 x 4 blocks, 15 frames a second: a thrower drifting right, who
// holds the ball until frame 4; the ball (3 x 3 blocks) then flies 1 block a
// frame to the right and falls 1 block a frame² (900 px/s²), cut by the bottom
// edge at frame 23 and gone after; a bird of the ball's size passing 20 pixels
// under it at frame 16, a
// lamp that flickers in place, and blocks of noise, over a textured ground.
int ThrowBallColumn(int frame) { return 16 + (frame - 4); }
int ThrowBallRow(int frame) {
    const int m = frame - 4;
    return 40 - 8 * m + m * (m - 1) / 2;
}
media::Rgb ThrowBlock(int frame, int x, int y) {
    const int bx = x / 4, by = y / 4;
    const int thrower = 4 + frame / 4;
    const bool inHand = frame < 4;
    const int ballX = inHand ? thrower + 8 : ThrowBallColumn(frame), ballY = inHand ? 40 : ThrowBallRow(frame);
    if (bx >= ballX && bx < ballX + 3 && by >= ballY && by < ballY + 3) return {248, 232, 40};
    if (bx >= thrower && bx < thrower + 8 && by >= 38 && by < 54) return {40, 64, 200};
    const int bird = 60 - 2 * frame;
    if (bx >= bird && bx < bird + 3 && by >= 15 && by < 18) return {24, 24, 24};
    if ((frame / 4) % 2 == 0 && bx >= 72 && bx < 74 && by >= 2 && by < 4) return {255, 255, 255};
    for (int k = 0; k < 3; ++k)
        if (bx == (frame * 37 + k * 23) % 80 && by == (frame * 11 + k * 29) % 60) return {200, 40, 200};
    return {static_cast<std::uint8_t>(64 + 8 * ((bx * 3 + by * 5) % 16)),
            static_cast<std::uint8_t>(96 + 6 * ((bx * 7 + by) % 16)),
            static_cast<std::uint8_t>(48 + 10 * ((bx + by * 3) % 16))};
}

// Waits on a thread of its own for a popup menu of this process, then takes
// its first item with the keyboard, as a user would.
class FirstMenuItem {
public:
    FirstMenuItem()
        : thread_([this] {
              for (int tries = 0; tries < 1000 && !done_; ++tries) {
                  HWND menu = ::FindWindowW(L"#32768", nullptr);
                  if (menu && ::IsWindowVisible(menu)) {
                      ::PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
                      ::PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
                      taken_ = true;
                      return;
                  }
                  ::Sleep(10);
              }
          }) {}
    ~FirstMenuItem() {
        done_ = true;
        thread_.join();
    }
    bool Taken() const { return taken_; }

private:
    std::atomic<bool> done_{false}, taken_{false};
    std::thread thread_;
};

// A trail of the throw measures the thrower, the largest moving object; a
// right-click on the ball's copy in a middle frame and この物を追う measure the
// ball instead, a row for each chosen frame it is in view, and move the marks.
TEST_F(VideoCapture, TheBallPointedAtIsFollowedAcrossTheTrailWhereItIsInViewAndGivesG) {
    Load(folder.Write("throw.avi", media::EncodeMsVideo1Avi(320, 240, 32, 15, ThrowBlock)));
    form->Button5Click();
    {
        DialogDriver driver(DialogMatch(L"軌跡の合成"), [](HWND d) {
            ::SendMessageW(::GetDlgItem(d, TrailDialogIds::kMarks), BM_SETCHECK, BST_CHECKED, 0);
            TrailValues(L"0", L"30", L"2")(d);
        });
        PressKeys({VK_CONTROL, 'T'});
        ASSERT_TRUE(driver.Wait()) << "no trail dialog";
    }
    ASSERT_TRUE(form->PositionTable && form->PositionTable->Visible());
    const HWND table = form->PositionTable->Handle();
    auto rows = CopiedTable(table);
    ASSERT_GT(rows.size(), 1u);
    EXPECT_EQ(WindowText(::GetDlgItem(table, PositionTableIds::kFollowing)),
              L"最大の動く物を追っています。右の画像で追う物を右クリックして選べます");
    const Pixels marked = ReadBitmap(form->Image1->Picture->Handle());
    const std::size_t steps = form->StillHistory.UndoCount();

    // Nothing moves on the ground at the left top.
    {
        DialogDriver message(DialogMatch(L"Movetrail"));
        FirstMenuItem item;
        Post(Image1(), WM_RBUTTONDOWN, MK_RBUTTON, 20, 20);
        Post(Image1(), WM_RBUTTONUP, 0, 20, 20);
        ASSERT_TRUE(message.Wait());
        EXPECT_TRUE(item.Taken());
        EXPECT_TRUE(message.view.Shows(L"ここには動く物がありません")) << Describe(message.view.dialog);
    }
    EXPECT_EQ(CopiedTable(table), rows);

    // The ball at frame 12, 3 pixels off its centre.
    {
        FirstMenuItem item;
        const int x = 4 * ThrowBallColumn(12) + 8, y = 4 * ThrowBallRow(12) + 3;
        Post(Image1(), WM_RBUTTONDOWN, MK_RBUTTON, x, y);
        Post(Image1(), WM_RBUTTONUP, 0, x, y);
        ASSERT_TRUE(PumpUntil([&] { return item.Taken() && CopiedTable(table) != rows; }, 10000)) << "not followed";
    }
    rows = CopiedTable(table);
    ASSERT_EQ(rows.size(), 11u) << "frames 4 to 22: in view; 24 on: cut off or gone";
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const int frame = 4 + 2 * int(r - 1);
        const double x = 4 * ThrowBallColumn(frame) + 5.5, row = 4 * ThrowBallRow(frame) + 5.5;
        EXPECT_EQ(Field(rows[r][0]), frame);
        EXPECT_NEAR(Field(rows[r][2]), x, 0.05) << frame;
        EXPECT_NEAR(Field(rows[r][3]), 240 - row, 0.05) << frame;
        EXPECT_EQ(Field(rows[r][8]), 144) << frame;
        // Its mark: the cross at the row's place.
        const Pixels now = ReadBitmap(form->Image1->Picture->Handle());
        const std::uint32_t mark = now.At(int(std::lround(x)), int(std::lround(row)));
        for (int d : {-kMarkArm, kMarkArm}) {
            EXPECT_EQ(now.At(int(std::lround(x)) + d, int(std::lround(row))), mark) << frame;
            EXPECT_EQ(now.At(int(std::lround(x)), int(std::lround(row)) + d), mark) << frame;
        }
    }
    EXPECT_EQ(form->StillHistory.UndoCount(), steps + 1) << "the marks moved in one step";
    ::SetFocus(form->Button8->Handle());
    PressKeys({VK_CONTROL, 'Z'});
    EXPECT_EQ(ReadBitmap(form->Image1->Picture->Handle()).px, marked.px);
    EXPECT_EQ(CopiedTable(table), rows) << "undo changes only the picture";

    // With 100 pixels set to 1.0889 m (900 px/s² = 9.8 m/s²), g.
    Post(Image1(), WM_LBUTTONDOWN, MK_LBUTTON, 20, 200);
    Post(Image1(), WM_MOUSEMOVE, MK_LBUTTON, 120, 200);
    Post(Image1(), WM_LBUTTONUP, 0, 120, 200);
    Pump();
    {
        DialogDriver scale(DialogMatch(L"尺度"), [](HWND d) {
            const std::wstring length = L"1" + std::wstring(1, DecimalSeparator()) + L"0889";
            ::SendMessageW(::GetDlgItem(d, ScaleDialogIds::kLength), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(length.c_str()));
            Pressing(IDOK)(d);
        });
        ::SendMessageW(::GetDlgItem(table, PositionTableIds::kScale), BM_CLICK, 0, 0);
        ASSERT_TRUE(scale.Wait()) << "no scale dialog";
    }
    const auto metres = CopiedTable(table);
    ASSERT_EQ(metres.size(), 11u);
    for (std::size_t r = 2; r + 1 < metres.size(); ++r) EXPECT_NEAR(Field(metres[r][7]), -9.8, 0.005) << metres[r][0];
}

// The graph beside the table, on the trail's seven rows: 放物線 on X finds no
// acceleration beyond its uncertainty and 直線 on X the square's 120 px/s; a
// row chosen in the list, or a point clicked on the graph, shows its frame in
// the video pane; グラフをコピー gives the graph as the window shows it.
TEST_P(TrailCapture, TheGraphFitsTheTrailShowsTheFrameOfTheRowChosenAndCopiesAsAPicture) {
    const bool own = GetParam();
    OpenAtFrameZero(own);
    {
        DialogDriver driver(DialogMatch(L"軌跡の合成"), TrailValues(L"10", L"70", L"10"));
        PressKeys({VK_CONTROL, 'T'});
        ASSERT_TRUE(driver.Wait()) << "no trail dialog";
    }
    ASSERT_TRUE(form->PositionTable && form->PositionTable->Visible());
    const HWND table = form->PositionTable->Handle(), list = ::GetDlgItem(table, PositionTableIds::kList),
               graph = ::GetDlgItem(table, PositionTableIds::kGraph);
    ASSERT_TRUE(graph);
    auto choose = [&](int id, int index) {
        ::SendDlgItemMessageW(table, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        ::SendMessageW(table, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(::GetDlgItem(table, id)));
    };
    // The report's line "name = value ± error", as two numbers.
    auto quantity = [&](const std::wstring& name) -> std::pair<double, double> {
        const std::wstring text = WindowText(::GetDlgItem(table, PositionTableIds::kFitText));
        const std::size_t at = text.find(L"\n" + name + L" = ");
        if (at == std::wstring::npos) {
            ADD_FAILURE() << "no " << WideToUtf8(name) << " in " << WideToUtf8(text);
            return {NAN, NAN};
        }
        const std::wstring line = text.substr(at + name.size() + 4, text.find(L'\r', at) - at - name.size() - 4);
        const std::size_t pm = line.find(L" ± ");
        return {Field(line.substr(0, pm)), pm == std::wstring::npos ? NAN : Field(line.substr(pm + 3))};
    };
    choose(PositionTableIds::kGraphColumn, 0);  // X
    choose(PositionTableIds::kFitKind, 2);      // 放物線
    EXPECT_NE(WindowText(::GetDlgItem(table, PositionTableIds::kFitText)).find(L"n = 7 行"), std::wstring::npos);
    const auto [acceleration, accelerationError] = quantity(L"加速度");
    EXPECT_LE(std::fabs(acceleration), 3 * accelerationError + 0.00001) << acceleration << " ± " << accelerationError;
    choose(PositionTableIds::kFitKind, 1);  // 直線
    const auto [speed, speedError] = quantity(L"速度");
    EXPECT_NEAR(speed, 120, own ? 1.0 : 0.01) << speed << " ± " << speedError;

    // The fourth row chosen in the list: frame 40, its square at x = 160.
    ASSERT_EQ(form->MediaPlayer1->QueryPosition(), 0);
    LVITEMW item{};
    item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list, LVM_SETITEMSTATE, 3, reinterpret_cast<LPARAM>(&item));
    EXPECT_TRUE(PumpUntil([&] { return form->MediaPlayer1->QueryPosition() == 40; }, 10000))
        << "at frame " << form->MediaPlayer1->QueryPosition();
    EXPECT_TRUE(PumpUntil([&] { return Near(ReadWindow(Panel1()).At(4 * 40 + 12, 112), 0xF81818, 48); }, 10000))
        << "frame 40 is not shown";

    // グラフをコピー: a bitmap of the graph's size holding what it shows.
    ::UpdateWindow(graph);
    const Pixels shown = ReadWindow(graph);
    ::SendMessageW(::GetDlgItem(table, PositionTableIds::kCopyGraph), BM_CLICK, 0, 0);
    Pixels copied;
    if (::OpenClipboard(nullptr)) {
        HGLOBAL block = ::GetClipboardData(CF_DIB);
        if (auto* dib = static_cast<const std::uint8_t*>(::GlobalLock(block))) {
            const TBitmap picture = LoadPackedDib({dib, ::GlobalSize(block)});
            copied = ReadBitmap(picture.Handle());
            ::GlobalUnlock(block);
        }
        ::CloseClipboard();
    }
    RECT client{};
    ::GetClientRect(graph, &client);
    ASSERT_EQ(copied.width, client.right);
    ASSERT_EQ(copied.height, client.bottom);
    EXPECT_EQ(copied.px, shown.px) << "the picture is the graph as shown";

    // A click on the leftmost point (frame 10's; the points are 5-pixel squares)
    // selects the first row alone and shows frame 10.
    std::optional<POINT> leftmost;
    for (int x = 0; x < shown.width && !leftmost; ++x)
        for (int y = 0; y < shown.height && !leftmost; ++y)
            if (shown.At(x, y) == 0x1E50C8) leftmost = POINT{x + 2, y + 2};
    ASSERT_TRUE(leftmost) << "no point on the graph";
    Post(graph, WM_LBUTTONDOWN, MK_LBUTTON, leftmost->x, leftmost->y);
    Post(graph, WM_LBUTTONUP, 0, leftmost->x, leftmost->y);
    EXPECT_TRUE(PumpUntil([&] { return form->MediaPlayer1->QueryPosition() == 10; }, 10000))
        << "at frame " << form->MediaPlayer1->QueryPosition();
    EXPECT_EQ(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 0);
    EXPECT_EQ(::SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), 1);
}

INSTANTIATE_TEST_SUITE_P(BothDevices, TrailCapture, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "OwnDevice" : "AviDevice"; });

}  // namespace
}  // namespace mt::test
