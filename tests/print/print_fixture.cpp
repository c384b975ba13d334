#include "print/print_fixture.h"

#include "base/handles.h"
#include "common/pump.h"
#include "print/printer.h"

namespace mt::test {

void PrintTest::SetUp() {
    FormTest::SetUp();
    ASSERT_FALSE(PrintOutputPath().empty()) << "the test command sets up no print queue";
}

void PrintTest::TearDown() {
    if (!PrintOutputPath().empty()) {
        std::wstring device, driver, port;
        HGLOBAL devMode = nullptr;
        Printer().GetPrinter(device, driver, port, devMode);
        Printer().SetPrinter(device, driver, port, OwnedGlobal());
    }
    FormTest::TearDown();
}

void PrintTest::MakeQuarteredStillImage(int width, int height) {
    if (!width) width = form->Pane2Width;
    if (!height) height = form->Pane2Height;
    form->Image1->Picture = std::make_unique<TBitmap>(TBitmap::CreateWhiteScreenCompatible(width, height));
    HDC dc = form->Image1->Picture->Canvas();
    const COLORREF colours[4] = {RGB(255, 0, 0), RGB(0, 160, 0), RGB(0, 0, 255), RGB(0, 0, 0)};
    for (int i = 0; i < 4; ++i) {
        RECT r{(i % 2) * width / 2, (i / 2) * height / 2, (i % 2 + 1) * width / 2, (i / 2 + 1) * height / 2};
        OwnedBrush brush(::CreateSolidBrush(colours[i]));
        ::FillRect(dc, &r, brush.get());
    }
}

RenderedPage PrintTest::ClickAndRender(HWND button) {
    ForgetLastJob();
    ::SendMessageW(button, BM_CLICK, 0, 0);
    lastJob = WaitForJob();
    if (lastJob.empty()) return RenderedPage{};
    return RenderLastJob(200);
}

PlacedImage Placement(const RenderedPage& page) {
    RECT box = InkBox(page);
    return {page.Mm(box.left), page.Mm(box.top), page.Mm(box.right - box.left), page.Mm(box.bottom - box.top)};
}

void ExpectPaneSizedAt15Mm(const RenderedPage& page) {
    PlacedImage at = Placement(page);
    EXPECT_NEAR(15.0, at.left, 0.5);
    EXPECT_NEAR(15.0, at.top, 0.5);
    EXPECT_NEAR(99.2, at.width, 0.5);
    EXPECT_NEAR(74.4, at.height, 0.5);
}

COLORREF TopLeftQuarterColour(const RenderedPage& page) {
    RECT box = InkBox(page);
    return page.Pixel(box.left + (box.right - box.left) / 4, box.top + (box.bottom - box.top) / 4);
}

bool Near(COLORREF c, int r, int g, int b) {
    return std::abs(GetRValue(c) - r) < 40 && std::abs(GetGValue(c) - g) < 40 && std::abs(GetBValue(c) - b) < 40;
}

}  // namespace mt::test
