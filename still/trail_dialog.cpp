#include "still/trail_dialog.h"

#include <commctrl.h>

#include <optional>

#include "base/application.h"
#include "base/dialog_template.h"
#include "base/format.h"
#include "base/messages.h"
#include "base/typed_number.h"

namespace mt {
namespace {

using Ids = TrailDialogIds;
constexpr WORD kFirstLabel = 101, kLastLabel = 103, kEveryLabel = 105, kMethodLabel = 107;
constexpr const wchar_t* kMethods[] = {L"動く物", L"明るい物", L"暗い物"};

// A whole number as typed (ParseTypedWhole) into value; false for any other text.
bool ParseNumber(const std::wstring& typed, long& value) {
    const std::optional<long> n = ParseTypedWhole(typed);
    if (n) value = *n;
    return n.has_value();
}

struct DialogState final : OwnDialog {
    DialogState(long length, long position, const std::function<bool(const TrailRequest&, TrailProgress&)>* build)
        : length(length), position(position), build(build) {}
    long length, position;
    const std::function<bool(const TrailRequest&, TrailProgress&)>* build;
    bool running = false, cancelled = false, built = false;

    bool Initialise(HWND dlg) override;
    void Ok(HWND dlg) override;
    void Cancel(HWND dlg) override;
};

// The dialog's own message pump while a trail is built: the window keeps
// answering, and キャンセル or Esc reach the dialog between frames.
class DialogProgress final : public TrailProgress {
public:
    DialogProgress(HWND dlg, DialogState& state) : dlg_(dlg), state_(state) {}
    bool Continue(int done, int total) override {
        HWND bar = ::GetDlgItem(dlg_, Ids::kProgress);
        ::SendMessageW(bar, PBM_SETRANGE32, 0, total);
        ::SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(done), 0);
        MSG m;
        while (!state_.cancelled && ::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_QUIT) {
                ::PostQuitMessage(static_cast<int>(m.wParam));
                state_.cancelled = true;
                break;
            }
            if (!::IsDialogMessageW(dlg_, &m)) {
                ::TranslateMessage(&m);
                ::DispatchMessageW(&m);
            }
        }
        return !state_.cancelled;
    }
private:
    HWND dlg_;
    DialogState& state_;
};

void Layout(HWND dlg) {
    UseFormFont(dlg);
    const int margin = 12, labelW = 84, editW = 120, rowH = 28, fieldH = 22;
    int y = margin;
    for (int label : {kFirstLabel, kLastLabel, kEveryLabel, kMethodLabel}) {
        PlaceItem(dlg, label, margin, y + 4, labelW, 16);
        // A drop-down list is placed with the height of its open list.
        PlaceItem(dlg, label + 1, margin + labelW, y, editW, label == kMethodLabel ? 120 : fieldH);
        y += rowH;
    }
    const int clientW = margin + labelW + editW + margin;
    PlaceItem(dlg, Ids::kMarks, margin + labelW, y, editW, 20);
    y += rowH;
    PlaceItem(dlg, Ids::kProgress, margin, y + 4, clientW - 2 * margin, 16);
    y += rowH;
    const int buttonW = 88, buttonH = 25;
    PlaceItem(dlg, IDOK, clientW - margin - 2 * buttonW - 8, y, buttonW, buttonH);
    PlaceItem(dlg, IDCANCEL, clientW - margin - buttonW, y, buttonW, buttonH);
    SizeAndCentre(dlg, clientW, y + buttonH + margin);
}

