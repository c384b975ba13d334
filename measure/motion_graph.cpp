#include "measure/motion_graph.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/application.h"
#include "base/bitmap.h"
#include "base/failure.h"
#include "base/form_font.h"
#include "base/handles.h"

namespace mt {
namespace {

constexpr COLORREF kGrid = RGB(224, 224, 224), kZero = RGB(160, 160, 160), kFrame = RGB(128, 128, 128),
                   kPoint = RGB(30, 80, 200), kSelected = RGB(220, 0, 0), kFitted = RGB(230, 120, 0),
                   kClipLine = RGB(0, 150, 0);
constexpr int kPointSize = 5, kSelectedSize = 7;

// The values' range with a little room; 0 to 1 without values.
void RangeOf(const std::vector<double>& values, double& low, double& high) {
    low = high = 0;
    bool any = false;
    for (double v : values) {
        if (!std::isfinite(v)) continue;
        if (!any) low = high = v;
        low = std::min(low, v);
        high = std::max(high, v);
        any = true;
    }
    if (!any) high = 1;
    // A little room beyond the outermost points, so none sits on the frame.
    const double room = (high - low) * 0.03;
    low -= room;
    high += room;
}

SIZE TextSize(HDC dc, const std::wstring& text) {
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

void Text(HDC dc, int x, int y, UINT align, const std::wstring& text) {
    ::SetTextAlign(dc, align);
    ::TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

void Line(HDC dc, int x0, int y0, int x1, int y1) {
    ::MoveToEx(dc, x0, y0, nullptr);
    ::LineTo(dc, x1, y1);
}

int Pixel(double v) { return static_cast<int>(std::lround(std::clamp(v, -1e6, 1e6))); }

}  // namespace

GraphMapping PaintGraph(HDC dc, const RECT& area, const GraphPicture& picture) {
    SavedDCState saved(dc);
    ::FillRect(dc, &area, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    SelectGuard font(dc, FormFont());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(0, 0, 0));
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    const int line = std::max<int>(metrics.tmHeight, 8);

    double tLow, tHigh, vLow, vHigh;
    RangeOf(picture.times, tLow, tHigh);
    RangeOf(picture.values, vLow, vHigh);
    GraphMapping m;
    m.top = area.top + line + 8;
    m.bottom = std::max<int>(m.top + 8, area.bottom - 2 * line - 10);
    m.y = RoundTicks(vLow, vHigh, (m.bottom - m.top) / (2 * line) + 2);
    std::vector<std::wstring> yLabels;
    int labelWidth = 0;
    for (int i = 0; i < m.y.count; ++i) {
        yLabels.push_back(TickLabel(m.y.At(i), m.y.decimals, picture.decimalSeparator));
        labelWidth = std::max<int>(labelWidth, TextSize(dc, yLabels.back()).cx);
    }
    m.left = area.left + 10 + labelWidth;
    m.right = std::max<int>(m.left + 8, area.right - 18);
    m.x = RoundTicks(tLow, tHigh, (m.right - m.left) / 64 + 2);

    // Grid, frame, tick labels and the axis names.
    {
        OwnedPen grid(::CreatePen(PS_SOLID, 1, kGrid)), zero(::CreatePen(PS_SOLID, 1, kZero));
        SelectGuard pen(dc, grid.get());
        for (int i = 0; i < m.x.count; ++i) {
            const int column = Pixel(m.Column(m.x.At(i)));
            Line(dc, column, m.top, column, m.bottom);
            Text(dc, column, m.bottom + 3, TA_CENTER | TA_TOP,
                 TickLabel(m.x.At(i), m.x.decimals, picture.decimalSeparator));
        }
        for (int i = 0; i < m.y.count; ++i) {
            const int row = Pixel(m.Row(m.y.At(i)));
            ::SelectObject(dc, m.y.At(i) == 0 ? zero.get() : grid.get());
            Line(dc, m.left, row, m.right, row);
            Text(dc, m.left - 4, row - line / 2, TA_RIGHT | TA_TOP, yLabels[std::size_t(i)]);
        }
        ::SelectObject(dc, grid.get());
    }
    {
        OwnedPen frame(::CreatePen(PS_SOLID, 1, kFrame));
        SelectGuard pen(dc, frame.get());
        SelectGuard brush(dc, ::GetStockObject(NULL_BRUSH));
        ::Rectangle(dc, m.left, m.top, m.right + 1, m.bottom + 1);
    }
    Text(dc, (m.left + m.right) / 2, area.bottom - line - 4, TA_CENTER | TA_TOP, picture.xName);
    Text(dc, area.left + 6, area.top + 4, TA_LEFT | TA_TOP, picture.yName);
    if (picture.times.empty()) {
        Text(dc, (m.left + m.right) / 2, (m.top + m.bottom - line) / 2, TA_CENTER | TA_TOP, L"値のある行がありません");
        return m;
    }

    // Inside the frame: the fitted curve, the clip's line, then the points, the
    // selected ones last (on top).
    SavedDCState inside(dc);
    ::IntersectClipRect(dc, m.left + 1, m.top + 1, m.right, m.bottom);
    if (picture.fit && picture.fit->Made()) {
        const int from = Pixel(m.Column(picture.fit->firstTime)), to = Pixel(m.Column(picture.fit->lastTime));
        std::vector<POINT> curve;
        for (int column = from;; column = std::min(column + 2, to)) {
            curve.push_back({column, Pixel(m.Row(picture.fit->At(m.ValueAtColumn(column))))});
            if (column >= to) break;
        }
        OwnedPen pen(::CreatePen(PS_SOLID, 2, kFitted));
        SelectGuard selected(dc, pen.get());
        ::Polyline(dc, curve.data(), static_cast<int>(curve.size()));
    }
    if (picture.clipTime && *picture.clipTime >= m.x.low && *picture.clipTime <= m.x.high) {
        OwnedPen pen(::CreatePen(PS_SOLID, 2, kClipLine));
        SelectGuard selected(dc, pen.get());
        const int column = Pixel(m.Column(*picture.clipTime));
        Line(dc, column, m.top, column, m.bottom);
    }
    const int width = m.right - m.left + 1, height = m.bottom - m.top + 1;
    std::vector<std::uint8_t> drawn(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (const bool chosen : {false, true}) {
        OwnedBrush brush(::CreateSolidBrush(chosen ? kSelected : kPoint));
        SelectGuard selected(dc, brush.get());
        const int size = chosen ? kSelectedSize : kPointSize;
        std::fill(drawn.begin(), drawn.end(), std::uint8_t{0});
        for (std::size_t i = 0; i < picture.times.size() && i < picture.values.size(); ++i) {
            if ((i < picture.selected.size() && picture.selected[i]) != chosen) continue;
            const int column = Pixel(m.Column(picture.times[i])), row = Pixel(m.Row(picture.values[i]));
            if (column < m.left || column > m.right || row < m.top || row > m.bottom) continue;
            // Points on the same pixel are drawn once.
            std::uint8_t& at = drawn[std::size_t(row - m.top) * std::size_t(width) + std::size_t(column - m.left)];
            if (at) continue;
            at = 1;
            ::PatBlt(dc, column - size / 2, row - size / 2, size, size, PATCOPY);
        }
    }
    return m;
}

namespace {
constexpr wchar_t kGraphClass[] = L"MovetrailGraph";
}  // namespace

TMotionGraph::TMotionGraph(HWND parent, int id) {
    WNDCLASSEXW wc{sizeof wc};
    wc.hInstance = Application.Instance();
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kGraphClass;
    if (!RegisterWindowClass(wc)) RaiseLastOSError();
    if (!::CreateWindowExW(0, kGraphClass, L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 0, 0, 10, 10, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Application.Instance(),
                           static_cast<WindowTarget*>(this)))
        RaiseLastOSError();
}

TMotionGraph::~TMotionGraph() {
    if (hwnd_) ::DestroyWindow(hwnd_);
}

void TMotionGraph::SetPicture(GraphPicture picture) {
    picture_ = std::move(picture);
    if (hwnd_) ::InvalidateRect(hwnd_, nullptr, FALSE);
}

void TMotionGraph::SetClipTime(std::optional<double> seconds) {
    if (picture_.clipTime == seconds) return;
    picture_.clipTime = seconds;
    if (hwnd_) ::InvalidateRect(hwnd_, nullptr, FALSE);
}

std::vector<std::uint8_t> TMotionGraph::PackedPicture() const {
    RECT client{};
    if (!hwnd_ || !::GetClientRect(hwnd_, &client) || client.right <= 0 || client.bottom <= 0) return {};
    const int w = client.right, h = client.bottom;
    DibSurface surface(w, h);
    if (!surface) RaiseLastOSError();
    PaintGraph(surface.Dc(), client, picture_);
    ::GdiFlush();
    const std::size_t stride = (static_cast<std::size_t>(w) * 3 + 3) & ~std::size_t{3};
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = w;
    header.biHeight = h;  // bottom-up
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(stride * static_cast<std::size_t>(h));
    std::vector<std::uint8_t> dib(sizeof header + header.biSizeImage);
    std::memcpy(dib.data(), &header, sizeof header);
    for (int y = 0; y < h; ++y) {
        const std::uint32_t* from = surface.Bits() + static_cast<std::size_t>(h - 1 - y) * static_cast<std::size_t>(w);
        std::uint8_t* to = dib.data() + sizeof header + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < w; ++x) {
            to[3 * x] = static_cast<std::uint8_t>(from[x]);
            to[3 * x + 1] = static_cast<std::uint8_t>(from[x] >> 8);
            to[3 * x + 2] = static_cast<std::uint8_t>(from[x] >> 16);
        }
    }
    return dib;
}

LRESULT TMotionGraph::WindowMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND: return 1;  // the paint covers it all
    case WM_PAINT: {
        PaintDC paint(wnd);
        RECT client{};
        ::GetClientRect(wnd, &client);
        DibSurface surface(std::max<int>(client.right, 1), std::max<int>(client.bottom, 1));
        if (!surface) {
            mapping_ = PaintGraph(paint.get(), client, picture_);
            return 0;
        }
        mapping_ = PaintGraph(surface.Dc(), client, picture_);
        ::BitBlt(paint.get(), 0, 0, client.right, client.bottom, surface.Dc(), 0, 0, SRCCOPY);
        return 0;
    }
    case WM_LBUTTONDOWN: {
        const std::optional<std::size_t> point =
            NearestPoint(mapping_, picture_.times, picture_.values, GET_X_LPARAM(lp), GET_Y_LPARAM(lp), 6);
        if (point && OnPointClicked) OnPointClicked(*point, (wp & MK_CONTROL) != 0);
        return 0;
    }
    default: return ::DefWindowProcW(wnd, msg, wp, lp);
    }
}

}  // namespace mt
