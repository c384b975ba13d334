#include "still/still_image.h"

#include <memory>

#include "base/errors.h"
#include "base/failure.h"
#include "still/still_history.h"

namespace mt {
namespace {

// The system's own text for an error code, or the resource shortage text when
// the failed call left no code.
[[noreturn]] void RaiseGraphicsResourceError(DWORD code) {
    std::wstring text = SystemErrorText(code);
    if (text.empty()) text = L"システム リソースが足りません";
    throw EOutOfResources(text);
}

std::unique_ptr<TBitmap> CreateWhiteStill(int width, int height) {
    try {
        return std::make_unique<TBitmap>(TBitmap::CreateWhiteScreenCompatible(width, height));
    } catch (const EOSError& e) {
        RaiseGraphicsResourceError(e.Code());
    }
}

// Where bitmap rectangle `r` appears in Image1, which shows the whole bitmap
// stretched to its client area; a pixel wider on each side for the rounding
// of the stretch.
RECT DisplayedArea(const TImage& image, const RECT& r) {
    RECT client{};
    ::GetClientRect(image.Handle(), &client);
    const TBitmap& still = *image.Picture;
    if (still.Width() <= 0 || still.Height() <= 0) return client;
    auto scale = [](long v, long to, long from, bool up) {
        long long n = static_cast<long long>(v) * to;
        long long q = n / from;
        if (n % from != 0 && (n < 0) != up) q += up ? 1 : -1;
        return static_cast<long>(q);
    };
    RECT shown{scale(r.left, client.right, still.Width(), false) - 1,
               scale(r.top, client.bottom, still.Height(), false) - 1,
               scale(r.right, client.right, still.Width(), true) + 1,
               scale(r.bottom, client.bottom, still.Height(), true) + 1};
    RECT clipped{};
    ::IntersectRect(&clipped, &shown, &client);
    return clipped;
}

}  // namespace

HDC StillImageCanvas(TImage& image) {
    if (!image.Picture) {
        RECT client{};
        ::GetClientRect(image.Handle(), &client);
        image.Picture = CreateWhiteStill(client.right, client.bottom);
    }
    HDC canvas = image.Picture->Canvas();
    if (!canvas) throw EInvalidGraphicOperation(L"Canvas に対する描画ができません");
    return canvas;
}

void CopyWindowToStill(HWND window, TImage& image, const RECT& source, const RECT& dest) {
    // A still image without pixels (left by a failed load) takes nothing.
    if (image.Picture && image.Picture->Empty()) return;
    bool creating = !image.Picture;
    if (image.History) image.History->Changing(image.Picture, dest);
    StillImageCanvas(image);
    WindowDC screen(window);
    if (!screen) throw EOutOfResources(L"デバイス コンテキストの作成に失敗しました");
    image.Picture->Change(dest, [&](HDC canvas) {
        ::StretchBlt(canvas, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, screen.get(),
                     source.left, source.top, source.right - source.left, source.bottom - source.top, SRCCOPY);
    });
    // A new still image replaces the pane's look everywhere; later copies
    // change only where they land.
    if (creating) {
        image.Invalidate();
    } else {
        RECT changed = DisplayedArea(image, dest);
        ::InvalidateRect(image.Handle(), &changed, FALSE);
    }
}

}  // namespace mt
