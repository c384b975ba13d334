#include "imagefiles/preview_column.h"

#include <commctrl.h>
#include <dlgs.h>

#include "base/application.h"
#include "base/failure.h"
#include "base/form_font.h"

namespace mt {
namespace {
constexpr int kPanelBorder = 6;   // PicturePanel's inner border
constexpr int kLabelHeight = 23;
constexpr int kButtonWidth = 23, kButtonHeight = 22;
constexpr int kPaintBevels = 2;   // PaintPanel's raised inner and lowered outer bevel
constexpr wchar_t kNoPicture[] = L"(なし)";

// Where the system put the standard controls, in the template window's client
// coordinates (the whole client area when there is no placeholder).
RECT StandardArea(HWND templateWindow) {
    RECT r{};
    if (!templateWindow) return r;
    HWND placeholder = ::GetDlgItem(templateWindow, stc32);
    if (!placeholder) {
        ::GetClientRect(templateWindow, &r);
        return r;
    }
    ::GetWindowRect(placeholder, &r);
    ::MapWindowPoints(HWND_DESKTOP, templateWindow, reinterpret_cast<POINT*>(&r), 2);
    return r;
}
}  // namespace

TPreviewColumn::TPreviewColumn(HWND templateWindow, const TPicture& picture) : picture_(picture) {
    RECT preview;
    ::GetClientRect(templateWindow, &preview);
    RECT standard = StandardArea(templateWindow);
    preview.left = standard.right;
    preview.top += 4;
    int w = preview.right - preview.left, h = preview.bottom - preview.top;

    PicturePanel = std::make_unique<TPanel>(templateWindow, preview.left, preview.top, w, h, L"");
    PicturePanel->BevelOuter = TBevelCut::bvNone;
    HWND panel = PicturePanel->Handle();
    int innerW = w - 2 * kPanelBorder;
    PictureLabel = std::make_unique<TLabel>(panel, kPanelBorder, kPanelBorder, innerW, kLabelHeight, L"", false);
    int paintTop = kPanelBorder + kLabelHeight;
    PaintPanel = std::make_unique<TPanel>(panel, kPanelBorder, paintTop, innerW, h - paintTop - kPanelBorder, L"");
    PaintPanel->BevelInner = TBevelCut::bvRaised;
    PaintPanel->BevelOuter = TBevelCut::bvLowered;
    PaintBox = std::make_unique<TPaintBox>(PaintPanel->Handle(), kPaintBevels, kPaintBevels,
                                           innerW - 2 * kPaintBevels, h - paintTop - kPanelBorder - 2 * kPaintBevels);
    PaintBox->OnPaint = [this](HDC dc, const RECT& r) { PaintPreview(dc, r, picture_); };

    HBITMAP glyph = static_cast<HBITMAP>(
        ::LoadImageW(Application.Instance(), L"PREVIEWGLYPH", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    PreviewButton = std::make_unique<TSpeedButton>(panel, kPanelBorder + innerW - kButtonWidth - 2, 1, kButtonWidth,
                                                   kButtonHeight, glyph);
    // The button sits over the label's strip.
    ::SetWindowPos(PreviewButton->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::SetWindowLongW(PictureLabel->Handle(), GWL_STYLE,
                     ::GetWindowLongW(PictureLabel->Handle(), GWL_STYLE) | WS_CLIPSIBLINGS);
    PreviewButton->Hint = L"プレビュー";
    PreviewButton->ShowHint = true;
    Application.AddHint(PreviewButton->Handle(), PreviewButton->Hint);
    ::EnableWindow(PreviewButton->Handle(), FALSE);
}

TPreviewColumn::~TPreviewColumn() {
    if (HWND tips = Application.HintWindow(); tips && PreviewButton && PreviewButton->Handle()) {
        TTTOOLINFOW ti{};
        ti.cbSize = TTTOOLINFOW_V1_SIZE;
        ti.hwnd = PicturePanel->Handle();
        ti.uId = reinterpret_cast<UINT_PTR>(PreviewButton->Handle());
        ::SendMessageW(tips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
    // The windows go before the objects behind them.
    if (PicturePanel && PicturePanel->Handle()) ::DestroyWindow(PicturePanel->Handle());
}

void TPreviewColumn::SetState(const std::wstring& label, bool buttonEnabled) {
    PictureLabel->SetCaption(label);
    ::EnableWindow(PreviewButton->Handle(), buttonEnabled ? TRUE : FALSE);
    PreviewButton->Invalidate();
}

void TPreviewColumn::RepaintPreview() const {
    PaintBox->Invalidate();
    ::UpdateWindow(PaintBox->Handle());
}

void PaintPreview(HDC dc, const RECT& rect, const TPicture& picture) {
    ::FillRect(dc, &rect, ::GetSysColorBrush(COLOR_BTNFACE));
    if (picture.Width() <= 0) {
        SelectGuard font(dc, FormFont());
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
        ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
        SIZE text{};
        ::GetTextExtentPoint32W(dc, kNoPicture, lstrlenW(kNoPicture), &text);
        int left = rect.left + (rect.right - rect.left - text.cx) / 2;
        int top = rect.top + (rect.bottom - rect.top - text.cy) / 2;
        ::TextOutW(dc, left, top, kNoPicture, lstrlenW(kNoPicture));
        return;
    }
    PreviewBox box = PreviewPlacement(picture.Width(), picture.Height(),
                                      PreviewBox{rect.left, rect.top, rect.right, rect.bottom});
    RECT dest{box.left, box.top, box.right, box.bottom};
    picture.Draw(dc, dest);
}

}  // namespace mt
