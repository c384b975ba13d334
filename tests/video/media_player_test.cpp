// The media device over a real MCI device, with every command recorded on the way.
#include <gtest/gtest.h>

#include "base/errors.h"
#include "base/text.h"
#include "common/media.h"
#include "common/pump.h"
#include "mci_recorder.h"
#include "player_host.h"
#include "video/media_player.h"
#include "video_form_fixture.h"

namespace mt::test {
namespace {

constexpr DWORD kWindowHwnd = 0x10000, kWhereSource = 0x20000, kWhereDest = 0x40000, kPutDest = 0x50000,
                kStepFrames = 0x20000, kStepReverse = 0x10000;

media::BallClip SmallClip() {
    media::BallClip clip;
    clip.width = 96;
    clip.height = 64;
    clip.frames = 20;
    clip.framesPerSecond = 20;
    clip.startY = 24;
    return clip;
}


class MediaPlayerTest : public ::testing::Test {
protected:
    MediaFolder folder;
    PlayerHost host;
    MciRecorder mci;
    std::unique_ptr<TMediaPlayer> player = std::make_unique<TMediaPlayer>(host.Window(), mci);

    void Open(const std::string& path) {
        player->FileName = path;
        player->OpenDevice();
    }
};

TEST_F(MediaPlayerTest, OpeningSendsTheOpenSequenceAndLearnsTheClip) {
    std::string path = folder.WriteClip("ball.avi", SmallClip());
    player->SetDisplay(host.Pane());
    EXPECT_TRUE(mci.calls.empty()) << "no device yet: the display is only remembered";
    Open(path);

    ASSERT_EQ(mci.Messages(), (std::vector<UINT>{MCI_OPEN, MCI_STATUS, MCI_GETDEVCAPS, MCI_GETDEVCAPS, MCI_GETDEVCAPS,
                                                 MCI_GETDEVCAPS, MCI_GETDEVCAPS, MCI_WHERE, MCI_WINDOW, MCI_WHERE,
                                                 MCI_STATUS}));
    const MciCall& open = mci.calls[0];
    EXPECT_EQ(open.device, 0u);
    EXPECT_EQ(open.flags, static_cast<DWORD_PTR>(MCI_WAIT | MCI_OPEN_ELEMENT));
    EXPECT_EQ(open.callback, reinterpret_cast<DWORD_PTR>(player->NoticeWindow()));
    EXPECT_TRUE(open.typeIsEmptyName);
    EXPECT_TRUE(open.aliasNull);
    EXPECT_EQ(open.element, path);

    MCIDEVICEID id = player->DeviceId();
    ASSERT_NE(id, 0u);
    EXPECT_TRUE(player->DeviceOpen());
    for (size_t i = 1; i < mci.calls.size(); ++i) EXPECT_EQ(mci.calls[i].device, id) << i;
    EXPECT_EQ(mci.calls[1].item, static_cast<DWORD>(MCI_STATUS_LENGTH));
    std::vector<DWORD> items;
    for (const MciCall& c : mci.Of(MCI_GETDEVCAPS)) {
        EXPECT_EQ(c.flags, static_cast<DWORD_PTR>(MCI_WAIT | MCI_GETDEVCAPS_ITEM));
        items.push_back(c.item);
    }
    EXPECT_EQ(items, (std::vector<DWORD>{MCI_GETDEVCAPS_CAN_PLAY, MCI_GETDEVCAPS_CAN_RECORD, MCI_GETDEVCAPS_CAN_EJECT,
                                         MCI_GETDEVCAPS_HAS_VIDEO, MCI_GETDEVCAPS_DEVICE_TYPE}));
    EXPECT_EQ(mci.calls[7].flags, kWhereSource);
    EXPECT_EQ(mci.calls[8].flags, static_cast<DWORD_PTR>(MCI_WAIT | kWindowHwnd));
    EXPECT_EQ(mci.calls[8].window, host.Pane());
    EXPECT_EQ(mci.calls[9].flags, kWhereDest);
    EXPECT_EQ(mci.calls[10].item, static_cast<DWORD>(MCI_STATUS_MODE));
    for (size_t i : {1u, 7u, 8u, 9u, 10u}) EXPECT_EQ(mci.calls[i].result, 0u) << i;

    EXPECT_TRUE(player->HasVideo());
    EXPECT_TRUE(player->CanPlay());
    EXPECT_TRUE(player->CanStep());
    EXPECT_EQ(player->DisplayWidth(), 96);
    EXPECT_EQ(player->DisplayHeight(), 64);
    EXPECT_EQ(player->StepFrames, 2) << "a tenth of the length";
    EXPECT_EQ(player->QueryLength(), 20);
    EXPECT_EQ(player->Display(), host.Pane());
    EXPECT_EQ(::GetParent(player->NoticeWindow()), host.Window());
    EXPECT_FALSE(::IsWindowVisible(player->NoticeWindow()));
}

TEST_F(MediaPlayerTest, StepsSeeksAndRectanglesCarryTheirFlagsAndMoveTheDevice) {
    Open(folder.WriteClip("ball.avi", SmallClip()));
    player->SetDisplay(host.Pane());
    player->StepFrames = 1;
    mci.calls.clear();
    HWND notice = player->NoticeWindow();
    DWORD_PTR callback = reinterpret_cast<DWORD_PTR>(notice);

    player->StepForward();
    player->StepForward();
    EXPECT_EQ(player->QueryPosition(), 2);
    player->StepBackward();
    EXPECT_EQ(player->QueryPosition(), 1);
    auto steps = mci.Of(MCI_STEP);
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[0].flags, static_cast<DWORD_PTR>(MCI_WAIT | kStepFrames));
    EXPECT_EQ(steps[2].flags, static_cast<DWORD_PTR>(MCI_WAIT | kStepFrames | kStepReverse));
    for (const MciCall& c : steps) {
        EXPECT_EQ(c.frames, 1u);
        EXPECT_EQ(c.callback, callback);
    }

