// The motion of one object measured from a trail's masks: where it is in each
// chosen frame (the centroid of its part, or of the parts it broke into, of
// that frame's mask), when (the frame's own presentation time), and from those
// its velocity and acceleration. No window needed.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "still/trail.h"

namespace mt {

// A measured position: the frame, its time in seconds from the clip's first
// frame, and the place in the readouts' coordinates (X pixels from the left, Y
// the pane's height minus the row). Area is the object's pixel count; none for
// a position recorded by hand.
struct MotionRow {
    long frame = 0;
    double time = 0;
    double x = 0, y = 0;
    std::optional<long> area;
};

// How one object is followed through a trail's chosen frames.
//
// Still parts: a part found at the same place (centroid within
// kStillPlace pixels, or 5% of its size) with the same area (within 20%) in at
// least 3 of the chosen frames and at least a third of them stands still (the
// hole a resting object leaves in the background, a flickering lamp): it is
// never followed.
//
// Prediction: the object's place at the next frame's time from the rows found
// so far in that direction: the last place with one row, constant velocity from
// the last two, and constant acceleration (a parabola in time, least squares
// over the last kFitRows rows) from three on.
//
// The gate: with A the median area of the last 5 rows and s = sqrt(A) the
// object's size, a part is taken only where its area is within half to 1.6
// times A (a part at the pane's edge, which may be the object cut off there,
// only from 0.85 times A) and its centroid within R of the prediction, R = 2 + s/2 + d/4 pixels, d the
// distance from the last place to the prediction (the step the object is
// expected to make; it grows across a gap). Until the acceleration is known
// (fewer than three rows) R = 2 + s + d/2. A part of another object, a speck or
// what is left when the object has gone is refused: a frame with nothing
// acceptable gives no row, and the next is predicted across the gap.
//
// One object, several parts: the parts whose centroids lie within s of the
// prediction are also taken together (their pixels' centroid, their areas
// summed); of that and the nearest single part, the one whose area is nearer A
// is taken where both pass the gate.
//
// Starting: from the part chosen (pointed at, or the largest moving part of
// the first frame that has one), the next rows are chosen by trying the parts
// of about its size in the frames beside it (one each side, or two on one
// side) as the start of the motion, following each both ways, and keeping the
// start that follows the object through the most frames.
struct TrackerLimits {
    static constexpr double kStillPlace = 1.0;
    static constexpr std::size_t kFitRows = 8;
    static constexpr std::size_t kStarts = 16;  // starts tried, the most regular first
};

// Which parts stand still, by frame and part (1 for still).
std::vector<std::vector<std::uint8_t>> StillParts(const TrailParts& trail);

// A part of a trail: the index of its frame in trail.frames and of the part.
struct PartIndex {
    std::size_t frame = 0, part = 0;
};

// The moving part under the point (column, row: pane pixels, rows top-down),
// the part being taken as the disc of its area around its centroid: of the
// parts that cover it, the latest frame's (the one on top in the picture);
// failing that, the part whose edge is nearest, within `reach` pixels. None
// where no moving part is there.
std::optional<PartIndex> PartAt(const TrailParts& trail, const std::vector<std::vector<std::uint8_t>>& still,
                                double column, double row, double reach = 4);

// The object of part `start` followed from its frame to the last chosen frame
// and back to the first: a row per frame where it is found, in frame order.
std::vector<MotionRow> FollowFrom(const TrailParts& trail, const std::vector<std::vector<std::uint8_t>>& still,
                                  PartIndex start);
// Without a part pointed at: the largest moving part of the first chosen frame
// that has one, followed to the last frame.
std::vector<MotionRow> FollowLargest(const TrailParts& trail, const std::vector<std::vector<std::uint8_t>>& still);
std::vector<MotionRow> FollowLargest(const TrailParts& trail);

// The same a frame at a time, in frame order (the whole trail followed again
// at each frame; for small trails and tests).
class MotionTracker {
public:
    explicit MotionTracker(int paneHeight) { trail_.height = paneHeight; }
    // The row of this frame, where the object is found there.
    std::optional<MotionRow> Add(long frame, double time, const std::vector<MaskPart>& parts);
    const std::vector<MotionRow>& Rows() const noexcept { return rows_; }

private:
    TrailParts trail_;
    std::vector<MotionRow> rows_;
};

// Velocity and acceleration of a row from its neighbours in the table, on their
// own times: the slope and curvature at the row's time of the parabola through
// the three points (three-point formulas for unequal steps, exact for a motion
// of constant acceleration; with equal steps v = (x+ - x-)/(t+ - t-)). None for
// the first and last rows, or where two rows share a time.
struct MotionDerivative {
    std::optional<double> vx, vy, ax, ay;
};
std::vector<MotionDerivative> Derivatives(const std::vector<MotionRow>& rows);

}  // namespace mt
