// The texts of the position readouts and of the drag distance. Needs no window.
#pragma once
#include <string>

namespace mt {

// "X=%4d, Y=%4d" for a mouse position in a pane's client pixels: Y is counted
// from the pane's height, so the bottom row reads 1 and the top row the height.
std::wstring PositionReadout(int x, int y, int paneHeight);

// Straight-line length from the drag's start point to (x, y), in extended precision.
long double DragDistance(int startX, int startY, int x, int y);

// "ドラッグ距離=%4f": two decimals with the locale's decimal separator.
std::wstring DistanceReadout(long double distance);

}  // namespace mt
