// The printer object on the test queue: the default printer, its device mode,
// and the refusals while a document is open or an index is wrong.
#include <gtest/gtest.h>

#include <functional>

#include "base/errors.h"
#include "common/dialog_driver.h"
#include "print/print_fixture.h"
#include "print/printer.h"

namespace mt::test {
namespace {

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

// Runs a function when a message posted to it comes out of the queue.
class PostedAction {
public:
    explicit PostedAction(std::function<void()> f) : f_(std::move(f)) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"MovetrailTestPostedAction";
        ::RegisterClassW(&wc);
        wnd_ = ::CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        ::SetWindowLongPtrW(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~PostedAction() { ::DestroyWindow(wnd_); }
    void Post() { ::PostMessageW(wnd_, WM_APP, 0, 0); }
    bool ran = false;

private:
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_APP) {
            auto* self = reinterpret_cast<PostedAction*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
            self->ran = true;
            self->f_();
            return 0;
        }
        return ::DefWindowProcW(wnd, msg, wp, lp);
    }
    std::function<void()> f_;
    HWND wnd_;
};

// While the page is spooled the window keeps handling what is queued: a second
// print is refused, and a change to the still image does not reach the page.
TEST_F(PrintTest, WhileThePageIsSpooledClicksRunButTheSnapshotIsPrinted) {
    MakeQuarteredStillImage();
    bool printingDuringAction = false;
    PostedAction repaint([&] {
        printingDuringAction = Printer().Printing();
        RECT all{0, 0, form->Image1->Picture->Width(), form->Image1->Picture->Height()};
        ::FillRect(form->Image1->Picture->Canvas(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    });
    repaint.Post();
    ::PostMessageW(form->Button9->Handle(), BM_CLICK, 0, 0);
    DialogDriver box(L"Movetrail");
    RenderedPage page = ClickAndRender(form->Button9->Handle());
    ASSERT_TRUE(box.Wait());
    EXPECT_TRUE(box.view.Shows(L"現在印刷中です."));
    ASSERT_TRUE(repaint.ran);
    EXPECT_TRUE(printingDuringAction) << "the queued message ran only after the print";
    ASSERT_GT(page.width, 0);
    ExpectPaneSizedAt15Mm(page);
    EXPECT_TRUE(Near(TopLeftQuarterColour(page), 255, 0, 0));
}

}  // namespace
}  // namespace mt::test
