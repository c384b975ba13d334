// The test-media generator, checked by the platform's own AVI reader and MS Video 1
// decoder, and the demo clip beside the program.
#include <gtest/gtest.h>

#include <stdexcept>

#include "base/file_exists.h"
#include "base/paths.h"
#include "common/media.h"
#include "common/pump.h"
#include "player_host.h"
#include "video/media_player.h"

namespace mt::test {
namespace {

TEST(TestClips, EveryPixelOfEveryFrameDecodesToTheColourWritten) {
    // Every 5-bit red level occurs, including 1, which needs the two-colour block form.
    auto color = [](int frame, int x, int y) {
        return media::Rgb{static_cast<std::uint8_t>(((x / 4 + frame) % 32) * 8),
                          static_cast<std::uint8_t>(255 - y * 4), static_cast<std::uint8_t>(frame * 40)};
    };
    const int width = 128, height = 48, frames = 5;
    MediaFolder folder;
    std::string path = folder.Write("levels.avi", media::EncodeMsVideo1Avi(width, height, frames, 10, color));
    ASSERT_EQ(AviFrameCount(path), frames);
    for (int f = 0; f < frames; ++f) {
        auto decoded = DecodeAviFrame(path, f);
        ASSERT_TRUE(decoded) << "frame " << f;
        ASSERT_EQ(decoded->width, width);
        ASSERT_EQ(decoded->height, height);
        int wrong = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (!(decoded->At(x, y) == media::ShownColor(color(f, x / 4 * 4, y / 4 * 4)))) ++wrong;
        EXPECT_EQ(wrong, 0) << "frame " << f;
    }
}

TEST(TestClips, TheBallIsWhereTheClipSaysInEachFrame) {
    media::BallClip clip;
    clip.stepY = 4;
    clip.startY = 8;
    clip.frames = 12;
    MediaFolder folder;
    std::string path = folder.WriteClip("ball.avi", clip);
    for (int f : {0, 5, 11}) {
        auto decoded = DecodeAviFrame(path, f);
        ASSERT_TRUE(decoded);
        auto r = clip.BallAt(f);
        EXPECT_EQ(r.left, 4 * f);
        EXPECT_EQ(decoded->At(r.left, r.top), media::ShownColor(clip.ball));
        EXPECT_EQ(decoded->At(r.right - 1, r.bottom - 1), media::ShownColor(clip.ball));
        EXPECT_EQ(decoded->At(r.right, r.top), media::ShownColor(clip.background));
        EXPECT_EQ(decoded->At(r.left, r.top - 1), media::ShownColor(clip.background));
    }
}

TEST(TestClips, PathsThatCannotBeWrittenExactlyAreRefused) {
    media::BallClip clip;
    clip.stepX = 6;
    EXPECT_THROW(clip.Encode(), std::invalid_argument);
    clip.stepX = 8;
    clip.frames = 30;  // 29 * 8 = 232: past the 160-pixel frame
    EXPECT_THROW(clip.Encode(), std::invalid_argument);
    EXPECT_THROW(media::EncodeMsVideo1Avi(30, 32, 1, 10, [](int, int, int) { return media::Rgb{}; }),
                 std::invalid_argument);
}

TEST(TestClips, TheAviDeviceShowsTheColoursWrittenWhilePlaying) {
    media::BallClip clip;
    clip.frames = 30;
    clip.framesPerSecond = 10;
    clip.ball = {255, 255, 0};
    clip.background = {0, 0, 255};
    MediaFolder folder;
    PlayerHost host;
    TMediaPlayer player(host.Window());
    player.FileName = folder.WriteClip("ball.avi", clip);
    player.OpenDevice();
    player.SetDisplay(host.Pane());
    player.Play();
    // Until the device has drawn a frame the pane shows its own (grey) face.
    auto shown = [&](int x, int y) {
        WindowDC dc(host.Pane());
        COLORREF c = ::GetPixel(dc.get(), x, y);
        return media::Rgb{GetRValue(c), GetGValue(c), GetBValue(c)};
    };
    ASSERT_TRUE(PumpUntil([&] { return shown(150, 10) == media::ShownColor(clip.background); }, 10000))
        << "the background shows as written";
    player.Stop();
    // Stopped at frame f, the pane shows frame f: the ball is where the clip puts it.
    int f = player.QueryPosition();
    auto r = clip.BallAt(f);
    EXPECT_EQ(shown(r.left + 2, r.top + 2), media::ShownColor(clip.ball)) << "frame " << f;
}

TEST(DemoClip, LiesBesideTheProgramAndOpensAsAVideo) {
    char exe[MAX_PATH + 1] = {};
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    // The tests run from tests\ below the folder of movetrail.exe.
    std::string programFolder = FolderOfPath(FolderOfPath(exe));
    ASSERT_TRUE(FileExists(programFolder + "\\movetrail.exe"));
    std::string demo = programFolder + "\\demo.avi";
    ASSERT_TRUE(FileExists(demo));
    PlayerHost host;
    TMediaPlayer player(host.Window());
    player.FileName = demo;
    player.OpenDevice();
    EXPECT_TRUE(player.HasVideo());
    EXPECT_GT(player.QueryLength(), 1);
}

}  // namespace
}  // namespace mt::test
