#include "measure/motion.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace mt {
namespace {

using Still = std::vector<std::vector<std::uint8_t>>;

// The object found in one chosen frame (index into trail.frames), in pane
// pixels, rows top-down.
struct Found {
    std::size_t frame = 0;
    double time = 0, column = 0, row = 0;
    long area = 0;
    bool atEdge = false;
};

struct Place {
    double column = 0, row = 0;
};

double Distance(double c0, double r0, double c1, double r1) {
    const double dc = c1 - c0, dr = r1 - r0;
    return std::sqrt(dc * dc + dr * dr);
}

bool AboutTheSize(double area, double of) { return area >= 0.5 * of && area <= 1.6 * of; }
// A part at the pane's edge may be the object cut off there, its centroid not
// the object's centre: taken only where it is not clearly smaller.
template <class Part>
bool AboutTheSize(const Part& part, double of) {
    return AboutTheSize(double(part.area), of) && (!part.atEdge || double(part.area) >= 0.85 * of);
}

// The place at time t of the rows found so far, in their order of travel.
Place Predict(const std::vector<Found>& rows, double t) {
    const Found& last = rows.back();
    const std::size_t n = rows.size();
    if (n >= 3) {
        // Least squares parabola over the last rows, in time from the last row.
        const std::size_t m = std::min(n, TrackerLimits::kFitRows);
        double s[5] = {}, sc[3] = {}, sr[3] = {};
        for (std::size_t i = n - m; i < n; ++i) {
            const double tau = rows[i].time - last.time;
            double p = 1;
            for (int k = 0; k < 5; ++k) {
                if (k < 3) {
                    sc[k] += p * rows[i].column;
                    sr[k] += p * rows[i].row;
                }
                s[k] += p;
                p *= tau;
            }
        }
        // Normal equations [s0 s1 s2; s1 s2 s3; s2 s3 s4] c = y, by Cramer's rule.
        const auto det3 = [](double a, double b, double c, double d, double e, double f, double g, double h, double i) {
            return a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
        };
        const double det = det3(s[0], s[1], s[2], s[1], s[2], s[3], s[2], s[3], s[4]);
        const double scale = s[0] * s[2] * s[4];
        if (std::fabs(det) > 1e-12 * std::max(scale, 1e-300)) {
            const double tau = t - last.time;
            const auto at = [&](const double* y) {
                const double c0 = det3(y[0], s[1], s[2], y[1], s[2], s[3], y[2], s[3], s[4]) / det;
                const double c1 = det3(s[0], y[0], s[2], s[1], y[1], s[3], s[2], y[2], s[4]) / det;
                const double c2 = det3(s[0], s[1], y[0], s[1], s[2], y[1], s[2], s[3], y[2]) / det;
                return c0 + tau * (c1 + tau * c2);
            };
            return {at(sc), at(sr)};
        }
    }
    if (n >= 2) {
        const Found& before = rows[n - 2];
        const double span = last.time - before.time;
        if (span != 0) {
            const double ahead = (t - last.time) / span;
            return {last.column + (last.column - before.column) * ahead, last.row + (last.row - before.row) * ahead};
        }
    }
    return {last.column, last.row};
}

// The object's area: the median of the last rows'.
double ObjectArea(const std::vector<Found>& rows) {
    long areas[5];
    const std::size_t m = std::min<std::size_t>(rows.size(), 5);
    for (std::size_t i = 0; i < m; ++i) areas[i] = rows[rows.size() - m + i].area;
    std::sort(areas, areas + m);
    return m % 2 ? double(areas[m / 2]) : 0.5 * double(areas[m / 2 - 1] + areas[m / 2]);
}

// The parts within `reach` of (column, row) taken together.
std::optional<Found> Together(const FrameParts& frame, const std::vector<std::uint8_t>& still, std::size_t index,
                              double column, double row, double reach) {
    long area = 0;
    double sumC = 0, sumR = 0;
    bool atEdge = false;
    for (std::size_t p = 0; p < frame.parts.size(); ++p) {
        const MaskPart& part = frame.parts[p];
        if (still[p] || Distance(part.column, part.row, column, row) > reach) continue;
        atEdge = atEdge || part.atEdge;
        area += part.area;
        sumC += part.column * double(part.area);
        sumR += part.row * double(part.area);
    }
    if (area <= 0) return std::nullopt;
    return Found{index, frame.time, sumC / double(area), sumR / double(area), area, atEdge};
}

class Follower {
public:
    Follower(const TrailParts& trail, const Still& still) : trail_(trail), still_(still) {}

