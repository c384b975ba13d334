// Where the still image lands on the printed page: 15 mm from the paper's left
// and top edges, 0.31 mm per pixel of the still-image pane.
#pragma once
#include <cstdint>

namespace mt {

struct PrintRect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;
    friend bool operator==(const PrintRect&, const PrintRect&) = default;
};

// What the printer reports: pixels per inch and the printable area's offset
// from the paper's edges, in device pixels.
struct PrinterMetrics {
    std::int32_t PixelsPerInchX = 0;
    std::int32_t PixelsPerInchY = 0;
    std::int32_t OffsetX = 0;
    std::int32_t OffsetY = 0;
};

constexpr std::uint32_t kDmScaleBit = 0x10;

// The device mode's scale in percent: dmScale when dmFields marks it, else 100.
// A marked scale of 0 or below would divide by zero or mirror the page; it
// counts as 100.
std::int32_t PrintScaleFactor(std::uint32_t dmFields, std::int16_t dmScale);

// The destination rectangle in device pixels relative to the printable area,
// for a pane of paneWidth x paneHeight pixels at the given scale (percent, > 0).
// Products are formed in 64 bits, so large panes do not overflow; every
// division truncates toward zero.
PrintRect ComputePrintRect(const PrinterMetrics& m, std::int32_t paneWidth,
                           std::int32_t paneHeight, std::int32_t scale);

}  // namespace mt
