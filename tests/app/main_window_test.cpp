// The main window as a user and a screen reader see it.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <map>
#include <set>

#include "base/application.h"
#include "base/format.h"
#include "base/paths.h"
#include "common/form_fixture.h"
#include "common/pump.h"

using namespace mt;
using namespace mt::test;

namespace {

struct Expected {
    const char* name;
    HWND wnd;
    HWND parent;
    RECT rect;
    std::wstring text;
};

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Describe(const RECT& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right - r.left) +
           " x " + std::to_string(r.bottom - r.top) + ")";
}

RECT R(int l, int t, int w, int h) { return RECT{l, t, l + w, t + h}; }

}  // namespace

using MainWindow = FormTest;

TEST_F(MainWindow, HasAFixed680By366ClientAreaThatTheBorderCannotResize) {
    RECT client;
    ::GetClientRect(form->Handle(), &client);
    EXPECT_EQ(client.right, 680);
    EXPECT_EQ(client.bottom, 366);
    LONG style = ::GetWindowLongW(form->Handle(), GWL_STYLE);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_MAXIMIZEBOX);
    // The right and bottom edges are no sizing handles.
    RECT wr;
    ::GetWindowRect(form->Handle(), &wr);
    LRESULT right = ::SendMessageW(form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(wr.right - 1, (wr.top + wr.bottom) / 2));
    LRESULT corner = ::SendMessageW(form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(wr.right - 1, wr.bottom - 1));
    EXPECT_NE(right, HTRIGHT);
    EXPECT_NE(corner, HTBOTTOMRIGHT);
    EXPECT_EQ(WindowText(form->Handle()), L"Movetrail");
}

