// Pictures read back as plain pixels, for comparing what the program shows or
// wrote with what a test expects.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

namespace mt::test {

// 0x00RRGGBB pixels, rows top-down; empty (0 by 0) when nothing could be read.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> px;
    std::uint32_t At(int x, int y) const { return px[static_cast<size_t>(y) * width + x]; }
};

// The pixels of a bitmap.
Pixels ReadBitmap(HBITMAP bitmap);
// What the window shows in rect (its client pixels), or in its whole client area.
Pixels ReadWindow(HWND wnd, const RECT& rect);
Pixels ReadWindow(HWND wnd);

}  // namespace mt::test
