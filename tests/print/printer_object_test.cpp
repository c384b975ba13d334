// The printer object on the test queue: the default printer, its device mode,
// and the refusals while a document is open or an index is wrong.
#include <gtest/gtest.h>

#include "app/errors.h"
#include "common/pump.h"
#include "print/print_fixture.h"
#include "print/printer.h"

namespace mt::test {
namespace {

template <class F>
std::wstring FailureOf(F&& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.Message();
    }
    return L"(no failure)";
}

TEST(PrinterObject, ChoosesTheSystemsDefaultPrinterWithTheDriversDeviceMode) {
    TPrinter printer;
    int index = printer.PrinterIndex();
    ASSERT_GE(index, 0);
    std::wstring device, driver, port;
    HGLOBAL devMode = nullptr;
    printer.GetPrinter(device, driver, port, devMode);
    EXPECT_EQ(L"Movetrail_Test", device);
    GlobalView<DEVMODEW> dm(devMode);
    ASSERT_TRUE(dm) << "no device mode from the driver";
    EXPECT_EQ(std::wstring(L"Movetrail_Test"), std::wstring(dm->dmDeviceName));
    EXPECT_EQ(dm->dmFields & (DM_ORIENTATION | DM_COPIES | DM_COLLATE), printer.Capabilities());
    EXPECT_GT(::GetDeviceCaps(printer.Handle(), LOGPIXELSY), 0);
}

TEST(PrinterObject, RefusesIndexesOutsideTheList) {
    TPrinter printer;
    const int count = static_cast<int>(printer.Printers().size());
    EXPECT_EQ(L"プリンタ番号が範囲を超えています", FailureOf([&] { printer.SetPrinterIndex(count); }));
    EXPECT_EQ(L"プリンタ番号が範囲を超えています", FailureOf([&] { printer.SetPrinterIndex(-2); }));
    // Also before any printer was chosen: the bad index is not stored.
    TPrinter fresh;
    EXPECT_EQ(L"プリンタ番号が範囲を超えています", FailureOf([&] { fresh.SetPrinterIndex(count + 5); }));
    EXPECT_LT(fresh.PrinterIndex(), count);
    printer.SetPrinterIndex(-1);
    EXPECT_EQ(fresh.PrinterIndex(), printer.PrinterIndex());
}

TEST(PrinterObject, AnOpenDocumentRefusesChangesAndASecondStart) {
    TPrinter printer;
    printer.Title = L"refusals";
    EXPECT_EQ(L"プリンタに印刷できる状態ではありません", FailureOf([&] { printer.EndDoc(); }));
    ForgetLastJob();
    printer.BeginDoc();
    EXPECT_TRUE(printer.Printing());
    EXPECT_EQ(1, printer.PageNumber());
    EXPECT_EQ(L"現在印刷中です", FailureOf([&] { printer.BeginDoc(); }));
    EXPECT_EQ(L"現在印刷中です", FailureOf([&] { printer.SetPrinterIndex(printer.PrinterIndex()); }));
    EXPECT_EQ(L"現在印刷中です", FailureOf([&] { printer.SetPrinter(L"x", L"", L"", OwnedGlobal()); }));
    printer.EndDoc();
    EXPECT_FALSE(printer.Printing());
    EXPECT_EQ(0, printer.PageNumber());
    EXPECT_FALSE(WaitForJob().empty()) << "the ended document did not reach the queue";
}

// The abort callback lets the window handle clicks while a page is spooled; a
// print started then is refused.
TEST_F(PrintTest, PrintingWhileTheSharedPrinterIsPrintingIsRefused) {
    MakeQuarteredStillImage();
    Printer().Title = L"first";
    ForgetLastJob();
    Printer().BeginDoc();
    {
        DialogWatcher box(L"Movetrail");
        ::SendMessageW(form->Button9->Handle(), BM_CLICK, 0, 0);
        ASSERT_TRUE(box.Wait());
        EXPECT_NE(box.texts.end(), std::find(box.texts.begin(), box.texts.end(), L"現在印刷中です."));
    }
    EXPECT_TRUE(Printer().Printing());
    Printer().EndDoc();
    EXPECT_NE(std::string::npos, WaitForJob().find("first"));
}

}  // namespace
}  // namespace mt::test