TEST_F(MainWindow, IsCentredOnTheDesktopWithTheButtonFaceBackground) {
    RECT wr;
    ::GetWindowRect(form->Handle(), &wr);
    int cx = (wr.left + wr.right) / 2, cy = (wr.top + wr.bottom) / 2;
    EXPECT_NEAR(cx, ::GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR(cy, ::GetSystemMetrics(SM_CYSCREEN) / 2, 1);
    // A client pixel with no control on it shows the button face.
    HDC dc = ::GetDC(form->Handle());
    COLORREF c = ::GetPixel(dc, 300, 20);
    ::ReleaseDC(form->Handle(), dc);
    EXPECT_EQ(c, ::GetSysColor(COLOR_BTNFACE));
}

TEST_F(MainWindow, MaximisingEnlargesTheWindowButLeavesEveryControlInPlace) {
    RECT before = RectInParent(form->Button10->Handle());
    RECT panelBefore = RectInParent(form->Panel2->Handle());
    ::ShowWindow(form->Handle(), SW_MAXIMIZE);
    Pump();
    RECT client;
    ::GetClientRect(form->Handle(), &client);
    EXPECT_GT(client.right, 680);
    EXPECT_TRUE(SameRect(RectInParent(form->Button10->Handle()), before));
    EXPECT_TRUE(SameRect(RectInParent(form->Panel2->Handle()), panelBefore));
    ::ShowWindow(form->Handle(), SW_RESTORE);
    Pump();
}

TEST_F(MainWindow, EveryControlIsAChildWindowAtItsPlaceWithItsText) {
    HWND f = form->Handle();
    const Expected controls[] = {
        {"Button6", form->Button6->Handle(), f, R(8, 8, 73, 28), L"動画読込"},
        {"Panel3", form->Panel3->Handle(), f, R(88, 8, 177, 28), L""},
        {"Label5", form->Label5->Handle(), form->Panel3->Handle(), R(8, 8, 44, 12), L"フレーム"},
        {"Button7", form->Button7->Handle(), f, R(352, 8, 73, 28), L"画像読込"},
        {"Button8", form->Button8->Handle(), f, R(432, 8, 73, 28), L"保存"},
        {"Button9", form->Button9->Handle(), f, R(512, 8, 73, 28), L"印刷"},
        {"Button10", form->Button10->Handle(), f, R(592, 8, 73, 28), L"用紙設定"},
        {"Label1", form->Label1->Handle(), f, R(12, 56, 64, 12), L"Ｘ＝　　，Ｙ＝"},
        {"Label2", form->Label2->Handle(), f, R(352, 56, 64, 12), L"Ｘ＝　　，Ｙ＝"},
        {"Label3", form->Label3->Handle(), f, R(488, 56, 74, 12), L"ドラッグ距離＝"},
        {"Panel1", form->Panel1->Handle(), f, R(10, 80, 320, 240), L"Panel1"},
        {"SpeedButton1", form->SpeedButton1->Handle(), f, R(330, 136, 20, 49), L""},
        {"Panel2", form->Panel2->Handle(), f, R(350, 80, 320, 240), L"Panel2"},
        {"Image1", form->Image1->Handle(), form->Panel2->Handle(), R(0, 0, 320, 240), L""},
        {"Button1", form->Button1->Handle(), f, R(8, 328, 40, 28), L"再生"},
        {"Button5", form->Button5->Handle(), f, R(52, 328, 40, 28), L"停止"},
        {"Button2", form->Button2->Handle(), f, R(96, 328, 68, 28), L"+１フレーム"},
        {"Button3", form->Button3->Handle(), f, R(168, 328, 68, 28), L"-1フレーム"},
        {"Button4", form->Button4->Handle(), f, R(240, 328, 89, 28), L"最初のフレーム"},
    };
    for (const Expected& e : controls) {
        SCOPED_TRACE(e.name);
        ASSERT_TRUE(::IsWindow(e.wnd));
        EXPECT_EQ(::GetParent(e.wnd), e.parent);
        RECT r = RectInParent(e.wnd);
        EXPECT_TRUE(SameRect(r, e.rect)) << Describe(r) << " expected " << Describe(e.rect);
        EXPECT_EQ(WindowText(e.wnd), e.text);
        EXPECT_TRUE(::IsWindowVisible(e.wnd));
    }
    // A pane's client rectangle is its whole rectangle: bevels are drawn inside.
    RECT client;
    ::GetClientRect(form->Panel1->Handle(), &client);
    EXPECT_EQ(client.right, 320);
    EXPECT_EQ(client.bottom, 240);
}

TEST_F(MainWindow, EveryControlUsesTheWindowFont) {
    for (HWND wnd : {form->Handle(), form->Button6->Handle(), form->Label1->Handle(), form->Panel1->Handle()}) {
        auto font = reinterpret_cast<HFONT>(::SendMessageW(wnd, WM_GETFONT, 0, 0));
        ASSERT_NE(font, nullptr);
        LOGFONTW lf{};
        ASSERT_TRUE(::GetObjectW(font, sizeof lf, &lf));
        EXPECT_EQ(std::wstring(lf.lfFaceName), L"ＭＳ Ｐゴシック");
        EXPECT_EQ(lf.lfCharSet, SHIFTJIS_CHARSET);
        EXPECT_EQ(lf.lfHeight, -12);
        EXPECT_EQ(lf.lfWeight, FW_NORMAL);
    }
}

TEST_F(MainWindow, FormShowSetsThePaneFieldsAndTheDialogsStartInTheProgramsFolder) {
    EXPECT_EQ(form->Pane1Left, 10);
    EXPECT_EQ(form->Pane1Top, 80);
    EXPECT_EQ(form->Pane1Width, 320);
    EXPECT_EQ(form->Pane1Height, 240);
    EXPECT_EQ(form->Pane2Left, 350);
    EXPECT_EQ(form->Pane2Top, 80);
    EXPECT_EQ(form->Pane2Width, 320);
    EXPECT_EQ(form->Pane2Height, 240);
    EXPECT_EQ(form->Panel1Dragging, 0);
    EXPECT_EQ(form->Image1Dragging, 0);
    EXPECT_EQ(form->MediaPlayer1->Left, 10);
    EXPECT_EQ(form->MediaPlayer1->Width, 320);
    EXPECT_EQ(form->MediaPlayer1->VisibleButtons, unsigned(btPlay | btStop | btStep | btBack));
    char exe[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string folder(exe);
    folder.resize(folder.find_last_of('\\'));
    EXPECT_EQ(form->OpenDialog1->InitialDir, folder);
    EXPECT_EQ(form->OpenPictureDialog1->InitialDir, folder);
    EXPECT_EQ(form->SavePictureDialog1->InitialDir, folder);
    EXPECT_EQ(form->SavePictureDialog1->DefaultExt, "bmp");
    EXPECT_EQ(form->OpenDialog1->Filter, L"AVI動画（*.AVI）|*.avi|MPEG動画(*.MPG)|*.mpg|全てのファイル(*.*)|*.*");
    EXPECT_EQ(form->Timer1->Interval, 1000u);
    EXPECT_FALSE(form->Timer1->Enabled());
}

TEST_F(MainWindow, HintsShowForTheCopyButtonAndTheLabelsOnly) {
    HWND tip = Application.HintWindow();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(::SendMessageW(tip, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 500);
    EXPECT_EQ(::SendMessageW(tip, TTM_GETDELAYTIME, TTDT_AUTOPOP, 0), 2500);
    std::set<HWND> tools;
    std::map<HWND, std::wstring> texts;
    int count = static_cast<int>(::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TTTOOLINFOW ti{};
        ti.cbSize = TTTOOLINFOW_V1_SIZE;
        if (::SendMessageW(tip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(&ti))) {
            auto wnd = reinterpret_cast<HWND>(ti.uId);
            if (::IsChild(form->Handle(), wnd)) {
                tools.insert(wnd);
                wchar_t text[256] = {};
                ti.lpszText = text;
                ::SendMessageW(tip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&ti));
                texts[wnd] = text;
            }
        }
    }
    EXPECT_EQ(tools, (std::set<HWND>{form->SpeedButton1->Handle(), form->Label1->Handle(), form->Label2->Handle(),
                                     form->Label3->Handle()}));
    EXPECT_EQ(texts[form->SpeedButton1->Handle()], L"左画面→右画面へコピー");
    EXPECT_EQ(texts[form->Label1->Handle()], L"マウスの位置");
    EXPECT_EQ(texts[form->Label3->Handle()], L"マウスダウンからアップするまでの距離");
    // Panel1 keeps its hint but never shows it.
    EXPECT_EQ(form->Panel1->Hint, L"ドラッグ区域を右へコピー");
    EXPECT_FALSE(form->Panel1->ShowHint);
}

TEST_F(MainWindow, TabMovesThroughThePushButtonsInOrderAndSkipsThePanels) {
    const HWND order[] = {form->Button6->Handle(), form->Button1->Handle(), form->Button5->Handle(),
                          form->Button2->Handle(), form->Button3->Handle(), form->Button4->Handle(),
                          form->Button7->Handle(), form->Button8->Handle(), form->Button9->Handle(),
                          form->Button10->Handle(), form->Button6->Handle()};
    for (size_t i = 0; i + 1 < std::size(order); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(::GetNextDlgTabItem(form->Handle(), order[i], FALSE), order[i + 1]);
    }
}

TEST_F(MainWindow, TheCopyButtonShowsTheRedArrowGlyphWithItsBackgroundTransparent) {
    HBITMAP glyph = form->SpeedButton1->Glyph();
    ASSERT_NE(glyph, nullptr);
    BITMAP bm{};
    ::GetObjectW(glyph, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 32);  // two 16 x 16 cells: normal and disabled
    EXPECT_EQ(bm.bmHeight, 16);
    // Drawn on the button: the arrow's body is red, the strip's background does not show.
    HDC screen = ::GetDC(nullptr);
    HDC mem = ::CreateCompatibleDC(screen);
    HBITMAP target = ::CreateCompatibleBitmap(screen, 20, 49);
    HGDIOBJ old = ::SelectObject(mem, target);
    form->SpeedButton1->PaintButton(mem);
    int reds = 0, olives = 0;
    for (int y = 0; y < 49; ++y)
        for (int x = 0; x < 20; ++x) {
            COLORREF c = ::GetPixel(mem, x, y);
            if (c == RGB(255, 0, 0)) ++reds;
            if (c == RGB(128, 128, 0)) ++olives;
        }
    ::SelectObject(mem, old);
    ::DeleteObject(target);
    ::DeleteDC(mem);
    ::ReleaseDC(nullptr, screen);
    EXPECT_GT(reds, 20);
    EXPECT_EQ(olives, 0);
}

// A speed button whose glyph has no disabled cell (the picture dialogs' preview
// button) is drawn engraved when disabled: only the shadow and highlight colours
// over the button face, where the glyph has its outline.
TEST_F(MainWindow, ASingleCellGlyphIsDrawnEngravedWhenItsButtonIsDisabled) {
    HBITMAP strip = static_cast<HBITMAP>(
        ::LoadImageW(Application.Instance(), L"PREVIEWGLYPH", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(strip, nullptr);
    TSpeedButton button(form->Handle(), 0, 0, 23, 22, strip);
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE), shadow = ::GetSysColor(COLOR_BTNSHADOW),
                   light = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    struct Seen {
        int shadows = 0, others = 0;
    };
    auto paint = [&](bool enabled) {
        ::EnableWindow(button.Handle(), enabled);
        HDC screen = ::GetDC(nullptr);
        HDC mem = ::CreateCompatibleDC(screen);
        HBITMAP target = ::CreateCompatibleBitmap(screen, 23, 22);
        HGDIOBJ old = ::SelectObject(mem, target);
        button.PaintButton(mem);
        Seen seen;
        for (int y = 3; y < 19; ++y)  // the glyph's 16 x 16 cell, inside the edges
            for (int x = 3; x < 19; ++x) {
                COLORREF c = ::GetPixel(mem, x, y);
                if (c == shadow) ++seen.shadows;
                else if (c != face && c != light) ++seen.others;
            }
        ::SelectObject(mem, old);
        ::DeleteObject(target);
        ::DeleteDC(mem);
        ::ReleaseDC(nullptr, screen);
        return seen;
    };
    Seen enabled = paint(true), disabled = paint(false);
    EXPECT_GT(enabled.others, 10);  // the glass and the page's outline in their own colours
    EXPECT_GT(disabled.shadows, 10);
    EXPECT_EQ(disabled.others, 0);
}

TEST_F(MainWindow, TheIconIsThirtyTwoPixelsSquareInSixteenColours) {
    HRSRC group = ::FindResourceW(nullptr, L"MAINICON", MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    ASSERT_NE(group, nullptr);
    auto* dir = static_cast<const BYTE*>(::LockResource(::LoadResource(nullptr, group)));
    ASSERT_NE(dir, nullptr);
    // GRPICONDIR: reserved, type, count; then 14-byte entries: width, height, colours, ...
    EXPECT_EQ(dir[4], 1);
    EXPECT_EQ(dir[6], 32);
    EXPECT_EQ(dir[7], 32);
    EXPECT_EQ(dir[8], 16);
    EXPECT_NE(::GetClassLongPtrW(form->Handle(), GCLP_HICON), 0u);
}

TEST_F(MainWindow, DialogCloseHandlersRepaintTheWholeWindow) {
    struct Case {
        const char* name;
        std::function<void()> run;
    } cases[] = {
        {"OpenDialog1Close", [&] { form->OpenDialog1Close(); }},
        {"OpenPictureDialog1Close", [&] { form->OpenPictureDialog1Close(); }},
        {"PrinterSetupDialog1Close", [&] { form->PrinterSetupDialog1Close(); }},
        {"SavePictureDialog1CanClose", [&] { EXPECT_TRUE(form->SavePictureDialog1CanClose()); }},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        ::ValidateRect(form->Handle(), nullptr);
        RECT update{};
        EXPECT_FALSE(::GetUpdateRect(form->Handle(), &update, FALSE));
        c.run();
        ASSERT_TRUE(::GetUpdateRect(form->Handle(), &update, FALSE));
        EXPECT_EQ(update.right - update.left, 680);
        EXPECT_EQ(update.bottom - update.top, 366);
    }
}

TEST_F(MainWindow, TheLocaleDecimalSeparatorIsReadAgainWhenSettingsChange) {
    wchar_t saved[8] = {};
    ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, saved, 8);
    ASSERT_TRUE(::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, L","));
    ::SendMessageW(form->Handle(), WM_WININICHANGE, 0, reinterpret_cast<LPARAM>(L"intl"));
    std::wstring withComma = Format(L"ドラッグ距離=%4f", {5.0});
    ::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, saved);
    ::SendMessageW(form->Handle(), WM_WININICHANGE, 0, reinterpret_cast<LPARAM>(L"intl"));
    EXPECT_EQ(withComma, L"ドラッグ距離=5,00");
    EXPECT_EQ(Format(L"%4f", {5.0}), std::wstring(L"5") + saved + L"00");
}

TEST(Environment, RunsWithTheJapaneseAnsiCodePage) { EXPECT_EQ(::GetACP(), 932u); }
