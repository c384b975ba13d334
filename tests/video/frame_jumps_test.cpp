// End, PageDown and PageUp, Shift with the arrows, the wheel over the video pane
// and Ctrl+G on the real main window, pressed as a user presses them: each shows
// the frame it names and the counter says so, on our device and on the system's
// AVI device; and the commands they send.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>

#include "base/file_exists.h"
#include "base/text.h"
#include "common/pump.h"
#include "mci_recorder.h"
#include "video/go_to_frame_dialog.h"
#include "video/program_mci.h"
#include "video_form_fixture.h"

namespace mt::test {
namespace {

constexpr DWORD kStepFrames = 0x20000, kStepReverse = 0x10000;

// A ball crossing a 160x120 frame 4 pixels a frame, 30 frames.
media::BallClip Ball() { return media::BallClip{}; }

class FrameJumpTest : public VideoFormTest {
protected:
    // Opens a clip, stops it and gives the focus to 動画読込, as after clicks.
    void OpenStopped(const std::string& path) {
        Load(path);
        form->Button5Click();
        ::SetForegroundWindow(form->Handle());
        ::SetFocus(form->Button6->Handle());
        Pump();
    }
    std::wstring Counter() {
        form->Timer1Timer();
        return form->Label4->Caption();
    }
    void Wheel(int delta) { TurnWheel(form->Panel1->Handle(), delta); }
    // Ctrl+G, the text typed into the dialog's box and 移動 pressed.
    void GoTo(const std::wstring& text) {
        DialogDriver dialog(L"フレームへ移動", [text](HWND d) {
            ::SetDlgItemTextW(d, kGoToFrameEditId, text.c_str());
            Pressing(IDOK)(d);
        });
        PressKeys({VK_CONTROL, 'G'});
        EXPECT_TRUE(dialog.Wait()) << "no dialog for Ctrl+G";
    }

    // Every key from either end of a clip of `last + 1` frames; shows(f) tells
    // whether the pane shows frame f.
    void Walk(long last, const std::function<bool(long)>& shows) {
        const std::wstring total = Format5(last + 1);
        auto expect = [&](const char* what, long f) {
            SCOPED_TRACE(what);
            EXPECT_EQ(form->MediaPlayer1->QueryPosition(), f);
            EXPECT_TRUE(shows(f)) << "frame " << f << " not shown";
            EXPECT_EQ(Counter(), Format5(f) + L" / " + total);
        };
        PressKeys({VK_END});
        expect("End", last);
        PressKeys({VK_NEXT});
        expect("PageDown at the last frame", last);
        PressKeys({VK_SHIFT, VK_RIGHT});
        expect("Shift+Right at the last frame", last);
        PressKeys({VK_PRIOR});
        expect("PageUp", last - 10);
        PressKeys({VK_SHIFT, VK_LEFT});
        expect("Shift+Left", last - 20);
        PressKeys({VK_SHIFT, VK_RIGHT});
        expect("Shift+Right", last - 10);
        Wheel(-3 * WHEEL_DELTA);
        Wheel(-3 * WHEEL_DELTA);
        Wheel(-3 * WHEEL_DELTA);
        Wheel(-3 * WHEEL_DELTA);
        expect("three notches towards the user, four times, to the last frame", last);
        PressKeys({VK_HOME});
        PressKeys({VK_PRIOR});
        expect("PageUp at the first frame", 0);
        PressKeys({VK_SHIFT, VK_LEFT});
        expect("Shift+Left at the first frame", 0);
        PressKeys({VK_NEXT});
        expect("PageDown", 10);
        Wheel(-WHEEL_DELTA);
        expect("a notch towards the user: a frame on", 11);
        Wheel(3 * WHEEL_DELTA);
        expect("three notches away from the user in one message: three frames back", 8);
        Wheel(WHEEL_DELTA);
        expect("a notch away from the user: a frame back", 7);
        Wheel(60);
        Wheel(60);
        expect("two half notches away from the user", 6);
        Wheel(30 * WHEEL_DELTA);
        expect("thirty notches away from the user", 0);
        GoTo(L"17");
        expect("Ctrl+G 17", 17);
        GoTo(std::to_wstring(last));
        expect("Ctrl+G the last frame", last);
        GoTo(L"0");
        expect("Ctrl+G 0", 0);
    }
    static std::wstring Format5(long n) {
        std::wstring s = std::to_wstring(n);
        return std::wstring(s.size() < 5 ? 5 - s.size() : 0, L'0') + s;
    }
};

TEST_F(FrameJumpTest, EveryKeyAndTheWheelShowTheFrameTheyNameOnOurDevice) {
    const MarkerClip& clip = kMarkerClips[0];  // H.264 with B-frames
    if (!FileExists(clip.Path())) GTEST_SKIP() << "not made at build time: " << clip.file;
    OpenStopped(clip.Path());
    ASSERT_TRUE(ProgramMci().IsOwnDevice(form->MediaPlayer1->DeviceId()));
    Walk(kMarkerClipFrames - 1, [&](long f) { return ShowsMarkerFrame(form->Panel1->Handle(), clip, f); });
}

TEST_F(FrameJumpTest, EveryKeyAndTheWheelShowTheFrameTheyNameOnTheAviDevice) {
    const media::BallClip clip = Ball();
    OpenStopped(folder.WriteClip("ball.avi", clip));
    ASSERT_FALSE(ProgramMci().IsOwnDevice(form->MediaPlayer1->DeviceId()));
    Walk(clip.frames - 1, [&](long f) { return ShowsBallFrame(form->Panel1->Handle(), clip, static_cast<int>(f)); });
}

TEST_F(FrameJumpTest, CtrlGOffersTheCurrentFrameAndRefusesATextThatIsNoFrame) {
    OpenStopped(folder.WriteClip("ball.avi", Ball()));
    form->MediaPlayer1->SeekTo(5);
    for (const wchar_t* text : {L"abc", L"-1", L"30", L""}) {
        SCOPED_TRACE(testing::Message() << "typed \"" << WideToUtf8(text) << "\"");
        std::atomic<HWND> owner{nullptr};
        std::atomic<bool> stayed{false};
        DialogDriver message(L"Movetrail", [&](HWND m) {
            owner = ::GetWindow(m, GW_OWNER);
            Pressing(IDOK)(m);
        });
        DialogDriver dialog(L"フレームへ移動", [&, text](HWND d) {
            ::SetDlgItemTextW(d, kGoToFrameEditId, text);
            // Sent: returns once the message over the dialog has been answered.
            ::SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(d, IDOK)));
            stayed = ::IsWindowVisible(d) != FALSE;
            Pressing(IDCANCEL)(d);
        });
        PressKeys({VK_CONTROL, 'G'});
        ASSERT_TRUE(dialog.Wait());
        ASSERT_TRUE(message.Wait()) << "no message";
        EXPECT_TRUE(message.view.Shows(L"フレームには 0 から 29 までの番号を入力してください"));
        EXPECT_EQ(owner.load(), dialog.view.dialog) << "the message is over the dialog";
        EXPECT_TRUE(stayed) << "the dialog stays open";
        EXPECT_EQ(form->MediaPlayer1->QueryPosition(), 5);
        // The dialog as it opened: its label, the box with the current frame, its buttons.
        EXPECT_TRUE(dialog.view.Shows(L"フレーム"));
        EXPECT_TRUE(dialog.view.Shows(L"5"));
        EXPECT_TRUE(dialog.view.Shows(L"移動"));
        EXPECT_TRUE(dialog.view.Shows(L"キャンセル"));
    }
    EXPECT_EQ(FrameNumberOf(L" ２９ ", 29), std::optional<std::int32_t>(29)) << "full-width digits and spaces";
    EXPECT_EQ(FrameNumberOf(L"99999999999", 29), std::nullopt);
    EXPECT_EQ(FrameNumberOf(L"1 2", 29), std::nullopt);
}

