// The still image's picture: one bitmap with its palette and what the program
// knows of its pixel format and origin. Owned by Image1.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "base/handles.h"
#include "base/pixel_format.h"

namespace mt {

// The header of a 32-bit top-down DIB of the given size, no colour table.
inline BITMAPINFO TopDownDib32(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// Copies count pixels of a 32-bit DIB as 0x00RRGGBB: the top byte, which GDI
// leaves undefined, cleared.
void CopyRgbPixels(const std::uint32_t* from, std::size_t count, std::uint32_t* to) noexcept;

// A 32-bit top-down DIB section of the given size selected into a memory DC of
// its own: drawn into through Dc() and read through Bits(). Empty (false) when
// the system refuses either; GetLastError then tells why.
class DibSurface {
public:
    DibSurface(int width, int height);
    DibSurface(const DibSurface&) = delete;
    DibSurface& operator=(const DibSurface&) = delete;
    explicit operator bool() const noexcept { return bits_ && dc_; }
    HDC Dc() const noexcept { return dc_.get(); }
    std::uint32_t* Bits() const noexcept { return static_cast<std::uint32_t*>(bits_); }
    std::size_t Count() const noexcept { return count_; }
    // The pixels once GDI has finished drawing, as 0x00RRGGBB, into px (Count() of them).
    void CopyTo(std::uint32_t* px) const noexcept;

private:
    void* bits_ = nullptr;
    OwnedBitmap dib_;
    OwnedMemDC dc_;
    SelectGuard selected_;  // put back first, before the DC and the section go
    std::size_t count_;
};

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

    // Takes ownership of a display-format bitmap (and its palette) made elsewhere.
    void Assign(OwnedBitmap bitmap, OwnedPalette palette = OwnedPalette());
    // Takes ownership of a DIB section whose pixel memory is bits, laid out as
    // format says.
    void AssignDib(OwnedBitmap section, void* bits, TPixelFormat format, OwnedPalette palette = OwnedPalette());
    // A DIB section (pixel memory reachable) rather than a display-format bitmap.
    bool IsDib() const noexcept { return bits_ != nullptr; }
    std::uint8_t* Bits() const noexcept { return bits_; }
    // The DIB's layout and file facts; for a display-format bitmap only the
    // counts and resolution are meaningful (all 0).
    const TPixelFormat& PixelFormat() const noexcept { return format_; }
    // Every change of the pixels goes through here: draw(canvas) draws into
    // `changed` (bitmap pixels), then the change is taken in (Modified). In a
    // colour-table picture whose table is shorter than its depth allows, the
    // filler entries stand for entry 0 while drawing, so drawn pixels take the
    // nearest colour of the picture's own table and keep to its indices.
    void Change(const RECT& changed, const std::function<void(HDC)>& draw);
    // The pixels in `changed` were drawn: the retained file data no longer
    // describes the picture, the colours-used and colours-important counts
    // become 0, and drawn pixels on a filler entry are given entry 0.
    void Modified(const RECT& changed) noexcept;
    void SetPalette(OwnedPalette palette) { palette_ = std::move(palette); }

    // What a change resets besides the pixels (Modified): kept by the still
    // image's history, which gives it back with the pixels.
    struct Facts {
        std::vector<std::uint8_t> retainedData;
        std::uint32_t retainedPixelOffset = 0;
        std::uint32_t clrUsed = 0;
        std::uint32_t clrImportant = 0;
    };
    Facts CurrentFacts() const { return Facts{RetainedData, RetainedPixelOffset, format_.clrUsed, format_.clrImportant}; }
    void SwapFacts(Facts& other) noexcept;

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
    // Where the pixel data of the retained file starts, counted from the file's start.
    std::uint32_t RetainedPixelOffset = 0;
    // The picture came from a BMP file with the 12-byte core header.
    bool FromCoreHeader() const noexcept { return format_.fromCoreHeader; }

    TBitmap(TBitmap&&) noexcept;
    TBitmap& operator=(TBitmap&&) noexcept;
    ~TBitmap();

private:
    void ReadFormat();
    // The colour table's entries past the picture's own (0 when there are none).
    unsigned FillerEntries() const noexcept;
    void SetFiller(HDC canvas, bool asFirstEntry) noexcept;
    OwnedBitmap handle_;
    OwnedPalette palette_;
    OwnedMemDC canvas_;
    HGDIOBJ canvasOld_ = nullptr;
    HPALETTE canvasOldPalette_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int bitsPerPixel_ = 0;
    std::uint8_t* bits_ = nullptr;
    TPixelFormat format_;
};

}  // namespace mt