    // The object in frame i, given the rows found so far in the order of travel.
    std::optional<Found> Choose(std::size_t i, const std::vector<Found>& rows) const {
        const FrameParts& frame = trail_.frames[i];
        const Place at = Predict(rows, frame.time);
        const Found& last = rows.back();
        const double area = ObjectArea(rows), size = std::sqrt(area);
        const double step = Distance(last.column, last.row, at.column, at.row);
        const double reach = rows.size() >= 3 ? 2 + size / 2 + step / 4 : 2 + size + step / 2;
        std::optional<Found> single;
        double nearest = std::numeric_limits<double>::infinity();
        for (std::size_t p = 0; p < frame.parts.size(); ++p) {
            const MaskPart& part = frame.parts[p];
            if (still_[i][p] || !AboutTheSize(part, area)) continue;
            const double d = Distance(part.column, part.row, at.column, at.row);
            if (d <= reach && d < nearest) {
                nearest = d;
                single = Found{i, frame.time, part.column, part.row, part.area, part.atEdge};
            }
        }
        std::optional<Found> group = Together(frame, still_[i], i, at.column, at.row, size);
        if (group && (!AboutTheSize(*group, area) ||
                      Distance(group->column, group->row, at.column, at.row) > reach))
            group.reset();
        if (single && group) {
            // The nearer area, as a ratio either way.
            const auto off = [&](const Found& f) { return std::max(double(f.area) / area, area / double(f.area)); };
            return off(*group) < off(*single) ? group : single;
        }
        return single ? single : group;
    }

