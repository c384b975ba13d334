// Media Foundation frames of the marker clips the build writes beside the tests:
// open until the first frame is drawn, a step to the next frame (read on), a step
// back and forward again within the cache, a seek to a frame not shown yet, and
// reading the clip forward, each against the clip's frame period. The targets:
// steps within one period, a seek within five at 1080p. Run from build/NAME/tests
// (bench/run.sh sets the Wine session up).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "base/handles.h"
#include "bench/bench_clock.h"
#include "video/frame_source.h"

namespace {

using bench::Seconds;

double Median(std::vector<double> v) {
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void Measure(const std::string& path) {
    double t0 = Seconds();
    auto source = mt::OpenMediaFoundationFrames(path);
    if (!source) {
        std::printf("%s: does not open\n", path.c_str());
        return;
    }
    const SIZE size = source->DisplaySize();
    const RECT dest{0, 0, size.cx, size.cy};
    mt::OwnedMemDC dc(::CreateCompatibleDC(nullptr));
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size.cx, -size.cy, 1, 32, BI_RGB};
    void* bits = nullptr;
    mt::OwnedBitmap bitmap(::CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    mt::SelectGuard select(dc.get(), bitmap.get());
    const double opened = Seconds() - t0;
    source->Draw(dc.get(), dest, 0);
    const double first = Seconds() - t0;
    const double period = 1000.0 / source->FramesPerSecond();
    auto timed = [&](long frame) {
        double s = Seconds();
        source->Draw(dc.get(), dest, frame);
        return (Seconds() - s) * 1000;
    };
    std::vector<double> next, back, again, seek;
    for (long f = 1; f < 30; ++f) {
        next.push_back(timed(f));
        back.push_back(timed(f - 1));
        again.push_back(timed(f));
    }
    // Frames not drawn yet, in an order that jumps both ways.
    for (long f : {75L, 40L, 88L, 52L, 33L, 66L, 45L, 80L, 36L, 70L, 58L}) seek.push_back(timed(f));
    auto fresh = mt::OpenMediaFoundationFrames(path);
    double s = Seconds();
    for (long f = 0; f < fresh->Length(); ++f) fresh->Draw(dc.get(), dest, f);
    const double forward = (Seconds() - s) * 1000 / fresh->Length();
    std::printf("%s (%ldx%ld shown, %ld frames, period %.1f ms)\n", path.c_str(), size.cx, size.cy, source->Length(),
                period);
    std::printf("  open %.0f ms, to first frame %.0f ms = %.2f periods\n", opened * 1000, first * 1000,
                first * 1000 / period);
    std::printf("  +1 read on: median %.2f ms = %.3f periods\n", Median(next), Median(next) / period);
    std::printf("  -1 cached: median %.3f ms = %.4f periods\n", Median(back), Median(back) / period);
    std::printf("  +1 cached: median %.3f ms = %.4f periods\n", Median(again), Median(again) / period);
    std::printf("  seek: median %.1f ms = %.2f periods (max %.1f ms)\n", Median(seek), Median(seek) / period,
                *std::max_element(seek.begin(), seek.end()));
    std::printf("  forward read: %.2f ms a frame = %.3f periods\n", forward, forward / period);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> clips;
    for (int i = 1; i < argc; ++i) clips.push_back(argv[i]);
    if (clips.empty()) clips = {"marker-h264.mp4", "marker.mpg", "marker-1080p.mp4"};
    for (const auto& clip : clips) Measure(clip);
    return 0;
}
