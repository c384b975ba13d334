// The main window with the clips phones and cameras write (the marker clips the
// build makes beside the tests): open until the first frame is on screen, +１フレーム
// and -1フレーム from the click to the frame on screen, a seek, PageDown, End and
// PageUp from the key to the frame on screen, the same after the
// clip has stood still for a second, and play (frames
// shown per second against the clip's rate, and frames never shown), each
// against the clip's frame period, with the peak memory over the program's start.
// The frame on screen is told from where the marker is in the pane.
// Targets: steps within one period, a seek and a jump by the keys within five at
// 1080p (one at 320x240), play at the
// clip's rate with at most 5% of frames skipped, peak memory below 150 MB.
// First, each in a program of its own (this one started again): the first clip
// of a session as a user meets it (the program started, idle for 2 s while the
// decoder is prepared, then the clip opened) beside the cold open (the same
// without the decoder prepared), and the memory of a start that opens no clip,
// after 5 s, with and without the decoder prepared; and the floor of the seeks,
// the decoder alone reaching the same frames.
//   bash bench/run.sh NAME clip_bench [marker-h264.mp4 marker-1080p.mp4 ...]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/handles.h"
#include "base/paths.h"
#include "bench/main_window.h"
#include "common/marker_clips.h"
#include "video/decoder_warm_up.h"
#include "video/frame_source.h"

namespace {

using bench::Seconds;

// Handles one waiting message (a play tick shows one frame, so the pane is read
// between any two).
void Pump() {
    MSG msg;
    if (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}
using mt::test::MarkerClip;

double Median(std::vector<double> v) {
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The process's private memory now, in MB, and the most seen by this program's
// samples (Wine reports no peak of its own: its peak is the figure now).
double peakMB = 0;
double PrivateMB() {
    PROCESS_MEMORY_COUNTERS c{sizeof c};
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &c, sizeof c);
    const double mb = static_cast<double>(std::max(c.PagefileUsage, c.PeakPagefileUsage)) / (1024.0 * 1024.0);
    peakMB = std::max(peakMB, mb);
    return mb;
}

// The clip beside the test programs (build/NAME/tests; this program is in build/NAME/bench).
std::string ClipPath(const MarkerClip& clip) {
    char exe[MAX_PATH + 1] = {};
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    return mt::FolderOfPath(exe) + "\\..\\tests\\" + clip.file;
}

// The frame whose marker the pane shows, read off one row of the screen; -1 for none.
class PaneReader {
public:
    PaneReader(HWND pane, const MarkerClip& clip)
        : pane_(pane), clip_(clip), dc_(::CreateCompatibleDC(nullptr)),
          row_(static_cast<int>((clip.FittedTop() + clip.FittedBottom()) / 2)) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), clip.fittedWidth, -1, 1, 32, BI_RGB};
        void* bits = nullptr;
        bitmap_.reset(::CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        bits_ = static_cast<const std::uint32_t*>(bits);
        select_.emplace(dc_.get(), bitmap_.get());
    }
    long Frame() {
        PrivateMB();
        mt::WindowDC screen(pane_);
        ::BitBlt(dc_.get(), 0, 0, clip_.fittedWidth, 1, screen.get(), 0, row_, SRCCOPY);
        for (int x = 0; x < clip_.fittedWidth; ++x) {
            const std::uint32_t px = bits_[x];
            const int r = px >> 16 & 0xFF, g = px >> 8 & 0xFF, b = px & 0xFF;
            if (std::abs(r - mt::test::kMarkerColour.r) < 40 && std::abs(g - mt::test::kMarkerColour.g) < 40 &&
                std::abs(b - mt::test::kMarkerColour.b) < 40)
                return std::lround(x * double(clip_.width) / (double(clip_.step) * clip_.fittedWidth));
        }
        return -1;
    }

private:
    HWND pane_;
    const MarkerClip& clip_;
    mt::OwnedMemDC dc_;
    mt::OwnedBitmap bitmap_;
    std::optional<mt::SelectGuard> select_;
    const std::uint32_t* bits_ = nullptr;
    int row_;
};

