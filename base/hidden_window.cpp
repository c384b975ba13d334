#include "base/hidden_window.h"

namespace mt {

OwnedWindow CreateHiddenWindow(HINSTANCE instance, const wchar_t* className, HWND parent, WindowTarget* target) {
    WNDCLASSEXW wc{sizeof wc};
    wc.hInstance = instance;
    wc.lpszClassName = className;
    if (!RegisterWindowClass(wc)) return OwnedWindow();
    return OwnedWindow(::CreateWindowExW(0, className, L"", parent ? WS_CHILD : 0, 0, 0, 0, 0,
                                         parent ? parent : HWND_MESSAGE, nullptr, instance, target));
}

}  // namespace mt
