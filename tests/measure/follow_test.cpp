// The object followed through a trail's parts, on plain data shaped like
// classroom footage: a thrower who keeps moving, a ball that leaves the view, a
// second mover, a flickering lamp, an object the mask splits, and two trails
// measured over one range.
#include <gtest/gtest.h>

#include <cmath>

#include "measure/motion.h"
#include "measure/motion_table.h"
#include "still/trail_marks.h"

namespace mt::test {
namespace {

constexpr int kW = 320, kH = 240;

TrailParts Trail(long first, long last, long every) {
    TrailParts trail{first, last, every, kW, kH, {}};
    for (long f = first; f <= last; f += every) trail.frames.push_back({f, f / 30.0, {}});
    return trail;
}

// A ball of 154 pixels thrown from a thrower's hand at frame 10: 150 px/s to the
// right, 300 px/s up, falling at 600 px/s² (rows grow downwards); it is cut by the
// bottom edge from frame 47 and gone from 48. Before frame 12 it is one part with
// the thrower.
constexpr long kBallArea = 154;
double BallColumn(long f) { return 60 + 150 * (f - 10) / 30.0; }
double BallRow(long f) {
    const double t = (f - 10) / 30.0;
    return 150 - 300 * t + 300 * t * t;
}
bool BallInView(long f) { return f >= 12 && BallRow(f) + 7 <= kH - 1; }

// The thrower's frames: the thrower (3,000 pixels, swaying all the time), the
// ball, another small mover of about the ball's size crossing above, a lamp of
// 100 pixels that flickers in place, and, once the ball has gone, a speck of 13
// pixels at the bottom edge where it left.
TrailParts ThrowersTrail(long every) {
    TrailParts trail = Trail(0, 68, every);
    for (FrameParts& frame : trail.frames) {
        const long f = frame.frame;
        auto& parts = frame.parts;
        parts.push_back({3000, 40 + 15 * std::sin(f / 6.0), 170 + 5 * std::cos(f / 4.0)});
        if ((f / 5) % 2 == 0) parts.push_back({100, 280, 30});
        if (300 - 8.0 * f > 6) parts.push_back({140, 300 - 8.0 * f, 60});
        if (BallInView(f)) {
            parts.push_back({kBallArea, BallColumn(f), BallRow(f)});
        } else if (f >= 12 && BallRow(f) - 7 < kH) {
            parts.push_back({60, BallColumn(f), kH - 3, true});  // the ball cut off by the edge
        } else if (f > 50) {
            parts.push_back({13, 262, kH - 2, true});
        }
    }
    return trail;
}

TEST(Follow, TheBallPointedAtBesideItsThrowerIsFollowedBothWaysWhileInViewAndGivesItsAcceleration) {
    for (const long every : {2L, 3L}) {
        const TrailParts trail = ThrowersTrail(every);
        const auto still = StillParts(trail);
        // Pointed at in a middle frame, 2 pixels off its centre.
        const long middle = 30 - 30 % every;
        const std::optional<PartIndex> part = PartAt(trail, still, BallColumn(middle) + 2, BallRow(middle) - 1);
        ASSERT_TRUE(part) << every;
        ASSERT_EQ(trail.frames[part->frame].frame, middle);
        const std::vector<MotionRow> rows = FollowFrom(trail, still, *part);
        std::vector<long> expected;
        for (const FrameParts& frame : trail.frames)
            if (BallInView(frame.frame)) expected.push_back(frame.frame);
        ASSERT_EQ(rows.size(), expected.size()) << "every " << every;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].frame, expected[i]) << every;
            EXPECT_DOUBLE_EQ(rows[i].x, BallColumn(rows[i].frame)) << rows[i].frame;
            EXPECT_DOUBLE_EQ(rows[i].y, kH - BallRow(rows[i].frame)) << rows[i].frame;
            EXPECT_EQ(rows[i].area, kBallArea);
        }
        const std::vector<MotionDerivative> d = Derivatives(rows);
        for (std::size_t i = 1; i + 1 < d.size(); ++i) {
            EXPECT_NEAR(*d[i].vx, 150, 1e-6);
            EXPECT_NEAR(*d[i].ay, -600, 1e-6);
        }
        // Without pointing, the largest moving part: the thrower, never the lamp.
        const std::vector<MotionRow> largest = FollowLargest(trail);
        ASSERT_EQ(largest.size(), trail.frames.size());
        for (const MotionRow& row : largest) EXPECT_EQ(row.area, 3000);
    }
}

TEST(Follow, AnObjectThatLeavesTheViewGivesNoRowWhereItIsGoneOrCutOffWhileAnotherStays) {
    // A square of 196 pixels, 10 px a frame to the right, cut by the right edge
    // from frame 12 and gone from 14; another part of about its size sways below.
    TrailParts trail = Trail(0, 24, 1);
    for (FrameParts& frame : trail.frames) {
        const double column = 200 + 10.0 * frame.frame;
        if (column + 6 <= kW - 1) frame.parts.push_back({196, column, 100});
        else if (column - 6 < kW) frame.parts.push_back({98, (column - 6 + kW) / 2, 100, true});
        frame.parts.push_back({150, 300, 160 + 3 * std::sin(frame.frame / 2.0)});
    }
    const std::vector<MotionRow> rows = FollowLargest(trail);
    ASSERT_EQ(rows.size(), 12u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].frame, long(i));
        EXPECT_DOUBLE_EQ(rows[i].x, 200 + 10.0 * double(i));
    }
}

