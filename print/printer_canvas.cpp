#include "print/printer.h"

namespace mt {

void TPrinterCanvas::Attach(HDC dc) noexcept {
    Detach();
    dc_ = dc;
}

void TPrinterCanvas::Detach() noexcept {
    if (dc_) {
        if (oldFont_) ::SelectObject(dc_, oldFont_);
        if (oldBrush_) ::SelectObject(dc_, oldBrush_);
        if (oldPen_) ::SelectObject(dc_, oldPen_);
    }
    oldFont_ = oldBrush_ = oldPen_ = nullptr;
    font_.reset();
    dc_ = nullptr;
}

void TPrinterCanvas::ResetTools() {
    if (!dc_) return;
    HDC dc = dc_;
    Detach();
    dc_ = dc;
    // The canvas's 9-point default font, at the device's own resolution.
    LOGFONTW lf{};
    lf.lfHeight = -::MulDiv(9, ::GetDeviceCaps(dc, LOGPIXELSY), 72);
    lf.lfCharSet = DEFAULT_CHARSET;
    wcscpy(lf.lfFaceName, L"ＭＳ Ｐゴシック");
    font_.reset(::CreateFontIndirectW(&lf));
    oldPen_ = ::SelectObject(dc, ::GetStockObject(BLACK_PEN));
    oldBrush_ = ::SelectObject(dc, ::GetStockObject(WHITE_BRUSH));
    if (font_) oldFont_ = ::SelectObject(dc, font_.get());
}

}  // namespace mt
