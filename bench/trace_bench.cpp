// Cost of one trace step: Panel1MouseMove with the trace on (readout, 4 x 4
// copy, invalidation of Image1) against a bare GetDC, 4 x 4 BitBlt from the
// window and ReleaseDC, measured in the same run. Prints times and ratios.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "app/application.h"
#include "app/form1.h"
#include "bench/bench_clock.h"
#include "still/still_image.h"
#include "win/handles.h"

namespace {

using bench::Pump;
using bench::Seconds;

// Mean microseconds of `step` over `events` events. As between real mouse
// moves, the paint cycle runs after each event, outside the timed part.
double MicrosPerEvent(int events, const std::function<void(int)>& step) {
    double took = 0;
    for (int i = 0; i < events; ++i) {
        double start = Seconds();
        step(i);
        took += Seconds() - start;
        Pump();
    }
    return took * 1e6 / events;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main() {
    using namespace mt;
    Application.Initialize();
    Application.SetTitle(L"Movetrail");
    TForm1 form;
    form.Show();
    Pump();
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
    const int events = 200, rounds = 5;
    std::vector<double> bare, move, copy, readout;
    for (int r = 0; r < rounds; ++r) {
        bare.push_back(MicrosPerEvent(events, [&](int i) {
            WindowDC dc(main);
            ::BitBlt(mem.get(), 0, 0, 4, 4, dc.get(), form.Pane1Left + x(i) - 2, form.Pane1Top + y(i) - 2, SRCCOPY);
        }));
        move.push_back(MicrosPerEvent(events, [&](int i) { form.Panel1MouseMove(0, x(i), y(i)); }));
        copy.push_back(MicrosPerEvent(events, [&](int i) {
            RECT dest = PatchRect(x(i), y(i)), source = dest;
            ::OffsetRect(&source, form.Pane1Left, form.Pane1Top);
            CopyWindowToStill(main, *form.Image1, source, dest);
        }));
        readout.push_back(MicrosPerEvent(events, [&](int i) {
            form.Panel1Dragging = 0;
            form.Panel1MouseMove(0, x(i), y(i));
            form.Panel1Dragging = -1;
        }));
    }
    double b = Median(bare), m = Median(move), c = Median(copy), t = Median(readout);
    std::printf("%d rounds of %d events, medians\n", rounds, events);
    std::printf("bare GetDC + 4x4 BitBlt + ReleaseDC : %8.2f us/event\n", b);
    std::printf("Panel1MouseMove, trace on           : %8.2f us/event  ratio %.2f\n", m, m / b);
    std::printf("  patch copy + invalidation only    : %8.2f us/event  ratio %.2f\n", c, c / b);
    std::printf("  readout only (trace off)          : %8.2f us/event  ratio %.2f\n", t, t / b);
    return 0;
}
