// Ctrl+G's dialog "フレームへ移動": asks for the frame to go to.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace mt {

// The dialog's controls, by their ids.
constexpr int kGoToFrameEditId = 100;
constexpr int kGoToFrameLabelId = 101;

// The frame a typed text names: a whole number from 0 to last, in ASCII or
// full-width digits, with spaces around it allowed; nothing for any other text.
std::optional<std::int32_t> FrameNumberOf(const std::wstring& text, std::int32_t last);

// Shows the dialog modally over owner, its edit box offering current. The
// frame chosen with 移動 (a number that is no frame gives a message and the
// dialog stays open); nothing when cancelled.
std::optional<std::int32_t> AskFrameNumber(HWND owner, std::int32_t current, std::int32_t last);

}  // namespace mt
