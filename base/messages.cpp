#include "base/messages.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "base/application.h"
#include "base/failure.h"
#include "base/form_font.h"
#include "base/handles.h"

namespace mt {
namespace {

constexpr int kTextId = 100;

void Append(std::vector<WORD>& t, const wchar_t* s) {
    do t.push_back(static_cast<WORD>(*s)); while (*s++);
}

void AlignDword(std::vector<WORD>& t) {
    if (t.size() % 2) t.push_back(0);
}

void AddItem(std::vector<WORD>& t, DWORD style, WORD id, WORD classAtom, const wchar_t* text) {
    AlignDword(t);
    DLGITEMTEMPLATE item{style | WS_CHILD | WS_VISIBLE, 0, 0, 0, 10, 10, id};
    const WORD* raw = reinterpret_cast<const WORD*>(&item);
    t.insert(t.end(), raw, raw + sizeof item / sizeof(WORD));
    t.push_back(0xFFFF);
    t.push_back(classAtom);
    Append(t, text);
    t.push_back(0);  // no creation data
}

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

void ShowMessage(const std::wstring& text) {
    std::vector<WORD> t;
    DLGTEMPLATE dt{};
    dt.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    dt.cdit = 2;
    dt.cx = 100;
    dt.cy = 50;
    const WORD* raw = reinterpret_cast<const WORD*>(&dt);
    t.insert(t.end(), raw, raw + sizeof dt / sizeof(WORD));
    t.push_back(0);  // no menu
    t.push_back(0);  // standard dialog class
    t.push_back(0);  // caption set at initialisation
    AddItem(t, SS_LEFT | SS_NOPREFIX, kTextId, 0x0082, L"");
    AddItem(t, BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, 0x0080, L"OK");
    MessageState state{&text};
    Application.HideHint();
    ::DialogBoxIndirectParamW(Application.Instance(), reinterpret_cast<DLGTEMPLATE*>(t.data()),
                              Application.MainWindow(), &MessageProc, reinterpret_cast<LPARAM>(&state));
}

}  // namespace mt
