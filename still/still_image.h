// The still image held by Image1 and the copies from the main window into it.
#pragma once
#include <windows.h>

#include "base/controls.h"

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

// The 4 x 4 patch taken for a mouse position (x, y) on the video pane: columns
// x-2..x+1 and rows y-2..y+1, in pane coordinates.
inline RECT PatchRect(int x, int y) { return RECT{x - 2, y - 2, x + 2, y + 2}; }

}  // namespace mt