void Initialise(HWND dlg, const DialogState& state) {
    ::SetWindowTextW(dlg, L"軌跡の合成");
    Layout(dlg);
    const long last = std::max(0L, state.length - 1), first = std::clamp(state.position, 0L, last);
    ::SetDlgItemTextW(dlg, Ids::kFirst, std::to_wstring(first).c_str());
    ::SetDlgItemTextW(dlg, Ids::kLast, std::to_wstring(last).c_str());
    ::SetDlgItemTextW(dlg, Ids::kEvery, std::to_wstring(IntervalForAbout(first, last)).c_str());
    HWND method = ::GetDlgItem(dlg, Ids::kMethod);
    for (const wchar_t* item : kMethods) ::SendMessageW(method, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    ::SendMessageW(method, CB_SETCURSEL, 0, 0);
    ::ShowWindow(::GetDlgItem(dlg, Ids::kProgress), SW_HIDE);
}

// Runs when 合成 is pressed: checks the values, then builds the trail with the
// fields locked and the progress shown.
void Compose(HWND dlg, DialogState& state) {
    TrailRequest request;
    int field = 0;
    const std::wstring problem = CheckTrailValues(ItemText(dlg, Ids::kFirst), ItemText(dlg, Ids::kLast),
                                                  ItemText(dlg, Ids::kEvery), state.length, request, field);
    if (!problem.empty()) {
        ShowMessage(problem, dlg);
        HWND edit = ::GetDlgItem(dlg, field == 0 ? Ids::kFirst : field == 1 ? Ids::kLast : Ids::kEvery);
        ::SendMessageW(dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);
        ::SendMessageW(edit, EM_SETSEL, 0, -1);
        return;
    }
    const auto method = ::SendDlgItemMessageW(dlg, Ids::kMethod, CB_GETCURSEL, 0, 0);
    request.method = method == 1 ? TrailMethod::Brightest : method == 2 ? TrailMethod::Darkest : TrailMethod::Moving;
    request.marks = ::IsDlgButtonChecked(dlg, Ids::kMarks) == BST_CHECKED;
    for (int id : {Ids::kFirst, Ids::kLast, Ids::kEvery, Ids::kMethod, Ids::kMarks, static_cast<WORD>(IDOK)})
        ::EnableWindow(::GetDlgItem(dlg, id), FALSE);
    ::ShowWindow(::GetDlgItem(dlg, Ids::kProgress), SW_SHOW);
    ::SendMessageW(dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(dlg, IDCANCEL)), TRUE);
    state.running = true;
    DialogProgress progress(dlg, state);
    try {
        state.built = (*state.build)(request, progress) && !state.cancelled;
    } catch (...) {
        state.running = false;
        ::EndDialog(dlg, IDCANCEL);
        throw;
    }
    state.running = false;
    ::EndDialog(dlg, state.built ? IDOK : IDCANCEL);
}

bool DialogState::Initialise(HWND dlg) {
    mt::Initialise(dlg, *this);
    return true;  // the focus goes to the first field
}

void DialogState::Ok(HWND dlg) {
    if (!running) Compose(dlg, *this);
}

void DialogState::Cancel(HWND dlg) {
    if (running) cancelled = true;
    else ::EndDialog(dlg, IDCANCEL);
}

}  // namespace

std::wstring CheckTrailValues(const std::wstring& first, const std::wstring& last, const std::wstring& every,
                              long length, TrailRequest& request, int& field) {
    const long lastFrame = length - 1;
    const std::wstring range = L"0 から " + std::to_wstring(std::max(0L, lastFrame)) + L" までの数を入れてください";
    if (!ParseNumber(first, request.first) || request.first < 0 || request.first > lastFrame) {
        field = 0;
        return L"開始フレームには " + range;
    }
    if (!ParseNumber(last, request.last) || request.last < 0 || request.last > lastFrame) {
        field = 1;
        return L"終了フレームには " + range;
    }
    if (request.last < request.first) {
        field = 1;
        return L"終了フレームは開始フレームより前にはできません";
    }
    if (!ParseNumber(every, request.every) || request.every < 1) {
        field = 2;
        return L"間隔には 1 以上の数を入れてください";
    }
    return {};
}

bool RunTrailDialog(HWND owner, long length, long position,
                    const std::function<bool(const TrailRequest&, TrailProgress&)>& build) {
    DialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
    t.Add(DialogClass::Static, SS_LEFT | SS_NOPREFIX, kFirstLabel, L"開始フレーム");
    t.Add(DialogClass::Edit, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, Ids::kFirst, L"");
    t.Add(DialogClass::Static, SS_LEFT | SS_NOPREFIX, kLastLabel, L"終了フレーム");
    t.Add(DialogClass::Edit, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, Ids::kLast, L"");
    t.Add(DialogClass::Static, SS_LEFT | SS_NOPREFIX, kEveryLabel, L"間隔");
    t.Add(DialogClass::Edit, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, Ids::kEvery, L"");
    t.Add(DialogClass::Static, SS_LEFT | SS_NOPREFIX, kMethodLabel, L"方法");
    t.Add(DialogClass::ComboBox, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, Ids::kMethod, L"");
    t.Add(DialogClass::Button, BS_AUTOCHECKBOX | WS_TABSTOP, Ids::kMarks, L"番号を付ける");
    t.Add(PROGRESS_CLASSW, 0, Ids::kProgress, L"");
    t.Add(DialogClass::Button, BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, L"合成");
    t.Add(DialogClass::Button, BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL, L"キャンセル");
    DialogState state(length, position, &build);
    state.Run(t, owner);
    return state.built;
}

}  // namespace mt
