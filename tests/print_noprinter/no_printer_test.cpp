// With no printer at all (run in a Wine session whose CUPS server does not
// exist), printing and printer setup both report the missing default printer.
#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include "common/form_fixture.h"
#include "common/dialog_driver.h"

namespace mt::test {
namespace {

class NoPrinterTest : public FormTest {};

TEST_F(NoPrinterTest, PrintAndPrinterSetupReportThatThereIsNoDefaultPrinter) {
    DWORD needed = 0, count = 0;
    ::EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, nullptr, 0, &needed, &count);
    ASSERT_EQ(0u, needed) << "this session should have no printer";

    form->Image1->Picture = std::make_unique<TBitmap>(TBitmap::CreateWhiteScreenCompatible(320, 240));
    for (HWND button : {form->Button9->Handle(), form->Button10->Handle()}) {
        SCOPED_TRACE(WindowText(button));
        DialogDriver box(L"Movetrail");
        ::SendMessageW(button, BM_CLICK, 0, 0);
        ASSERT_TRUE(box.Wait());
        EXPECT_TRUE(box.view.Shows(L"デフォルト プリンタが存在しません."));
    }
}

}  // namespace
}  // namespace mt::test
