#include "video/frame_source.h"

#include "base/bitmap.h"

namespace mt {

// Drawn into a 32-bit DIB of that size, as the display window is drawn.
bool FrameSource::ReadPixels(long frame, int width, int height, std::uint32_t* px) {
    DibSurface surface(width, height);
    if (!surface) return false;
    RECT dest{0, 0, width, height};
    if (!Draw(surface.Dc(), dest, frame)) return false;
    surface.CopyTo(px);
    return true;
}

}  // namespace mt
