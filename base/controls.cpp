#include "base/controls.h"

#include <windowsx.h>

#include <utility>

#include "base/application.h"
#include "base/failure.h"
#include "base/form_font.h"
#include "base/window_class.h"

namespace mt {
namespace {
constexpr wchar_t kPanelClass[] = L"TPanel";
constexpr wchar_t kLabelClass[] = L"TLabel";
constexpr wchar_t kSpeedButtonClass[] = L"TSpeedButton";
constexpr wchar_t kImageClass[] = L"TImage";
constexpr wchar_t kObjectProp[] = L"MovetrailControl";

void DrawBevel(HDC dc, RECT& r, TBevelCut cut) {
    if (cut == TBevelCut::bvNone) return;
    COLORREF topLeft = ::GetSysColor(cut == TBevelCut::bvRaised ? COLOR_BTNHIGHLIGHT : COLOR_BTNSHADOW);
    COLORREF bottomRight = ::GetSysColor(cut == TBevelCut::bvRaised ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT);
    OwnedBrush tl(::CreateSolidBrush(topLeft)), br(::CreateSolidBrush(bottomRight));
    RECT top{r.left, r.top, r.right - 1, r.top + 1}, left{r.left, r.top, r.left + 1, r.bottom - 1};
    RECT bottom{r.left, r.bottom - 1, r.right, r.bottom}, right{r.right - 1, r.top, r.right, r.bottom};
    ::FillRect(dc, &top, tl.get());
    ::FillRect(dc, &left, tl.get());
    ::FillRect(dc, &bottom, br.get());
    ::FillRect(dc, &right, br.get());
    ::InflateRect(&r, -1, -1);
}

void FillSys(HDC dc, const RECT& r, int sysIndex) {
    ::FillRect(dc, &r, ::GetSysColorBrush(sysIndex));
}
}  // namespace

TShiftState ShiftStateFromKeys(WPARAM keys) {
    TShiftState s = 0;
    if (keys & MK_SHIFT) s |= ssShift;
    if (keys & MK_CONTROL) s |= ssCtrl;
    if (keys & MK_LBUTTON) s |= ssLeft;
    if (keys & MK_RBUTTON) s |= ssRight;
    if (keys & MK_MBUTTON) s |= ssMiddle;
    if (::GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

TShiftState KeyShiftState() noexcept {
    TShiftState s = 0;
    if (::GetKeyState(VK_SHIFT) < 0) s |= ssShift;
    if (::GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
    if (::GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

// ---- TControl ----

TControl* TControl::FromHandle(HWND wnd) {
    return wnd ? static_cast<TControl*>(::GetPropW(wnd, kObjectProp)) : nullptr;
}

void TControl::Adopt(HWND wnd) {
    hwnd_ = wnd;
    ::SetPropW(wnd, kObjectProp, this);
    ::SendMessageW(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(FormFont()), FALSE);
}

void TControl::RegisterOwnClass(const wchar_t* className, UINT classStyle, HCURSOR cursor) {
    WNDCLASSEXW wc{sizeof wc};
    wc.style = classStyle;
    wc.hInstance = Application.Instance();
    wc.hCursor = cursor;
    wc.lpszClassName = className;
    if (!RegisterWindowClass(wc)) RaiseLastOSError();
}

void RegisterControlClasses() {
    HCURSOR arrow = ::LoadCursorW(nullptr, IDC_ARROW);
    TControl* none = nullptr;
    (void)none;
    struct Registrar : TControl {
        static void Run(HCURSOR c) {
            RegisterOwnClass(kPanelClass, CS_HREDRAW | CS_VREDRAW, c);
            RegisterOwnClass(kLabelClass, CS_HREDRAW | CS_VREDRAW, c);
            RegisterOwnClass(kSpeedButtonClass, CS_HREDRAW | CS_VREDRAW, c);
            RegisterOwnClass(kImageClass, CS_HREDRAW | CS_VREDRAW, c);
        }
    };
    Registrar::Run(arrow);
}

void TControl::CreateOwnWindow(const wchar_t* className, HWND parent, DWORD style, DWORD exStyle, int left, int top,
                               int width, int height, const std::wstring& text) {
    RegisterControlClasses();
    HWND wnd = ::CreateWindowExW(exStyle, className, text.c_str(), style | WS_CHILD | WS_VISIBLE, left, top, width,
                                 height, parent, nullptr, Application.Instance(),
                                 static_cast<WindowTarget*>(this));
    if (!wnd) RaiseLastOSError();
    Adopt(wnd);
}

void TControl::WindowDetached(HWND wnd) noexcept {
    ::RemovePropW(wnd, kObjectProp);
    hwnd_ = nullptr;
}

LRESULT TControl::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SETFONT:
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(FormFont());
    case WM_ERASEBKGND:
        return 1;
    }
    return ::DefWindowProcW(hwnd_, msg, wp, lp);
}

int TControl::Left() const {
    RECT r;
    ::GetWindowRect(hwnd_, &r);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
    return r.left;
}
int TControl::Top() const {
    RECT r;
    ::GetWindowRect(hwnd_, &r);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
    return r.top;
}
int TControl::Width() const {
    RECT r;
    ::GetWindowRect(hwnd_, &r);
    return r.right - r.left;
}
int TControl::Height() const {
    RECT r;
    ::GetWindowRect(hwnd_, &r);
    return r.bottom - r.top;
}

void TControl::SetBounds(int left, int top, int width, int height) {
    ::SetWindowPos(hwnd_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

std::wstring TControl::Caption() const {
    int n = ::GetWindowTextLengthW(hwnd_);
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    n = ::GetWindowTextW(hwnd_, s.data(), n + 1);
    s.resize(static_cast<size_t>(n > 0 ? n : 0));
    return s;
}

void TControl::SetCaption(const std::wstring& text) {
    ::SetWindowTextW(hwnd_, text.c_str());
    Invalidate();
}

// ---- TMouseControl ----

LRESULT TMouseControl::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        ::SetCapture(hwnd_);
        if (OnMouseDown) OnMouseDown(TMouseButton::mbLeft, ShiftStateFromKeys(wp), x, y);
        return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        if (OnMouseDown) OnMouseDown(TMouseButton::mbRight, ShiftStateFromKeys(wp), x, y);
        return 0;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        if (OnMouseDown) OnMouseDown(TMouseButton::mbMiddle, ShiftStateFromKeys(wp), x, y);
        return 0;
    case WM_MOUSEMOVE:
        if (OnMouseMove) OnMouseMove(ShiftStateFromKeys(wp), x, y);
        return 0;
    case WM_LBUTTONUP:
        if (::GetCapture() == hwnd_) ::ReleaseCapture();
        if (OnMouseUp) OnMouseUp(TMouseButton::mbLeft, ShiftStateFromKeys(wp), x, y);
        return 0;
    case WM_RBUTTONUP:
        if (OnMouseUp) OnMouseUp(TMouseButton::mbRight, ShiftStateFromKeys(wp), x, y);
        return 0;
    case WM_MBUTTONUP:
        if (OnMouseUp) OnMouseUp(TMouseButton::mbMiddle, ShiftStateFromKeys(wp), x, y);
        return 0;
    case WM_CANCELMODE:
        if (::GetCapture() == hwnd_) ::ReleaseCapture();
        return 0;
    }
    return TControl::WndProc(msg, wp, lp);
}

// ---- TButton ----

TButton::TButton(HWND parent, int left, int top, int width, int height, const std::wstring& text) {
    HWND wnd = ::CreateWindowExW(0, L"BUTTON", text.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, left,
                                 top, width, height, parent, nullptr, Application.Instance(), nullptr);
    if (!wnd) RaiseLastOSError();
    Adopt(wnd);
}

// ---- TPanel ----

TPanel::TPanel(HWND parent, int left, int top, int width, int height, const std::wstring& text) {
    CreateOwnWindow(kPanelClass, parent, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, left, top, width, height, text);
}

void TPanel::PaintPanel(HDC dc) const {
    RECT r;
    ::GetClientRect(hwnd_, &r);
    DrawBevel(dc, r, BevelOuter);
    DrawBevel(dc, r, BevelInner);
    FillSys(dc, r, Color.sysIndex);
    std::wstring text = Caption();
    if (!text.empty()) {
        SelectGuard font(dc, FormFont());
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
        ::DrawTextW(dc, text.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
}

LRESULT TPanel::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        PaintDC dc(hwnd_);
        PaintPanel(dc.get());
        if (OnPaint) OnPaint(dc.get());
        return 0;
    }
    case WM_COMMAND:
    case WM_NOTIFY:
        // Child notifications go on to the window that handles them.
        return ::SendMessageW(::GetParent(hwnd_), msg, wp, lp);
    }
    return TMouseControl::WndProc(msg, wp, lp);
}

// ---- TLabel ----

TLabel::TLabel(HWND parent, int left, int top, int width, int height, const std::wstring& text, bool autoSize)
    : AutoSize(autoSize), text_(text) {
    CreateOwnWindow(kLabelClass, parent, 0, 0, left, top, width, height, text);
    if (AutoSize && !text.empty()) SetCaption(text);
}

void TLabel::SetCaption(const std::wstring& text) {
    if (text != text_) {
        // Straight to the window's own text, which is all the label's WM_SETTEXT
        // adds to: readouts change on every mouse move, and the trip through the
        // window procedures (the hint's subclass among them) costs more than the
        // change itself.
        ::DefWindowProcW(hwnd_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        text_ = text;
        Invalidate();
    }
    if (AutoSize) {
        WindowDC dc(hwnd_);
        SelectGuard font(dc.get(), FormFont());
        SIZE size{};
        ::GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
        TEXTMETRICW tm{};
        ::GetTextMetricsW(dc.get(), &tm);
        ::SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, tm.tmHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void TLabel::PaintLabel(HDC dc) const {
    RECT r;
    ::GetClientRect(hwnd_, &r);
    FillSys(dc, r, COLOR_BTNFACE);
    SelectGuard font(dc, FormFont());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    ::DrawTextW(dc, text_.c_str(), -1, &r, DT_LEFT | DT_TOP | DT_NOPREFIX | DT_NOCLIP);
}

LRESULT TLabel::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        PaintDC dc(hwnd_);
        PaintLabel(dc.get());
        return 0;
    }
    case WM_SETTEXT: {
        LRESULT r = TControl::WndProc(msg, wp, lp);
        text_ = lp ? reinterpret_cast<const wchar_t*>(lp) : L"";
        Invalidate();
        return r;
    }
    }
    return TControl::WndProc(msg, wp, lp);
}

// ---- TSpeedButton ----

TSpeedButton::TSpeedButton(HWND parent, int left, int top, int width, int height, HBITMAP glyphStrip)
    : glyph_(glyphStrip) {
    CreateOwnWindow(kSpeedButtonClass, parent, 0, 0, left, top, width, height, L"");
}

void TSpeedButton::PaintButton(HDC dc) const {
    RECT r;
    ::GetClientRect(hwnd_, &r);
    FillSys(dc, r, COLOR_BTNFACE);
    ::DrawEdge(dc, &r, down_ ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    if (!glyph_) return;
    BITMAP bm{};
    ::GetObjectW(glyph_.get(), sizeof bm, &bm);
    int cellW = bm.bmHeight > 0 && bm.bmWidth >= 2 * bm.bmHeight ? bm.bmWidth / 2 : bm.bmWidth;
    int cellH = bm.bmHeight;
    const bool enabled = ::IsWindowEnabled(hwnd_) != FALSE;
    const bool twoCells = cellW < bm.bmWidth;
    int x = (r.right - cellW) / 2 + (down_ ? 1 : 0), y = (r.bottom - cellH) / 2 + (down_ ? 1 : 0);
    OwnedMemDC mem(::CreateCompatibleDC(dc));
    SelectGuard sel(mem.get(), glyph_.get());
    // The strip's bottom-left pixel is the transparent colour.
    COLORREF transparent = ::GetPixel(mem.get(), 0, cellH - 1);
    if (enabled || twoCells) {
        ::TransparentBlt(dc, x, y, cellW, cellH, mem.get(), enabled ? 0 : cellW, 0, cellW, cellH, transparent);
        return;
    }
    // A glyph without a disabled cell is drawn engraved: its pixels that are
    // neither transparent nor white, in the highlight colour one pixel down and
    // right and in the shadow colour over that.
    OwnedMemDC maskDC(::CreateCompatibleDC(dc));
    OwnedBitmap mask(::CreateBitmap(cellW, cellH, 1, 1, nullptr));
    SelectGuard selMask(maskDC.get(), mask.get());
    ::SetBkColor(mem.get(), transparent);
    ::BitBlt(maskDC.get(), 0, 0, cellW, cellH, mem.get(), 0, 0, SRCCOPY);
    ::SetBkColor(mem.get(), RGB(255, 255, 255));
    ::BitBlt(maskDC.get(), 0, 0, cellW, cellH, mem.get(), 0, 0, SRCPAINT);
    const COLORREF oldText = ::SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF oldBk = ::SetBkColor(dc, RGB(255, 255, 255));
    constexpr DWORD kBrushWhereMaskIsBlack = 0x00B8074A;
    for (auto [offset, colour] : {std::pair{1, COLOR_BTNHIGHLIGHT}, std::pair{0, COLOR_BTNSHADOW}}) {
        SelectGuard brush(dc, ::GetSysColorBrush(colour));
        ::BitBlt(dc, x + offset, y + offset, cellW, cellH, maskDC.get(), 0, 0, kBrushWhereMaskIsBlack);
    }
    ::SetTextColor(dc, oldText);
    ::SetBkColor(dc, oldBk);
}

LRESULT TSpeedButton::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        PaintDC dc(hwnd_);
        PaintButton(dc.get());
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        down_ = true;
        ::SetCapture(hwnd_);
        Invalidate();
        return 0;
    case WM_LBUTTONUP: {
        bool wasDown = down_;
        down_ = false;
        if (::GetCapture() == hwnd_) ::ReleaseCapture();
        Invalidate();
        RECT r;
        ::GetClientRect(hwnd_, &r);
        POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        if (wasDown && ::PtInRect(&r, p)) Click();
        return 0;
    }
    case WM_CANCELMODE:
        down_ = false;
        if (::GetCapture() == hwnd_) ::ReleaseCapture();
        Invalidate();
        return 0;
    case WM_CONTEXTMENU:
        if (OnContextPopup) {
            POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            if (p.x == -1 && p.y == -1) {  // from the keyboard: below the button's middle
                RECT r;
                ::GetWindowRect(hwnd_, &r);
                p = POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
            }
            OnContextPopup(p.x, p.y);
            return 0;
        }
        break;
    }
    return TControl::WndProc(msg, wp, lp);
}

// ---- TImage ----

TImage::TImage(TPanel* parent, int left, int top, int width, int height) : parentPanel_(parent) {
    CreateOwnWindow(kImageClass, parent->Handle(), 0, 0, left, top, width, height, L"");
}

void TImage::PaintImage(HDC dc) const {
    RECT r;
    ::GetClientRect(hwnd_, &r);
    if (Picture && !Picture->Empty()) {
        Picture->StretchDrawTo(dc, r);
        return;
    }
    // No picture: the pane's own look shows through.
    SavedDCState state(dc);
    POINT origin{0, 0};
    ::MapWindowPoints(hwnd_, parentPanel_->Handle(), &origin, 1);
    ::SetWindowOrgEx(dc, origin.x, origin.y, nullptr);
    parentPanel_->PaintPanel(dc);
}

LRESULT TImage::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        PaintDC dc(hwnd_);
        PaintImage(dc.get());
        return 0;
    }
    return TMouseControl::WndProc(msg, wp, lp);
}

}  // namespace mt
