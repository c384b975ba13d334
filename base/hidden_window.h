// Hidden windows that exist to receive messages for one object (completion
// notices, timer ticks): the class is registered on first use, and the object
// handles the window's messages as its WindowTarget.
#pragma once
#include <windows.h>

#include "base/handles.h"
#include "base/window_class.h"

namespace mt {

// A hidden child of parent, or a message-only window when parent is null, created
// for target. Null when the system refuses (GetLastError tells why).
OwnedWindow CreateHiddenWindow(HINSTANCE instance, const wchar_t* className, HWND parent, WindowTarget* target);

}  // namespace mt
