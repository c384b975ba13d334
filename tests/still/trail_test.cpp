// The trail of a range of frames built in one action, on small generated frames:
// what moves is laid over what stands still, the brightest or darkest per pixel,
// and the values the dialog takes.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "still/trail.h"
#include "still/trail_dialog.h"

namespace mt::test {
namespace {

constexpr int kW = 64, kH = 48, kSquare = 6;

// A still ground with texture: no two neighbours alike.
std::uint32_t Ground(int x, int y) {
    return (std::uint32_t(96 + (x * 7 + y * 3) % 64) << 16) | (std::uint32_t(80 + (x * 5 + y * 11) % 48) << 8) |
           std::uint32_t(100 + (x + y * 13) % 40);
}
int SquareLeft(long frame) { return 2 + 3 * static_cast<int>(frame); }
constexpr int kSquareTop = 20;
bool InSquare(long frame, int x, int y) {
    return x >= SquareLeft(frame) && x < SquareLeft(frame) + kSquare && y >= kSquareTop && y < kSquareTop + kSquare;
}

// Frames of a square of `colour` crossing the ground, 3 pixels a frame, with a
// speck of 2 x 2 in frame `speckFrame`.
struct Clip {
    std::uint32_t colour = 0xF02020;
    long speckFrame = -1;
    std::map<long, int> reads;  // how often each frame was read
    bool Read(long frame, PixelPlane& into) {
        ++reads[frame];
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                std::uint32_t p = InSquare(frame, x, y) ? colour : Ground(x, y);
                if (frame == speckFrame && x >= 60 && x < 62 && y >= 2 && y < 4) p = 0xFFFFFF;
                into.px[std::size_t(y) * kW + std::size_t(x)] = p;
            }
        return true;
    }
};

PixelPlane Build(Clip& clip, const TrailRequest& request, std::optional<PixelPlane> still = std::nullopt,
                 std::size_t keptBytes = TrailJob::kKeptBytes) {
    TrailJob job(request, kW, kH, std::move(still), [&](long n, PixelPlane& p) { return clip.Read(n, p); },
                 keptBytes);
    int steps = 0;
    while (job.Step()) ++steps;
    EXPECT_EQ(job.Done(), job.Total());
    EXPECT_GE(steps, job.Total());
    return job.Composer().Result();
}

// The square at each chosen frame's place, a later one over an earlier one, and
// `elsewhere` everywhere else.
void ExpectTrail(const PixelPlane& out, const std::vector<long>& frames, std::uint32_t colour,
                 const std::function<std::uint32_t(int, int)>& elsewhere) {
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            bool covered = false;
            for (long f : frames) covered = covered || InSquare(f, x, y);
            ASSERT_EQ(out.px[std::size_t(y) * kW + std::size_t(x)], covered ? colour : elsewhere(x, y))
                << "at " << x << "," << y;
        }
}

TEST(Trail, TheChosenFramesAreStartAndEveryNthUpToTheEndAndTheDefaultGivesAboutTwelve) {
    EXPECT_EQ(TrailFrames(10, 70, 10), (std::vector<long>{10, 20, 30, 40, 50, 60, 70}));
    EXPECT_EQ(TrailFrames(3, 9, 4), (std::vector<long>{3, 7}));
    EXPECT_EQ(TrailFrames(5, 5, 1), (std::vector<long>{5}));
    EXPECT_TRUE(TrailFrames(6, 5, 1).empty());
    EXPECT_EQ(TrailFrames(0, 89, IntervalForAbout(0, 89)).size(), 12u);
    EXPECT_EQ(TrailFrames(0, 794, IntervalForAbout(0, 794)).size(), 12u);
    EXPECT_EQ(IntervalForAbout(4, 9), 1);
    const std::vector<long> ground = BackgroundFrames(0, 899);
    EXPECT_EQ(ground.size(), kBackgroundFrames);
    EXPECT_EQ(ground.front(), 0);
    EXPECT_EQ(ground.back(), 899);
    EXPECT_EQ(BackgroundFrames(3, 7), (std::vector<long>{3, 4, 5, 6, 7}));
}

TEST(Trail, AMovingSquareIsLaidAtEachChosenFramesPlaceOverTheStillGround) {
    Clip clip;
    const PixelPlane out = Build(clip, {1, 13, 3, TrailMethod::Moving});
    ExpectTrail(out, {1, 4, 7, 10, 13}, clip.colour, Ground);
    // One pass: every frame is read once.
    for (const auto& [frame, count] : clip.reads) EXPECT_EQ(count, 1) << frame;
}

TEST(Trail, ALongerRangeThanFitsInMemoryIsReadTwiceWithTheSameResult) {
    Clip clip;
    const PixelPlane out = Build(clip, {1, 13, 3, TrailMethod::Moving}, std::nullopt, kW * kH * 3 * 3);
    ExpectTrail(out, {1, 4, 7, 10, 13}, clip.colour, Ground);
    EXPECT_EQ(clip.reads[4], 2);
}

