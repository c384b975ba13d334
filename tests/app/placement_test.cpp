// Where the table of positions goes beside the main window, on the work area of
// the main window's monitor.
#include <gtest/gtest.h>

#include "base/placement.h"

namespace mt::test {
namespace {

::testing::AssertionResult At(ScreenPoint got, int x, int y) {
    if (got.x == x && got.y == y) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "at " << got.x << ", " << got.y << ", not " << x << ", " << y;
}

TEST(Placement, BesideTheOwnerWhereThereIsRoomElseBelowItAlwaysWithinTheOwnersWorkArea) {
    // A second monitor right of the first: its work area from x = 1920, its taskbar 40 px high.
    const ScreenBox second{1920, 0, 3840, 1040};
    // Right of the owner, level with its top.
    EXPECT_TRUE(At(PlaceBeside({2000, 100, 2700, 500}, second, 600, 400), 2700, 100));
    // No room on the right: below it, level with its left edge.
    EXPECT_TRUE(At(PlaceBeside({3000, 100, 3700, 500}, second, 600, 400), 3000, 500));
    // Below it there is no room either: moved up and left into the work area.
    EXPECT_TRUE(At(PlaceBeside({3400, 800, 3840, 1000}, second, 600, 400), 3240, 640));
    // An owner whose top is above the screen: the table's title bar stays on it.
    EXPECT_TRUE(At(PlaceBeside({2000, -300, 2700, 200}, second, 600, 400), 2700, 0));
    // A table taller and wider than the work area: its top-left corner on it.
    EXPECT_TRUE(At(PlaceBeside({2000, 100, 2700, 500}, {1920, 0, 2420, 300}, 600, 400), 1920, 0));
    // On a monitor left of the primary one (negative coordinates).
    EXPECT_TRUE(At(PlaceBeside({-1800, 50, -1200, 450}, {-1920, 0, 0, 1080}, 600, 400), -1200, 50));
}

}  // namespace
}  // namespace mt::test
