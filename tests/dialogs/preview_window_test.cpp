// The full-size preview window, opened from the real dialog's preview button
// or by a double-click on the preview.
#include <windows.h>

#include <cstdlib>

#include "dialog_session.h"

namespace mt::test {
namespace {

struct PreviewSeen {
    HWND window = nullptr;
    RECT outer{};
    LONG exStyle = 0, style = 0;
    RECT imageClient{};
    RECT imageInPanel{};
    RECT panelClient{};
    SIZE formClient{};
    SIZE panelOuter{};
    Capture picture;
    bool closedByEscape = false;
};

// Opens the preview window from the dialog with open(), notes what it shows
// (drawn anew and read back), then presses Esc in it.
PreviewSeen WatchPreview(HWND dialog, const std::function<void()>& open) {
    PreviewSeen s;
    DialogDriver preview(DialogMatch(L"プレビュー", nullptr, L""), [&](HWND window) {
        s.window = window;
        ::GetWindowRect(s.window, &s.outer);
        s.style = ::GetWindowLongW(s.window, GWL_STYLE);
        s.exStyle = ::GetWindowLongW(s.window, GWL_EXSTYLE);
        HWND panel = FindDescendant(s.window, L"TPanel");
        HWND image = FindDescendant(s.window, L"TPaintBox");
        if (panel && image) {
            ::GetClientRect(image, &s.imageClient);
            ::GetClientRect(panel, &s.panelClient);
            s.imageInPanel = RectInParent(image);
            RECT client, panelRect;
            ::GetClientRect(s.window, &client);
            ::GetWindowRect(panel, &panelRect);
            s.formClient = {client.right, client.bottom};
            s.panelOuter = {panelRect.right - panelRect.left, panelRect.bottom - panelRect.top};
            ::RedrawWindow(image, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            s.picture = CaptureClient(image);
        }
        ::PostMessageW(s.window, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        ::PostMessageW(s.window, WM_KEYUP, VK_ESCAPE, 0xC0010001);
        s.closedByEscape = PumpUntil([&] { return !::IsWindowVisible(s.window); }, 5000);
    }, 20000, ::GetWindowThreadProcessId(dialog, nullptr));
    open();
    preview.Wait();
    return s;
}

void Click(HWND wnd) {
    ::PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    ::PostMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
}

using PreviewWindow = PictureDialogTest;

TEST_F(PreviewWindow, ShowsThePictureOnePixelForOneAndClosesOnEscape) {
    WriteBmp(Path("qvga.bmp"), 320, 240, 0x00FF00, 0xFF00FF);
    PreviewSeen seen;
    DialogRun run = RunDialog([&] { return form->OpenPictureDialog1->Execute(form->Handle()); }, [&](HWND dialog) {
        if (SelectInList(dialog, L"qvga.bmp"))
            seen = WatchPreview(dialog, [&] { Click(FindDescendant(dialog, L"TSpeedButton")); });
    });
    ASSERT_TRUE(run.seen);
    ASSERT_NE(seen.window, nullptr) << "no preview window";
    EXPECT_TRUE(seen.exStyle & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(seen.style & WS_THICKFRAME);
    EXPECT_EQ(seen.imageClient.right, 320);
    EXPECT_EQ(seen.imageClient.bottom, 240);
    // Inside a 5-pixel border of the panel, which fills the window's client area.
    EXPECT_EQ(seen.imageInPanel.left, 5);
    EXPECT_EQ(seen.imageInPanel.top, 5);
    EXPECT_EQ(seen.panelClient.right, 330);
    EXPECT_EQ(seen.panelClient.bottom, 250);
    EXPECT_EQ(seen.panelOuter.cx, seen.formClient.cx);
    EXPECT_EQ(seen.panelOuter.cy, seen.formClient.cy);
    EXPECT_GT(seen.panelOuter.cx, seen.panelClient.right);  // the panel's single-line frame
    // Centred on the screen.
    EXPECT_LE(std::abs((seen.outer.left + seen.outer.right) / 2 - ::GetSystemMetrics(SM_CXSCREEN) / 2), 1);
    ASSERT_EQ(seen.picture.width, 320);
    EXPECT_EQ(seen.picture.At(0, 0), 0x00FF00u);
    EXPECT_EQ(seen.picture.At(159, 239), 0x00FF00u);
    EXPECT_EQ(seen.picture.At(160, 0), 0xFF00FFu);
    EXPECT_EQ(seen.picture.At(319, 239), 0xFF00FFu);
    EXPECT_TRUE(seen.closedByEscape);
    EXPECT_FALSE(::IsWindow(seen.window));  // destroyed once closed
}

TEST_F(PreviewWindow, DoubleClickWithNoPictureOpensAnEmptyWindowOfTheDefaultSize) {
    PreviewSeen seen;
    RunDialog([&] { return form->OpenPictureDialog1->Execute(form->Handle()); }, [&](HWND dialog) {
        seen = WatchPreview(dialog, [&] {
            ::PostMessageW(FindDescendant(dialog, L"TPaintBox"), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
        });
    });
    ASSERT_NE(seen.window, nullptr);
    EXPECT_EQ(seen.outer.right - seen.outer.left, 320);
    EXPECT_EQ(seen.outer.bottom - seen.outer.top, 240);
    EXPECT_TRUE(seen.closedByEscape);
}

}  // namespace
}  // namespace mt::test
