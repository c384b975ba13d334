#include "video/frame_source.h"

#include <cstring>

#include "base/bitmap.h"
#include "base/handles.h"

namespace mt {

// Drawn into a 32-bit DIB of that size, as the display window is drawn.
bool FrameSource::ReadPixels(long frame, int width, int height, std::uint32_t* px) {
    if (width <= 0 || height <= 0) return false;
    BITMAPINFO info = TopDownDib32(width, height);
    void* bits = nullptr;
    OwnedBitmap dib(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    OwnedMemDC dc(::CreateCompatibleDC(nullptr));
    if (!dib || !dc || !bits) return false;
    bool drawn = false;
    {
        SelectGuard selected(dc.get(), dib.get());
        RECT dest{0, 0, width, height};
        drawn = Draw(dc.get(), dest, frame);
        ::GdiFlush();
    }
    if (!drawn) return false;
    const auto* from = static_cast<const std::uint32_t*>(bits);
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    for (std::size_t i = 0; i < count; ++i) px[i] = from[i] & 0x00FFFFFFu;
    return true;
}

}  // namespace mt
