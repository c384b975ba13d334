#include "base/hidden_window.h"

#include "base/window_class.h"

namespace mt {

OwnedWindow CreateHiddenWindow(HINSTANCE instance, const wchar_t* className, WNDPROC proc, HWND parent,
                               void* object) {
    WNDCLASSEXW wc{sizeof wc};
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.lpszClassName = className;
    if (!RegisterWindowClass(wc)) return OwnedWindow();
    return OwnedWindow(::CreateWindowExW(0, className, L"", parent ? WS_CHILD : 0, 0, 0, 0, 0,
                                         parent ? parent : HWND_MESSAGE, nullptr, instance, object));
}

}  // namespace mt