    // Rows on from the last of `rows` in the direction dir (+1 or -1).
    std::vector<Found> On(std::vector<Found> rows, int dir) const {
        const long n = static_cast<long>(trail_.frames.size());
        for (long i = static_cast<long>(rows.back().frame) + dir; i >= 0 && i < n; i += dir)
            if (std::optional<Found> f = Choose(std::size_t(i), rows)) rows.push_back(*f);
        return rows;
    }

private:
    const TrailParts& trail_;
    const Still& still_;
};

// A way the motion may start: the rows in each direction of travel, and how
// far from steady the start is (the change of velocity across it, in pixels).
struct Start {
    std::vector<Found> forward, backward;
    double unsteady = 0;
};

double Unsteadiness(const Found& a, const Found& b, const Found& c) {
    const double h0 = b.time - a.time, h1 = c.time - b.time;
    if (!(h0 > 0) || !(h1 > 0)) return std::numeric_limits<double>::infinity();
    const double dc = (c.column - b.column) / h1 - (b.column - a.column) / h0;
    const double dr = (c.row - b.row) / h1 - (b.row - a.row) / h0;
    return std::sqrt(dc * dc + dr * dr) * (c.time - a.time) / 2;
}

// The moving parts of frame i of about the object's size, and the parts near
// each other taken together where that is of about its size.
std::vector<Found> Candidates(const TrailParts& trail, const Still& still, long i, double area) {
    std::vector<Found> out;
    if (i < 0 || i >= static_cast<long>(trail.frames.size())) return out;
    const FrameParts& frame = trail.frames[std::size_t(i)];
    const double size = std::sqrt(area);
    for (std::size_t p = 0; p < frame.parts.size(); ++p) {
        const MaskPart& part = frame.parts[p];
        if (still[std::size_t(i)][p]) continue;
        if (AboutTheSize(part, area))
            out.push_back({std::size_t(i), frame.time, part.column, part.row, part.area, part.atEdge});
        const std::optional<Found> group = Together(frame, still[std::size_t(i)], std::size_t(i), part.column, part.row, size);
        if (group && group->area != part.area && AboutTheSize(*group, area) &&
            std::none_of(out.begin(), out.end(), [&](const Found& f) {
                return f.area == group->area && Distance(f.column, f.row, group->column, group->row) < 1e-9;
            }))
            out.push_back(*group);
    }
    return out;
}

std::vector<MotionRow> Rows(const TrailParts& trail, const std::vector<Found>& found) {
    std::vector<MotionRow> rows;
    rows.reserve(found.size());
    for (const Found& f : found)
        rows.push_back({trail.frames[f.frame].frame, f.time, f.column, trail.height - f.row, f.area});
    return rows;
}

// The parts of a trail by place, in cells of 4 x 4 pixels over the pane.
class PartCells {
public:
    explicit PartCells(const TrailParts& trail)
        : columns_(std::max(1, trail.width / 4 + 1)), rows_(std::max(1, trail.height / 4 + 1)),
          cells_(std::size_t(columns_) * std::size_t(rows_)) {
        for (std::size_t f = 0; f < trail.frames.size(); ++f)
            for (std::size_t p = 0; p < trail.frames[f].parts.size(); ++p) {
                const MaskPart& part = trail.frames[f].parts[p];
                cells_[Index(Of(part.column, columns_), Of(part.row, rows_))].push_back({f, p});
            }
    }
    // Runs `visit` on the parts in the cell of (column, row) and the eight around it.
    template <class Visit>
    void Around(double column, double row, Visit&& visit) const {
        const int c = Of(column, columns_), r = Of(row, rows_);
        for (int y = std::max(0, r - 1); y <= std::min(rows_ - 1, r + 1); ++y)
            for (int x = std::max(0, c - 1); x <= std::min(columns_ - 1, c + 1); ++x)
                for (const PartIndex& at : cells_[Index(x, y)])
                    if (!visit(at)) return;
    }

private:
    static int Of(double v, int count) { return std::clamp(static_cast<int>(std::floor(v / 4)), 0, count - 1); }
    std::size_t Index(int c, int r) const { return std::size_t(r) * std::size_t(columns_) + std::size_t(c); }
    int columns_, rows_;
    std::vector<std::vector<PartIndex>> cells_;
};

}  // namespace

Still StillParts(const TrailParts& trail) {
    const std::size_t frames = trail.frames.size();
    Still still(frames);
    for (std::size_t f = 0; f < frames; ++f) still[f].assign(trail.frames[f].parts.size(), 0);
    const std::size_t needed = std::max<std::size_t>(3, (frames + 2) / 3);
    if (frames < needed) return still;
    const PartCells cells(trail);
    // The frames a part has been matched in, marked with the part's number.
    std::vector<std::size_t> seenBy(frames, 0);
    std::size_t asking = 0;
    for (std::size_t f = 0; f < frames; ++f)
        for (std::size_t p = 0; p < trail.frames[f].parts.size(); ++p) {
            const MaskPart& part = trail.frames[f].parts[p];
            const double near = std::min(4.0, std::max(TrackerLimits::kStillPlace, 0.05 * std::sqrt(double(part.area))));
            ++asking;
            std::size_t count = 0;
            cells.Around(part.column, part.row, [&](const PartIndex& other) {
                if (seenBy[other.frame] == asking) return true;
                const MaskPart& o = trail.frames[other.frame].parts[other.part];
                const double dc = o.column - part.column, dr = o.row - part.row;
                if (dc * dc + dr * dr <= near * near &&
                    std::fabs(double(o.area - part.area)) <= 0.2 * double(std::max(o.area, part.area))) {
                    seenBy[other.frame] = asking;
                    ++count;
                }
                return count < needed;
            });
            if (count >= needed) still[f][p] = 1;
        }
    return still;
}

