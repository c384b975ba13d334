// The still image's picture: one bitmap with its palette and what the program
// knows of its pixel format and origin. Owned by Image1.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

#include "win/handles.h"

namespace mt {

class TBitmap {
public:
    TBitmap() = default;
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    // A display-format bitmap of the given size, every pixel white.
    static TBitmap CreateWhiteScreenCompatible(int width, int height);

    HBITMAP Handle() const noexcept { return handle_.get(); }
    HPALETTE Palette() const noexcept { return palette_.get(); }
    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    int BitsPerPixel() const noexcept { return bitsPerPixel_; }
    bool Empty() const noexcept { return !handle_; }

    // Takes ownership of a bitmap (and its palette) made elsewhere.
    void Assign(OwnedBitmap bitmap, OwnedPalette palette = OwnedPalette());
    void SetPalette(OwnedPalette palette) { palette_ = std::move(palette); }

    // The memory DC with the bitmap selected, kept for the picture's life so
    // frequent small copies create nothing.
    HDC Canvas();
    // Releases the kept DC (before the bitmap is handed to GDI calls that
    // need it unselected).
    void ReleaseCanvas() noexcept;

    // Draws the whole bitmap stretched onto dest with SRCCOPY, choosing the
    // stretch mode for the target and the bitmap's depth.
    void StretchDrawTo(HDC target, const RECT& dest);

    // File data kept for a format GDI alone cannot reproduce (compressed BMP),
    // written back unchanged when the picture is saved as BMP.
    std::vector<std::uint8_t> RetainedData;
    // The picture came from a BMP file with the 12-byte core header.
    bool FromCoreHeader = false;

    TBitmap(TBitmap&&) noexcept;
    TBitmap& operator=(TBitmap&&) noexcept;
    ~TBitmap();

private:
    void ReadFormat();
    OwnedBitmap handle_;
    OwnedPalette palette_;
    OwnedMemDC canvas_;
    HGDIOBJ canvasOld_ = nullptr;
    HPALETTE canvasOldPalette_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int bitsPerPixel_ = 0;
};

}  // namespace mt
