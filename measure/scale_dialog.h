// The dialog "尺度": the real length of the last drag measured on the still
// image, which makes the table's lengths that unit's.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "measure/motion_table.h"

namespace mt {

struct ScaleDialogIds {
    static constexpr WORD kDrag = 301, kLengthLabel = 302, kLength = 303, kUnitLabel = 304, kUnit = 305;
};
// The units offered, in the list's order.
inline constexpr const wchar_t* kScaleUnits[] = {L"m", L"cm", L"mm"};

// The scale from a typed length of the drag (dragPixels long) in unit `unit` (an
// index of kScaleUnits): an empty text when it is good (scale filled in), else
// the message to show.
std::wstring CheckScaleValues(const std::wstring& length, int unit, long double dragPixels, MotionScale& scale);

// Shows the dialog over owner; the scale chosen, or none when cancelled.
std::optional<MotionScale> RunScaleDialog(HWND owner, long double dragPixels, const MotionScale& current);

}  // namespace mt
