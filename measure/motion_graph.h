// The graph of a column of the table against time: painted into any DC (the
// window beside the table, a picture for the clipboard, a memory DC in a test),
// and the child window that shows it in 位置の表 and tells which point a click
// was on.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/window_class.h"
#include "measure/graph_scale.h"
#include "measure/motion_fit.h"

namespace mt {

// What the graph shows.
struct GraphPicture {
    std::vector<double> times, values;  // a point each
    std::vector<bool> selected;         // by point: drawn larger, in red
    std::wstring xName = L"時刻 (s)", yName;
    wchar_t decimalSeparator = L'.';
    std::optional<double> clipTime;     // the clip's current frame: a vertical line
    std::optional<PolynomialFit> fit;   // drawn from its first row's time to its last's
};

// Paints the graph over the whole of `area` (white ground, ticks and their
// labels, the axis names, the fitted curve, the points, the clip's line) with
// the form's font; the mapping of values to pixels it used.
GraphMapping PaintGraph(HDC dc, const RECT& area, const GraphPicture& picture);

// The window that shows the graph: a child of the table's window.
class TMotionGraph final : private WindowTarget {
public:
    TMotionGraph(HWND parent, int id);
    TMotionGraph(const TMotionGraph&) = delete;
    TMotionGraph& operator=(const TMotionGraph&) = delete;
    ~TMotionGraph();
    HWND Handle() const noexcept { return hwnd_; }

    const GraphPicture& Picture() const noexcept { return picture_; }
    // Shows another picture (repainted when the window next paints).
    void SetPicture(GraphPicture picture);
    // Moves the clip's line only.
    void SetClipTime(std::optional<double> seconds);
    // The graph as the window shows it, at its size: a packed device-independent
    // bitmap (24 bits, bottom-up), as the clipboard's CF_DIB holds one.
    std::vector<std::uint8_t> PackedPicture() const;

    // A click on a point (or near it): the point's index; with Ctrl held, true.
    std::function<void(std::size_t point, bool control)> OnPointClicked;

private:
    LRESULT WindowMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) override;
    void WindowAttached(HWND wnd) noexcept override { hwnd_ = wnd; }
    void WindowDetached(HWND) noexcept override { hwnd_ = nullptr; }
    HWND hwnd_ = nullptr;
    GraphPicture picture_;
    GraphMapping mapping_;  // as last painted
};

}  // namespace mt