TEST(Follow, AnObjectTheMaskSplitsIsTakenWholeAndAStillPartIsNeverFollowed) {
    // A 20 x 20 square at 25 px and 2 px a frame, broken into halves in some
    // frames; beside it a larger part standing still, and a part of the
    // square's size standing still from frame 4 (the hole a resting object
    // leaves).
    TrailParts trail = Trail(0, 10, 1);
    const auto column = [](long f) { return 20 + 25.0 * f; };
    const auto row = [](long f) { return 100 + 2.0 * f; };
    for (FrameParts& frame : trail.frames) {
        const long f = frame.frame;
        frame.parts.push_back({900, 200, 200});
        if (f >= 4) frame.parts.push_back({400, 30, 150});
        if (f == 0 || f == 5 || f == 6) {
            frame.parts.push_back({200, column(f) - 5, row(f)});
            frame.parts.push_back({200, column(f) + 5, row(f)});
        } else {
            frame.parts.push_back({400, column(f), row(f)});
        }
    }
    const auto still = StillParts(trail);
    EXPECT_FALSE(PartAt(trail, still, 200, 200)) << "the still part is not a moving one";
    EXPECT_FALSE(PartAt(trail, still, 30, 150));
    const std::optional<PartIndex> half = PartAt(trail, still, column(6) + 6, row(6) - 3);
    ASSERT_TRUE(half);
    EXPECT_EQ(trail.frames[half->frame].parts[half->part].area, 200);
    for (const auto& rows : {FollowLargest(trail), FollowFrom(trail, still, *half)}) {
        ASSERT_EQ(rows.size(), 11u);
        for (const MotionRow& r : rows) {
            EXPECT_DOUBLE_EQ(r.x, column(r.frame)) << r.frame;
            EXPECT_DOUBLE_EQ(r.y, kH - row(r.frame)) << r.frame;
            EXPECT_EQ(r.area, 400) << r.frame;
        }
    }
}

TEST(Follow, ASecondTrailOverTheRangeReplacesEveryTrailRowInItAndKeepsRowsByHand) {
    MotionTable table;
    std::vector<MotionRow> first, second;
    for (long f = 0; f <= 30; ++f) first.push_back({f, f / 30.0, 10.0 + f, 50, 400});
    for (long f = 0; f <= 30; f += 3) second.push_back({f, f / 30.0, 100.0 + 2 * f, 80, 100});
    table.Record({6, 6 / 30.0, 9, 9, std::nullopt});  // by hand, at a frame both trails measure
    table.ReplaceTrail(0, 40, first);
    table.Record({35, 35 / 30.0, 7, 7, std::nullopt});  // by hand, inside the second trail's range
    table.Record({50, 50 / 30.0, 8, 8, std::nullopt});
    table.ReplaceTrail(40, 45, {{41, 41 / 30.0, 1, 1, 10}});
    table.ReplaceTrail(0, 36, second);
    std::vector<long> frames;
    for (const MotionRow& r : table.Rows()) frames.push_back(r.frame);
    EXPECT_EQ(frames, (std::vector<long>{0, 3, 6, 9, 12, 15, 18, 21, 24, 27, 30, 35, 41, 50}));
    for (const MotionRow& r : table.Rows())
        if (r.frame <= 30) {
            EXPECT_EQ(r.x, 100.0 + 2 * double(r.frame)) << "frame " << r.frame << " measured again";
            EXPECT_EQ(r.area, 100);
        }
    // Velocities from the second trail's rows alone: 60 px/s, no acceleration.
    const std::vector<MotionDerivative> d = Derivatives(table.Rows());
    for (std::size_t i = 1; i < 10; ++i) {
        EXPECT_NEAR(*d[i].vx, 60, 1e-9) << i;
        EXPECT_NEAR(*d[i].ax, 0, 1e-6) << i;
    }
}

TEST(Follow, AMarksCrossStandsAtItsRowsPlaceCountedFromTheBottom) {
    PixelPlane plane(64, 48, 0x202020);
    std::vector<std::uint8_t> changed(plane.px.size(), 0);
    // X 20, Y 10: column 20, row 48 - 10 = 38.
    DrawMarks(plane, changed, {{3, 20, 10}});
    const std::uint32_t mark = plane.px[38 * 64 + 20];
    EXPECT_NE(mark, 0x202020u);
    for (int d = -kMarkArm; d <= kMarkArm; ++d) {
        EXPECT_EQ(plane.px[std::size_t(38 + d) * 64 + 20], mark) << d;
        EXPECT_EQ(plane.px[38 * 64 + std::size_t(20 + d)], mark) << d;
    }
    EXPECT_EQ(plane.px[10 * 64 + 20], 0x202020u) << "not counted from the top";
}

}  // namespace
}  // namespace mt::test
