// The application's one failure handler and the helpers that raise the
// program's system-call failures.
#pragma once
#include <windows.h>

#include <string>

namespace mt {

// Shows the failure being handled (call inside a catch block): cancels any mouse
// capture, then reports the message in a stop-icon message box captioned with the
// application title. A silent abort shows nothing. Never throws.
void HandleCurrentFailure() noexcept;

// Runs f; a failure it raises goes to the failure handler. For every window
// procedure, hook and callback boundary.
template <class F>
void Guarded(F&& f) noexcept {
    try {
        f();
    } catch (...) {
        HandleCurrentFailure();
    }
}

// The message shown for a failure: a "." appended when the message is not empty
// and its last character sorts after ".".
std::wstring FailureDisplayText(const std::wstring& message);

// The system's own text for an error code, without its line ends and trailing
// spaces; empty for 0 or a code the system has no text for.
std::wstring SystemErrorText(DWORD code);
// The message for a system error code the program does not handle itself.
std::wstring Win32ErrorMessage(DWORD code);
[[noreturn]] void RaiseLastOSError(DWORD code = ::GetLastError());

}  // namespace mt
