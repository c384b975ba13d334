#include "still/scale_dialog.h"

#include <cmath>
#include <cwchar>

#include "base/dialog_template.h"
#include "base/failure.h"
#include "base/format.h"
#include "base/messages.h"
#include "still/readouts.h"

namespace mt {
namespace {

using Ids = ScaleDialogIds;

// A positive decimal number as typed: spaces around it, full-width digits, the
// user's decimal separator or a point.
std::optional<double> ParseLength(const std::wstring& typed, wchar_t separator) {
    std::wstring text;
    for (wchar_t c : typed) {
        if (c >= L'０' && c <= L'９') c = static_cast<wchar_t>(L'0' + (c - L'０'));
        else if (c == L'．') c = L'.';
        text.push_back(c == separator ? L'.' : c);
    }
    const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'　'; };
    while (!text.empty() && blank(text.back())) text.pop_back();
    std::size_t start = 0;
    while (start < text.size() && blank(text[start])) ++start;
    text.erase(0, start);
    if (text.empty() || text.size() > 32) return std::nullopt;
    int digits = 0, points = 0;
    for (wchar_t c : text) {
        if (c >= L'0' && c <= L'9') ++digits;
        else if (c == L'.') ++points;
        else return std::nullopt;
    }
    if (!digits || points > 1) return std::nullopt;
    return std::wcstod(text.c_str(), nullptr);
}

struct ScaleState {
    long double drag;
    MotionScale current;
    std::optional<MotionScale> chosen;
};

std::wstring ItemText(HWND dlg, int id) {
    HWND item = ::GetDlgItem(dlg, id);
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(item)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(item, text.data(), static_cast<int>(text.size()))));
    return text;
}

void Initialise(HWND dlg, const ScaleState& state) {
    ::SetWindowTextW(dlg, L"尺度");
    UseFormFont(dlg);
    const int margin = 12, labelW = 60, editW = 120, rowH = 28;
    PlaceItem(dlg, Ids::kDrag, margin, margin, labelW + editW, 16);
    int y = margin + 26;
    PlaceItem(dlg, Ids::kLengthLabel, margin, y + 4, labelW, 16);
    PlaceItem(dlg, Ids::kLength, margin + labelW, y, editW, 22);
    y += rowH;
    PlaceItem(dlg, Ids::kUnitLabel, margin, y + 4, labelW, 16);
    PlaceItem(dlg, Ids::kUnit, margin + labelW, y, editW, 100);
    y += rowH + 8;
    const int clientW = margin + labelW + editW + margin, buttonW = 88, buttonH = 25;
    PlaceItem(dlg, IDOK, clientW - margin - 2 * buttonW - 8, y, buttonW, buttonH);
    PlaceItem(dlg, IDCANCEL, clientW - margin - buttonW, y, buttonW, buttonH);
    SizeAndCentre(dlg, clientW, y + buttonH + margin);
    ::SetDlgItemTextW(dlg, Ids::kDrag, DistanceReadout(state.drag).c_str());
    HWND unit = ::GetDlgItem(dlg, Ids::kUnit);
    int selected = 0;
    for (int i = 0; i < static_cast<int>(std::size(kScaleUnits)); ++i) {
        ::SendMessageW(unit, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kScaleUnits[i]));
        if (state.current.unit == kScaleUnits[i]) selected = i;
    }
    ::SendMessageW(unit, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

// Runs when OK is pressed: the scale, or the message over the dialog, which
// stays open with the length as typed and selected.
void Confirm(HWND dlg, ScaleState& state) {
    MotionScale scale;
    const int unit = static_cast<int>(::SendDlgItemMessageW(dlg, Ids::kUnit, CB_GETCURSEL, 0, 0));
    const std::wstring problem = CheckScaleValues(ItemText(dlg, Ids::kLength), unit, state.drag, scale);
    if (problem.empty()) {
        state.chosen = scale;
        ::EndDialog(dlg, IDOK);
        return;
    }
    ShowMessage(problem, dlg);
    HWND edit = ::GetDlgItem(dlg, Ids::kLength);
    ::SendMessageW(dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
}

INT_PTR CALLBACK ScaleProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    INT_PTR handled = FALSE;
    Guarded([&] {
        auto* state = reinterpret_cast<ScaleState*>(::GetWindowLongPtrW(dlg, DWLP_USER));
        switch (msg) {
        case WM_INITDIALOG:
            ::SetWindowLongPtrW(dlg, DWLP_USER, lp);
            Initialise(dlg, *reinterpret_cast<ScaleState*>(lp));
            handled = TRUE;
            break;
        case WM_COMMAND:
            if (!state) break;
            if (LOWORD(wp) == IDOK) {
                Confirm(dlg, *state);
                handled = TRUE;
            } else if (LOWORD(wp) == IDCANCEL) {
                ::EndDialog(dlg, IDCANCEL);
                handled = TRUE;
            }
            break;
        default: break;
        }
    });
    return handled;
}

}  // namespace

std::wstring CheckScaleValues(const std::wstring& length, int unit, long double dragPixels, MotionScale& scale) {
    const std::optional<double> value = ParseLength(length, DecimalSeparator());
    if (!value || !(*value > 0) || !std::isfinite(*value))
        return L"長さには 0 より大きい数を入れてください";
    if (!(dragPixels > 0)) return L"右の画像の上で長さの分かる所をドラッグしてから尺度を決めてください";
    scale.perPixel = static_cast<double>(*value / dragPixels);
    scale.unit = kScaleUnits[unit >= 0 && unit < static_cast<int>(std::size(kScaleUnits)) ? unit : 0];
    return {};
}

std::optional<MotionScale> RunScaleDialog(HWND owner, long double dragPixels, const MotionScale& current) {
    DialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
    t.Add(DialogClass::Static, SS_LEFT | SS_NOPREFIX, Ids::kDrag, L"");
    t.Add(DialogClass::Static, SS_LEFT | SS_NOPREFIX, Ids::kLengthLabel, L"長さ");
    t.Add(DialogClass::Edit, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, Ids::kLength, L"");
    t.Add(DialogClass::Static, SS_LEFT | SS_NOPREFIX, Ids::kUnitLabel, L"単位");
    t.Add(DialogClass::ComboBox, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, Ids::kUnit, L"");
    t.Add(DialogClass::Button, BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, L"OK");
    t.Add(DialogClass::Button, BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL, L"キャンセル");
    ScaleState state{dragPixels, current, std::nullopt};
    t.Run(owner, &ScaleProc, reinterpret_cast<LPARAM>(&state));
    return state.chosen;
}

}  // namespace mt
