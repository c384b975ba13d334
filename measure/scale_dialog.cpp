#include "measure/scale_dialog.h"

#include <cmath>

#include "base/dialog_template.h"
#include "base/format.h"
#include "base/messages.h"
#include "base/typed_number.h"
#include "still/readouts.h"

namespace mt {
namespace {

using Ids = ScaleDialogIds;

class ScaleDialog final : public OwnDialog {
public:
    ScaleDialog(long double drag, const MotionScale& current) : drag_(drag), current_(current) {}
    std::optional<MotionScale> chosen;

private:
    bool Initialise(HWND dlg) override {
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
        ::SetDlgItemTextW(dlg, Ids::kDrag, DistanceReadout(drag_).c_str());
        HWND unit = ::GetDlgItem(dlg, Ids::kUnit);
        int selected = 0;
        for (int i = 0; i < static_cast<int>(std::size(kScaleUnits)); ++i) {
            ::SendMessageW(unit, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kScaleUnits[i]));
            if (current_.unit == kScaleUnits[i]) selected = i;
        }
        ::SendMessageW(unit, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
        return true;  // the focus goes to 長さ
    }

    // Runs when OK is pressed: the scale, or the message over the dialog, which
    // stays open with the length as typed and selected.
    void Ok(HWND dlg) override {
        MotionScale scale;
        const int unit = static_cast<int>(::SendDlgItemMessageW(dlg, Ids::kUnit, CB_GETCURSEL, 0, 0));
        const std::wstring problem = CheckScaleValues(ItemText(dlg, Ids::kLength), unit, drag_, scale);
        if (problem.empty()) {
            chosen = scale;
            ::EndDialog(dlg, IDOK);
            return;
        }
        ShowMessage(problem, dlg);
        HWND edit = ::GetDlgItem(dlg, Ids::kLength);
        ::SendMessageW(dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);
        ::SendMessageW(edit, EM_SETSEL, 0, -1);
    }

    long double drag_;
    MotionScale current_;
};

}  // namespace

std::wstring CheckScaleValues(const std::wstring& length, int unit, long double dragPixels, MotionScale& scale) {
    const std::optional<double> value = ParseTypedDecimal(length, DecimalSeparator());
    if (!value || !(*value > 0) || !std::isfinite(*value)) return L"長さには 0 より大きい数を入れてください";
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
    ScaleDialog dialog(dragPixels, current);
    dialog.Run(t, owner);
    return dialog.chosen;
}

}  // namespace mt
