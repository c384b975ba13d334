#include "video_form_fixture.h"

#include <mmsystem.h>

#include <cstdlib>

#include "base/handles.h"
#include "base/text.h"
#include "common/pixels.h"

namespace mt::test {

std::wstring VideoFormTest::AnsiToWideForTest(const std::string& s) { return AnsiToWide(s); }

RECT BoundsOf(HWND wnd) {
    RECT r;
    ::GetWindowRect(wnd, &r);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(wnd), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

int OpenMciDevices() {
    char answer[64] = {};
    if (::mciSendStringA("sysinfo all quantity open", answer, sizeof answer, nullptr) != 0) return -1;
    return std::atoi(answer);
}

bool NothingHolds(const std::string& path) {
    return OwnedFile(::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)).valid();
}

media::BallClip Clip(int width, int height, int frames, int framesPerSecond) {
    media::BallClip clip;
    clip.width = width;
    clip.height = height;
    clip.frames = frames;
    clip.framesPerSecond = framesPerSecond;
    clip.ballSize = 8;
    clip.startX = 0;
    clip.stepX = 0;
    clip.startY = (height / 2) / 4 * 4;
    return clip;
}

bool ShowsBallFrame(HWND pane, const media::BallClip& clip, int f) {
    Pixels shown = ReadWindow(pane);
    auto r = clip.BallAt(f);
    auto colour = [](media::Rgb c) { return static_cast<std::uint32_t>((c.r << 16) | (c.g << 8) | c.b); };
    return shown.width >= r.right && shown.At(r.left + 1, r.top + 1) == colour(media::ShownColor(clip.ball)) &&
           shown.At(r.right - 2, r.bottom - 2) == colour(media::ShownColor(clip.ball)) &&
           (r.left < 2 || shown.At(r.left - 2, r.top + 1) == colour(media::ShownColor(clip.background)));
}

bool ShowsMarkerFrame(HWND pane, const MarkerClip& clip, long f) {
    Pixels shown = ReadWindow(pane);
    int x = static_cast<int>((clip.FittedLeft(f) + clip.FittedRight(f)) / 2);
    int y = static_cast<int>((clip.FittedTop() + clip.FittedBottom()) / 2);
    int left = static_cast<int>(clip.FittedLeft(f) - 2);
    auto alike = [](std::uint32_t px, media::Rgb c) {
        return std::abs(int(px >> 16 & 0xFF) - c.r) <= kMarkerBound &&
               std::abs(int(px >> 8 & 0xFF) - c.g) <= kMarkerBound && std::abs(int(px & 0xFF) - c.b) <= kMarkerBound;
    };
    return shown.width > x && alike(shown.At(x, y), kMarkerColour) &&
           (left < 0 || alike(shown.At(left, y), kMarkerGround));
}

}  // namespace mt::test
