#include "still/still_image.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "base/bitmap.h"
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

// A surface of the plane's size to draw into; a refusal raises the system's reason.
class PlaneSurface : public DibSurface {
public:
    PlaneSurface(int width, int height) : DibSurface(width, height) {
        if (!*this) RaiseGraphicsResourceError(::GetLastError());
    }
};

}  // namespace

std::optional<PixelPlane> ReadStill(TImage& image, int width, int height) {
    if (!image.Picture || image.Picture->Empty() || width <= 0 || height <= 0) return std::nullopt;
    PlaneSurface surface(width, height);
    std::memset(surface.Bits(), 0, surface.Count() * sizeof(std::uint32_t));
    ::BitBlt(surface.Dc(), 0, 0, std::min(width, image.Picture->Width()), std::min(height, image.Picture->Height()),
             StillImageCanvas(image), 0, 0, SRCCOPY);
    PixelPlane plane(width, height);
    surface.CopyTo(plane.px.data());
    return plane;
}

void WriteCompositeToStill(TImage& image, const PixelPlane& composite, const std::vector<std::uint8_t>& changed) {
    const int w = composite.width, h = composite.height;
    if (w <= 0 || h <= 0 || changed.size() != composite.px.size()) return;
    PlaneSurface surface(w, h);
    std::memcpy(surface.Bits(), composite.px.data(), surface.Count() * sizeof(std::uint32_t));
    ::GdiFlush();
    if (!image.Picture || image.Picture->Empty()) {
        RECT client{};
        ::GetClientRect(image.Handle(), &client);
        auto made = CreateWhiteStill(client.right, client.bottom);
        ::BitBlt(made->Canvas(), 0, 0, w, h, surface.Dc(), 0, 0, SRCCOPY);
        if (image.History) image.History->Replace(image.Picture, std::move(made));
        else image.Picture = std::move(made);
        image.Invalidate();
        return;
    }
    TBitmap& still = *image.Picture;
    RECT bound{w, h, 0, 0};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (changed[std::size_t(y) * std::size_t(w) + std::size_t(x)]) {
                bound.left = std::min<LONG>(bound.left, x);
                bound.right = std::max<LONG>(bound.right, x + 1);
                bound.top = std::min<LONG>(bound.top, y);
                bound.bottom = std::max<LONG>(bound.bottom, y + 1);
            }
    RECT whole{0, 0, still.Width(), still.Height()}, area{};
    if (!::IntersectRect(&area, &bound, &whole)) return;  // nothing moved where the picture is
    if (image.History) image.History->Changing(image.Picture, area);
    still.Change(area, [&](HDC canvas) {
        // A picture of 16 bits or more takes its own pixels back unchanged; one
        // with a colour table only where something changed, so that no pixel
        // moves to another entry of the same colour.
        if (still.BitsPerPixel() >= 16) {
            ::BitBlt(canvas, area.left, area.top, area.right - area.left, area.bottom - area.top, surface.Dc(),
                     area.left, area.top, SRCCOPY);
            return;
        }
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right;) {
                if (!changed[std::size_t(y) * std::size_t(w) + std::size_t(x)]) {
                    ++x;
                    continue;
                }
                int end = x;
                while (end < area.right && changed[std::size_t(y) * std::size_t(w) + std::size_t(end)]) ++end;
                ::BitBlt(canvas, x, y, end - x, 1, surface.Dc(), x, y, SRCCOPY);
                x = end;
            }
    });
    RECT shown = DisplayedArea(image, area);
    ::InvalidateRect(image.Handle(), &shown, FALSE);
}

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
