// Where the still image lands on the page, from the printer's resolution,
// physical offsets and scale setting.
#include <gtest/gtest.h>

#include "print/print_geometry.h"

namespace mt {
namespace {

PrinterMetrics Metrics(int dpiX, int dpiY, int offX = 0, int offY = 0) {
    return PrinterMetrics{dpiX, dpiY, offX, offY};
}

TEST(PrintGeometry, MarginsAndSizeFollowTheResolutionOffsetsAndScale) {
    // 600 dpi: 2343 x 1757 pixels = 99.2 x 74.4 mm, 15 mm in.
    EXPECT_EQ((PrintRect{354, 354, 2697, 2111}), ComputePrintRect(Metrics(600, 600), 320, 240, 100));
    // Offsets move the rectangle so margins count from the paper's edges.
    EXPECT_EQ((PrintRect{254, 254, 2597, 2011}), ComputePrintRect(Metrics(600, 600, 100, 100), 320, 240, 100));
    // A driver that halves the page gets everything doubled.
    EXPECT_EQ((PrintRect{708, 708, 5395, 4223}), ComputePrintRect(Metrics(600, 600), 320, 240, 50));
    // Non-square resolution.
    EXPECT_EQ((PrintRect{212, 425, 1618, 2534}), ComputePrintRect(Metrics(360, 720), 320, 240, 100));
    // Unequal offsets: most printers leave less unprintable paper at the left than at the top.
    EXPECT_EQ((PrintRect{182, 345, 1588, 2454}), ComputePrintRect(Metrics(360, 720, 30, 80), 320, 240, 100));
}

TEST(PrintGeometry, FractionsOfADevicePixelAreDroppedBeforeTheOffset) {
    // 300 dpi, scale 150: 118.1 -> 118, 899.2 -> 899, 703.9 -> 703, then the
    // offset of 200 is subtracted.
    EXPECT_EQ((PrintRect{-82, -82, 699, 503}), ComputePrintRect(Metrics(300, 300, 200, 200), 320, 240, 150));
    // Scale 33: 600*150000/33 = 2727272.7 -> 2727272, /2540 = 1073.7 -> 1073.
    EXPECT_EQ(1073, ComputePrintRect(Metrics(600, 600), 320, 240, 33).Left);
}

TEST(PrintGeometry, LargePanesDoNotOverflow) {
    // (2000*31+1500)*600*100 = 3810000000 leaves 32 bits.
    PrintRect r = ComputePrintRect(Metrics(600, 600), 2000, 1200, 100);
    EXPECT_EQ(15000, r.Right);   // (63500*600*100)/100/2540
    EXPECT_EQ(9141, r.Bottom);   // (38700*600*100)/100/2540 = 9141.7
    // At 1200 dpi the limit is 528 pixels.
    EXPECT_EQ(8456, ComputePrintRect(Metrics(1200, 1200), 529, 529, 100).Right);
}

TEST(PrintGeometry, ScaleComesFromTheDeviceModeOnlyWhenMarkedAndPositive) {
    EXPECT_EQ(100, PrintScaleFactor(0, 50));                  // not marked
    EXPECT_EQ(50, PrintScaleFactor(kDmScaleBit, 50));
    EXPECT_EQ(250, PrintScaleFactor(kDmScaleBit | 0x1, 250));
    EXPECT_EQ(100, PrintScaleFactor(kDmScaleBit, 0));         // would divide by zero
    EXPECT_EQ(100, PrintScaleFactor(kDmScaleBit, -50));       // would mirror the page
}

}  // namespace
}  // namespace mt
