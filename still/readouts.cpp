#include "still/readouts.h"

#include <cmath>

#include "base/format.h"

namespace mt {

std::wstring PositionReadout(int x, int y, int paneHeight) {
    long long shownY = static_cast<long long>(paneHeight) - y;
    return Format(L"X=%4d, Y=%4d", {static_cast<long long>(x), shownY});
}

long double DragDistance(int startX, int startY, int x, int y) {
    double dx = static_cast<double>(startX) - static_cast<double>(x);
    double dy = static_cast<double>(startY) - static_cast<double>(y);
    long double sum = 0;
    sum += static_cast<long double>(dx) * dx;
    sum += static_cast<long double>(dy) * dy;
    return std::sqrt(sum);
}

std::wstring DistanceReadout(long double distance) {
    return Format(L"ドラッグ距離=%4f", {static_cast<double>(distance)});
}

}  // namespace mt
