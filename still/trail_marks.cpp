#include "still/trail_marks.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace mt {
namespace {

// The digits 0-9, 3 cells wide and 5 high, a row a 3-bit number (left cell high).
constexpr std::uint8_t kDigits[10][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
};
constexpr std::uint32_t kColours[] = {0x000000, 0xFFFFFF, 0xFFFF00, 0xFF00FF, 0x00FFFF, 0x00FF00, 0xFF0000, 0x0000FF};
constexpr int kDigitW = 3 * kMarkDigitScale, kDigitH = 5 * kMarkDigitScale, kGap = kMarkDigitScale;

int Distance(std::uint32_t a, std::uint32_t b) {
    int d = 0;
    for (int shift = 0; shift <= 16; shift += 8) d = std::max(d, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return d;
}

// The pixels of one mark: the cross at (cx, cy) and the number to its right
// (to its left where the right has no room), top-aligned a little above it.
std::vector<std::pair<int, int>> MarkPixels(int cx, int cy, long frame, int width) {
    std::vector<std::pair<int, int>> at;
    for (int d = -kMarkArm; d <= kMarkArm; ++d) {
        at.emplace_back(cx + d, cy);
        if (d) at.emplace_back(cx, cy + d);
    }
    const std::string digits = std::to_string(frame);
    const int textW = static_cast<int>(digits.size()) * (kDigitW + kGap) - kGap;
    int left = cx + kMarkArm + 3;
    if (left + textW > width) left = cx - kMarkArm - 3 - textW;
    const int top = cy - kMarkArm - kDigitH / 2;
    for (std::size_t k = 0; k < digits.size(); ++k) {
        const auto& glyph = kDigits[digits[k] - '0'];
        const int gx = left + static_cast<int>(k) * (kDigitW + kGap);
        for (int r = 0; r < 5; ++r)
            for (int c = 0; c < 3; ++c)
                if (glyph[r] & (4 >> c))
                    for (int sy = 0; sy < kMarkDigitScale; ++sy)
                        for (int sx = 0; sx < kMarkDigitScale; ++sx)
                            at.emplace_back(gx + c * kMarkDigitScale + sx, top + r * kMarkDigitScale + sy);
    }
    return at;
}

}  // namespace

void DrawMarks(PixelPlane& plane, std::vector<std::uint8_t>& changed, const std::vector<MarkPlace>& places) {
    if (changed.size() != plane.px.size()) return;
    for (const MarkPlace& row : places) {
        const int cx = static_cast<int>(std::lround(row.x)), cy = static_cast<int>(std::lround(plane.height - row.y));
        std::vector<std::pair<int, int>> pixels = MarkPixels(cx, cy, row.frame, plane.width);
        std::erase_if(pixels, [&](const auto& p) {
            return p.first < 0 || p.second < 0 || p.first >= plane.width || p.second >= plane.height;
        });
        if (pixels.empty()) continue;
        // The plain colour whose nearest covered pixel is farthest from it.
        std::uint32_t colour = kColours[0];
        int best = -1;
        for (std::uint32_t candidate : kColours) {
            int nearest = 256;
            for (const auto& [x, y] : pixels)
                nearest = std::min(nearest, Distance(candidate, plane.px[std::size_t(y) * std::size_t(plane.width) + std::size_t(x)]));
            if (nearest > best) {
                best = nearest;
                colour = candidate;
            }
        }
        for (const auto& [x, y] : pixels) {
            const std::size_t i = std::size_t(y) * std::size_t(plane.width) + std::size_t(x);
            if (plane.px[i] != colour) changed[i] = 1;
            plane.px[i] = colour;
        }
    }
}

MarkedTrail DrawMarksKept(PixelPlane& plane, std::vector<std::uint8_t>& changed, const std::vector<MarkPlace>& places) {
    MarkedTrail kept;
    kept.unmarked = plane;
    kept.marks.assign(plane.px.size(), 0);
    DrawMarks(plane, kept.marks, places);
    for (std::size_t i = 0; i < kept.marks.size() && i < changed.size(); ++i)
        if (kept.marks[i]) changed[i] = 1;
    kept.marked = plane;
    return kept;
}

bool MoveMarks(PixelPlane& picture, std::vector<std::uint8_t>& changed, MarkedTrail& kept,
               const std::vector<MarkPlace>& places) {
    const std::size_t n = picture.px.size();
    if (picture.width != kept.marked.width || picture.height != kept.marked.height || kept.marks.size() != n)
        return false;
    for (std::size_t i = 0; i < n; ++i)
        if (kept.marks[i] && picture.px[i] != kept.marked.px[i]) return false;
    const std::vector<std::uint32_t> before = picture.px;
    for (std::size_t i = 0; i < n; ++i)
        if (kept.marks[i]) picture.px[i] = kept.unmarked.px[i];
    std::vector<std::uint8_t> marks(n, 0);
    DrawMarks(picture, marks, places);
    changed.assign(n, 0);
    for (std::size_t i = 0; i < n; ++i) changed[i] = picture.px[i] != before[i];
    kept.marks = std::move(marks);
    kept.marked = picture;
    return true;
}

}  // namespace mt
