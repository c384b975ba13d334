// The marks a trail can leave in its picture: at each measured place a small
// cross and the frame's number beside it, so that a printed sheet names the same
// places as the table of positions. No window needed.
#pragma once
#include <cstdint>
#include <vector>

#include "still/motion.h"
#include "still/trail.h"

namespace mt {

// The cross reaches this many pixels from its centre each way.
constexpr int kMarkArm = 4;
// Digits are drawn 3 x 5 cells of this many pixels each.
constexpr int kMarkDigitScale = 2;

// Draws each row's mark into plane (rows in the readouts' coordinates of a pane
// of plane.height rows), setting `changed` where it draws. Each mark takes the
// colour, of a few plain ones, farthest from the pixels it covers, so it stands
// out from its surroundings.
void DrawMarks(PixelPlane& plane, std::vector<std::uint8_t>& changed, const std::vector<MotionRow>& rows);

}  // namespace mt
