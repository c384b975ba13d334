// The trail of a range of frames built in one action, on small generated frames:
// what moves is laid over what stands still, the brightest or darkest per pixel,
// and the values the dialog takes.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "measure/motion.h"
#include "measure/motion_table.h"
#include "still/trail.h"
#include "still/trail_dialog.h"
#include "still/trail_marks.h"

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
    std::uint32_t colourStep = 0;  // added to the square's colour a frame
    long speckFrame = -1;
    std::map<long, int> reads;  // how often each frame was read
    bool Read(long frame, PixelPlane& into) {
        ++reads[frame];
        Draw(frame, into.px.data());
        return true;
    }
    void Draw(long frame, std::uint32_t* px) const {
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                std::uint32_t p = InSquare(frame, x, y) ? colour + colourStep * std::uint32_t(frame) : Ground(x, y);
                if (frame == speckFrame && x >= 60 && x < 62 && y >= 2 && y < 4) p = 0xFFFFFF;
                px[std::size_t(y) * kW + std::size_t(x)] = p;
            }
    }
};

PixelPlane Build(Clip& clip, const TrailRequest& request, std::optional<PixelPlane> still = std::nullopt,
                 std::size_t keptBytes = TrailJob::kKeptBytes, FrameKeeper keeper = {}) {
    TrailJob job(request, kW, kH, std::move(still), [&](long n, PixelPlane& p) { return clip.Read(n, p); },
                 keptBytes, std::move(keeper));
    int steps = 0, done = job.Done();
    while (job.Step()) {
        ++steps;
        EXPECT_GT(job.Done(), done) << "a step that the progress does not show";
        done = job.Done();
    }
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

TEST(Trail, FramesKeptAsTheirSourceDecodedThemWhereThatHoldsLessAreTakenOnceWithTheSameResult) {
    // A frame decoded at a third of its packed pixels' bytes.
    struct Decoded final : DecodedFrame {
        const Clip& clip;
        long frame;
        std::map<long, int>& made;
        Decoded(const Clip& c, long f, std::map<long, int>& m) : clip(c), frame(f), made(m) {}
        bool Pixels(int, int, std::uint32_t* px) const override {
            ++made[frame];
            if (frame == 10) return false;  // cannot be made: read afresh
            clip.Draw(frame, px);
            return true;
        }
    };
    Clip clip;
    std::map<long, int> kept, made;
    FrameKeeper keeper{kW * kH, [&](long n) -> std::unique_ptr<DecodedFrame> {
                           ++kept[n];
                           if (n == 7) return nullptr;  // not kept so by the source: read as pixels
                           return std::make_unique<Decoded>(clip, n, made);
                       }};
    // Room for four frames packed, so thirteen as decoded: the background 1..13 in
    // one pass, each frame taken once.
    const PixelPlane out = Build(clip, {1, 13, 3, TrailMethod::Moving}, std::nullopt, kW * kH * 13, keeper);
    ExpectTrail(out, {1, 4, 7, 10, 13}, clip.colour, Ground);
    EXPECT_EQ(clip.reads, (std::map<long, int>{{7, 1}, {10, 1}}));
    for (long f = 1; f <= 13; ++f) {
        EXPECT_EQ(kept[f], 1) << f;
        EXPECT_EQ(made[f], f == 7 ? 0 : 1) << f;
    }
    // Where decoded frames hold no less than packed ones, they are not kept so.
    keeper.bytes = kW * kH * 3;
    kept.clear();
    EXPECT_EQ(Build(clip, {1, 13, 3, TrailMethod::Moving}, std::nullopt, TrailJob::kKeptBytes, keeper).px, out.px);
    EXPECT_TRUE(kept.empty());
}

TEST(Trail, TenMinutesOrMoreOfEveryFrameAtThePanesSizeArePlannedInTwoPasses) {
    // 18,642 x 320 x 240 x 3 bytes wraps around in 32 bits to 146 KB.
    for (long frames : {18642L, 20000L}) {
        TrailJob job({0, frames - 1, 1, TrailMethod::Moving}, 320, 240, std::nullopt, [](long n, PixelPlane&) -> bool {
            ADD_FAILURE() << "frame " << n << " read while planning";
            return false;
        });
        EXPECT_FALSE(job.OnePass()) << frames;
        // The first pass reads what may be kept; each chosen frame is laid in once.
        EXPECT_EQ(job.FirstPassFrames(), TrailJob::kKeptBytes / (320 * 240 * 3)) << frames;
        EXPECT_EQ(job.Total(), static_cast<int>(job.FirstPassFrames()) + 1 + frames) << frames;
    }
    TrailJob fits({0, 299, 1, TrailMethod::Moving}, 320, 180, std::nullopt, [](long, PixelPlane&) { return false; });
    EXPECT_TRUE(fits.OnePass());
}

TEST(Trail, WhereTheBackgroundAndSomeFramesFitTheOthersAreReadOnceTheBackgroundIsKnownEachOnce) {
    // 41 frames: the background is 31 of them; room for 4 of the other 10, read in
    // the first pass; the other 6 are read in the second.
    Clip clip;
    const PixelPlane out = Build(clip, {0, 40, 1, TrailMethod::Moving}, std::nullopt, kW * kH * 3 * 35);
    std::vector<long> all;
    for (long f = 0; f <= 40; ++f) all.push_back(f);
    ExpectTrail(out, all, clip.colour, Ground);
    for (long f = 0; f <= 40; ++f) EXPECT_EQ(clip.reads[f], 1) << f;
    TrailJob job({0, 40, 1, TrailMethod::Moving}, kW, kH, std::nullopt, [](long, PixelPlane&) { return true; },
                 kW * kH * 3 * 35);
    EXPECT_FALSE(job.OnePass());
    EXPECT_EQ(job.FirstPassFrames(), 35u);
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
    // A part joined only at corners, on a diagonal, is one part too.
    frame = ground;
    for (int i = 0; i < kSpeckPixels; ++i) frame.px[std::size_t(4 + i) * kW + std::size_t(20 + i)] = 0xFFFFFF;
    const auto diagonal = MovingMask(frame, ground);
    EXPECT_EQ(std::count(diagonal.begin(), diagonal.end(), 1), kSpeckPixels) << "a diagonal part";
    frame.px[std::size_t(4) * kW + 20] = ground.px[std::size_t(4) * kW + 20];
    const auto shorter = MovingMask(frame, ground);
    EXPECT_EQ(std::count(shorter.begin(), shorter.end(), 1), 0) << "a diagonal speck";
}

TEST(Trail, APixelMoreThan32AwayFromTheGroundInOneChannelMovesAndOneExactly32AwayDoesNot) {
    PixelPlane ground(kW, kH);
    for (std::size_t i = 0; i < ground.px.size(); ++i) ground.px[i] = Ground(int(i) % kW, int(i) / kW);
    // A 4 x 4 block (more than a speck) raised by `by` in the channel at `shift`.
    auto moved = [&](int shift, int by) {
        PixelPlane frame = ground;
        for (int y = 10; y < 14; ++y)
            for (int x = 10; x < 14; ++x) frame.px[std::size_t(y) * kW + std::size_t(x)] += std::uint32_t(by) << shift;
        const auto mask = MovingMask(frame, ground);
        return std::count(mask.begin(), mask.end(), 1);
    };
    for (int shift : {0, 8, 16}) {
        EXPECT_EQ(moved(shift, 32), 0) << "32 in the channel at bit " << shift;
        for (int by : {33, 48, 64}) EXPECT_EQ(moved(shift, by), 16) << by << " in the channel at bit " << shift;
    }
}

TEST(Trail, TheBackgroundIsEachChannelsMedianAndTheMaskEachPixelsDifferenceOnPlanesOfAnyWidth) {
    // 37 pixels a row: whole groups of sixteen and the pixels left over.
    constexpr int w = 37, h = 5;
    std::mt19937 random(7);
    for (std::size_t n : {1u, 2u, 3u, 12u, 30u, 31u}) {
        std::vector<PixelPlane> frames(n, PixelPlane(w, h));
        std::vector<PackedPlane> packed;
        std::vector<const std::uint8_t*> kept;
        for (PixelPlane& f : frames) {
            // Few values, so that ties are common.
            for (std::uint32_t& p : f.px) p = random() & 0x03C0F0FF;
            for (std::uint32_t& p : f.px) p &= 0xFFFFFF;
            packed.push_back(PackPlane(f));
            kept.push_back(packed.back().get());
            PixelPlane back(w, h);
            UnpackPlane(kept.back(), back);
            ASSERT_EQ(back.px, f.px) << "packed and unpacked";
        }
        const PixelPlane median = MedianPlane(kept, w, h);
        for (std::size_t i = 0; i < median.px.size(); ++i)
            for (int shift : {0, 8, 16}) {
                std::vector<int> values;
                for (const PixelPlane& f : frames) values.push_back(int(f.px[i] >> shift & 0xFF));
                std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(n / 2), values.end());
                ASSERT_EQ(int(median.px[i] >> shift & 0xFF), values[n / 2]) << n << " frames, pixel " << i;
            }
    }
    // Whole rows 33 away (moving) or 32 away (not), up or down, in one channel.
    PixelPlane ground(w, h), frame(w, h);
    for (std::uint32_t& p : ground.px) p = 0x404040 + (random() & 0x3F3F3F);
    for (int trial = 0; trial < 20; ++trial) {
        std::vector<std::uint8_t> expected;
        for (int y = 0; y < h; ++y) {
            const bool moves = random() & 1;
            const int shift = 8 * int(random() % 3), by = moves ? 33 : 32;
            for (int x = 0; x < w; ++x) {
                const std::uint32_t g = ground.px[std::size_t(y * w + x)];
                frame.px[std::size_t(y * w + x)] =
                    random() & 1 ? g + (std::uint32_t(by) << shift) : g - (std::uint32_t(by) << shift);
                expected.push_back(moves ? 1 : 0);
            }
        }
        ASSERT_EQ(MovingMask(frame, ground), expected) << "trial " << trial;
    }
}

