#include "print/stretch_draw_dib.h"

#include <cstdint>
#include <vector>

#include "base/errors.h"

namespace mt {

namespace {

// Room for the header, three colour masks and a 256-entry colour table.
constexpr size_t kHeaderBlockSize = 1076;

class StretchModeGuard {
public:
    StretchModeGuard(HDC dc, int mode) noexcept : dc_(dc), old_(::SetStretchBltMode(dc, mode)) {}
    StretchModeGuard(const StretchModeGuard&) = delete;
    StretchModeGuard& operator=(const StretchModeGuard&) = delete;
    ~StretchModeGuard() {
        if (old_) ::SetStretchBltMode(dc_, old_);
    }
private:
    HDC dc_;
    int old_;
};

}  // namespace

void StretchDrawDIB(HDC target, const PrintRect& dest, TBitmap& bitmap, DWORD rop) {
    if (bitmap.Empty() || bitmap.Width() <= 0 || bitmap.Height() <= 0)
        throw EInvalidGraphic(L"ビットマップイメージが不正です");
    bitmap.ReleaseCanvas();  // GetDIBits needs the bitmap out of any DC
    const std::int64_t width = bitmap.Width(), height = bitmap.Height();

    std::vector<std::uint8_t> header(kHeaderBlockSize, 0);
    const std::int64_t stride = (width * 24 + 31) / 32 * 4;
    std::vector<std::uint8_t> pixels(static_cast<size_t>(stride * height), 0);

    auto* info = reinterpret_cast<BITMAPINFO*>(header.data());
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info->bmiHeader.biWidth = static_cast<LONG>(width);
    info->bmiHeader.biHeight = static_cast<LONG>(height);
    info->bmiHeader.biPlanes = 1;
    info->bmiHeader.biBitCount = 24;
    info->bmiHeader.biCompression = BI_RGB;

    WindowDC screen(nullptr);
    {
        PaletteGuard palette(screen.get(), bitmap.Palette(), TRUE);
        ::GetDIBits(screen.get(), bitmap.Handle(), 0, static_cast<UINT>(height), pixels.data(),
                    info, DIB_RGB_COLORS);
    }
    StretchModeGuard mode(target, COLORONCOLOR);
    ::StretchDIBits(target, dest.Left, dest.Top, dest.Right - dest.Left, dest.Bottom - dest.Top,
                    0, 0, info->bmiHeader.biWidth, info->bmiHeader.biHeight, pixels.data(), info,
                    DIB_RGB_COLORS, rop);
}

}  // namespace mt
