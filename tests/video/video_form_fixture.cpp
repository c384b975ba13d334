#include "video_form_fixture.h"

#include <mmsystem.h>

#include <cstdlib>

#include "base/handles.h"
#include "base/text.h"

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

}  // namespace mt::test
