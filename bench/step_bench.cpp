// Time from a click on +１フレーム or -1フレーム to the new frame being on screen in
// the video pane, against the device's own time per frame while it plays the
// same 30 fps clip in the same run; then End, PageUp and PageDown from the key to
// the frame on screen. Prints times and ratios; the target is a ratio of at most
// 1 (one frame period).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "base/text.h"
#include "bench/main_window.h"
#include "common/dialog_driver.h"
#include "common/media.h"

namespace {

using bench::Pump;
using bench::Seconds;

// Pumps until cond holds or `limit` seconds pass; the seconds it took, or -1.
template <class F>
double Until(F cond, double limit) {
    double start = Seconds();
    while (!cond()) {
        if (Seconds() - start > limit) return -1;
        Pump();
    }
    return Seconds() - start;
}

}  // namespace

int main() {
    using namespace mt;
    const auto window = bench::StartMainWindow();
    TForm1& form = *window;

    media::BallClip clip;
    clip.width = 320;
    clip.height = 240;
    clip.frames = 60;
    clip.framesPerSecond = 30;
    clip.startY = 112;
    test::MediaFolder folder;
    std::string path = folder.WriteClip("ball30.avi", clip);
    {
        test::DialogDriver driver(test::FileDialog(), test::Typing(AnsiToWide(path)));
        form.Button6Click();
        if (!driver.Wait() || !form.MediaPlayer1->DeviceOpen()) {
            std::printf("FAILED: the clip did not load\n");
            return 1;
        }
    }
    TMediaPlayer& player = *form.MediaPlayer1;

    // The device's own time per frame while it plays (the load started playback).
    if (Until([&] { return player.QueryPosition() >= 5; }, 30) < 0) return 1;
    double playStart = Seconds();
    std::int32_t from = player.QueryPosition();
    if (Until([&] { return player.QueryPosition() >= 50; }, 60) < 0) return 1;
    double playFrame = (Seconds() - playStart) / (player.QueryPosition() - from);
    form.Button5Click();

    // The ball's left column in frame f is ball-coloured once frame f is shown.
    COLORREF ball = RGB(clip.ball.r, clip.ball.g, clip.ball.b);
    auto shows = [&](int f) {
        auto r = clip.BallAt(f);
        HDC dc = ::GetDC(form.Panel1->Handle());
        bool yes = ::GetPixel(dc, r.left, r.top + 8) == ball && (r.left == 0 || ::GetPixel(dc, r.left - 1, r.top + 8) != ball);
        ::ReleaseDC(form.Panel1->Handle(), dc);
        return yes;
    };
    auto click = [&](const std::unique_ptr<TButton>& b) {
        ::SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(b->Handle()), BN_CLICKED),
                       reinterpret_cast<LPARAM>(b->Handle()));
    };
    click(form.Button4);
    Pump();
    std::vector<double> steps;
    int missed = 0, frame = 0;
    for (int i = 0; i < 60; ++i) {
        bool back = frame > 0 && i % 3 == 2;  // two forward, one back
        double start = Seconds();
        click(back ? form.Button3 : form.Button2);
        frame += back ? -1 : 1;
        double shown = Until([&] { return shows(frame); }, 1.0);
        if (shown < 0) ++missed;
        else steps.push_back(Seconds() - start);
    }
    // The keys that jump, as the window takes them: End from the first frame, then
    // PageUp and PageDown ten frames at a time.
    auto key = [&](WORD k) { ::SendMessageW(form.Handle(), WM_KEYDOWN, k, 1); };
    std::vector<double> jumps;
    int jumpsMissed = 0;
    auto jump = [&](WORD k, int f) {
        double start = Seconds();
        key(k);
        if (Until([&] { return shows(f); }, 1.0) < 0) ++jumpsMissed;
        else jumps.push_back(Seconds() - start);
    };
    click(form.Button4);
    Pump();
    jump(VK_END, clip.frames - 1);
    for (int f = clip.frames - 11; f >= 0; f -= 10) jump(VK_PRIOR, f);
    for (int f = 19; f < clip.frames; f += 10) jump(VK_NEXT, f);
    std::printf("device while playing: %.2f ms per frame (clip: %.2f ms)\n", playFrame * 1e3,
                1e3 / clip.framesPerSecond);
    if (steps.empty()) {
        std::printf("step to frame on screen: never within 1 s (%d steps)\n", missed);
        return 1;
    }
    std::sort(steps.begin(), steps.end());
    double median = steps[steps.size() / 2], worst = steps.back();
    std::printf("step click to frame on screen: median %.2f ms, worst %.2f ms over %zu steps, %d not shown\n",
                median * 1e3, worst * 1e3, steps.size(), missed);
    std::printf("ratio to the device's frame time while playing: median %.2f, worst %.2f\n", median / playFrame,
                worst / playFrame);
    std::printf("ratio to the clip's frame period (33.3 ms): median %.2f, worst %.2f\n",
                median * clip.framesPerSecond, worst * clip.framesPerSecond);
    std::sort(jumps.begin(), jumps.end());
    if (!jumps.empty())
        std::printf("End, PageUp and PageDown, key to frame on screen: median %.2f ms, worst %.2f ms over %zu, %d "
                    "not shown; ratio to the clip's frame period: median %.2f, worst %.2f (target 1)\n",
                    jumps[jumps.size() / 2] * 1e3, jumps.back() * 1e3, jumps.size(), jumpsMissed,
                    jumps[jumps.size() / 2] * clip.framesPerSecond, jumps.back() * clip.framesPerSecond);
    else
        std::printf("End, PageUp and PageDown: never on screen within 1 s (%d jumps)\n", jumpsMissed);
    return missed || jumpsMissed ? 1 : 0;
}
