#include "base/messages.h"

#include <windows.h>

#include <algorithm>

#include "base/application.h"
#include "base/dialog_template.h"
#include "base/failure.h"
#include "base/form_font.h"
#include "base/handles.h"

namespace mt {
namespace {

constexpr int kTextId = 100;

struct MessageState {
    const std::wstring* text;
};

INT_PTR CALLBACK MessageProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    INT_PTR result = FALSE;
    Guarded([&] {
        switch (msg) {
        case WM_INITDIALOG: {
            auto* state = reinterpret_cast<MessageState*>(lp);
            ::SetWindowTextW(dlg, Application.Title().c_str());
            HWND text = ::GetDlgItem(dlg, kTextId);
            HWND ok = ::GetDlgItem(dlg, IDOK);
            HFONT font = FormFont();
            ::SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
            ::SendMessageW(ok, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
            ::SetWindowTextW(text, state->text->c_str());
            // Measure the text wrapped to half the screen width.
            int screenW = ::GetSystemMetrics(SM_CXSCREEN), screenH = ::GetSystemMetrics(SM_CYSCREEN);
            RECT tr{0, 0, screenW / 2, 0};
            {
                WindowDC dc(text);
                SelectGuard selected(dc.get(), font);
                ::DrawTextW(dc.get(), state->text->c_str(), -1, &tr,
                            DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
            }
            const int margin = 12, buttonW = 75, buttonH = 25;
            int textW = tr.right - tr.left, textH = tr.bottom - tr.top;
            int clientW = std::max(textW, buttonW) + 2 * margin;
            int clientH = margin + textH + margin + buttonH + margin;
            ::MoveWindow(text, margin, margin, textW, textH, FALSE);
            ::MoveWindow(ok, (clientW - buttonW) / 2, margin + textH + margin, buttonW, buttonH, FALSE);
            RECT wr{0, 0, clientW, clientH};
            ::AdjustWindowRectEx(&wr, static_cast<DWORD>(::GetWindowLongW(dlg, GWL_STYLE)), FALSE,
                                 static_cast<DWORD>(::GetWindowLongW(dlg, GWL_EXSTYLE)));
            int w = wr.right - wr.left, h = wr.bottom - wr.top;
            ::SetWindowPos(dlg, nullptr, (screenW - w) / 2, (screenH - h) / 2, w, h, SWP_NOZORDER);
            ::SetFocus(ok);
            result = FALSE;
            break;
        }
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
                ::EndDialog(dlg, IDOK);
                result = TRUE;
            }
            break;
        case WM_CLOSE:
            ::EndDialog(dlg, IDOK);
            result = TRUE;
            break;
        }
    });
    return result;
}

}  // namespace

void ShowMessage(const std::wstring& text) { ShowMessage(text, Application.MainWindow()); }

void ShowMessage(const std::wstring& text, HWND owner) {
    DialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
    t.Add(DialogClass::Static, SS_LEFT | SS_NOPREFIX, kTextId, L"");
    t.Add(DialogClass::Button, BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, L"OK");
    MessageState state{&text};
    t.Run(owner, &MessageProc, reinterpret_cast<LPARAM>(&state));
}

}  // namespace mt