TEST(Trail, WhereTwoPositionsOverlapTheLaterFrameIsOnTop) {
    Clip clip;
    clip.colourStep = 0x000010;  // each frame's square a bluer red: 3 pixels a frame, 6 wide, so they overlap
    const PixelPlane out = Build(clip, {0, 4, 1, TrailMethod::Moving});
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            std::uint32_t expected = Ground(x, y);
            for (long f = 0; f <= 4; ++f)
                if (InSquare(f, x, y)) expected = clip.colour + clip.colourStep * std::uint32_t(f);
            ASSERT_EQ(out.px[std::size_t(y) * kW + std::size_t(x)], expected) << "at " << x << "," << y;
        }
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
               {L"10", L"70", L"x", 2},  {L"1e3", L"70", L"1", 0},  {L"99999999999", L"70", L"1", 0},
               {L"1 0", L"70", L"10", 0}, {L"10", L"7 0", L"10", 1}, {L"10", L"70", L"1 0", 2}};
    for (const auto& b : bad) {
        field = -1;
        EXPECT_NE(CheckTrailValues(b.first, b.last, b.every, 90, r, field), L"") << b.first << " " << b.last;
        EXPECT_EQ(field, b.field) << b.first << " " << b.last << " " << b.every;
    }
}

// Positions measured from the trail's masks: the square's centroid at each chosen
// frame, in the readouts' coordinates, and from them velocity and acceleration.
TEST(Motion, ASquareMovingAtConstantSpeedGivesItsCentroidsExactlyAndVelocityWithoutAcceleration) {
    Clip clip;
    TrailJob job({1, 13, 3, TrailMethod::Moving}, kW, kH, std::nullopt, [&](long n, PixelPlane& p) { return clip.Read(n, p); });
    MotionTracker tracker(kH);
    job.OnChosenFrame([&](long frame, const std::vector<MaskPart>& parts) { tracker.Add(frame, frame / 30.0, parts); });
    while (job.Step()) {
    }
    const std::vector<MotionRow>& rows = tracker.Rows();
    ASSERT_EQ(rows.size(), 5u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const long frame = 1 + 3 * long(i);
        EXPECT_EQ(rows[i].frame, frame);
        EXPECT_DOUBLE_EQ(rows[i].x, SquareLeft(frame) + (kSquare - 1) / 2.0);
        EXPECT_DOUBLE_EQ(rows[i].y, kH - (kSquareTop + (kSquare - 1) / 2.0));
        EXPECT_EQ(rows[i].area, kSquare * kSquare);
    }
    const std::vector<MotionDerivative> d = Derivatives(rows);
    EXPECT_FALSE(d.front().vx || d.back().vx || d.front().ax || d.back().ay);
    for (std::size_t i = 1; i + 1 < d.size(); ++i) {
        EXPECT_NEAR(*d[i].vx, 3 * 30.0, 1e-9);
        EXPECT_NEAR(*d[i].vy, 0, 1e-9);
        EXPECT_NEAR(*d[i].ax, 0, 1e-6);
        EXPECT_NEAR(*d[i].ay, 0, 1e-6);
    }
}

