// Cost of one trace step: Panel1MouseMove with the trace on (readout, 4 x 4
// copy, invalidation of Image1) against a bare GetDC, 4 x 4 BitBlt from the
// window and ReleaseDC, measured in the same run, as medians of single events
// (on a shared machine a few preempted events would decide a mean). Also measures the floor: the
// platform calls a move cannot do without, on windows of a bare class (the
// label's text change and its invalidation, and for the whole move also the
// bare copy and the invalidation of the patch). Prints times and ratios.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "base/handles.h"
#include "bench/main_window.h"
#include "still/readouts.h"
#include "still/still_image.h"

namespace {

using bench::Pump;
using bench::Seconds;

// Microseconds of `step` for each of `events` events, appended to `times`. As
// between real mouse moves, the paint cycle runs after each event, outside the
// timed part.
void TimeEvents(int events, const std::function<void(int)>& step, std::vector<double>& times) {
    for (int i = 0; i < events; ++i) {
        double start = Seconds();
        step(i);
        times.push_back((Seconds() - start) * 1e6);
        Pump();
    }
}

// A child window of a class that leaves every message to DefWindowProcW.
HWND BareChild(HWND parent, int left, int top, int width, int height) {
    WNDCLASSEXW wc{sizeof wc};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TraceBenchBare";
    ::RegisterClassExW(&wc);
    return ::CreateWindowExW(0, wc.lpszClassName, L"", WS_CHILD | WS_VISIBLE, left, top, width, height, parent, nullptr,
                             wc.hInstance, nullptr);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main() {
    using namespace mt;
    const auto window = bench::StartMainWindow();
    TForm1& form = *window;
    HWND main = form.Handle();

    // The still image exists and the trace is on, as after a press.
    form.Panel1MouseDown(TMouseButton::mbLeft, 0, 10, 10);
    Pump();

    WindowDC screen(nullptr);
    OwnedMemDC mem(::CreateCompatibleDC(screen.get()));
    OwnedBitmap target(::CreateCompatibleBitmap(screen.get(), 4, 4));
    SelectGuard sel(mem.get(), target.get());

    auto x = [](int i) { return 2 + (i * 7) % 316; };
    auto y = [](int i) { return 2 + (i * 13) % 236; };
    const int events = 200, rounds = 5;  // rounds interleave the kinds, so all see the same load
    // The floor's stand-ins for Label1 and Image1, and the texts Label1 shows.
    HWND bareLabel = BareChild(main, 600, 20, 64, 12), bareImage = BareChild(main, 600, 40, 64, 64);
    std::vector<std::wstring> texts;
    for (int i = 0; i < events; ++i) texts.push_back(PositionReadout(x(i), y(i), form.Pane1Height));
    auto bareCopy = [&](int i) {
        WindowDC dc(main);
        ::BitBlt(mem.get(), 0, 0, 4, 4, dc.get(), form.Pane1Left + x(i) - 2, form.Pane1Top + y(i) - 2, SRCCOPY);
    };
    auto bareText = [&](int i) {
        ::SetWindowTextW(bareLabel, texts[static_cast<size_t>(i)].c_str());
        ::InvalidateRect(bareLabel, nullptr, FALSE);
    };
    std::vector<double> bare, move, copy, readout, floorReadout, floorMove;
    for (int r = 0; r < rounds; ++r) {
        TimeEvents(events, bareCopy, bare);
        TimeEvents(events, bareText, floorReadout);
        TimeEvents(events, [&](int i) {
            bareText(i);
            bareCopy(i);
            RECT patch = PatchRect(x(i) % 64, y(i) % 64);
            ::InvalidateRect(bareImage, &patch, FALSE);
        }, floorMove);
        TimeEvents(events, [&](int i) { form.Panel1MouseMove(0, x(i), y(i)); }, move);
        TimeEvents(events, [&](int i) {
            RECT dest = PatchRect(x(i), y(i)), source = dest;
            ::OffsetRect(&source, form.Pane1Left, form.Pane1Top);
            CopyWindowToStill(main, *form.Image1, source, dest);
        }, copy);
        TimeEvents(events, [&](int i) {
            form.Panel1Dragging = 0;
            form.Panel1MouseMove(0, x(i), y(i));
            form.Panel1Dragging = -1;
        }, readout);
    }
    double b = Median(bare), m = Median(move), c = Median(copy), t = Median(readout);
    double ft = Median(floorReadout), fm = Median(floorMove);
    std::printf("%d rounds of %d events, medians of single events\n", rounds, events);
    std::printf("bare GetDC + 4x4 BitBlt + ReleaseDC : %8.2f us/event\n", b);
    std::printf("Panel1MouseMove, trace on           : %8.2f us/event  ratio %.2f (target 3), %.2f of its floor\n", m,
                m / b, m / fm);
    std::printf("  patch copy + invalidation only    : %8.2f us/event  ratio %.2f\n", c, c / b);
    std::printf("  readout only (trace off)          : %8.2f us/event  ratio %.2f (target 1.5), %.2f of its floor\n", t,
                t / b, t / ft);
    // What the platform alone takes for a move: the label's text changes and is
    // invalidated; with the trace on also the bare copy and the patch's invalidation.
    std::printf("floor of the move, trace on         : %8.2f us/event  ratio %.2f\n", fm, fm / b);
    std::printf("floor of the readout                : %8.2f us/event  ratio %.2f\n", ft, ft / b);
    return 0;
}
