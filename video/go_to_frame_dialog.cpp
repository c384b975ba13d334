#include "video/go_to_frame_dialog.h"

#include "base/dialog_template.h"
#include "base/messages.h"
#include "base/typed_number.h"

namespace mt {
namespace {

struct GoToFrameState final : OwnDialog {
    GoToFrameState(std::int32_t current, std::int32_t last) : current(current), last(last) {}
    std::int32_t current, last;
    std::optional<std::int32_t> chosen;

    bool Initialise(HWND dlg) override;
    void Ok(HWND dlg) override;
    void Cancel(HWND dlg) override;
};

constexpr int kClientW = 200, kClientH = 82;

void SelectEdit(HWND dlg) {
    HWND edit = ::GetDlgItem(dlg, kGoToFrameEditId);
    ::SetFocus(edit);
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
}

// Runs when 移動 is pressed (or Enter in the edit box).
void Confirm(HWND dlg, GoToFrameState& state) {
    state.chosen = FrameNumberOf(ItemText(dlg, kGoToFrameEditId), state.last);
    if (state.chosen) {
        ::EndDialog(dlg, IDOK);
        return;
    }
    ShowMessage(L"フレームには 0 から " + std::to_wstring(state.last) + L" までの番号を入力してください", dlg);
    SelectEdit(dlg);
}

bool GoToFrameState::Initialise(HWND dlg) {
    ::SetWindowTextW(dlg, L"フレームへ移動");
    UseFormFont(dlg);
    PlaceItem(dlg, kGoToFrameLabelId, 12, 16, 44, 14);
    PlaceItem(dlg, kGoToFrameEditId, 60, 12, 128, 21);
    PlaceItem(dlg, IDOK, 32, 46, 75, 25);
    PlaceItem(dlg, IDCANCEL, 113, 46, 75, 25);
    SizeAndCentre(dlg, kClientW, kClientH);
    ::SetDlgItemTextW(dlg, kGoToFrameEditId, std::to_wstring(current).c_str());
    SelectEdit(dlg);
    return false;  // the focus is set
}

void GoToFrameState::Ok(HWND dlg) { Confirm(dlg, *this); }

void GoToFrameState::Cancel(HWND dlg) {
    chosen.reset();
    ::EndDialog(dlg, IDCANCEL);
}

}  // namespace

std::optional<std::int32_t> FrameNumberOf(const std::wstring& text, std::int32_t last) {
    const std::optional<long> n = ParseTypedWhole(text);
    if (!n || *n > last) return std::nullopt;
    return static_cast<std::int32_t>(*n);
}

std::optional<std::int32_t> AskFrameNumber(HWND owner, std::int32_t current, std::int32_t last) {
    // Shown as it is created, placed and filled in, before its loop takes the first message.
    DialogTemplate t(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
    t.Add(DialogClass::Static, SS_LEFT | SS_NOPREFIX, kGoToFrameLabelId, L"フレーム");
    t.Add(DialogClass::Edit, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, kGoToFrameEditId, L"");
    t.Add(DialogClass::Button, BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, L"移動");
    t.Add(DialogClass::Button, BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL, L"キャンセル");
    GoToFrameState state(current, last);
    state.Run(t, owner);
    return state.chosen;
}

}  // namespace mt