TEST(Motion, AConstantAccelerationSampledAtUnequalTimesGivesItsVelocityAndAccelerationExactly) {
    // x = 5 + 2t + 4.9t^2 (a = 9.8), y = 100 - 3t - 2t^2 (a = -4), at irregular times.
    std::vector<MotionRow> rows;
    for (double t : {0.0, 0.1, 0.15, 0.3, 0.32, 0.5, 0.9})
        rows.push_back({long(t * 100), t, 5 + 2 * t + 4.9 * t * t, 100 - 3 * t - 2 * t * t, 20});
    const std::vector<MotionDerivative> d = Derivatives(rows);
    for (std::size_t i = 1; i + 1 < rows.size(); ++i) {
        const double t = rows[i].time;
        EXPECT_NEAR(*d[i].vx, 2 + 9.8 * t, 1e-9) << t;
        EXPECT_NEAR(*d[i].vy, -3 - 4 * t, 1e-9) << t;
        EXPECT_NEAR(*d[i].ax, 9.8, 1e-7) << t;
        EXPECT_NEAR(*d[i].ay, -4, 1e-7) << t;
    }
}

TEST(Motion, TheObjectChosenFirstIsFollowedWhereAnotherComesNearerForOneFrame) {
    // A (the larger) moves 10 px a frame to the right; B sits still, then for one
    // frame stands nearer A's last place than A itself.
    MotionTracker tracker(100);
    auto parts = [](double a, double b) { return std::vector<MaskPart>{{30, b, 50}, {40, a, 50}}; };
    tracker.Add(0, 0.0, parts(10, 80));
    tracker.Add(1, 0.1, parts(20, 80));
    tracker.Add(2, 0.2, parts(30, 23));
    tracker.Add(3, 0.3, parts(40, 80));
    EXPECT_FALSE(tracker.Add(4, 0.4, {}));
    const auto& rows = tracker.Rows();
    ASSERT_EQ(rows.size(), 4u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_DOUBLE_EQ(rows[i].x, 10 + 10.0 * double(i)) << i;
        EXPECT_EQ(rows[i].area, 40);
    }
}