    mci.calls.clear();
    player->SeekTo(7);
    EXPECT_EQ(player->QueryPosition(), 7);
    player->SeekToStart();
    EXPECT_EQ(player->QueryPosition(), 0);
    ASSERT_EQ(mci.Messages(), (std::vector<UINT>{MCI_SEEK, MCI_STATUS, MCI_STATUS, MCI_SEEK, MCI_STATUS}));
    EXPECT_EQ(mci.calls[0].flags, static_cast<DWORD_PTR>(MCI_WAIT | MCI_TO));
    EXPECT_EQ(mci.calls[0].to, 7u);
    EXPECT_EQ(mci.calls[0].callback, callback);
    EXPECT_EQ(mci.calls[2].item, static_cast<DWORD>(MCI_STATUS_TIME_FORMAT));
    EXPECT_EQ(mci.calls[3].flags, static_cast<DWORD_PTR>(MCI_WAIT | MCI_SEEK_TO_START));
    EXPECT_EQ(mci.calls[3].callback, callback);

    // A rectangle with zero right and bottom means "at this place, at the video's size".
    mci.calls.clear();
    player->SetDestinationRect(RECT{8, 4, 0, 0});
    player->SetDestinationRect(RECT{0, 0, 48, 32});
    RECT where{-1, -1, -1, -1};
    player->GetDestinationRect(where);
    auto puts = mci.Of(MCI_PUT);
    ASSERT_EQ(puts.size(), 2u);
    EXPECT_EQ(puts[0].flags, kPutDest);
    EXPECT_EQ(puts[0].rect.left, 8);
    EXPECT_EQ(puts[0].rect.top, 4);
    EXPECT_EQ(puts[0].rect.right, 96);
    EXPECT_EQ(puts[0].rect.bottom, 64);
    EXPECT_EQ(puts[1].rect.right, 48);
    EXPECT_EQ(mci.Of(MCI_WHERE).at(0).flags, kWhereDest);
    EXPECT_EQ(where.left, 0);
    EXPECT_EQ(where.top, 0);
    EXPECT_EQ(where.right, 48) << "the device took the rectangle";
    EXPECT_EQ(where.bottom, 32);
    EXPECT_EQ(player->LastError(), 0u);
}

TEST_F(MediaPlayerTest, PlayReturnsAtOnceAndItsNoticeArrivesAtTheEnd) {
    Open(folder.WriteClip("ball.avi", SmallClip()));
    player->SetDisplay(host.Pane());
    int notices = 0;
    player->OnNotify = [&] { ++notices; };
    mci.calls.clear();
    player->Play();
    ASSERT_EQ(mci.calls.size(), 1u);
    EXPECT_EQ(mci.calls[0].flags, static_cast<DWORD_PTR>(MCI_NOTIFY));
    EXPECT_EQ(mci.calls[0].callback, reinterpret_cast<DWORD_PTR>(player->NoticeWindow()));
    ASSERT_TRUE(PumpUntil([&] { return notices == 1; }, 20000));
    EXPECT_EQ(player->NotifyResult(), TMPNotifyValues::nvSuccessful);
    EXPECT_GE(player->QueryPosition(), 19);

    // At the end, play asks the device to play from there: no rewind.
    mci.calls.clear();
    player->Play();
    EXPECT_EQ(mci.Of(MCI_SEEK).size(), 0u);
    ASSERT_TRUE(PumpUntil([&] { return notices == 2; }, 20000));
    EXPECT_GE(player->QueryPosition(), 19);

    player->SeekTo(0);
    player->Play();
    ASSERT_TRUE(PumpUntil([&] { return player->QueryPosition() > 0; }, 20000));
    mci.calls.clear();
    player->Stop();
    ASSERT_EQ(mci.calls.size(), 1u);
    EXPECT_EQ(mci.calls[0].message, static_cast<UINT>(MCI_STOP));
    EXPECT_EQ(mci.calls[0].flags, static_cast<DWORD_PTR>(MCI_WAIT));
    EXPECT_EQ(player->QueryMode(), mpStopped);
}

TEST_F(MediaPlayerTest, NoticesSetTheResultAndRaiseTheEvent) {
    int notices = 0;
    player->OnNotify = [&] { ++notices; };
    HWND notice = player->NoticeWindow();
    struct Case {
        WPARAM code;
        TMPNotifyValues result;
    };
    for (Case c : {Case{MCI_NOTIFY_ABORTED, TMPNotifyValues::nvAborted},
                   Case{MCI_NOTIFY_SUPERSEDED, TMPNotifyValues::nvSuperseded},
                   Case{MCI_NOTIFY_FAILURE, TMPNotifyValues::nvFailure}, Case{0x77, TMPNotifyValues::nvFailure},
                   Case{MCI_NOTIFY_SUCCESSFUL, TMPNotifyValues::nvSuccessful}}) {
        int before = notices;
        ::PostMessageW(notice, MM_MCINOTIFY, c.code, 0);
        ASSERT_TRUE(PumpUntil([&] { return notices == before + 1; }));
        EXPECT_EQ(player->NotifyResult(), c.result) << c.code;
    }
}

TEST_F(MediaPlayerTest, EndOfLifeHandsTheWindowBackThenCloses) {
    Open(folder.WriteClip("ball.avi", SmallClip()));
    player->SetDisplay(host.Pane());
    MCIDEVICEID id = player->DeviceId();
    ASSERT_EQ(OpenMciDevices(), 1);
    mci.calls.clear();
    player.reset();
    ASSERT_EQ(mci.Messages(), (std::vector<UINT>{MCI_WINDOW, MCI_CLOSE}));
    EXPECT_EQ(mci.calls[0].flags, static_cast<DWORD_PTR>(MCI_WAIT | kWindowHwnd));
    EXPECT_EQ(mci.calls[0].window, nullptr);
    EXPECT_EQ(mci.calls[1].flags, static_cast<DWORD_PTR>(MCI_WAIT));
    EXPECT_EQ(mci.calls[1].callback, 0u);
    EXPECT_EQ(mci.calls[1].device, id);
    EXPECT_EQ(OpenMciDevices(), 0) << "the device is closed";
}

TEST_F(MediaPlayerTest, WithoutADeviceTransportRaisesAndSendsNothing) {
    std::vector<std::function<void()>> ops = {
        [&] { player->Play(); },          [&] { player->Stop(); },        [&] { player->StepForward(); },
        [&] { player->StepBackward(); },  [&] { player->SeekToStart(); }, [&] { player->SeekTo(3); },
        [&] { player->QueryLength(); },   [&] { player->QueryTimeFormat(); }};
    for (size_t i = 0; i < ops.size(); ++i) {
        try {
            ops[i]();
            ADD_FAILURE() << "operation " << i << " did not raise";
        } catch (const EMCIDeviceError& e) {
            EXPECT_EQ(e.Message(), L"MCI デバイスがありません");
        }
    }
    RECT r{1, 2, 3, 4};
    player->GetDestinationRect(r);
    player->SetDestinationRect(r);
    player->CloseDevice();
    player->SetDisplay(host.Pane());
    EXPECT_TRUE(mci.calls.empty());
    EXPECT_EQ(r.right, 3);
    EXPECT_EQ(player->Display(), host.Pane());
    // The position may be asked at any time; a closed device answers 0.
    EXPECT_EQ(player->QueryPosition(), 0);
}

TEST_F(MediaPlayerTest, AFailedOpenRaisesThePlatformsTextAndLeavesNoDevice) {
    std::string bad = folder.Write("text.avi", std::string("this is not a video\r\n"));
    player->FileName = bad;
    try {
        player->OpenDevice();
        FAIL() << "a text file opened";
    } catch (const EMCIDeviceError& e) {
        ASSERT_NE(player->LastError(), 0u);
        char text[4096] = {};
        ASSERT_TRUE(::mciGetErrorStringA(player->LastError(), text, sizeof text));
        EXPECT_EQ(e.Message(), AnsiToWide(text));
        EXPECT_FALSE(e.Message().empty());
    }
    EXPECT_FALSE(player->DeviceOpen());
    EXPECT_EQ(player->DeviceId(), 0u);

    mci.errorStringFails = true;
    try {
        player->OpenDevice();
        FAIL() << "a text file opened";
    } catch (const EMCIDeviceError& e) {
        EXPECT_EQ(e.Message(), L"原因不明のエラー");
    }
}

TEST_F(MediaPlayerTest, AnotherOpenClosesTheFirstDeviceBeforeTryingAndKeepsTheDisplay) {
    player->SetDisplay(host.Pane());
    Open(folder.WriteClip("one.avi", SmallClip()));
    MCIDEVICEID first = player->DeviceId();
    media::BallClip wide = SmallClip();
    wide.width = 128;
    mci.calls.clear();
    Open(folder.WriteClip("two.avi", wide));
    ASSERT_GE(mci.calls.size(), 2u);
    EXPECT_EQ(mci.calls[0].message, static_cast<UINT>(MCI_CLOSE));
    EXPECT_EQ(mci.calls[0].device, first);
    EXPECT_EQ(mci.calls[0].flags, static_cast<DWORD_PTR>(MCI_WAIT));
    EXPECT_EQ(mci.calls[0].callback, reinterpret_cast<DWORD_PTR>(player->NoticeWindow()));
    EXPECT_EQ(mci.calls[1].message, static_cast<UINT>(MCI_OPEN));
    auto windows = mci.Of(MCI_WINDOW);
    ASSERT_EQ(windows.size(), 1u) << "the display goes to the new device";
    EXPECT_EQ(windows[0].window, host.Pane());
    EXPECT_EQ(player->DisplayWidth(), 128);
    EXPECT_EQ(OpenMciDevices(), 1) << "the first device is closed";

    // A failed open after a good one leaves no device at all.
    player->FileName = folder.Write("bad.avi", std::string("RIFF"));
    EXPECT_THROW(player->OpenDevice(), EMCIDeviceError);
    EXPECT_FALSE(player->DeviceOpen());
    EXPECT_EQ(player->DeviceId(), 0u);
    EXPECT_EQ(OpenMciDevices(), 0);
    EXPECT_THROW(player->Play(), EMCIDeviceError);
}

TEST_F(MediaPlayerTest, FailedWindowAndRectangleQueriesLeaveSafeState) {
    Open(folder.WriteClip("ball.avi", SmallClip()));
    mci.fake = [](const MciCall& c) -> std::optional<MCIERROR> {
        if (c.message == MCI_WINDOW || c.message == MCI_WHERE) return MCIERR_UNSUPPORTED_FUNCTION;
        return std::nullopt;
    };
    player->SetDisplay(host.Pane());
    EXPECT_EQ(player->Display(), nullptr) << "a refused display window is not kept";
    EXPECT_EQ(player->LastError(), static_cast<DWORD>(MCIERR_UNSUPPORTED_FUNCTION));
    RECT r{0, 0, 320, 240};
    player->GetDestinationRect(r);
    EXPECT_EQ(r.right, 320) << "a failed query does not shrink the caller's rectangle to nothing";
    EXPECT_EQ(r.bottom, 240);
}

TEST_F(MediaPlayerTest, ADeviceWithoutVideoTakesNoWindowAndNoSteps) {
    std::string wave = folder.Write("silence.wav", SilentWave(2000));
    player->FileName = wave;
    try {
        player->OpenDevice();
    } catch (const EMCIDeviceError& e) {
        GTEST_SKIP() << "no wave device here";
    }
    EXPECT_FALSE(player->HasVideo());
    mci.calls.clear();
    player->SetDisplay(host.Pane());
    player->StepForward();
    player->StepBackward();
    RECT r{0, 0, 320, 240};
    player->GetDestinationRect(r);
    player->SetDestinationRect(r);
    EXPECT_TRUE(mci.calls.empty());
    EXPECT_EQ(player->Display(), host.Pane());
    EXPECT_EQ(r.right, 320);
}

}  // namespace
}  // namespace mt::test
