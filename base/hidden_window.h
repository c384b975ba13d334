// Hidden windows that exist to receive messages for one object (completion
// notices, timer ticks): the class is registered on first use, and the window
// procedure finds the object again with WindowObject.
#pragma once
#include <windows.h>

#include "base/handles.h"

namespace mt {

// A hidden child of parent, or a message-only window when parent is null, created
// for object. Null when the system refuses (GetLastError tells why).
OwnedWindow CreateHiddenWindow(HINSTANCE instance, const wchar_t* className, WNDPROC proc, HWND parent,
                               void* object);

// The object the window was created for, kept from WM_NCCREATE on (null before).
template <class T>
T* WindowObject(HWND wnd, UINT msg, LPARAM lp) noexcept {
    if (msg == WM_NCCREATE)
        ::SetWindowLongPtrW(wnd, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    return reinterpret_cast<T*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
}

}  // namespace mt