std::optional<PartIndex> PartAt(const TrailParts& trail, const Still& still, double column, double row, double reach) {
    std::optional<PartIndex> edge;
    double nearestEdge = reach;
    for (std::size_t f = trail.frames.size(); f-- > 0;) {
        std::optional<PartIndex> cover;
        double nearest = std::numeric_limits<double>::infinity();
        for (std::size_t p = 0; p < trail.frames[f].parts.size(); ++p) {
            if (still[f][p]) continue;
            const MaskPart& part = trail.frames[f].parts[p];
            const double d = Distance(part.column, part.row, column, row);
            const double radius = std::sqrt(double(part.area) / 3.14159265358979323846);
            if (d <= radius && d < nearest) {
                nearest = d;
                cover = PartIndex{f, p};
            }
            if (d - radius <= nearestEdge) {
                nearestEdge = d - radius;
                edge = PartIndex{f, p};
            }
        }
        if (cover) return cover;
    }
    return edge;
}

std::vector<MotionRow> FollowFrom(const TrailParts& trail, const Still& still, PartIndex start) {
    if (start.frame >= trail.frames.size() || start.part >= trail.frames[start.frame].parts.size()) return {};
    const FrameParts& frame = trail.frames[start.frame];
    const MaskPart& pointed = frame.parts[start.part];
    // An object broken into parts is taken whole from the part pointed at.
    const Found here = Together(frame, still[start.frame], start.frame, pointed.column, pointed.row,
                                std::sqrt(double(pointed.area)))
                           .value_or(Found{start.frame, frame.time, pointed.column, pointed.row, pointed.area, pointed.atEdge});
    const long k = static_cast<long>(start.frame);
    const double area = double(here.area);
    std::vector<Start> starts;
    // One frame each side.
    for (const Found& a : Candidates(trail, still, k - 1, area))
        for (const Found& b : Candidates(trail, still, k + 1, area))
            starts.push_back({{a, here, b}, {b, here, a}, Unsteadiness(a, here, b)});
    // Two frames after, or two before.
    for (const Found& b : Candidates(trail, still, k + 1, area))
        for (const Found& c : Candidates(trail, still, k + 2, area))
            starts.push_back({{here, b, c}, {c, b, here}, Unsteadiness(here, b, c)});
    for (const Found& a : Candidates(trail, still, k - 1, area))
        for (const Found& z : Candidates(trail, still, k - 2, area))
            starts.push_back({{z, a, here}, {here, a, z}, Unsteadiness(z, a, here)});
    std::stable_sort(starts.begin(), starts.end(), [](const Start& x, const Start& y) { return x.unsteady < y.unsteady; });
    if (starts.size() > TrackerLimits::kStarts) starts.resize(TrackerLimits::kStarts);
    // With no start of three frames, the part alone.
    starts.push_back({{here}, {here}, std::numeric_limits<double>::infinity()});

    const Follower follower(trail, still);
    std::vector<Found> best;
    for (const Start& s : starts) {
        // Each way on from the frame farthest that way the start holds.
        std::vector<Found> forward = follower.On(s.forward, +1), backward = follower.On(s.backward, -1);
        std::vector<Found> all(backward.rbegin(), backward.rend());
        for (const Found& f : forward)
            if (f.frame > all.back().frame) all.push_back(f);
        if (all.size() > best.size()) best = std::move(all);
    }
    return Rows(trail, best);
}

std::vector<MotionRow> FollowLargest(const TrailParts& trail) { return FollowLargest(trail, StillParts(trail)); }

std::vector<MotionRow> FollowLargest(const TrailParts& trail, const Still& still) {
    for (std::size_t f = 0; f < trail.frames.size(); ++f) {
        std::optional<PartIndex> largest;
        for (std::size_t p = 0; p < trail.frames[f].parts.size(); ++p)
            if (!still[f][p] && (!largest || trail.frames[f].parts[p].area > trail.frames[f].parts[largest->part].area))
                largest = PartIndex{f, p};
        if (largest) {
            // Followed from there on only: the frames before have no moving part.
            std::vector<MotionRow> rows = FollowFrom(trail, still, *largest);
            return rows;
        }
    }
    return {};
}

std::optional<MotionRow> MotionTracker::Add(long frame, double time, const std::vector<MaskPart>& parts) {
    trail_.frames.push_back({frame, time, parts});
    rows_ = FollowLargest(trail_);
    if (!rows_.empty() && rows_.back().frame == frame) return rows_.back();
    return std::nullopt;
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