// The seeks to frames not shown yet, both ways.
constexpr long kSeeks[] = {75, 52, 88, 45, 66, 58, 80, 47};

// Pumps until the pane shows frame f or `limit` seconds pass; the seconds, or -1.
double UntilShown(PaneReader& pane, long f, double limit) {
    const double start = Seconds();
    while (pane.Frame() != f) {
        if (Seconds() - start > limit) return -1;
        Pump();
    }
    return Seconds() - start;
}

// Pumps for `seconds`.
void Idle(double seconds) {
    const double start = Seconds();
    while (Seconds() - start < seconds) {
        Pump();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// The first open of the session, in a program of its own: with the decoder
// prepared as the program prepares it while the video dialog stands open, 2 s
// before the clip is chosen, or cold.
int FirstOpen(const MarkerClip& clip, bool prepared) {
    const auto window = bench::StartMainWindow();
    const auto warmUp = prepared ? mt::DecoderWarmUp::AtStart(false) : nullptr;
    if (prepared) Idle(2);
    const bool ready = warmUp && warmUp->Finish(0);
    const double t0 = Seconds();
    window->OpenVideo(ClipPath(clip));
    if (!window->MediaPlayer1 || !window->MediaPlayer1->DeviceOpen()) return 1;
    PaneReader pane(window->Panel1->Handle(), clip);
    while (pane.Frame() < 0 && Seconds() - t0 < 30) Pump();
    const double open = Seconds() - t0;
    const mt::OpenBreakdown b = mt::LastMediaFoundationOpen();
    std::printf("  first open, %-36s %7.1f ms  ratio %6.2f (source reader %.1f ms)\n",
                prepared ? (ready ? "started, idle 2 s (decoder prepared):" : "started, idle 2 s (still preparing):")
                         : "cold (nothing prepared):",
                open * 1e3, open * 30, b.readerMs);
    return 0;
}

// The floor of the seeks below, in a program of its own (its decoder's memory not
// counted in theirs): the decoder alone reaching the same frames from the first,
// nothing fitted or drawn.
int SeekFloor(const MarkerClip& clip) {
    auto source = mt::OpenMediaFoundationFrames(ClipPath(clip));
    if (!source) return 1;
    std::vector<double> ms;
    for (long f : kSeeks)
        if (const double t = mt::MediaFoundationReachMs(*source, f); t >= 0) ms.push_back(t);
    std::printf("  seek, the decoder alone (the floor)      %7.1f ms  ratio %6.2f (worst %.2f)\n", Median(ms),
                Median(ms) * 30 / 1e3, ms.empty() ? -1 : *std::max_element(ms.begin(), ms.end()) * 30 / 1e3);
    return 0;
}

// A start that opens no clip: the private memory after 5 s.
int IdleMemory(bool prepared) {
    const auto window = bench::StartMainWindow();
    const auto warmUp = prepared ? mt::DecoderWarmUp::AtStart(false) : nullptr;
    Idle(5);
    PROCESS_MEMORY_COUNTERS c{sizeof c};
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &c, sizeof c);
    std::printf("  a start opening no clip, after 5 s, %-24s %.1f MB private\n",
                prepared ? "the decoder prepared:" : "nothing prepared:", c.PagefileUsage / (1024.0 * 1024.0));
    return 0;
}

// This program started again with `arguments`, waited for.
bool RunAgain(const std::string& arguments) {
    char exe[MAX_PATH + 1] = {};
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string line = "\"" + std::string(exe) + "\" " + arguments;
    STARTUPINFOA start{sizeof start};
    PROCESS_INFORMATION info{};
    std::fflush(stdout);
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start, &info)) return false;
    mt::OwnedHandle process(info.hProcess), thread(info.hThread);
    ::WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 1;
    ::GetExitCodeProcess(process.get(), &code);
    return code == 0;
}