TEST(Motion, TheTableAsTabSeparatedAndCsvTextWithACommaDecimalSeparator) {
    MotionTable table;
    table.ReplaceFrames({0, 1, 2}, {{0, 0.0, 10.25, 20, 64}, {1, 0.125, 13.25, 20, 64}, {2, 0.25, 16.25, 21.5, 60}});
    table.Record({3, 0.375, 12, 22, std::nullopt});
    const std::wstring tsv = TableText(table, L'\t', L',');
    EXPECT_EQ(tsv,
              L"フレーム\t時刻 (s)\tX (px)\tY (px)\tVx (px/s)\tVy (px/s)\tAx (px/s²)\tAy (px/s²)\t面積 (px²)\r\n"
              L"00000\t0,0000\t10,3\t20,0\t\t\t\t\t64\r\n"
              L"00001\t0,1250\t13,3\t20,0\t24,0\t6,00\t0,0\t96,0\t64\r\n"
              L"00002\t0,2500\t16,3\t21,5\t-5,00\t8,00\t-464,0\t-64,0\t60\r\n"
              L"00003\t0,3750\t12,0\t22,0\t\t\t\t\t\r\n");
    EXPECT_EQ(CsvSeparator(L",", L','), L';');
    EXPECT_EQ(CsvSeparator(L",", L'.'), L',');
    // A scale of 0.5 cm a pixel, measured from the first row: positions to 0.01 cm.
    table.scale = {0.5, L"cm"};
    table.originAtFirst = true;
    table.Remove({1, 3});
    const std::string csv = CsvFileBytes(table, L';', L',');
    EXPECT_EQ(csv, "\xEF\xBB\xBF"
                   "フレーム;時刻 (s);X (cm);Y (cm);Vx (cm/s);Vy (cm/s);Ax (cm/s²);Ay (cm/s²);面積 (px²)\r\n"
                   "00000;0,0000;0,00;0,00;;;;;64\r\n"
                   "00002;0,2500;3,00;0,75;;;;;60\r\n");
    // A field holding the separator is quoted.
    EXPECT_NE(TableText(table, L',', L',').find(L",\"3,00\",\"0,75\","), std::wstring::npos);
}

