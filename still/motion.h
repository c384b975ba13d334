// The motion of one object measured from the trail's masks: where it is in each
// chosen frame (the centroid of one part of that frame's mask, MaskPart), when (the
// frame's own presentation time), and from those its velocity and acceleration.
// No window needed.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "still/trail.h"

namespace mt {

// A measured position: the frame, its time in seconds from the clip's first
// frame, and the place in the readouts' coordinates (X pixels from the left, Y
// the pane's height minus the row). Area is the part's pixel count; none for a
// position recorded by hand.
struct MotionRow {
    long frame = 0;
    double time = 0;
    double x = 0, y = 0;
    std::optional<long> area;
};

// Follows one object through the chosen frames of a trail, in frame order: in
// the first frame the largest part; in each later one the part whose centroid
// is nearest the place predicted from the rows before (the last place, moved on
// by the last velocity once there are two). A frame without parts gives no row.
class MotionTracker {
public:
    explicit MotionTracker(int paneHeight) : paneHeight_(paneHeight) {}
    std::optional<MotionRow> Add(long frame, double time, const std::vector<MaskPart>& parts);
    const std::vector<MotionRow>& Rows() const noexcept { return rows_; }

private:
    int paneHeight_;
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
