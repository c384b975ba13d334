#include "base/window_class.h"

#include "base/failure.h"

namespace mt {

LRESULT CALLBACK WindowThunk(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    if (msg == WM_NCCREATE) {
        auto* created = static_cast<WindowTarget*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        ::SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
        if (created) created->WindowAttached(wnd);
    }
    auto* target = reinterpret_cast<WindowTarget*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
    if (!target) return ::DefWindowProcW(wnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
        target->WindowDetached(wnd);
        return ::DefWindowProcW(wnd, msg, wp, lp);
    }
    LRESULT result = 0;
    Guarded([&] { result = target->WindowMessage(wnd, msg, wp, lp); });
    return result;
}

bool RegisterWindowClass(WNDCLASSEXW wc) {
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &WindowThunk;
    WNDCLASSEXW existing{sizeof existing};
    if (::GetClassInfoExW(wc.hInstance, wc.lpszClassName, &existing)) return true;
    if (::RegisterClassExW(&wc)) return true;
    // Registered meanwhile by another thread: as good as ours.
    return ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace mt
