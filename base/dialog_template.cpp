#include "base/dialog_template.h"

#include <cstring>

#include "base/application.h"
#include "base/failure.h"
#include "base/form_font.h"

namespace mt {

DialogTemplate::DialogTemplate(DWORD style) {
    DLGTEMPLATE dt{};
    dt.style = style;
    dt.cx = 100;
    dt.cy = 50;
    const WORD* raw = reinterpret_cast<const WORD*>(&dt);
    t_.insert(t_.end(), raw, raw + sizeof dt / sizeof(WORD));
    t_.push_back(0);  // no menu
    t_.push_back(0);  // the standard dialog class
    t_.push_back(0);  // the caption comes at initialisation
}

void DialogTemplate::Append(const wchar_t* s) {
    do t_.push_back(static_cast<WORD>(*s)); while (*s++);
}

void DialogTemplate::Begin(DWORD style, WORD id) {
    if (t_.size() % 2) t_.push_back(0);  // items start on a DWORD boundary
    DLGITEMTEMPLATE item{style | WS_CHILD | WS_VISIBLE, 0, 0, 0, 10, 10, id};
    const WORD* raw = reinterpret_cast<const WORD*>(&item);
    t_.insert(t_.end(), raw, raw + sizeof item / sizeof(WORD));
    ++items_;
}

void DialogTemplate::Add(DialogClass kind, DWORD style, WORD id, const wchar_t* text) {
    Begin(style, id);
    t_.push_back(0xFFFF);
    t_.push_back(static_cast<WORD>(kind));
    Append(text);
    t_.push_back(0);  // no creation data
}

void DialogTemplate::Add(const wchar_t* className, DWORD style, WORD id, const wchar_t* text) {
    Begin(style, id);
    Append(className);
    Append(text);
    t_.push_back(0);
}

INT_PTR DialogTemplate::Run(HWND owner, DLGPROC proc, LPARAM param) {
    std::vector<WORD> t = t_;
    reinterpret_cast<DLGTEMPLATE*>(t.data())->cdit = items_;
    Application.HideHint();
    OwnersDisabledScope owners(owner);
    return ::DialogBoxIndirectParamW(Application.Instance(), reinterpret_cast<DLGTEMPLATE*>(t.data()), owner, proc,
                                     param);
}

HWND DialogTemplate::Create(HWND owner, DLGPROC proc, LPARAM param) {
    std::vector<WORD> t = t_;
    auto* dt = reinterpret_cast<DLGTEMPLATE*>(t.data());
    dt->cdit = items_;
    dt->style &= ~static_cast<DWORD>(WS_VISIBLE);
    return ::CreateDialogIndirectParamW(Application.Instance(), dt, owner, proc, param);
}

INT_PTR OwnDialog::Run(DialogTemplate& t, HWND owner) { return t.Run(owner, &OwnDialog::Proc, reinterpret_cast<LPARAM>(this)); }

HWND OwnDialog::Create(DialogTemplate& t, HWND owner) {
    return t.Create(owner, &OwnDialog::Proc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK OwnDialog::Proc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    INT_PTR handled = FALSE;
    Guarded([&] {
        if (msg == WM_INITDIALOG) {
            ::SetWindowLongPtrW(dialog, DWLP_USER, lp);
            handled = reinterpret_cast<OwnDialog*>(lp)->Initialise(dialog) ? TRUE : FALSE;
            return;
        }
        auto* self = reinterpret_cast<OwnDialog*>(::GetWindowLongPtrW(dialog, DWLP_USER));
        if (!self) return;  // the messages before WM_INITDIALOG
        handled = TRUE;
        if (msg == WM_COMMAND && LOWORD(wp) == IDOK) self->Ok(dialog);
        else if (msg == WM_COMMAND && LOWORD(wp) == IDCANCEL) self->Cancel(dialog);
        else handled = self->Message(dialog, msg, wp, lp) ? TRUE : FALSE;
    });
    return handled;
}

std::wstring ItemText(HWND dialog, int id) {
    HWND item = ::GetDlgItem(dialog, id);
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(item)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(item, text.data(), static_cast<int>(text.size()))));
    return text;
}

void UseFormFont(HWND dialog) {
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(FormFont()), FALSE);
}

void PlaceItem(HWND dialog, int id, int x, int y, int w, int h) {
    ::MoveWindow(::GetDlgItem(dialog, id), x, y, w, h, FALSE);
}

void SizeAndCentre(HWND dialog, int w, int h) {
    RECT wr{0, 0, w, h};
    ::AdjustWindowRectEx(&wr, static_cast<DWORD>(::GetWindowLongW(dialog, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongW(dialog, GWL_EXSTYLE)));
    const int outerW = wr.right - wr.left, outerH = wr.bottom - wr.top;
    RECT around{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    if (HWND owner = ::GetWindow(dialog, GW_OWNER)) ::GetWindowRect(owner, &around);
    ::SetWindowPos(dialog, nullptr, around.left + (around.right - around.left - outerW) / 2,
                   around.top + (around.bottom - around.top - outerH) / 2, outerW, outerH, SWP_NOZORDER);
}

}  // namespace mt
