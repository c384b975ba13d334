#include "base/window_class.h"

namespace mt {

bool RegisterWindowClass(const WNDCLASSEXW& wc) {
    WNDCLASSEXW existing{sizeof existing};
    if (::GetClassInfoExW(wc.hInstance, wc.lpszClassName, &existing)) return true;
    if (::RegisterClassExW(&wc)) return true;
    // Registered meanwhile by another thread: as good as ours.
    return ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace mt
