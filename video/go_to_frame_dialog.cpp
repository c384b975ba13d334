#include "video/go_to_frame_dialog.h"

#include "base/dialog_template.h"
#include "base/failure.h"
#include "base/messages.h"

namespace mt {
namespace {

struct GoToFrameState {
    std::int32_t current, last;
    std::optional<std::int32_t> chosen;
};

constexpr int kClientW = 200, kClientH = 82;

std::wstring EditText(HWND edit) {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    return text;
}

void SelectEdit(HWND dlg) {
    HWND edit = ::GetDlgItem(dlg, kGoToFrameEditId);
    ::SetFocus(edit);
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
}

// Runs when 移動 is pressed (or Enter in the edit box).
void Confirm(HWND dlg, GoToFrameState& state) {
    state.chosen = FrameNumberOf(EditText(::GetDlgItem(dlg, kGoToFrameEditId)), state.last);
    if (state.chosen) {
        ::EndDialog(dlg, IDOK);
        return;
    }
    ShowMessage(L"フレームには 0 から " + std::to_wstring(state.last) + L" までの番号を入力してください", dlg);
    SelectEdit(dlg);
}

INT_PTR CALLBACK GoToFrameProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    INT_PTR result = FALSE;
    Guarded([&] {
        auto* state = reinterpret_cast<GoToFrameState*>(::GetWindowLongPtrW(dlg, DWLP_USER));
        switch (msg) {
        case WM_INITDIALOG:
            ::SetWindowLongPtrW(dlg, DWLP_USER, lp);
            state = reinterpret_cast<GoToFrameState*>(lp);
            ::SetWindowTextW(dlg, L"フレームへ移動");
            UseFormFont(dlg);
            PlaceItem(dlg, kGoToFrameLabelId, 12, 16, 44, 14);
            PlaceItem(dlg, kGoToFrameEditId, 60, 12, 128, 21);
            PlaceItem(dlg, IDOK, 32, 46, 75, 25);
            PlaceItem(dlg, IDCANCEL, 113, 46, 75, 25);
            SizeAndCentre(dlg, kClientW, kClientH);
            ::SetDlgItemTextW(dlg, kGoToFrameEditId, std::to_wstring(state->current).c_str());
            SelectEdit(dlg);
            break;  // FALSE: the focus is set
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK) {
                Confirm(dlg, *state);
                result = TRUE;
            } else if (LOWORD(wp) == IDCANCEL) {
                state->chosen.reset();
                ::EndDialog(dlg, IDCANCEL);
                result = TRUE;
            }
            break;
        }
    });
    return result;
}

}  // namespace

std::optional<std::int32_t> FrameNumberOf(const std::wstring& text, std::int32_t last) {
    size_t begin = text.find_first_not_of(L" \t\u3000"), end = text.find_last_not_of(L" \t\u3000");
    if (begin == std::wstring::npos) return std::nullopt;
    std::int64_t n = 0;
    for (size_t i = begin; i <= end; ++i) {
        wchar_t c = text[i];
        if (c >= L'０' && c <= L'９') c = static_cast<wchar_t>(L'0' + (c - L'０'));
        if (c < L'0' || c > L'9') return std::nullopt;
        n = n * 10 + (c - L'0');
        if (n > last) return std::nullopt;
    }
    return static_cast<std::int32_t>(n);
}

std::optional<std::int32_t> AskFrameNumber(HWND owner, std::int32_t current, std::int32_t last) {
    // Shown as it is created, placed and filled in, before its loop takes the first message.
    DialogTemplate t(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
    t.Add(DialogClass::Static, SS_LEFT | SS_NOPREFIX, kGoToFrameLabelId, L"フレーム");
    t.Add(DialogClass::Edit, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, kGoToFrameEditId, L"");
    t.Add(DialogClass::Button, BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, L"移動");
    t.Add(DialogClass::Button, BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL, L"キャンセル");
    GoToFrameState state{current, last, std::nullopt};
    t.Run(owner, &GoToFrameProc, reinterpret_cast<LPARAM>(&state));
    return state.chosen;
}

}  // namespace mt
