// Helpers for tests that drive real windows: message pumping with a bound.
#pragma once
#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace mt::test {

// Handles this thread's messages until cond() holds or timeoutMs passes.
bool PumpUntil(const std::function<bool()>& cond, DWORD timeoutMs = 5000);
// Handles the messages waiting now.
void Pump();
// Real key presses through the system's input queue (SendInput): the keys go
// down in order and up in reverse (PressKeys({VK_CONTROL, 'Z'}) is Ctrl+Z), to
// the focus of the foreground window, then are handled by the program's own
// message loop, which routes them as the running program does.
void PressKeys(std::initializer_list<WORD> keys);
// A real turn of the mouse wheel with the mouse over the middle of a window:
// delta as the wheel message reports it (WHEEL_DELTA a notch, negative towards
// the user), in one message, handled by the program's own message loop.
void TurnWheel(HWND over, int delta);

// The text of a window (WM_GETTEXT); empty when it does not answer.
std::wstring WindowText(HWND wnd);
std::wstring ClassName(HWND wnd);
// The child windows of a window (all levels).
std::vector<HWND> Descendants(HWND parent);

}  // namespace mt::test
