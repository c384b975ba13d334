#include "base/messages.h"

#include <windows.h>

#include <algorithm>

#include "base/application.h"
#include "base/dialog_template.h"
#include "base/form_font.h"
#include "base/handles.h"

namespace mt {
namespace {

constexpr int kTextId = 100;

struct MessageState final : OwnDialog {
    explicit MessageState(const std::wstring* text) : text(text) {}
    const std::wstring* text;

    bool Initialise(HWND dlg) override;
    void Ok(HWND dlg) override { ::EndDialog(dlg, IDOK); }
    void Cancel(HWND dlg) override { ::EndDialog(dlg, IDOK); }
    bool Message(HWND dlg, UINT msg, WPARAM, LPARAM) override {
        if (msg != WM_CLOSE) return false;
        ::EndDialog(dlg, IDOK);
        return true;
    }
};

bool MessageState::Initialise(HWND dlg) {
    ::SetWindowTextW(dlg, Application.Title().c_str());
    HWND textItem = ::GetDlgItem(dlg, kTextId);
    HWND ok = ::GetDlgItem(dlg, IDOK);
    HFONT font = FormFont();
    ::SendMessageW(textItem, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ::SendMessageW(ok, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ::SetWindowTextW(textItem, text->c_str());
    // Measure the text wrapped to half the screen width.
    int screenW = ::GetSystemMetrics(SM_CXSCREEN), screenH = ::GetSystemMetrics(SM_CYSCREEN);
    RECT tr{0, 0, screenW / 2, 0};
    {
        WindowDC dc(textItem);
        SelectGuard selected(dc.get(), font);
        ::DrawTextW(dc.get(), text->c_str(), -1, &tr, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    }
    const int margin = 12, buttonW = 75, buttonH = 25;
    int textW = tr.right - tr.left, textH = tr.bottom - tr.top;
    int clientW = std::max(textW, buttonW) + 2 * margin;
    int clientH = margin + textH + margin + buttonH + margin;
    ::MoveWindow(textItem, margin, margin, textW, textH, FALSE);
    ::MoveWindow(ok, (clientW - buttonW) / 2, margin + textH + margin, buttonW, buttonH, FALSE);
    RECT wr{0, 0, clientW, clientH};
    ::AdjustWindowRectEx(&wr, static_cast<DWORD>(::GetWindowLongW(dlg, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongW(dlg, GWL_EXSTYLE)));
    int w = wr.right - wr.left, h = wr.bottom - wr.top;
    ::SetWindowPos(dlg, nullptr, (screenW - w) / 2, (screenH - h) / 2, w, h, SWP_NOZORDER);
    ::SetFocus(ok);
    return false;
}

}  // namespace

void ShowMessage(const std::wstring& text) { ShowMessage(text, Application.MainWindow()); }

void ShowMessage(const std::wstring& text, HWND owner) {
    DialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
    t.Add(DialogClass::Static, SS_LEFT | SS_NOPREFIX, kTextId, L"");
    t.Add(DialogClass::Button, BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, L"OK");
    MessageState state(&text);
    state.Run(t, owner);
}

}  // namespace mt
