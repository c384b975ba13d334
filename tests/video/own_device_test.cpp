// The program's own media device behind the MCI entry: which device serves a
// file, and the real main window driving our device, with clips whose frames
// tell themselves apart by where the ball (or marker) is.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <numeric>

#include "base/file_exists.h"

#include "base/format.h"
#include "common/marker_clips.h"
#include "common/pixels.h"
#include "mci_recorder.h"
#include "video/avi_frames.h"
#include "video/program_mci.h"
#include "video_form_fixture.h"

namespace mt::test {
namespace {

// A ball crossing the frame 4 pixels a frame.
media::BallClip MovingBall(int frames, int fps, int width = 160) {
    media::BallClip clip;
    clip.frames = frames;
    clip.framesPerSecond = fps;
    clip.width = width;
    return clip;
}

TEST(DeviceChoice, TheSystemFirstOursWhereItCannotOpenOrStepAndOnlyWhereOursOpens) {
    const SystemDeviceTraits wine{false, false}, windows{true, true};
    int asked = 0;
    auto opens = [&] { ++asked; return true; };
    auto fails = [&] { ++asked; return false; };
    SystemOpening avi{true, true, "AVIVideo"}, mpeg{true, true, "MPEGVideo"}, sound{true, false, "waveaudio"},
        none{};
    EXPECT_EQ(ChooseDevice(avi, wine, opens), ServingDevice::System);
    EXPECT_EQ(ChooseDevice(sound, wine, opens), ServingDevice::System) << "a sound file stays";
    EXPECT_EQ(ChooseDevice(mpeg, windows, opens), ServingDevice::System) << "Windows' MPEG device steps";
    EXPECT_EQ(asked, 0) << "our device is not tried where the system's serves";
    EXPECT_EQ(ChooseDevice(mpeg, wine, opens), ServingDevice::Own);
    EXPECT_EQ(ChooseDevice(SystemOpening{true, true, "mpegvideo"}, wine, opens), ServingDevice::Own);
    EXPECT_EQ(ChooseDevice(mpeg, wine, fails), ServingDevice::System) << "the MPEG device rather than nothing";
    EXPECT_EQ(ChooseDevice(none, wine, opens), ServingDevice::Own);
    EXPECT_EQ(ChooseDevice(none, windows, opens), ServingDevice::Own);
    EXPECT_EQ(ChooseDevice(none, wine, fails), ServingDevice::System) << "the system's failure stands";
    EXPECT_EQ(asked, 6);
    // A phone's clip that the registry gives to Wine's MPEG device is ours without
    // that device's open; a sound file, or any file on Windows, asks the system first.
    EXPECT_TRUE(OursBeforeTheSystem("MPEGVideo", "MP4", wine));
    EXPECT_TRUE(OursBeforeTheSystem("mpegvideo", "mov", wine));
    EXPECT_FALSE(OursBeforeTheSystem("MPEGVideo", "mp3", wine));
    EXPECT_FALSE(OursBeforeTheSystem("MPEGVideo", "mp4", windows));
    EXPECT_FALSE(OursBeforeTheSystem("AVIVideo", "avi", wine));
    EXPECT_FALSE(OursBeforeTheSystem("", "mp4", wine));
}

// The main window whose media player goes through a router that sends AVI clips to
// our device (the system below it refuses to open them), with a recorder below.
class OwnDeviceTest : public VideoFormTest {
protected:
    void SetUp() override {
        VideoFormTest::SetUp();
        system.fake = [](const MciCall& c) -> std::optional<MCIERROR> {
            if (c.message == MCI_OPEN) return MCIERR_CANNOT_LOAD_DRIVER;
            return std::nullopt;
        };
        form->MediaPlayer1 = std::make_unique<TMediaPlayer>(form->Handle(), router);
    }
    void TearDown() override {
        VideoFormTest::TearDown();
        EXPECT_EQ(router.OwnDevicesOpen(), 0u) << "closing the window closes our device";
    }
    // The ball of frame f is shown in the video pane (and nothing of it where frame f-1 has it).
    bool ShowsFrame(const media::BallClip& clip, int f) { return ShowsBallFrame(form->Panel1->Handle(), clip, f); }
    static media::BallClip BallClip(int frames = 30, int fps = 15) { return MovingBall(frames, fps); }
    std::wstring Counter() {
        form->Timer1Timer();
        return form->Label4->Caption();
    }

