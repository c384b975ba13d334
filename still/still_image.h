// The still image held by Image1 and the copies from the main window into it.
#pragma once
#include <windows.h>

#include <optional>
#include <vector>

#include "base/controls.h"
#include "still/trail.h"

namespace mt {

// The drawing surface of Image1's still image: the memory DC with its bitmap
// selected, kept for the picture's life. Creates the still image first when
// there is none: white, at Image1's size now, in the display's pixel format.
HDC StillImageCanvas(TImage& image);

// Copies `source` (client pixels of `window`) onto `dest` (still-image pixels)
// with one StretchBlt SRCCOPY, creating the still image when there is none, and
// has Image1 repaint. Destination pixels outside the bitmap are dropped. What
// the copy changes is kept first in Image1's history.
void CopyWindowToStill(HWND window, TImage& image, const RECT& source, const RECT& dest);

// The still image's present pixels in (0, 0, width, height), 0x00RRGGBB top-down
// (where the picture is smaller, the rest black); nothing when there is no still
// image or it has no pixels.
std::optional<PixelPlane> ReadStill(TImage& image, int width, int height);

// Draws a composite of the pane's size into the still image at the top-left
// corner, where `changed` is set, as one step of Image1's history. With no still
// image (or one without pixels) a new one is made at Image1's size, holding the
// composite. Pixels outside the bitmap are dropped.
void WriteCompositeToStill(TImage& image, const PixelPlane& composite, const std::vector<std::uint8_t>& changed);

// The 4 x 4 patch taken for a mouse position (x, y) on the video pane: columns
// x-2..x+1 and rows y-2..y+1, in pane coordinates.
inline RECT PatchRect(int x, int y) { return RECT{x - 2, y - 2, x + 2, y + 2}; }

}  // namespace mt