bool Measure(mt::TForm1& form, const MarkerClip& clip, double startMB) {
    using namespace mt;
    if (::GetFileAttributesA(ClipPath(clip).c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::printf("%s: not made at build time\n", clip.file);
        return true;
    }
    const double period = 1.0 / 30;
    auto click = [&](const std::unique_ptr<TButton>& b) {
        ::SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(b->Handle()), BN_CLICKED),
                       reinterpret_cast<LPARAM>(b->Handle()));
    };

    // Open (the load starts playback) until frame 0 or a later one is on screen.
    double t0 = Seconds();
    form.OpenVideo(ClipPath(clip));
    if (!form.MediaPlayer1 || !form.MediaPlayer1->DeviceOpen()) {
        std::printf("%s: does not open\n", clip.file);
        return false;
    }
    PaneReader pane(form.Panel1->Handle(), clip);
    while (pane.Frame() < 0 && Seconds() - t0 < 30) Pump();
    const double open = Seconds() - t0;
    const OpenBreakdown breakdown = LastMediaFoundationOpen();
    click(form.Button5);  // stopped at once: the frames below are not shown yet
    // Seeks to frames not shown yet, both ways.
    int missed = 0;
    std::vector<double> seeks;
    for (long f : kSeeks) {
        const double start = Seconds();
        form.MediaPlayer1->SeekTo(f);
        if (UntilShown(pane, f, 5) < 0) ++missed;
        else seeks.push_back(Seconds() - start);
    }
    // Steps: two forward, one back, from the first frame.
    click(form.Button4);
    if (UntilShown(pane, 0, 10) < 0) {
        std::printf("%s: the first frame is not shown\n", clip.file);
        return false;
    }
    std::vector<double> forward, back;
    long frame = 0;
    for (int i = 0; i < 60; ++i) {
        const bool isBack = frame > 0 && i % 3 == 2;
        const double start = Seconds();
        click(isBack ? form.Button3 : form.Button2);
        frame += isBack ? -1 : 1;
        if (UntilShown(pane, frame, 2) < 0) ++missed;
        else (isBack ? back : forward).push_back(Seconds() - start);
    }
    // After the clip has stood still for a second, as between a user's clicks: +1,
    // and a seek ten frames on.
    auto standStill = [] {
        const double start = Seconds();
        while (Seconds() - start < 1) Pump();
    };
    std::vector<double> pausedForward, pausedSeeks;
    for (int i = 0; i < 4; ++i) {
        standStill();
        double start = Seconds();
        click(form.Button2);
        ++frame;
        if (UntilShown(pane, frame, 2) < 0) ++missed;
        else pausedForward.push_back(Seconds() - start);
        standStill();
        start = Seconds();
        frame += 10;
        form.MediaPlayer1->SeekTo(frame);
        if (UntilShown(pane, frame, 5) < 0) ++missed;
        else pausedSeeks.push_back(Seconds() - start);
    }
    // Play: every frame seen on screen, to the last; from the first frame, then as
    // the clip opens again (nothing decoded yet, the load's own play).
    struct Played {
        double rate = 0;
        long skipped = 0, frames = 0;
    };
    auto watchPlay = [&] {
        const double begin = Seconds();
        std::set<long> seen;
        double firstSeen = -1, lastSeen = -1;
        long firstFrame = 0;
        while (Seconds() - begin < 120) {
            const long f = pane.Frame();
            if (f >= 0 && seen.insert(f).second) {
                if (firstSeen < 0) {
                    firstSeen = Seconds();
                    firstFrame = f;
                }
                if (f == clip.frames - 1) {
                    lastSeen = Seconds();
                    break;
                }
            }
            Pump();
        }
        Played p;
        p.rate = lastSeen > firstSeen ? (clip.frames - 1 - firstFrame) / (lastSeen - firstSeen) : 0;
        p.frames = clip.frames - firstFrame;
        p.skipped = p.frames - static_cast<long>(seen.size());
        return p;
    };
    click(form.Button4);
    click(form.Button1);
    const Played warm = watchPlay();
    form.OpenVideo(ClipPath(clip));
    const Played cold = watchPlay();
    // The keys that jump, as the window takes them, on the clip opened once more
    // (nothing decoded yet): PageDown nine times in a row from the first frame to
    // the last, PageUp back over frames reached, then Home and End.
    form.OpenVideo(ClipPath(clip));
    click(form.Button5);
    click(form.Button4);
    auto key = [&](WORD k) { ::SendMessageW(form.Handle(), WM_KEYDOWN, k, 1); };
    std::vector<double> pageDowns, pageUps;
    double end = -1;
    if (UntilShown(pane, 0, 10) >= 0) {
        auto jump = [&](WORD k, long f, std::vector<double>& times) {
            const double start = Seconds();
            key(k);
            if (UntilShown(pane, f, 5) < 0) ++missed;
            else times.push_back(Seconds() - start);
        };
        for (long f = 10; f < 90; f += 10) jump(VK_NEXT, f, pageDowns);
        jump(VK_NEXT, mt::test::kMarkerClipFrames - 1, pageDowns);
        for (long f = 79; f >= 9; f -= 10) jump(VK_PRIOR, f, pageUps);
        key(VK_HOME);
        std::vector<double> ends;
        if (UntilShown(pane, 0, 5) >= 0) jump(VK_END, mt::test::kMarkerClipFrames - 1, ends);
        if (!ends.empty()) end = ends[0];
    } else {
        ++missed;
    }

    std::printf("%s (%dx%d, fitted %dx%d), ratios to the frame period (33.3 ms):\n", clip.file, clip.width,
                clip.height, clip.fittedWidth, clip.fittedHeight);
    std::printf("  open to first frame on screen  %7.1f ms  ratio %6.2f (targets 500 ms at 320x240, 1000 at 1080p)\n",
                open * 1e3, open / period);
    std::printf("    of which: loading Media Foundation %.1f ms, the sample table %.1f ms, the source reader %.1f ms,\n"
                "    the first frame read %.1f ms, the rest (MCI, the window, fitting and drawing the frame) %.1f ms\n",
                breakdown.platformMs, breakdown.tableMs, breakdown.readerMs, breakdown.firstReadMs,
                open * 1e3 - breakdown.platformMs - breakdown.tableMs - breakdown.readerMs - breakdown.firstReadMs);
    std::printf("  +1 click to frame on screen    %7.1f ms  ratio %6.2f (target 1; worst %.2f)\n",
                Median(forward) * 1e3, Median(forward) / period,
                forward.empty() ? -1 : *std::max_element(forward.begin(), forward.end()) / period);
    std::printf("  -1 click to frame on screen    %7.1f ms  ratio %6.2f (target 1; worst %.2f)\n",
                Median(back) * 1e3, Median(back) / period,
                back.empty() ? -1 : *std::max_element(back.begin(), back.end()) / period);
    std::printf("  seek to frame on screen        %7.1f ms  ratio %6.2f (target 5 at 1080p; worst %.2f)\n",
                Median(seeks) * 1e3, Median(seeks) / period,
                seeks.empty() ? -1 : *std::max_element(seeks.begin(), seeks.end()) / period);
    std::printf("  after standing still 1 s: +1   %7.1f ms  ratio %6.2f; a seek 10 on %7.1f ms  ratio %6.2f\n",
                Median(pausedForward) * 1e3, Median(pausedForward) / period, Median(pausedSeeks) * 1e3,
                Median(pausedSeeks) / period);
    for (const auto& [what, p] : {std::pair{"play", warm}, std::pair{"play as it opens", cold}})
        std::printf("  %s: %.2f frames/s, ratio %.3f to the clip's 30; %ld of %ld frames never shown (%.1f%%)\n",
                    what, p.rate, p.rate / 30, p.skipped, p.frames, 100.0 * p.skipped / std::max(1L, p.frames));
    std::printf("  PageDown x9, clip just opened  %7.1f ms  ratio %6.2f (target 5 each; worst %.2f of %zu)\n",
                Median(pageDowns) * 1e3, Median(pageDowns) / period,
                pageDowns.empty() ? -1 : *std::max_element(pageDowns.begin(), pageDowns.end()) / period,
                pageDowns.size());
    std::printf("  PageUp over frames reached     %7.1f ms  ratio %6.2f (as a step from memory; worst %.2f of %zu)\n",
                Median(pageUps) * 1e3, Median(pageUps) / period,
                pageUps.empty() ? -1 : *std::max_element(pageUps.begin(), pageUps.end()) / period, pageUps.size());
    std::printf("  End to a last frame reached    %7.1f ms  ratio %6.2f\n", end * 1e3, end / period);
    std::printf("  (End and Ctrl+G send the seek above: a jump to a frame not shown yet)\n");
    std::printf("  peak memory: %.1f MB over the program's start (target below 150)\n", peakMB - startMB);
    if (missed) std::printf("  %d steps or seeks never showed their frame\n", missed);
    return missed == 0;
}

}  // namespace