TEST(Trail, WhereTheBackgroundAndSomeFramesFitOnlyTheOthersAreReadAgain) {
    // 41 frames: the background is 31 of them; room for 4 of the other 10.
    Clip clip;
    const PixelPlane out = Build(clip, {0, 40, 1, TrailMethod::Moving}, std::nullopt, kW * kH * 3 * 35);
    std::vector<long> all;
    for (long f = 0; f <= 40; ++f) all.push_back(f);
    ExpectTrail(out, all, clip.colour, Ground);
    const std::vector<long> ground = BackgroundFrames(0, 40);
    std::vector<long> again;
    for (long f = 0; f <= 40; ++f) {
        const bool background = std::find(ground.begin(), ground.end(), f) != ground.end();
        if (clip.reads[f] == 2) again.push_back(f);
        else EXPECT_EQ(clip.reads[f], 1) << f;
        if (background) EXPECT_EQ(clip.reads[f], 1) << f;
    }
    EXPECT_EQ(again.size(), 6u);
}

TEST(Trail, ADarkObjectOnABrightGroundComesOutWithMovingAndDarkest) {
    Clip clip;
    clip.colour = 0x101010;
    ExpectTrail(Build(clip, {0, 12, 4, TrailMethod::Moving}), {0, 4, 8, 12}, clip.colour, Ground);
    ExpectTrail(Build(clip, {0, 12, 4, TrailMethod::Darkest}), {0, 4, 8, 12}, clip.colour, Ground);
    clip.colour = 0xFFFFF0;
    ExpectTrail(Build(clip, {0, 12, 4, TrailMethod::Brightest}), {0, 4, 8, 12}, clip.colour, Ground);
}

TEST(Trail, AStillImageTracedBeforeKeepsItsPixelsOutsideTheObjects) {
    Clip clip;
    PixelPlane traced(kW, kH, 0x00FF00);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) traced.px[std::size_t(y) * kW + std::size_t(x)] = 0x123456;
    TrailJob job({2, 10, 4, TrailMethod::Moving}, kW, kH, traced, [&](long n, PixelPlane& p) { return clip.Read(n, p); });
    while (job.Step()) {
    }
    const PixelPlane& out = job.Composer().Result();
    ExpectTrail(out, {2, 6, 10}, clip.colour, [](int x, int y) { return x < 10 && y < 10 ? 0x123456u : 0x00FF00u; });
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            EXPECT_EQ(job.Composer().Changed()[std::size_t(y) * kW + std::size_t(x)] != 0,
                      InSquare(2, x, y) || InSquare(6, x, y) || InSquare(10, x, y));
    // Brightest and darkest count the still image too.
    TrailJob dark({2, 10, 4, TrailMethod::Darkest}, kW, kH, traced, [&](long n, PixelPlane& p) { return clip.Read(n, p); });
    while (dark.Step()) {
    }
    EXPECT_EQ(dark.Composer().Result().px[0], 0x123456u);
}

TEST(Trail, SpecksSmallerThanTheSizeAreDroppedAndAPartOfThatSizeIsKept) {
    Clip clip;
    clip.speckFrame = 4;
    ExpectTrail(Build(clip, {0, 12, 4, TrailMethod::Moving}), {0, 4, 8, 12}, clip.colour, Ground);
    PixelPlane ground(kW, kH), frame(kW, kH);
    for (std::size_t i = 0; i < ground.px.size(); ++i) ground.px[i] = frame.px[i] = Ground(int(i) % kW, int(i) / kW);
    for (int i = 0; i < kSpeckPixels; ++i) frame.px[std::size_t(30) * kW + std::size_t(10 + i)] = 0xFFFFFF;
    const auto mask = MovingMask(frame, ground);
    EXPECT_EQ(std::count(mask.begin(), mask.end(), 1), kSpeckPixels);
    frame.px[std::size_t(30) * kW + 10] = ground.px[std::size_t(30) * kW + 10];
    const auto smaller = MovingMask(frame, ground);
    EXPECT_EQ(std::count(smaller.begin(), smaller.end(), 1), 0);
}

TEST(Trail, TheDialogsValuesOutsideTheClipOrOutOfOrderAreRefusedWithTheFieldToPutRight) {
    TrailRequest r;
    int field = -1;
    EXPECT_EQ(CheckTrailValues(L"10", L"70", L"10", 90, r, field), L"");
    EXPECT_EQ(r.first, 10);
    EXPECT_EQ(r.last, 70);
    EXPECT_EQ(r.every, 10);
    EXPECT_EQ(CheckTrailValues(L" １０ ", L"89", L"1", 90, r, field), L"");
    EXPECT_EQ(r.first, 10);
    const struct {
        const wchar_t *first, *last, *every;
        int field;
    } bad[] = {{L"abc", L"70", L"10", 0}, {L"-1", L"70", L"10", 0}, {L"", L"70", L"10", 0},
               {L"10", L"90", L"10", 1}, {L"10", L"9", L"10", 1},   {L"10", L"70", L"0", 2},
               {L"10", L"70", L"x", 2},  {L"1e3", L"70", L"1", 0},  {L"99999999999", L"70", L"1", 0}};
    for (const auto& b : bad) {
        field = -1;
        EXPECT_NE(CheckTrailValues(b.first, b.last, b.every, 90, r, field), L"") << b.first << " " << b.last;
        EXPECT_EQ(field, b.field) << b.first << " " << b.last << " " << b.every;
    }
}

}  // namespace
}  // namespace mt::test
