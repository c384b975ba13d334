#include "base/timer.h"

namespace mt {

bool TTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return true;
    if (!enabled) {
        Stop();
        return true;
    }
    if (!::SetTimer(owner_, id_, Interval, nullptr)) return false;
    enabled_ = true;
    return true;
}

void TTimer::Stop() noexcept {
    if (enabled_ && ::IsWindow(owner_)) ::KillTimer(owner_, id_);
    enabled_ = false;
}

}  // namespace mt
