#include "base/placement.h"

#include <algorithm>

namespace mt {

ScreenPoint PlaceBeside(const ScreenBox& owner, const ScreenBox& work, int w, int h) {
    ScreenPoint at{owner.right, owner.top};
    if (at.x + w > work.right) at = {owner.left, owner.bottom};
    at.x = std::clamp(at.x, work.left, std::max(work.left, work.right - w));
    at.y = std::clamp(at.y, work.top, std::max(work.top, work.bottom - h));
    return at;
}

}  // namespace mt
