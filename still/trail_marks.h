// The marks a trail can leave in its picture: at each measured place a small
// cross and the frame's number beside it, so that a printed sheet names the same
// places as the table of positions. No window needed.
#pragma once
#include <cstdint>
#include <vector>

#include "still/trail.h"

namespace mt {

// The cross reaches this many pixels from its centre each way.
constexpr int kMarkArm = 4;
// Digits are drawn 3 x 5 cells of this many pixels each.
constexpr int kMarkDigitScale = 2;

// A measured place to mark: the frame and the place in the readouts'
// coordinates (x pixels from the left, y the pane's height minus the row).
struct MarkPlace {
    long frame = 0;
    double x = 0, y = 0;
};

// Draws each place's mark into plane (a pane of plane.height rows), setting
// `changed` where it draws. Each mark takes the colour, of a few plain ones,
// farthest from the pixels it covers, so it stands out from its surroundings.
void DrawMarks(PixelPlane& plane, std::vector<std::uint8_t>& changed, const std::vector<MarkPlace>& places);

// A marked trail's picture as it was before its marks, and the marks as drawn,
// so the marks can be drawn again for other places.
struct MarkedTrail {
    PixelPlane unmarked;
    PixelPlane marked;
    std::vector<std::uint8_t> marks;  // 1 where a mark was drawn
};
// DrawMarks, keeping what it takes to draw them again.
MarkedTrail DrawMarksKept(PixelPlane& plane, std::vector<std::uint8_t>& changed, const std::vector<MarkPlace>& places);
// The marks of `kept` moved to other places in `picture` (the still image as it
// is now, the trail's size): the pixels under the old marks back as the trail
// left them, then the new marks; `changed` tells which pixels differ. False,
// with picture untouched, where the old marks are no longer all there (the
// picture was drawn over, or is another): their pixels cannot be told apart.
bool MoveMarks(PixelPlane& picture, std::vector<std::uint8_t>& changed, MarkedTrail& kept,
               const std::vector<MarkPlace>& places);

}  // namespace mt
