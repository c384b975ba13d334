// A trail built in one action, against the bare reading of the frames it needs,
// on the program's own media device's frames (Media Foundation):
//   - every frame of 300, "moving", against reading those 300 frames one after
//     another (decoding each and fitting it to the pane, which the trail needs too);
//   - every 10th frame of 900, against reading those 90 frames in order (the
//     decoder reads every frame between them);
// each in the same run on a fresh source, twice in turn (the quicker of each
// taken). Also the peak memory the trail adds
// (private bytes), and the longest step between two progress updates (the
// progress bar moves and a cancel is taken between steps). The trail keeps its
// frames as the program does (as the decoder gave them where that holds less
// than their pixels packed); making the pixels of such a frame counts as the
// trail's own work, not as reading it. The same trail
// measuring the moving object (its parts, the one followed, the frames' times)
// against it without, and the time the measuring itself took in that run. Then in the main
// window, as a user does it: Ctrl+T on the clip just opened (and so playing)
// against Ctrl+T on the clip stopped at its first frame, every 30th of 900,
// from the command to the picture built. Last, the table of positions with
// 1,000 rows: shown, copied and saved; and its graph with 10,000 rows: drawn
// again, and a parabola fitted again.
//   trail_bench CLIP...   (bench/run.sh makes two 900-frame clips when given none)
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "base/application.h"
#include "bench/bench_clock.h"
#include "bench/main_window.h"
#include "measure/motion.h"
#include "measure/motion_fit.h"
#include "measure/position_table.h"
#include "still/trail.h"
#include "still/trail_dialog.h"
#include "still/trail_frames.h"
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
    double measuring = 0;  // of seconds, in the measuring
};

// A fresh source as when the clip is open and stands at its first frame: that
// frame read, and the 60 after it that the device reads ahead meanwhile (so the
// decoder's own buffers are in place before the memory is measured, as in the
// program; a decoder started afresh adds about 11 MB at 1080p).
std::unique_ptr<mt::FrameSource> OpenStarted(const std::string& path, SIZE& size) {
    auto source = mt::OpenMediaFoundationFrames(path);
    if (!source) return nullptr;
    size = source->DisplaySize();
    mt::PixelPlane plane(size.cx, size.cy);
    for (long n = 0; n <= 60; ++n) source->ReadPixels(n, size.cx, size.cy, plane.px.data());
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

Run Trail(const std::string& path, long first, long last, long every, bool measure = false) {
    Run r;
    SIZE size{};
    auto source = OpenStarted(path, size);
    if (!source) return Run{0, 0, 0, false};
    const SIZE_T before = PrivateBytes();
    SIZE_T peak = before;
    const double t0 = Seconds();
    {
        // Kept as the program keeps them: as decoded where that holds less.
        const mt::FrameKeeper decoded = mt::DecodedFrameKeeper(*source, size.cx, size.cy);
        mt::FrameKeeper keeper{decoded.bytes, nullptr};
        if (decoded.keep)
            keeper.keep = [&](long n) {
                const double start = Seconds();
                auto kept = decoded.keep(n);
                r.reading += Seconds() - start;
                return kept;
            };
        mt::TrailJob job(
            {first, last, every, mt::TrailMethod::Moving}, size.cx, size.cy, std::nullopt,
            [&](long n, mt::PixelPlane& into) {
                const double start = Seconds();
                const bool ok = source->ReadPixels(n, size.cx, size.cy, into.px.data());
                r.reading += Seconds() - start;
                return ok;
            },
            mt::TrailJob::kKeptBytes, std::move(keeper));
        mt::TrailParts found{first, last, every, size.cx, size.cy, {}};
        if (measure)
            job.OnChosenFrame([&](long frame, const std::vector<mt::MaskPart>& parts) {
                const double start = Seconds();
                found.frames.push_back({frame, source->FrameTimeMs(frame) / 1000.0, parts});
                r.measuring += Seconds() - start;
            });
        double last = Seconds();
        while (job.Step()) {
            const double now = Seconds();
            r.longestStep = std::max(r.longestStep, now - last);
            last = now;
            peak = std::max(peak, PrivateBytes());
        }
        if (measure) {
            // As the program does once the trail is built: the object followed.
            const double start = Seconds();
            const std::vector<mt::MotionRow> rows = mt::FollowLargest(found);
            r.measuring += Seconds() - start;
            if (rows.empty()) std::fprintf(stderr, "the trail measured nothing\n");
        }
    }
    r.seconds = Seconds() - t0;
    r.peakMB = double(peak - before) / (1024.0 * 1024.0);
    return r;
}

// Answers the trail dialog from another thread once it shows: the range typed,
// 合成 pressed.
class TrailAnswer {
public:
    TrailAnswer(long first, long last, long every)
        : thread_([=] {
              for (int tries = 0; tries < 3000; ++tries) {
                  HWND dialog = ::FindWindowW(L"#32770", L"軌跡の合成");
                  if (dialog && ::IsWindowVisible(dialog)) {
                      ::SetDlgItemTextW(dialog, mt::TrailDialogIds::kFirst, std::to_wstring(first).c_str());
                      ::SetDlgItemTextW(dialog, mt::TrailDialogIds::kLast, std::to_wstring(last).c_str());
                      ::SetDlgItemTextW(dialog, mt::TrailDialogIds::kEvery, std::to_wstring(every).c_str());
                      ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                      return;
                  }
                  ::Sleep(10);
              }
          }) {}
    ~TrailAnswer() { thread_.join(); }

private:
    std::thread thread_;
};

// Ctrl+T in the main window on the clip opened afresh: at once (it plays as it
// opens), or once stopped at its first frame. Seconds from the command until
// the trail is in the still image; negative when none was built.
double WindowTrail(mt::TForm1& form, const std::string& path, bool playing, long last, long every) {
    form.OpenVideo(path);
    if (!form.MediaPlayer1->DeviceOpen()) return -1;
    if (playing) {
        const double until = bench::Seconds() + 5;
        while (form.MediaPlayer1->QueryPosition() < 2 && bench::Seconds() < until) bench::Pump();
    } else {
        form.Button5Click();
        form.Button4Click();
        bench::Pump();
    }
    const std::size_t steps = form.StillHistory.UndoCount();
    const double t0 = bench::Seconds();
    {
        TrailAnswer answer(0, last, every);
        form.ComposeTrail();
    }
    const double seconds = bench::Seconds() - t0;
    return form.StillHistory.UndoCount() > steps ? seconds : -1;
}

void MeasureInWindow(mt::TForm1& form, const std::string& path, long length) {
    const long last = std::min(899L, length - 1), every = 30;
    const double playing = WindowTrail(form, path, true, last, every);
    const double stopped = WindowTrail(form, path, false, last, every);
    if (playing < 0 || stopped < 0) {
        std::printf("  Ctrl+T, every 30th of 900: no trail was built\n");
        return;
    }
    std::printf("  Ctrl+T, every 30th of 900: during play %.2f s, from the stopped clip %.2f s, ratio %.2f (target 1)\n",
                playing, stopped, playing / stopped);
}

void Measure(const std::string& path, mt::TForm1& form) {
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
        const Run measured = Trail(path, c.first, c.last, c.every, true);
        if (measured.ok)
            std::printf("  %s: measuring too %.2f s, ratio %.3f to the trail without; the measuring itself %.3f s, "
                        "%.3f of the trail without it (target 1.05)\n",
                        c.what, measured.seconds, measured.seconds / trail.seconds, measured.measuring,
                        measured.seconds / (measured.seconds - measured.measuring));
    }
    MeasureInWindow(form, path, length);
}

