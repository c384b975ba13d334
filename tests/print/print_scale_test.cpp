// The device mode's scale setting: the driver shrinks or enlarges the page by
// it, and the print command compensates so the page keeps its measurements.
#include <gtest/gtest.h>

#include <cstring>

#include "print/print_fixture.h"
#include "print/printer.h"

namespace mt::test {
namespace {

class PrintScaleTest : public PrintTest {
protected:
    // The current printer with its device mode's scale marked as given.
    void UseScale(short scale) {
        std::wstring device, driver, port;
        HGLOBAL current = nullptr;
        Printer().GetPrinter(device, driver, port, current);
        const SIZE_T size = ::GlobalSize(current);
        OwnedGlobal copy(::GlobalAlloc(GHND, size));
        {
            GlobalView<BYTE> from(current), to(copy.get());
            ASSERT_TRUE(from && to);
            std::memcpy(to.get(), from.get(), size);
            auto* dm = reinterpret_cast<DEVMODEW*>(to.get());
            dm->dmFields |= DM_SCALE;
            dm->dmScale = scale;
        }
        Printer().SetPrinter(device, driver, port, std::move(copy));
    }
};

TEST_F(PrintScaleTest, AScaledPageKeepsItsMarginsAndSize) {
    MakeQuarteredStillImage();
    for (short scale : {50, 200}) {
        SCOPED_TRACE(scale);
        UseScale(scale);
        ExpectPaneSizedAt15Mm(ClickAndRender(form->Button9->Handle()));
    }
}

// A scale marked as 0 counts as 100 for the page arithmetic (what the driver
// makes of it is its own affair): the print goes out instead of dividing by zero.
TEST_F(PrintScaleTest, AScaleOfZeroStillPrints) {
    MakeQuarteredStillImage();
    UseScale(0);
    ClickAndRender(form->Button9->Handle());
    EXPECT_NE(std::string::npos, lastJob.find("%%Pages: 1"));
    EXPECT_FALSE(Printer().Printing());
}

}  // namespace
}  // namespace mt::test
