#include "still/motion.h"

#include <cmath>
#include <limits>

namespace mt {

std::optional<MotionRow> MotionTracker::Add(long frame, double time, const std::vector<MaskPart>& parts) {
    if (parts.empty()) return std::nullopt;
    const MaskPart* chosen = nullptr;
    if (rows_.empty()) {
        for (const MaskPart& part : parts)
            if (!chosen || part.area > chosen->area) chosen = &part;
    } else {
        // The place predicted, in pane pixels (rows top-down).
        const MotionRow& last = rows_.back();
        double column = last.x, row = paneHeight_ - last.y;
        if (rows_.size() >= 2) {
            const MotionRow& before = rows_[rows_.size() - 2];
            const double span = last.time - before.time;
            if (span > 0) {
                const double ahead = (time - last.time) / span;
                column += (last.x - before.x) * ahead;
                row -= (last.y - before.y) * ahead;
            }
        }
        double nearest = std::numeric_limits<double>::infinity();
        for (const MaskPart& part : parts) {
            const double d = std::hypot(part.column - column, part.row - row);
            if (d < nearest) {
                nearest = d;
                chosen = &part;
            }
        }
    }
    MotionRow row{frame, time, chosen->column, paneHeight_ - chosen->row, chosen->area};
    rows_.push_back(row);
    return row;
}

std::vector<MotionDerivative> Derivatives(const std::vector<MotionRow>& rows) {
    std::vector<MotionDerivative> out(rows.size());
    for (std::size_t i = 1; i + 1 < rows.size(); ++i) {
        const MotionRow &a = rows[i - 1], &b = rows[i], &c = rows[i + 1];
        const double before = b.time - a.time, after = c.time - b.time, span = c.time - a.time;
        if (!(before > 0) || !(after > 0)) continue;
        // The slope at the middle time of the parabola through the three points:
        // (x+ - x-)/(t+ - t-) where the steps are equal, weighted by the steps
        // where they are not (the plain difference is the slope half-way between
        // t- and t+, not at t).
        const auto slope = [&](double p, double q, double r) {
            return (before * before * (r - q) + after * after * (q - p)) / (before * after * span);
        };
        out[i].vx = slope(a.x, b.x, c.x);
        out[i].vy = slope(a.y, b.y, c.y);
        out[i].ax = 2 * ((c.x - b.x) / after - (b.x - a.x) / before) / span;
        out[i].ay = 2 * ((c.y - b.y) / after - (b.y - a.y) / before) / span;
    }
    return out;
}

}  // namespace mt
