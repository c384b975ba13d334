#include "print/print_geometry.h"

namespace mt {

namespace {

constexpr std::int64_t kMargin = 1500;       // 15 mm in hundredths of a millimetre
constexpr std::int64_t kPerPixel = 31;       // 0.31 mm per pane pixel
constexpr std::int64_t kPerInch = 2540;      // hundredths of a millimetre per inch

// One edge: length (hundredths of a mm) x resolution, corrected for the
// driver's scale, minus the printable area's offset.
std::int32_t Edge(std::int64_t length, std::int32_t dpi, std::int32_t scale, std::int32_t offset) {
    std::int64_t v = length * dpi * 100 / scale / kPerInch - offset;
    return static_cast<std::int32_t>(v);
}

}  // namespace

std::int32_t PrintScaleFactor(std::uint32_t dmFields, std::int16_t dmScale) {
    if ((dmFields & kDmScaleBit) == 0) return 100;
    return dmScale > 0 ? dmScale : 100;
}

PrintRect ComputePrintRect(const PrinterMetrics& m, std::int32_t paneWidth,
                           std::int32_t paneHeight, std::int32_t scale) {
    PrintRect r;
    r.Left = Edge(kMargin, m.PixelsPerInchX, scale, m.OffsetX);
    r.Top = Edge(kMargin, m.PixelsPerInchY, scale, m.OffsetY);
    r.Right = Edge(paneWidth * kPerPixel + kMargin, m.PixelsPerInchX, scale, m.OffsetX);
    r.Bottom = Edge(paneHeight * kPerPixel + kMargin, m.PixelsPerInchY, scale, m.OffsetY);
    return r;
}

}  // namespace mt
