// Window classes of the program's own: each is registered once per process, and
// all of them have the one window procedure below, which hands every message to
// the object the window was created for.
#pragma once
#include <windows.h>

namespace mt {

// What a window of the program's own is created for: pass it (as WindowTarget*)
// as CreateWindowEx's last argument. It is kept in the window from WM_NCCREATE
// until WM_NCDESTROY.
class WindowTarget {
public:
    // Handles one message, under the failure guard: a failure goes to the failure
    // handler and the message returns 0.
    virtual LRESULT WindowMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) = 0;
    // Told the window's handle at WM_NCCREATE, before any other message.
    virtual void WindowAttached(HWND) noexcept {}
    // Told at WM_NCDESTROY, the window's last message: nothing reaches the object after it.
    virtual void WindowDetached(HWND) noexcept {}

protected:
    ~WindowTarget() = default;
};

// The window procedure of every class registered with RegisterWindowClass.
LRESULT CALLBACK WindowThunk(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;

// Registers the class, with WindowThunk as its procedure, unless the instance has
// it already. False when the system refuses (GetLastError tells why).
bool RegisterWindowClass(WNDCLASSEXW wc);

}  // namespace mt
