#include "base/bitmap.h"

#include "base/failure.h"

namespace mt {

void CopyRgbPixels(const std::uint32_t* from, std::size_t count, std::uint32_t* to) noexcept {
    for (std::size_t i = 0; i < count; ++i) to[i] = from[i] & 0x00FFFFFFu;
}

namespace {
HBITMAP CreateTopDownDib32(int width, int height, void** bits) {
    if (width <= 0 || height <= 0) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    BITMAPINFO info = TopDownDib32(width, height);
    return ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}
}  // namespace

DibSurface::DibSurface(int width, int height)
    : dib_(CreateTopDownDib32(width, height, &bits_)),
      dc_(dib_ ? ::CreateCompatibleDC(nullptr) : nullptr),
      selected_(dc_.get(), dc_ ? dib_.get() : nullptr),
      count_(bits_ ? static_cast<std::size_t>(width) * static_cast<std::size_t>(height) : 0) {}

void DibSurface::CopyTo(std::uint32_t* px) const noexcept {
    ::GdiFlush();
    CopyRgbPixels(Bits(), count_, px);
}

TBitmap::TBitmap(TBitmap&& o) noexcept { *this = std::move(o); }

TBitmap& TBitmap::operator=(TBitmap&& o) noexcept {
    if (this != &o) {
        ReleaseCanvas();
        o.ReleaseCanvas();
        handle_ = std::move(o.handle_);
        palette_ = std::move(o.palette_);
        RetainedData = std::move(o.RetainedData);
        RetainedPixelOffset = std::exchange(o.RetainedPixelOffset, 0);
        bits_ = std::exchange(o.bits_, nullptr);
        format_ = std::exchange(o.format_, TPixelFormat{});
        width_ = std::exchange(o.width_, 0);
        height_ = std::exchange(o.height_, 0);
        bitsPerPixel_ = std::exchange(o.bitsPerPixel_, 0);
    }
    return *this;
}

TBitmap::~TBitmap() { ReleaseCanvas(); }

TBitmap TBitmap::CreateWhiteScreenCompatible(int width, int height) {
    TBitmap b;
    WindowDC screen(nullptr);
    OwnedBitmap bmp(::CreateCompatibleBitmap(screen.get(), width, height));
    if (!bmp) RaiseLastOSError();
    b.Assign(std::move(bmp));
    ::PatBlt(b.Canvas(), 0, 0, width, height, WHITENESS);
    return b;
}

void TBitmap::Assign(OwnedBitmap bitmap, OwnedPalette palette) {
    ReleaseCanvas();
    handle_ = std::move(bitmap);
    palette_ = std::move(palette);
    bits_ = nullptr;
    format_ = TPixelFormat{};
    RetainedData.clear();
    ReadFormat();
}

void TBitmap::AssignDib(OwnedBitmap section, void* bits, TPixelFormat format, OwnedPalette palette) {
    ReleaseCanvas();
    handle_ = std::move(section);
    palette_ = std::move(palette);
    bits_ = static_cast<std::uint8_t*>(bits);
    format_ = std::move(format);
    RetainedData.clear();
    ReadFormat();
}

void TBitmap::Modified(const RECT& changed) noexcept {
    RetainedData.clear();
    format_.clrUsed = 0;
    format_.clrImportant = 0;
    if (FillerEntries() == 0) return;
    const unsigned bits = format_.bitCount;
    const std::size_t entries = format_.colors.size();
    RECT area{}, whole{0, 0, width_, height_};
    if (!::IntersectRect(&area, &changed, &whole)) return;
    ::GdiFlush();
    const std::size_t stride = ((static_cast<std::size_t>(width_) * bits + 31) / 32) * 4;
    const unsigned mask = (1u << bits) - 1;
    for (long y = area.top; y < area.bottom; ++y) {
        std::size_t row = format_.height < 0 ? static_cast<std::size_t>(y) : static_cast<std::size_t>(height_ - 1 - y);
        std::uint8_t* line = bits_ + row * stride;
        for (long x = area.left; x < area.right; ++x) {
            std::size_t bit = static_cast<std::size_t>(x) * bits;
            unsigned shift = 8 - bits - bit % 8;
            std::uint8_t& byte = line[bit / 8];
            if (((byte >> shift) & mask) >= entries) byte = static_cast<std::uint8_t>(byte & ~(mask << shift));
        }
    }
}

void TBitmap::SwapFacts(Facts& other) noexcept {
    RetainedData.swap(other.retainedData);
    std::swap(RetainedPixelOffset, other.retainedPixelOffset);
    std::swap(format_.clrUsed, other.clrUsed);
    std::swap(format_.clrImportant, other.clrImportant);
}

unsigned TBitmap::FillerEntries() const noexcept {
    const unsigned bits = format_.bitCount;
    const std::size_t entries = format_.colors.size();
    if (!bits_ || bits == 0 || bits > 8 || entries == 0 || entries >= (1u << bits)) return 0;
    return (1u << bits) - static_cast<unsigned>(entries);
}

// The filler is black, as the picture shows indices its file's table does not
// have; while drawing it repeats entry 0 instead.
void TBitmap::SetFiller(HDC canvas, bool asFirstEntry) noexcept {
    RGBQUAD filler[256] = {};
    const unsigned count = FillerEntries();
    if (asFirstEntry) {
        std::uint32_t c = format_.colors[0];
        for (unsigned i = 0; i < count; ++i)
            filler[i] = RGBQUAD{static_cast<BYTE>(c), static_cast<BYTE>(c >> 8), static_cast<BYTE>(c >> 16), 0};
    }
    ::SetDIBColorTable(canvas, static_cast<UINT>(format_.colors.size()), count, filler);
}

void TBitmap::Change(const RECT& changed, const std::function<void(HDC)>& draw) {
    HDC canvas = Canvas();
    const bool filler = FillerEntries() > 0;
    if (filler) SetFiller(canvas, true);
    try {
        draw(canvas);
    } catch (...) {
        if (filler) SetFiller(canvas, false);
        throw;
    }
    if (filler) SetFiller(canvas, false);
    Modified(changed);
}

void TBitmap::ReadFormat() {
    BITMAP info{};
    if (handle_ && ::GetObjectW(handle_.get(), sizeof info, &info)) {
        width_ = info.bmWidth;
        height_ = info.bmHeight;
        bitsPerPixel_ = info.bmBitsPixel * info.bmPlanes;
    } else {
        width_ = height_ = bitsPerPixel_ = 0;
    }
}

HDC TBitmap::Canvas() {
    if (!canvas_) {
        WindowDC screen(nullptr);
        OwnedMemDC dc(::CreateCompatibleDC(screen.get()));
        if (!dc) RaiseLastOSError();
        canvasOld_ = ::SelectObject(dc.get(), handle_.get());
        if (palette_) {
            canvasOldPalette_ = ::SelectPalette(dc.get(), palette_.get(), TRUE);
            ::RealizePalette(dc.get());
        }
        canvas_ = std::move(dc);
    }
    return canvas_.get();
}

void TBitmap::ReleaseCanvas() noexcept {
    if (canvas_) {
        if (canvasOldPalette_) ::SelectPalette(canvas_.get(), canvasOldPalette_, TRUE);
        if (canvasOld_) ::SelectObject(canvas_.get(), canvasOld_);
        canvasOld_ = nullptr;
        canvasOldPalette_ = nullptr;
        canvas_.reset();
    }
}

void TBitmap::StretchDrawTo(HDC target, const RECT& dest) {
    if (!handle_) return;
    HDC src = Canvas();
    int displayBits = ::GetDeviceCaps(target, BITSPIXEL) * ::GetDeviceCaps(target, PLANES);
    if (bitsPerPixel_ != 1) {
        if (displayBits <= 8 && displayBits < bitsPerPixel_) {
            POINT origin;
            ::GetBrushOrgEx(target, &origin);
            ::SetStretchBltMode(target, HALFTONE);
            ::SetBrushOrgEx(target, origin.x, origin.y, nullptr);
        } else {
            ::SetStretchBltMode(target, COLORONCOLOR);
        }
    }
    PaletteGuard pal(target, palette_.get(), TRUE);
    if (palette_) ::RealizePalette(target);
    ::StretchBlt(target, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, src, 0, 0, width_,
                 height_, SRCCOPY);
}

}  // namespace mt
