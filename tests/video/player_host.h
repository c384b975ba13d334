// A real top-level window with a child pane for a media device to draw into.
#pragma once
#include <windows.h>

#include "base/handles.h"

namespace mt::test {

class PlayerHost {
public:
    PlayerHost(int paneWidth = 320, int paneHeight = 240) {
        top_.reset(::CreateWindowExW(0, L"STATIC", L"player host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 400, 320,
                                     nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr));
        pane_ = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 10, paneWidth, paneHeight, top_.get(),
                                  nullptr, ::GetModuleHandleW(nullptr), nullptr);
    }
    HWND Window() const noexcept { return top_.get(); }
    HWND Pane() const noexcept { return pane_; }

private:
    OwnedWindow top_;
    HWND pane_;  // destroyed with its parent
};

}  // namespace mt::test
