// 動画読込 and the transport buttons on the real main window with real clips.
#include <gtest/gtest.h>

#include <cwctype>

#include "base/file_exists.h"
#include "base/format.h"
#include "base/handles.h"
#include "base/paths.h"
#include "video_form_fixture.h"

namespace mt::test {
namespace {

bool IsCounter(const std::wstring& text, const std::wstring& total) {
    if (text.size() != 5 + 3 + total.size() || text.compare(5, 3, L" / ") != 0 || text.compare(8, total.size(), total) != 0)
        return false;
    for (int i = 0; i < 5; ++i)
        if (!std::iswdigit(text[i])) return false;
    return true;
}

TEST_F(VideoFormTest, LoadingFitsBothPanesToTheVideoAndPlaysOnWhileTheCounterTicks) {
    std::string path = folder.WriteClip("wide.avi", Clip(192, 144, 300, 30));
    Load(path);
    TMediaPlayer& player = *form->MediaPlayer1;
    ASSERT_TRUE(player.DeviceOpen());
    EXPECT_EQ(player.QueryMode(), mpPlaying) << "play does not wait for the end";

    EXPECT_EQ(form->Pane1Width, 192);
    EXPECT_EQ(form->Pane1Height, 144);
    EXPECT_EQ(form->Pane2Width, 192);
    EXPECT_EQ(form->Pane2Height, 144);
    EXPECT_EQ(form->Pane1Left, 10);
    EXPECT_EQ(form->Pane1Top, 80);
    RECT p1 = BoundsOf(form->Panel1->Handle()), p2 = BoundsOf(form->Panel2->Handle()),
         im = BoundsOf(form->Image1->Handle());
    EXPECT_EQ(p1.left, 10);
    EXPECT_EQ(p1.top, 80);
    EXPECT_EQ(p1.right - p1.left, 192);
    EXPECT_EQ(p1.bottom - p1.top, 144);
    EXPECT_EQ(p2.left, 350);
    EXPECT_EQ(p2.top, 80);
    EXPECT_EQ(p2.right - p2.left, 192);
    EXPECT_EQ(p2.bottom - p2.top, 144);
    EXPECT_EQ(im.left, 0);
    EXPECT_EQ(im.top, 0);
    EXPECT_EQ(im.right - im.left, 192);
    EXPECT_EQ(im.bottom - im.top, 144);

    EXPECT_EQ(player.Display(), form->Panel1->Handle());
    EXPECT_EQ(player.StepFrames, 1);
    EXPECT_EQ(FrameCountText, L"00300");
    EXPECT_TRUE(form->Timer1->Enabled());
    EXPECT_EQ(form->Label4->Caption(), L"") << "the counter waits for the next tick";

    ASSERT_TRUE(PumpUntil([&] { return !form->Label4->Caption().empty(); }, 5000));
    std::wstring counter = form->Label4->Caption();
    EXPECT_TRUE(IsCounter(counter, L"00300")) << counter;
    ASSERT_TRUE(PumpUntil([&] { return player.QueryPosition() > 0; }, 10000)) << "playback advances";
}

TEST_F(VideoFormTest, TransportButtonsStopStepExactlyOneFrameAndRewind) {
    Load(folder.WriteClip("long.avi", Clip(96, 64, 300, 30)));
    TMediaPlayer& player = *form->MediaPlayer1;
    form->Label4->SetCaption(L"untouched");

    form->Button5Click();
    EXPECT_EQ(player.QueryMode(), mpStopped);
    form->Button4Click();
    EXPECT_EQ(player.QueryPosition(), 0);
    form->Button2Click();
    EXPECT_EQ(player.QueryPosition(), 1);
    form->Button2Click();
    EXPECT_EQ(player.QueryPosition(), 2);
    form->Button3Click();
    EXPECT_EQ(player.QueryPosition(), 1);
    EXPECT_EQ(form->Label4->Caption(), L"untouched") << "transport does not touch the counter";

    form->Button1Click();
    EXPECT_TRUE(PumpUntil([&] { return player.QueryPosition() > 1; }, 10000));
}

TEST_F(VideoFormTest, PlayAtTheEndDoesNotRewindButTheFirstFrameButtonDoes) {
    Load(folder.WriteClip("short.avi", Clip(96, 64, 12, 24)));
    TMediaPlayer& player = *form->MediaPlayer1;
    ASSERT_TRUE(PumpUntil([&] { return player.QueryMode() == mpStopped; }, 20000));
    EXPECT_GE(player.QueryPosition(), 11);

    form->Button1Click();
    ASSERT_TRUE(PumpUntil([&] { return player.QueryMode() == mpStopped; }, 20000));
    EXPECT_GE(player.QueryPosition(), 11) << "play at the end stays at the end";

    form->Button4Click();
    EXPECT_EQ(player.QueryPosition(), 0);
    form->Button1Click();
    EXPECT_TRUE(PumpUntil([&] { return player.QueryPosition() > 0; }, 20000));
}

TEST_F(VideoFormTest, ASecondLoadReplacesTheFirstDevice) {
    Load(folder.WriteClip("one.avi", Clip(192, 144, 40, 20)));
    Load(folder.WriteClip("two.avi", Clip(96, 64, 25, 20)));
    EXPECT_EQ(OpenMciDevices(), 1);
    EXPECT_EQ(form->Pane1Width, 96);
    EXPECT_EQ(form->Pane2Height, 64);
    EXPECT_EQ(FrameCountText, L"00025");
    EXPECT_TRUE(form->Timer1->Enabled());
}

TEST_F(VideoFormTest, AFileNoDeviceOpensIsReportedAndLeavesNoDeviceOpen) {
    std::vector<std::uint8_t> clip = Clip(96, 64, 20, 20).Encode();
    std::vector<std::string> bad = {
        folder.Write("notes.avi", std::string("not a video at all\r\n")),
        folder.Write("cut.avi", std::vector<std::uint8_t>(clip.begin(), clip.begin() + 100)),
        folder.Write("strange.xyz", clip),
    };
    Load(folder.WriteClip("good.avi", Clip(192, 144, 40, 20)));
    for (const std::string& path : bad) {
        {
            DialogDriver message(L"Movetrail");
            Load(path);
            ASSERT_TRUE(message.Wait()) << path;
            EXPECT_TRUE(message.view.Shows(L"そのファイルは開けません"));
        }
        EXPECT_FALSE(form->MediaPlayer1->DeviceOpen()) << path;
        EXPECT_EQ(OpenMciDevices(), 0) << "the earlier video is closed";
        EXPECT_EQ(form->Pane1Width, 192) << "the panes keep the last video's size";
        EXPECT_EQ(form->Pane2Height, 144);
        EXPECT_EQ(FrameCountText, L"00040");
        EXPECT_TRUE(form->Timer1->Enabled());
    }
    // The counter keeps ticking against no device.
    form->Label4->SetCaption(L"");
    ASSERT_TRUE(PumpUntil([&] { return !form->Label4->Caption().empty(); }, 5000));
    EXPECT_EQ(form->Label4->Caption(), L"00000 / 00040");

    for (auto* button : {&form->Button1, &form->Button5, &form->Button2, &form->Button3, &form->Button4}) {
        DialogDriver report(L"Movetrail");
        Click(*button);
        ASSERT_TRUE(report.Wait());
        EXPECT_TRUE(report.view.Shows(L"MCI デバイスがありません."));
    }
}

TEST_F(VideoFormTest, ANameThatDoesNotExistOrACancelChangesNothing) {
    Load(folder.WriteClip("good.avi", Clip(96, 64, 40, 20)));
    std::uint16_t id = form->MediaPlayer1->DeviceId();
    {
        DialogDriver message(L"Movetrail", Pressing(IDOK), 1500);
        Load(folder.File("missing.avi"));
        EXPECT_FALSE(message.Wait()) << "no message for a missing file";
    }
    {
        DialogDriver cancel(FileDialog(), Pressing(IDCANCEL));
        form->Button6Click();
        EXPECT_TRUE(cancel.Wait());
    }
    EXPECT_TRUE(form->MediaPlayer1->DeviceOpen());
    EXPECT_EQ(form->MediaPlayer1->DeviceId(), id);
    EXPECT_EQ(form->Pane1Width, 96);
    EXPECT_EQ(FrameCountText, L"00040");
}

TEST_F(VideoFormTest, ASoundFileKeepsThePaneSize) {
    Load(folder.Write("silence.wav", SilentWave(1500)));
    if (!form->MediaPlayer1->DeviceOpen()) GTEST_SKIP() << "no wave device here";
    EXPECT_FALSE(form->MediaPlayer1->HasVideo());
    EXPECT_EQ(form->Pane1Width, 320);
    EXPECT_EQ(form->Pane1Height, 240);
    EXPECT_EQ(form->Pane2Width, 320);
    EXPECT_EQ(form->Pane2Height, 240);
    EXPECT_EQ(BoundsOf(form->Panel1->Handle()).right, 330);
}

TEST_F(VideoFormTest, AnMpegClipPlaysThroughItsOwnDevice) {
    // demo.mpg is made from the demo clip at build time when ffmpeg is there.
    char exe[MAX_PATH + 1] = {};
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string mpeg = FolderOfPath(exe) + "\\demo.mpg";
    if (!FileExists(mpeg)) GTEST_SKIP() << "no MPEG clip: ffmpeg was not found at build time";
    {
        DialogDriver message(L"Movetrail", Pressing(IDOK), 3000);
        Load(mpeg);
        EXPECT_FALSE(message.Wait()) << "the MPEG device did not open the clip";
    }
    ASSERT_TRUE(form->MediaPlayer1->DeviceOpen());
    EXPECT_TRUE(form->MediaPlayer1->HasVideo());
    EXPECT_EQ(form->Pane1Width, 160);
    EXPECT_EQ(form->Pane1Height, 120);
    EXPECT_EQ(form->Pane2Width, 160);
    EXPECT_GT(form->MediaPlayer1->QueryLength(), 0);
    EXPECT_EQ(FrameCountText, Format(L"%.5d", {static_cast<long long>(form->MediaPlayer1->QueryLength())}));
    // The program cannot decode its frames itself: stepping goes on without a word.
    DialogDriver message(L"Movetrail", Pressing(IDOK), 3000);
    Click(form->Button4);
    Click(form->Button2);
    EXPECT_FALSE(message.Wait()) << "a message came up on stepping";
}

// A file the build puts beside the test programs.
std::string BesideTests(const char* name) {
    char exe[MAX_PATH + 1] = {};
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    return FolderOfPath(exe) + "\\" + name;
}

TEST_F(VideoFormTest, ClosingTheWindowClosesTheDeviceAndLeavesTheClipFree) {
    std::string path = folder.WriteClip("clip.avi", Clip(96, 64, 40, 20));
    Load(path);
    ASSERT_EQ(OpenMciDevices(), 1);
    form->Button5Click();
    form->Button2Click();
    EXPECT_FALSE(NothingHolds(path)) << "the device reads the clip";
    ::SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(OpenMciDevices(), 0);
    EXPECT_TRUE(NothingHolds(path)) << "no device or frame decoder is left on the clip";
}

TEST_F(VideoFormTest, LoadingAnotherClipLeavesTheFirstFree) {
    std::string first = folder.WriteClip("first.avi", Clip(96, 64, 40, 20));
    std::string second = folder.WriteClip("second.avi", Clip(96, 64, 40, 20));
    Load(first);
    form->Button5Click();
    form->Button2Click();
    Load(second);
    form->Button5Click();
    form->Button2Click();
    EXPECT_EQ(OpenMciDevices(), 1);
    EXPECT_TRUE(NothingHolds(first)) << "no device or frame decoder is left on the first clip";
    EXPECT_FALSE(NothingHolds(second));
}

TEST_F(VideoFormTest, APhoneClipOpensFittedToThePanesStartSize) {
    // phone.mp4 (H.264) is made from the demo clip at build time when ffmpeg has libx264.
    std::string mp4 = BesideTests("phone.mp4");
    if (!FileExists(mp4)) GTEST_SKIP() << "no phone clip: ffmpeg with libx264 was not found at build time";
    {
        DialogDriver message(L"Movetrail", Pressing(IDOK), 3000);
        Load(mp4);
        EXPECT_FALSE(message.Wait()) << "no device took the .mp4 name";
    }
    ASSERT_TRUE(form->MediaPlayer1->DeviceOpen());
    EXPECT_TRUE(form->MediaPlayer1->HasVideo());
    // 640 x 480, scaled down to fit 320 x 240.
    EXPECT_EQ(form->Pane1Width, 320);
    EXPECT_EQ(form->Pane1Height, 240);
}

TEST_F(VideoFormTest, APhoneClipConvertedToCinepakStepsFrameByFrame) {
    // phone.avi is phone.mp4 converted with the README's command line.
    std::string avi = BesideTests("phone.avi");
    if (!FileExists(avi)) GTEST_SKIP() << "no converted phone clip: ffmpeg with libx264 was not found at build time";
    Load(avi);
    TMediaPlayer& player = *form->MediaPlayer1;
    ASSERT_TRUE(player.DeviceOpen());
    EXPECT_EQ(form->Pane1Width, 320);
    EXPECT_EQ(form->Pane1Height, 240);
    ASSERT_TRUE(PumpUntil([&] { return player.QueryPosition() >= 20; }, 30000));
    form->Button5Click();
    // Every 8th pixel of the pane against the frame as the platform decodes it.
    auto differences = [&](int frame) {
        auto decoded = DecodeAviFrame(avi, frame);
        if (!decoded) return -1;
        WindowDC dc(form->Panel1->Handle());
        int wrong = 0;
        for (int y = 0; y < decoded->height; y += 8)
            for (int x = 0; x < decoded->width; x += 8) {
                COLORREF c = ::GetPixel(dc.get(), x, y);
                if (!(media::Rgb{GetRValue(c), GetGValue(c), GetBValue(c)} == decoded->At(x, y))) ++wrong;
            }
        return wrong;
    };
    form->Button4Click();
    EXPECT_EQ(differences(0), 0) << "after 最初のフレーム";
    form->Button2Click();
    form->Button2Click();
    EXPECT_EQ(player.QueryPosition(), 2);
    EXPECT_EQ(differences(2), 0) << "after two steps forward";
    form->Button3Click();
    EXPECT_EQ(player.QueryPosition(), 1);
    EXPECT_EQ(differences(1), 0) << "after a step back";
}

}  // namespace
}  // namespace mt::test
