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
// The same, cond() checked after each message: for a state that messages which
// keep coming (reading ahead) reach on their way.
bool PumpEachUntil(const std::function<bool()>& cond, DWORD timeoutMs);
// Handles messages until none is waiting, for at most timeoutMs; false when they
// kept coming that long (a timer of the program's that never stops).
bool PumpUntilIdle(DWORD timeoutMs);
// Handles messages until none has come for quietMs (the program's timers have
// stopped: reading ahead, for one, has ended), for at most timeoutMs.
bool PumpUntilQuiet(DWORD quietMs, DWORD timeoutMs);
// Handles the messages waiting now. Messages that keep coming for half a minute (reading
// ahead that never ends) fail the test instead of holding it up to the suite's time-out.
void Pump();
// After the main window has closed: handles the messages left, taking its WM_QUIT
// off the queue, with Pump's bound.
void PumpAfterClose();
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
