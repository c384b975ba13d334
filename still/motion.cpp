#include "still/motion.h"

#include <cmath>
#include <limits>

namespace mt {

std::vector<MaskPart> MaskParts(const std::vector<std::uint8_t>& mask, int width, int height) {
    std::vector<MaskPart> parts;
    if (width <= 0 || height <= 0 || mask.size() < std::size_t(width) * std::size_t(height)) return parts;
    std::vector<std::uint8_t> seen(mask.size(), 0);
    std::vector<int> stack;
    const int count = width * height;
    for (int start = 0; start < count; ++start) {
        if (!mask[std::size_t(start)] || seen[std::size_t(start)]) continue;
        long area = 0;
        double sumX = 0, sumY = 0;
        stack.assign(1, start);
        seen[std::size_t(start)] = 1;
        while (!stack.empty()) {
            const int at = stack.back();
            stack.pop_back();
            const int x = at % width, y = at / width;
            ++area;
            sumX += x;
            sumY += y;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= width || ny >= height) continue;
                    const std::size_t next = std::size_t(ny) * std::size_t(width) + std::size_t(nx);
                    if (mask[next] && !seen[next]) {
                        seen[next] = 1;
                        stack.push_back(static_cast<int>(next));
                    }
                }
        }
        parts.push_back({area, sumX / double(area), sumY / double(area)});
    }
    return parts;
}

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