    // Our device's frames: the AVI's, each draw taking drawMs longer, and the
    // frames drawn noted in order.
    struct NotedFrames : FrameSource {
        NotedFrames(std::unique_ptr<FrameSource> f, OwnDeviceTest& t) : frames(std::move(f)), test(t) {}
        long Length() const override { return frames->Length(); }
        SIZE DisplaySize() const override { return frames->DisplaySize(); }
        double FrameTimeMs(long n) const override { return frames->FrameTimeMs(n); }
        double FramesPerSecond() const override { return frames->FramesPerSecond(); }
        bool Draw(HDC dc, const RECT& dest, long n) override {
            ::Sleep(test.drawMs);
            test.drawn.push_back(n);
            return frames->Draw(dc, dest, n);
        }
        bool ReadAhead(long n) override {
            test.readAhead.push_back(n);
            return test.readAhead.size() < 3;
        }
        std::unique_ptr<FrameSource> frames;
        OwnDeviceTest& test;
    };
    DWORD drawMs = 0;
    std::vector<long> drawn, readAhead;

    MciRecorder system;
    RoutingMci router{system, PlatformDeviceTraits(),
                      [this](const std::string& path) -> std::unique_ptr<FrameSource> {
                          auto frames = OpenAviFrames(path);
                          if (!frames) return nullptr;
                          return std::make_unique<NotedFrames>(std::move(frames), *this);
                      },
                      nullptr};
};

TEST_F(OwnDeviceTest, AClipTheSystemCannotOpenOpensOnOursWithFrameNumbersAndTheRecordedSequence) {
    media::BallClip clip = BallClip();
    std::string path = folder.WriteClip("ball.avi", clip);
    Load(path);
    TMediaPlayer& player = *form->MediaPlayer1;
    ASSERT_TRUE(player.DeviceOpen());
    EXPECT_GE(player.DeviceId(), kFirstOwnDeviceId);
    EXPECT_TRUE(router.IsOwnDevice(player.DeviceId()));
    ASSERT_EQ(system.calls.size(), 1u) << "only the refused open reached the system";
    EXPECT_EQ(system.calls[0].element, path);
    EXPECT_EQ(OpenMciDevices(), 0) << "no system device is left open";
    EXPECT_TRUE(player.HasVideo());
    EXPECT_TRUE(player.CanPlay());
    EXPECT_TRUE(player.CanStep());
    EXPECT_FALSE(player.CanRecord());
    EXPECT_EQ(form->Pane1Width, 160);
    EXPECT_EQ(form->Pane1Height, 120);
    EXPECT_EQ(FrameCountText, L"00030");
    EXPECT_EQ(player.QueryMode(), mpPlaying) << "play does not wait for the end";
    EXPECT_EQ(player.QueryTimeFormat(), MCI_FORMAT_FRAMES);

    MCI_GENERIC_PARMS nothing{};
    EXPECT_EQ(router.SendCommand(player.DeviceId(), MCI_RECORD, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&nothing)),
              static_cast<MCIERROR>(MCIERR_UNRECOGNIZED_COMMAND));
    char text[256] = {};
    ASSERT_TRUE(router.GetErrorString(kOwnDeviceFrameNotDecoded, text, sizeof text));
    EXPECT_GT(std::string(text).size(), 0u);
    EXPECT_EQ(system.calls.size(), 1u) << "nothing for our device reached the system";
}

TEST_F(OwnDeviceTest, StepsSeeksAndTheCounterShowTheFrameTheyName) {
    media::BallClip clip = BallClip();
    Load(folder.WriteClip("ball.avi", clip));
    TMediaPlayer& player = *form->MediaPlayer1;
    form->Button5Click();
    form->Button4Click();
    EXPECT_EQ(player.QueryPosition(), 0);
    EXPECT_TRUE(ShowsFrame(clip, 0));
    form->Button2Click();
    form->Button2Click();
    EXPECT_EQ(player.QueryPosition(), 2);
    EXPECT_TRUE(ShowsFrame(clip, 2));
    EXPECT_EQ(Counter(), L"00002 / 00030");
    form->Button3Click();
    EXPECT_TRUE(ShowsFrame(clip, 1));
    EXPECT_EQ(Counter(), L"00001 / 00030");
    player.SeekTo(17);
    EXPECT_TRUE(ShowsFrame(clip, 17));
    EXPECT_EQ(Counter(), L"00017 / 00030");
    // A repaint of the pane while stopped shows the same frame.
    ::InvalidateRect(form->Panel1->Handle(), nullptr, TRUE);
    ::UpdateWindow(form->Panel1->Handle());
    EXPECT_TRUE(ShowsFrame(clip, 17)) << "after a repaint";
    // A whole-frame copy takes the frame the counter names.
    form->SpeedButton1Click();
    ASSERT_TRUE(form->Image1->Picture);
    Pixels still = ReadBitmap(form->Image1->Picture->Handle());
    auto r = clip.BallAt(17);
    EXPECT_EQ(still.At(r.left + 1, r.top + 1), ReadWindow(form->Panel1->Handle()).At(r.left + 1, r.top + 1));
    EXPECT_NE(still.At(r.left + 1, r.top + 1), still.At(r.left - 2, r.top + 1));
}

TEST_F(OwnDeviceTest, PlayRunsAtTheClipsPaceToTheLastFrameAndNotifies) {
    media::BallClip clip = BallClip(30, 30);
    Load(folder.WriteClip("ball.avi", clip));
    TMediaPlayer& player = *form->MediaPlayer1;
    int notices = 0;
    player.OnNotify = [&] { ++notices; };
    DWORD start = ::GetTickCount();
    ASSERT_TRUE(PumpUntil([&] { return notices == 1; }, 10000));
    DWORD took = ::GetTickCount() - start;
    EXPECT_EQ(player.NotifyResult(), TMPNotifyValues::nvSuccessful);
    EXPECT_EQ(player.QueryMode(), mpStopped);
    EXPECT_EQ(player.QueryPosition(), 29);
    EXPECT_TRUE(ShowsFrame(clip, 29));
    EXPECT_GE(took, 800u) << "29 frame periods of 33 ms";
    // At the end play stays there and notifies at once; 停止 during play aborts the notice.
    form->Button1Click();
    ASSERT_TRUE(PumpUntil([&] { return notices == 2; }, 5000));
    EXPECT_EQ(player.QueryPosition(), 29);
    form->Button4Click();
    form->Button1Click();
    ASSERT_TRUE(PumpUntil([&] { return player.QueryPosition() >= 5; }, 5000));
    form->Button5Click();
    ASSERT_TRUE(PumpUntil([&] { return notices == 3; }, 5000));
    EXPECT_EQ(player.NotifyResult(), TMPNotifyValues::nvAborted);
    // A second play supersedes the first one's notice.
    form->Button1Click();
    form->Button1Click();
    ASSERT_TRUE(PumpUntil([&] { return notices == 4; }, 5000));
    EXPECT_EQ(player.NotifyResult(), TMPNotifyValues::nvSuperseded);
    form->Button5Click();
}

TEST_F(OwnDeviceTest, ADecoderSlowerThanTheClipPlaysEveryFrameInTurn) {
    media::BallClip clip = BallClip(20, 30);
    drawMs = 70;  // two frame periods a frame
    Load(folder.WriteClip("ball.avi", clip));
    TMediaPlayer& player = *form->MediaPlayer1;
    int notices = 0;
    player.OnNotify = [&] { ++notices; };
    ASSERT_TRUE(PumpUntil([&] { return notices == 1; }, 20000));
    EXPECT_EQ(player.QueryPosition(), 19);
    // From frame 1 on; a repaint may draw the frame shown again.
    std::vector<long> played(std::find(drawn.begin(), drawn.end(), 1), drawn.end());
    played.erase(std::unique(played.begin(), played.end()), played.end());
    std::vector<long> each(19);
    std::iota(each.begin(), each.end(), 1);
    EXPECT_EQ(played, each) << "every frame after the first, in order";
}

TEST_F(OwnDeviceTest, StoppedItReadsAheadOfItsFrameUntilThereIsNothingMoreAndNotWhilePlayingOrTracing) {
    Load(folder.WriteClip("ball.avi", BallClip(30, 15)));
    TMediaPlayer& player = *form->MediaPlayer1;
    ASSERT_TRUE(PumpUntil([&] { return player.QueryPosition() >= 5; }, 10000));
    EXPECT_TRUE(readAhead.empty()) << "the load's play";
    form->Button5Click();
    readAhead.clear();
    form->Button2Click();
    const long f = player.QueryPosition();
    // The left button held, as in a trace.
    auto hold = [](bool down) {
        BYTE keys[256];
        ::GetKeyboardState(keys);
        keys[VK_LBUTTON] = down ? 0x80 : 0;
        ::SetKeyboardState(keys);
    };
    hold(true);
    PumpUntil([] { return false; }, 300);
    hold(false);
    EXPECT_TRUE(readAhead.empty()) << "while the button is held";
    ASSERT_TRUE(PumpUntil([&] { return readAhead.size() >= 3; }, 5000));
    PumpUntil([] { return false; }, 300);
    EXPECT_EQ(readAhead, std::vector<long>(3, f)) << "after the step, until the source has nothing more";
}

TEST_F(OwnDeviceTest, StopDuringPlayLeavesThePaneAndTheCounterOnOneFrame) {
    media::BallClip clip = BallClip(30, 15);
    Load(folder.WriteClip("ball.avi", clip));
    TMediaPlayer& player = *form->MediaPlayer1;
    ASSERT_TRUE(PumpUntil([&] { return player.QueryPosition() >= 8; }, 10000));
    form->Button5Click();
    int f = player.QueryPosition();
    EXPECT_TRUE(ShowsFrame(clip, f)) << "frame " << f;
    EXPECT_EQ(Counter(), Format(L"%.5d", {static_cast<long long>(f)}) + L" / 00030");
}

TEST_F(OwnDeviceTest, AnotherClipOrClosingLeavesNoDecoderOnTheFile) {
    std::string first = folder.WriteClip("first.avi", BallClip());
    std::string second = folder.WriteClip("second.avi", BallClip());
    Load(first);
    form->Button5Click();
    form->Button2Click();
    EXPECT_FALSE(NothingHolds(first)) << "our device reads the clip";
    Load(second);
    EXPECT_EQ(router.OwnDevicesOpen(), 1u);
    EXPECT_TRUE(NothingHolds(first));
    ::SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(router.OwnDevicesOpen(), 0u);
    EXPECT_TRUE(NothingHolds(second));
}

// The system's AVI device, as the program uses it: after 停止 the pane shows the
// frame the counter names, whether or not the device drew it.
TEST_F(VideoFormTest, StopOnTheAviDeviceLeavesThePaneAndTheCounterOnOneFrame) {
    media::BallClip clip = MovingBall(75, 30, 320);
    clip.height = 240;
    clip.startY = 112;
    Load(folder.WriteClip("ball.avi", clip));
    TMediaPlayer& player = *form->MediaPlayer1;
    ASSERT_FALSE(ProgramMci().IsOwnDevice(player.DeviceId()));
    auto ball = media::ShownColor(clip.ball);
    const std::uint32_t ballColour = static_cast<std::uint32_t>((ball.r << 16) | (ball.g << 8) | ball.b);
    // Several stops in the middle of a play, each a while after the last.
    for (int round = 1; round <= 5; ++round) {
        ASSERT_TRUE(PumpUntil([&] { return player.QueryPosition() >= 12 * round; }, 10000));
        form->Button5Click();
        int f = player.QueryPosition();
        auto r = clip.BallAt(f);
        // The ball's right edge: frame f - 1 has background there.
        EXPECT_EQ(ReadWindow(form->Panel1->Handle()).At(r.right - 2, r.top + 1), ballColour) << "frame " << f;
        form->Button1Click();
    }
    form->Button5Click();
}

// The clips phones and cameras write, in the main window's video pane.
class MarkerPaneTest : public VideoFormTest {
protected:
    static int Difference(std::uint32_t px, media::Rgb c) {
        return std::max({std::abs(int(px >> 16 & 0xFF) - c.r), std::abs(int(px >> 8 & 0xFF) - c.g),
                         std::abs(int(px & 0xFF) - c.b)});
    }
    // The marker of frame f is in the pane (a pixel inside it has the marker's colour,
    // one a marker width to its left the ground's).
    bool ShowsFrame(const MarkerClip& clip, long f) { return ShowsMarkerFrame(form->Panel1->Handle(), clip, f); }
    // The first column of the marker's middle row showing its colour, or -1.
    int MarkerLeft(const MarkerClip& clip) {
        Pixels pane = ReadWindow(form->Panel1->Handle());
        const int y = static_cast<int>((clip.FittedTop() + clip.FittedBottom()) / 2);
        for (int x = 0; x < pane.width; ++x)
            if (Difference(pane.At(x, y), kMarkerColour) <= 40) return x;
        return -1;
    }
};

// Frames read ahead while the clip stood still are the ones stepped and sought onto.
TEST_F(MarkerPaneTest, StepsAndSeeksOntoFramesReadAheadShowThoseFrames) {
    const MarkerClip& clip = kMarkerClips[0];
    if (!FileExists(clip.Path())) GTEST_SKIP() << "not made at build time: " << clip.file;
    if (!OpenMediaFoundationFrames(clip.Path())) GTEST_SKIP() << "no Media Foundation decoder for " << clip.file;
    Load(clip.Path());
    TMediaPlayer& player = *form->MediaPlayer1;
    ASSERT_TRUE(ProgramMci().IsOwnDevice(player.DeviceId()));
    form->Button5Click();
    form->Button4Click();
    // Until the frames stepped and sought onto below are read ahead (the device
    // reads on meanwhile), however slowly this machine decodes. Not until the
    // thread stands quiet: with the mouse resting over a button, its hint's
    // timer ticks every few milliseconds for as long as it rests there.
    const std::shared_ptr<FrameSource> frames = ProgramMci().FramesOf(player.DeviceId());
    ASSERT_TRUE(frames);
    const long ahead[] = {1, 2, 49, 50};
    ASSERT_TRUE(PumpEachUntil([&] { return std::all_of(std::begin(ahead), std::end(ahead), [&](long f) { return frames->Holds(f); }); },
                              300000))
        << "reading ahead from the first frame never reaches frame 50";
    EXPECT_NEAR(MarkerLeft(clip), clip.FittedLeft(0), 1.0) << "the first frame, read ahead from";
    auto shows = [&](long f) {
        EXPECT_EQ(player.QueryPosition(), f);
        EXPECT_NEAR(MarkerLeft(clip), clip.FittedLeft(f), 1.0) << "frame " << f;
    };
    form->Button2Click();
    shows(1);
    form->Button2Click();
    shows(2);
    player.SeekTo(50);
    shows(50);
    form->Button3Click();
    shows(49);
    form->Button4Click();
    shows(0);
}

// The clips phones and cameras write, on whichever device the program chooses.
class MarkerClipTest : public MarkerPaneTest, public ::testing::WithParamInterface<MarkerClip> {};

TEST_P(MarkerClipTest, OpensFittedCountsFramesStepsAndStopsOnTheCountersFrame) {
    const MarkerClip& clip = GetParam();
    if (!FileExists(clip.Path())) GTEST_SKIP() << "not made at build time: " << clip.file;
    if (!OpenMediaFoundationFrames(clip.Path())) GTEST_SKIP() << "no Media Foundation decoder for " << clip.file;
    Load(clip.Path());
    TMediaPlayer& player = *form->MediaPlayer1;
    ASSERT_TRUE(player.DeviceOpen());
    EXPECT_EQ(form->Pane1Width, clip.fittedWidth);
    EXPECT_EQ(form->Pane1Height, clip.fittedHeight);
    EXPECT_EQ(FrameCountText, clip.CountText());
    form->Button5Click();
    long f = player.QueryPosition();
    EXPECT_TRUE(ShowsFrame(clip, f)) << "stopped at " << f;
    form->Button4Click();
    EXPECT_TRUE(ShowsFrame(clip, 0));
    form->Button2Click();
    form->Button2Click();
    EXPECT_EQ(player.QueryPosition(), 2);
    EXPECT_TRUE(ShowsFrame(clip, 2));
    form->Button3Click();
    EXPECT_EQ(player.QueryPosition(), 1);
    EXPECT_TRUE(ShowsFrame(clip, 1));
    player.SeekTo(60);
    EXPECT_TRUE(ShowsFrame(clip, 60));
    form->Timer1Timer();
    EXPECT_EQ(form->Label4->Caption(), L"00060 / " + clip.CountText());
    Pump();  // the notice of the play 停止 ended
    bool ended = false;
    player.OnNotify = [&] { ended = player.NotifyResult() == TMPNotifyValues::nvSuccessful; };
    form->Button1Click();
    ASSERT_TRUE(PumpUntil([&] { return ended; }, 10000));
    EXPECT_EQ(player.QueryPosition(), clip.frames - 1);
    EXPECT_TRUE(ShowsFrame(clip, clip.frames - 1));
    EXPECT_FALSE(ShowsFrame(clip, clip.frames)) << "the last frame shown is the clip's last";
    ::SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(NothingHolds(clip.Path()));
    EXPECT_EQ(ProgramMci().OwnDevicesOpen(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Formats, MarkerClipTest, ::testing::ValuesIn(kMarkerClips),
                         [](const ::testing::TestParamInfo<MarkerClip>& info) {
                             std::string name;
                             for (const char* c = info.param.file; *c; ++c)
                                 name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                             return name;
                         });

}  // namespace
}  // namespace mt::test