const MarkerClip* ClipNamed(const char* name) {
    for (const MarkerClip& c : mt::test::kMarkerClips)
        if (std::strcmp(c.file, name) == 0) return &c;
    return nullptr;
}

int main(int argc, char** argv) {
    using namespace mt;
    // The programs of their own: --first-open prepared|cold CLIP, --idle-memory prepared|cold.
    if (argc == 4 && std::strcmp(argv[1], "--first-open") == 0 && ClipNamed(argv[3]))
        return FirstOpen(*ClipNamed(argv[3]), std::strcmp(argv[2], "prepared") == 0);
    if (argc == 3 && std::strcmp(argv[1], "--seek-floor") == 0 && ClipNamed(argv[2])) return SeekFloor(*ClipNamed(argv[2]));
    if (argc == 3 && std::strcmp(argv[1], "--idle-memory") == 0)
        return IdleMemory(std::strcmp(argv[2], "prepared") == 0);
    std::vector<const char*> names;
    for (int i = 1; i < argc; ++i) names.push_back(argv[i]);
    if (names.empty()) names = {"marker-h264.mp4", "marker-1080p.mp4"};
    bool ok = true;
    std::printf("The first clip of a session, each in a program of its own (targets 500 ms at 320x240, 1000 at 1080p,\n"
                "after 2 s idle):\n");
    for (const char* name : names) {
        const MarkerClip* clip = ClipNamed(name);
        if (!clip || ::GetFileAttributesA(ClipPath(*clip).c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        std::printf(" %s\n", name);
        for (const char* how : {"cold", "prepared"})
            ok = RunAgain(std::string("--first-open ") + how + " " + name) && ok;
        ok = RunAgain(std::string("--seek-floor ") + name) && ok;
    }
    std::printf("Start-up memory (target: prepared at most 10 MB over nothing prepared):\n");
    for (const char* how : {"cold", "prepared"}) ok = RunAgain(std::string("--idle-memory ") + how) && ok;
    const auto window = bench::StartMainWindow();
    TForm1& form = *window;
    const double startMB = PrivateMB();
    for (const char* name : names) {
        const MarkerClip* clip = ClipNamed(name);
        if (!clip) {
            std::printf("%s: not a marker clip\n", name);
            ok = false;
            continue;
        }
        ok = Measure(form, *clip, startMB) && ok;
    }
    return ok ? 0 : 1;
}
