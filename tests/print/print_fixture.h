// The main window with a still image of four coloured quarters, and the print
// queue's last job.
#pragma once
#include "common/form_fixture.h"
#include "print/print_job.h"

namespace mt::test {

class PrintTest : public FormTest {
protected:
    void SetUp() override;
    // Puts the shared printer back on the queue's default settings.
    void TearDown() override;
    // A still image of the pane's size (or the given size): red, green, blue
    // and black quarters, top-left, top-right, bottom-left, bottom-right.
    void MakeQuarteredStillImage(int width = 0, int height = 0);
    // Clicks a button and waits for the job it prints; the page at 200 dpi.
    RenderedPage ClickAndRender(HWND button);
    std::string lastJob;
};

// Where the image sits on the page, in millimetres from the page's top-left.
struct PlacedImage {
    double left, top, width, height;
};
PlacedImage Placement(const RenderedPage& page);
// The image of a 320 x 240 pane: 15 mm from the left and top edges, 99.2 by
// 74.4 mm, within half a millimetre.
void ExpectPaneSizedAt15Mm(const RenderedPage& page);
// The colour a quarter in from the ink's top-left corner (the still image's
// top-left quarter).
COLORREF TopLeftQuarterColour(const RenderedPage& page);
bool Near(COLORREF c, int r, int g, int b);

}  // namespace mt::test
