// The media device that decodes a video and draws it into a window.
#pragma once
#include <windows.h>

#include <string>

namespace mt {

class TMediaPlayer {
public:
    explicit TMediaPlayer(HWND owner) : owner_(owner) {}
    TMediaPlayer(const TMediaPlayer&) = delete;
    TMediaPlayer& operator=(const TMediaPlayer&) = delete;
    ~TMediaPlayer() = default;

    // The placement of its own button bar, which is never shown.
    int Left = 426, Top = 337, Width = 253, Height = 20;
    unsigned VisibleButtons = 0;
    bool AutoRewind = false;
    std::wstring Hint = L"動画の再生、停止、コマ送り";

private:
    HWND owner_;
};

// The buttons of the media device's own bar.
enum TMPBtnType : unsigned { btPlay = 1, btPause = 2, btStop = 4, btNext = 8, btPrev = 16, btStep = 32, btBack = 64,
                             btRecord = 128, btEject = 256 };

}  // namespace mt