// Small velocities and accelerations keep 3 significant digits, in plain
// decimals, down to a millionth of the positions' last place; the area is in px².
TEST(Motion, SmallVelocitiesShowThreeSignificantDigitsAndTheAreaIsInSquarePixels) {
    EXPECT_EQ(TableHeader(MotionScale{})[8], L"面積 (px²)");
    EXPECT_EQ(TableHeader(MotionScale{0.01, L"m"})[8], L"面積 (px²)");
    // x drifts by -0.000123 px a second, y by 0.0000012; times a second apart.
    MotionTable table;
    for (long n = 0; n < 3; ++n)
        table.Record({n, double(n), 100 - 0.000123 * double(n), 50 + 0.0000012 * double(n), std::nullopt});
    auto cells = TableCells(table, L'.');
    ASSERT_EQ(cells.size(), 3u);
    EXPECT_EQ(cells[1][4], L"-0.000123");
    EXPECT_EQ(cells[1][5], L"0.0000012");
    EXPECT_EQ(cells[1][6], L"0.0") << "what lies below a millionth of 0.1 px is 0";
    // In metres at 1 mm a pixel, the positions to 0.0001 m: the same digits a thousand times smaller.
    table.scale = {0.001, L"m"};
    cells = TableCells(table, L',');
    EXPECT_EQ(cells[1][2], L"0,1000");
    EXPECT_EQ(cells[1][4], L"-0,000000123");
    EXPECT_EQ(cells[1][5], L"0,0000000012");
}

// A frame number typed in the list finds its row: as shown or without its
// leading zeros, from the row given on, from the top again where it wraps.
TEST(Motion, AFrameNumberTypedFindsItsRow) {
    MotionTable table;
    for (long frame : {5L, 12L, 40L, 47L, 140L}) table.Record({frame, frame / 30.0, 10, 10, std::nullopt});
    const auto cells = TableCells(table, L'.');
    EXPECT_EQ(FindTypedFrame(cells, L"4", 0, true, true), std::optional<std::size_t>(2));
    EXPECT_EQ(FindTypedFrame(cells, L"4", 3, true, true), std::optional<std::size_t>(3));
    EXPECT_EQ(FindTypedFrame(cells, L"4", 4, true, true), std::optional<std::size_t>(2));
    EXPECT_EQ(FindTypedFrame(cells, L"4", 4, true, false), std::nullopt);
    EXPECT_EQ(FindTypedFrame(cells, L"14", 0, true, true), std::optional<std::size_t>(4));
    EXPECT_EQ(FindTypedFrame(cells, L"0001", 0, true, true), std::optional<std::size_t>(1));
    EXPECT_EQ(FindTypedFrame(cells, L"00005", 1, false, true), std::optional<std::size_t>(0));
    EXPECT_EQ(FindTypedFrame(cells, L"4", 0, false, true), std::nullopt);
    EXPECT_EQ(FindTypedFrame(cells, L"9", 0, true, true), std::nullopt);
    EXPECT_EQ(FindTypedFrame({}, L"4", 0, true, true), std::nullopt);
}

TEST(Motion, MarksAreACrossAndTheFrameNumberInAColourThatStandsOut) {
    PixelPlane plane(64, 48, 0x202020);  // dark: the mark is white
    std::vector<std::uint8_t> changed(plane.px.size(), 0);
    DrawMarks(plane, changed, {{7, 20, 48 - 24}});
    const std::uint32_t mark = plane.px[24 * 64 + 20];
    EXPECT_EQ(mark, 0xFFFFFFu);
    for (int d = -kMarkArm; d <= kMarkArm; ++d) {
        EXPECT_EQ(plane.px[std::size_t(24 + d) * 64 + 20], mark);
        EXPECT_EQ(plane.px[24 * 64 + std::size_t(20 + d)], mark);
    }
    EXPECT_EQ(plane.px[std::size_t(25) * 64 + 21], 0x202020u);
    // A 7 to the right of the cross: its top bar.
    const int left = 20 + kMarkArm + 3, top = 24 - kMarkArm - 5 * kMarkDigitScale / 2;
    for (int x = left; x < left + 3 * kMarkDigitScale; ++x) EXPECT_EQ(plane.px[std::size_t(top) * 64 + std::size_t(x)], mark);
    EXPECT_EQ(std::count(changed.begin(), changed.end(), 1),
              std::count(plane.px.begin(), plane.px.end(), mark));
}

}  // namespace
}  // namespace mt::test
