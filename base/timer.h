// A window-message timer owned by a window.
#pragma once
#include <windows.h>

#include <functional>

namespace mt {

class TTimer {
public:
    TTimer(HWND owner, UINT_PTR id) : owner_(owner), id_(id) {}
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;
    ~TTimer() { Stop(); }

    bool Enabled() const noexcept { return enabled_; }
    // Starting fails (returns false) when the system has no timer to give.
    bool SetEnabled(bool enabled);
    UINT Interval = 1000;
    std::function<void()> OnTimer;
    UINT_PTR Id() const noexcept { return id_; }
    // Called by the owner on WM_TIMER with this timer's id.
    void Tick() {
        if (OnTimer) OnTimer();
    }

private:
    void Stop() noexcept;
    HWND owner_;
    UINT_PTR id_;
    bool enabled_ = false;
};

}  // namespace mt
