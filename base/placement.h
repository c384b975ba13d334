// Where a window goes beside the window it belongs to, on a screen's work area
// (the part the taskbar leaves). No window needed.
#pragma once

namespace mt {

struct ScreenBox {
    int left = 0, top = 0, right = 0, bottom = 0;
};
struct ScreenPoint {
    int x = 0, y = 0;
};

// The top-left corner of a window w x h (its frame) placed beside `owner` (its
// frame) on the work area `work` of the owner's monitor: right of the owner, level
// with its top, where the work area has room for it there; else below the owner,
// level with its left edge. Moved, where it would stand out, to lie within the
// work area; where it is larger than the work area, its top-left corner (the
// title bar) is kept on it.
ScreenPoint PlaceBeside(const ScreenBox& owner, const ScreenBox& work, int w, int h);

}  // namespace mt
