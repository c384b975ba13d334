#include "imagefiles/paint_box.h"

namespace mt {
namespace {
constexpr wchar_t kPaintBoxClass[] = L"TPaintBox";
}

TPaintBox::TPaintBox(HWND parent, int left, int top, int width, int height) {
    RegisterOwnClass(kPaintBoxClass, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, ::LoadCursorW(nullptr, IDC_ARROW));
    CreateOwnWindow(kPaintBoxClass, parent, 0, 0, left, top, width, height, L"");
}

void TPaintBox::PaintTo(HDC dc) const {
    RECT r;
    ::GetClientRect(hwnd_, &r);
    if (OnPaint) OnPaint(dc, r);
}

LRESULT TPaintBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        PaintDC dc(hwnd_);
        PaintTo(dc.get());
        return 0;
    }
    case WM_LBUTTONDBLCLK:
        if (OnDblClick) OnDblClick();
        return 0;
    }
    return TControl::WndProc(msg, wp, lp);
}

}  // namespace mt
