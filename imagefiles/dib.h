// Device-independent bitmaps made from a pixel format.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

#include "base/bitmap.h"
#include "base/pixel_format.h"

namespace mt {

// A BITMAPINFO with room for the three masks or a full colour table.
struct DibInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
    BITMAPINFO* get() { return reinterpret_cast<BITMAPINFO*>(this); }
};

// The 40-byte header, masks and colour table for a format. A table shorter
// than the depth allows is filled up with black, so no pixel value can reach
// past it.
DibInfo MakeDibInfo(const TPixelFormat& format);

// A zero-filled DIB section exactly as the format describes, with a palette
// from its colours when it has more than 8 bits per pixel and carries colours.
// A refusal with an error code throws the system's message, without one
// EInvalidGraphic "ビットマップイメージが不正です".
TBitmap CreateDib(const TPixelFormat& format);

OwnedPalette PaletteFromColors(const std::vector<std::uint32_t>& colors);

}  // namespace mt
