// A trail built in one action, against the bare reading of the frames it needs,
// on the program's own media device's frames (Media Foundation):
//   - every frame of 300, "moving", against reading those 300 frames one after
//     another (decoding each and fitting it to the pane, which the trail needs too);
//   - every 10th frame of 900, against reading those 90 frames in order (the
//     decoder reads every frame between them);
// each in the same run on a fresh source, twice in turn (the quicker of each
// taken). Also the peak memory the trail adds
// (private bytes), and the longest step between two progress updates (the
// progress bar moves and a cancel is taken between steps).
//   trail_bench CLIP...   (bench/run.sh makes two 900-frame clips when given none)
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <memory>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "still/trail.h"
#include "video/frame_source.h"

namespace {

using bench::Seconds;

SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX c{};
    c.cb = sizeof c;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&c), sizeof c);
    return c.PrivateUsage ? c.PrivateUsage : c.PagefileUsage;  // Wine gives only the latter
}

struct Run {
    double seconds = 0, longestStep = 0;
    double reading = 0;  // of seconds, in reading frames
    double peakMB = 0;
    bool ok = true;
};

// A fresh source with its first frame read, as when the clip is open.
std::unique_ptr<mt::FrameSource> OpenStarted(const std::string& path, SIZE& size) {
    auto source = mt::OpenMediaFoundationFrames(path);
    if (!source) return nullptr;
    size = source->DisplaySize();
    mt::PixelPlane plane(size.cx, size.cy);
    source->ReadPixels(0, size.cx, size.cy, plane.px.data());
    return source;
}

// The chosen frames read in order, each fitted to the pane.
Run Bare(const std::string& path, long first, long last, long every) {
    Run r;
    SIZE size{};
    auto source = OpenStarted(path, size);
    if (!source) return Run{0, 0, 0, false};
    mt::PixelPlane plane(size.cx, size.cy);
    const double t0 = Seconds();
    for (long n : mt::TrailFrames(first, last, every)) r.ok = source->ReadPixels(n, size.cx, size.cy, plane.px.data()) && r.ok;
    r.seconds = Seconds() - t0;
    return r;
}

Run Trail(const std::string& path, long first, long last, long every) {
    Run r;
    SIZE size{};
    auto source = OpenStarted(path, size);
    if (!source) return Run{0, 0, 0, false};
    const SIZE_T before = PrivateBytes();
    SIZE_T peak = before;
    const double t0 = Seconds();
    {
        mt::TrailJob job({first, last, every, mt::TrailMethod::Moving}, size.cx, size.cy, std::nullopt,
                         [&](long n, mt::PixelPlane& into) {
                             const double start = Seconds();
                             const bool ok = source->ReadPixels(n, size.cx, size.cy, into.px.data());
                             r.reading += Seconds() - start;
                             return ok;
                         });
        double last = Seconds();
        while (job.Step()) {
            const double now = Seconds();
            r.longestStep = std::max(r.longestStep, now - last);
            last = now;
            peak = std::max(peak, PrivateBytes());
        }
    }
    r.seconds = Seconds() - t0;
    r.peakMB = double(peak - before) / (1024.0 * 1024.0);
    return r;
}

void Measure(const std::string& path) {
    auto probe = mt::OpenMediaFoundationFrames(path);
    if (!probe) {
        std::printf("%s: does not open\n", path.c_str());
        return;
    }
    const long length = probe->Length();
    const SIZE size = probe->DisplaySize();
    probe.reset();
    std::printf("%s: %ld frames, fitted %ldx%ld\n", path.c_str(), length, size.cx, size.cy);
    struct Case {
        const char* what;
        long first, last, every;
    };
    const Case cases[] = {{"every frame of 300", 0, std::min(299L, length - 1), 1},
                          {"every 10th of 900 ", 0, std::min(899L, length - 1), 10}};
    for (const Case& c : cases) {
        // Each twice, in turn, and the quicker run of each taken: a burst of other
        // work on the machine then skews the ratio less. Peak and longest step: the
        // larger of the two.
        Run bare = Bare(path, c.first, c.last, c.every), trail = Trail(path, c.first, c.last, c.every);
        const Run bare2 = Bare(path, c.first, c.last, c.every), trail2 = Trail(path, c.first, c.last, c.every);
        const double peak = std::max(trail.peakMB, trail2.peakMB), step = std::max(trail.longestStep, trail2.longestStep);
        if (bare2.seconds < bare.seconds) bare = bare2;
        if (trail2.seconds < trail.seconds) trail = trail2;
        trail.peakMB = peak;
        trail.longestStep = step;
        bare.ok = bare.ok && bare2.ok;
        trail.ok = trail.ok && trail2.ok;
        if (!bare.ok || !trail.ok) {
            std::printf("  %s: a frame could not be read\n", c.what);
            continue;
        }
        std::printf("  %s: trail %.2f s, bare read %.2f s, ratio %.2f (target 1.3); peak +%.1f MB (target 64); "
                    "longest step %.0f ms (targets 250 for progress, 100 for cancel)\n"
                    "    of the trail: reading its frames %.2f s (%.2f of the bare read), its own work %.2f s\n",
                    c.what, trail.seconds, bare.seconds, trail.seconds / bare.seconds, trail.peakMB,
                    trail.longestStep * 1000, trail.reading, trail.reading / bare.seconds,
                    trail.seconds - trail.reading);
    }
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) Measure(argv[i]);
    return 0;
}
