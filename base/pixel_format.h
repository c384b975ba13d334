// What the still image knows of its pixel layout and of the file it came from.
// No window code: the BMP file layout uses it natively too.
#pragma once
#include <cstdint>
#include <vector>

namespace mt {

struct TPixelFormat {
    std::int32_t width = 0;
    std::int32_t height = 0;             // negative: rows held top-down
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;       // BI_RGB 0 or BI_BITFIELDS 3
    std::uint32_t masks[3] = {0, 0, 0};  // red, green, blue (BI_BITFIELDS)
    std::vector<std::uint32_t> colors;   // colour table or palette: blue | green << 8 | red << 16
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::uint32_t clrUsed = 0;
    std::uint32_t clrImportant = 0;
    bool fromCoreHeader = false;
};

}  // namespace mt