// The keys on the system's AVI device with every command recorded: a step, a
// seek, or nothing past the ends.
class RecordedFrameJumpTest : public FrameJumpTest {
protected:
    void SetUp() override {
        FrameJumpTest::SetUp();
        form->MediaPlayer1 = std::make_unique<TMediaPlayer>(form->Handle(), mci);
        OpenStopped(folder.WriteClip("ball.avi", Ball()));
        form->MediaPlayer1->SeekTo(0);
        mci.calls.clear();
    }
    // The commands other than status queries since the last call.
    std::vector<MciCall> Moves() {
        std::vector<MciCall> out;
        for (const MciCall& c : mci.calls)
            if (c.message != MCI_STATUS) out.push_back(c);
        mci.calls.clear();
        return out;
    }
    MciRecorder mci;
};

TEST_F(RecordedFrameJumpTest, EachKeySendsOneStepOrOneSeek) {
    const DWORD_PTR callback = reinterpret_cast<DWORD_PTR>(form->MediaPlayer1->NoticeWindow());
    auto expectStep = [&](const char* what, DWORD frames, bool reverse) {
        SCOPED_TRACE(what);
        std::vector<MciCall> moves = Moves();
        ASSERT_EQ(moves.size(), 1u);
        EXPECT_EQ(moves[0].message, static_cast<UINT>(MCI_STEP));
        EXPECT_EQ(moves[0].flags, static_cast<DWORD_PTR>(MCI_WAIT | kStepFrames | (reverse ? kStepReverse : 0)));
        EXPECT_EQ(moves[0].frames, frames);
        EXPECT_EQ(moves[0].callback, callback);
    };
    auto expectSeek = [&](const char* what, DWORD to) {
        SCOPED_TRACE(what);
        std::vector<MciCall> moves = Moves();
        ASSERT_EQ(moves.size(), 1u);
        EXPECT_EQ(moves[0].message, static_cast<UINT>(MCI_SEEK));
        EXPECT_EQ(moves[0].flags, static_cast<DWORD_PTR>(MCI_WAIT | MCI_TO));
        EXPECT_EQ(moves[0].to, to);
        EXPECT_EQ(moves[0].callback, callback);
    };
    PressKeys({VK_NEXT});
    expectStep("PageDown", 10, false);
    PressKeys({VK_SHIFT, VK_RIGHT});
    expectStep("Shift+Right", 10, false);
    PressKeys({VK_PRIOR});
    expectStep("PageUp", 10, true);
    PressKeys({VK_SHIFT, VK_LEFT});
    expectStep("Shift+Left", 10, true);
    PressKeys({VK_PRIOR});
    EXPECT_TRUE(Moves().empty()) << "PageUp at the first frame sends nothing";
    Wheel(-WHEEL_DELTA);
    expectStep("a notch towards the user: a frame on", 1, false);
    Wheel(WHEEL_DELTA);
    expectStep("a notch away from the user: a frame back", 1, true);
    Wheel(-3 * WHEEL_DELTA);
    expectStep("three notches towards the user", 3, false);
    PressKeys({VK_END});
    expectSeek("End", 29);
    Wheel(-3 * WHEEL_DELTA);
    EXPECT_TRUE(Moves().empty()) << "three notches towards the user at the last frame send nothing";
    GoTo(L"12");
    expectSeek("Ctrl+G 12", 12);
    EXPECT_EQ(form->MediaPlayer1->QueryPosition(), 12);
}

}  // namespace
}  // namespace mt::test