// The table of positions with 1,000 rows: shown, copied and saved (target 50 ms each).
void TableSpeed() {
    mt::Application.Initialize();
    mt::TPositionTable table(nullptr, [] { return std::optional<long double>(100); });
    for (long n = 0; n < 1000; ++n)
        table.Table().Record({n, n / 30.0, 3.0 * n, 200 - 0.01 * n * n, 144});
    const double t0 = Seconds();
    table.Show();
    ::UpdateWindow(table.Handle());
    const double t1 = Seconds();
    table.Table().originAtFirst = true;  // every number made again
    table.Refresh();
    ::UpdateWindow(table.Handle());
    const double refreshed = Seconds() - t1;
    const double t1b = Seconds();
    table.Copy();
    const double t2 = Seconds();
    char folder[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "trail_bench_table.csv";
    table.SaveTo(path);
    const double t3 = Seconds();
    ::DeleteFileA(path.c_str());
    std::printf("table of 1000 rows: shown %.1f ms (made and filled; filled again alone %.1f ms), copied %.1f ms, "
                "saved %.1f ms (target 50 each)\n",
                (t1 - t0) * 1000, refreshed * 1000, (t2 - t1b) * 1000, (t3 - t2) * 1000);
}

// Following again after a right-click on a trail of 1,000 chosen frames with 20
// parts each (target 50 ms): a ball on a parabola among a thrower, parts of
// about its size and specks, as the program does it (still parts, the part
// pointed at, the object followed both ways).
void RefollowSpeed() {
    mt::TrailParts trail{0, 999, 1, 320, 240, {}};
    std::uint32_t seed = 12345;
    const auto random = [&](double below) {
        seed = seed * 1664525u + 1013904223u;
        return below * double(seed >> 8) / double(1u << 24);
    };
    for (long f = 0; f < 1000; ++f) {
        mt::FrameParts frame{f, f / 30.0, {}};
        const double t = f / 30.0, phase = std::fmod(t, 2.0);
        frame.parts.push_back({150, 20 + 140 * phase, 200 - 240 * phase + 120 * phase * phase});  // the ball
        frame.parts.push_back({3000, 40 + 10 * std::sin(t), 180});                                 // the thrower
        frame.parts.push_back({100, 280, 30});                                                     // a lamp
        while (frame.parts.size() < 20)
            frame.parts.push_back({12 + long(random(250)), random(320), random(240), false});
        trail.frames.push_back(std::move(frame));
    }
    const long middle = 500;
    const double column = 20 + 140 * std::fmod(middle / 30.0, 2.0);
    double best = 1e9, stillBest = 1e9;
    std::size_t rows = 0;
    for (int run = 0; run < 5; ++run) {
        // The still parts are found once, as the trail is measured.
        const double t0 = Seconds();
        const auto still = mt::StillParts(trail);
        const double t1 = Seconds();
        const double phase = std::fmod(middle / 30.0, 2.0);
        const auto part = mt::PartAt(trail, still, column, 200 - 240 * phase + 120 * phase * phase);
        rows = part ? mt::FollowFrom(trail, still, *part).size() : 0;
        best = std::min(best, Seconds() - t1);
        stillBest = std::min(stillBest, t1 - t0);
    }
    std::printf("following again after a right-click, 1000 frames of 20 parts: %.1f ms, %zu rows (target 50 ms); "
                "its still parts, found as the trail is measured, %.1f ms\n",
                best * 1000, rows, stillBest * 1000);
}

// The table's graph with 10,000 rows and a parabola fitted to them (target 16 ms
// each): the graph's window painted again, the points and the fit made again
// alone, and the whole of what a change of the table's selection does (points,
// fit, report and the graph painted).
void GraphSpeed() {
    mt::Application.Initialize();
    mt::TPositionTable table(nullptr, [] { return std::optional<long double>(100); });
    constexpr long kRows = 10000;
    for (long n = 0; n < kRows; ++n)
        table.Table().Record({n, n / 30.0, 3.0 * n + (n * 7919 % 13) / 13.0, 200 + 5.0 * n - 0.01 * n * n, 144});
    table.Show();
    const HWND window = table.Handle(), graph = ::GetDlgItem(window, mt::PositionTableIds::kGraph);
    ::SendDlgItemMessageW(window, mt::PositionTableIds::kFitKind, CB_SETCURSEL, 2, 0);  // 放物線
    ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(mt::PositionTableIds::kFitKind, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(::GetDlgItem(window, mt::PositionTableIds::kFitKind)));
    ::UpdateWindow(window);
    // Every 7th row selected: their points drawn larger.
    HWND list = ::GetDlgItem(window, mt::PositionTableIds::kList);
    LVITEMW item{};
    item.stateMask = item.state = LVIS_SELECTED;
    for (long n = 0; n < kRows; n += 7) ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(&item));
    bench::Pump();
    double drawn = 1e9, fitted = 1e9, whole = 1e9;
    for (int round = 0; round < 10; ++round) {
        double t0 = Seconds();
        ::InvalidateRect(graph, nullptr, FALSE);
        ::UpdateWindow(graph);
        drawn = std::min(drawn, Seconds() - t0);
        t0 = Seconds();
        const mt::ColumnPoints points = mt::PointsOf(table.Table(), mt::MotionColumn::Y);
        const mt::PolynomialFit fit =
            mt::FitColumn(points, mt::FitPoints(std::vector<bool>(points.size(), false), 3), mt::FitKind::Parabola);
        fitted = std::min(fitted, Seconds() - t0);
        if (!fit.Made()) std::printf("graph of %ld rows: no fit\n", kRows);
        t0 = Seconds();
        ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(mt::PositionTableIds::kFitKind, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(::GetDlgItem(window, mt::PositionTableIds::kFitKind)));
        ::UpdateWindow(graph);
        whole = std::min(whole, Seconds() - t0);
    }
    std::printf("graph of %ld rows: drawn again %.1f ms, parabola fitted again %.2f ms (the points and the fit alone), "
                "both with the report and the graph drawn %.1f ms (target 16 each; the quickest of 10)\n",
                kRows, drawn * 1000, fitted * 1000, whole * 1000);
}

}  // namespace

int main(int argc, char** argv) {
    const auto form = bench::StartMainWindow();
    for (int i = 1; i < argc; ++i) Measure(argv[i], *form);
    RefollowSpeed();
    try {
        TableSpeed();
    } catch (...) {
        std::printf("table of 1000 rows: failed\n");
    }
    try {
        GraphSpeed();
    } catch (...) {
        std::printf("graph of 10000 rows: failed\n");
    }
    return 0;
}
