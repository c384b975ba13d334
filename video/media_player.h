// The media device that decodes a video and draws it into a window: at most one
// open MCI device, opened on a file by name. Every request is one MCI command
// through the MciEntry seam (video/mci.h).
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <functional>
#include <string>

#include "base/handles.h"
#include "base/window_class.h"
#include "video/mci.h"
#include "video/program_mci.h"

namespace mt {

// The buttons of the media device's own bar.
enum TMPBtnType : unsigned { btPlay = 1, btPause = 2, btStop = 4, btNext = 8, btPrev = 16, btStep = 32, btBack = 64,
                             btRecord = 128, btEject = 256 };

// Outcome of the last completion notice.
enum class TMPNotifyValues { nvSuccessful, nvSuperseded, nvAborted, nvFailure };

// Device modes as QueryMode reports them.
enum TMPModes : std::uint8_t { mpNotReady, mpStopped, mpPlaying, mpRecording, mpSeeking, mpPaused, mpOpen };

class TMediaPlayer : private WindowTarget {
public:
    // owner: the window the hidden notice window is a child of.
    explicit TMediaPlayer(HWND owner, MciEntry& mci = ProgramMci());
    TMediaPlayer(const TMediaPlayer&) = delete;
    TMediaPlayer& operator=(const TMediaPlayer&) = delete;
    // Hands the display window back (when one is set), then closes the device.
    ~TMediaPlayer();

    // Settings. The device is chosen by MCI from the file name, opened unshared;
    // nothing is opened automatically, and a device at its end is not rewound.
    std::string FileName;  // ANSI code page
    bool AutoRewind = false;
    std::int32_t StepFrames = 0;
    // The placement of its own button bar, which is never shown.
    int Left = 426, Top = 337, Width = 253, Height = 20;
    unsigned VisibleButtons = 0;
    std::wstring Hint = L"動画の再生、停止、コマ送り";
    // Raised after a completion notice has been taken in.
    std::function<void()> OnNotify;

    // State.
    bool DeviceOpen() const noexcept { return deviceOpen_; }
    std::uint16_t DeviceId() const noexcept { return deviceId_; }
    bool HasVideo() const noexcept { return hasVideo_; }
    bool CanPlay() const noexcept { return canPlay_; }
    bool CanRecord() const noexcept { return canRecord_; }
    bool CanEject() const noexcept { return canEject_; }
    bool CanStep() const noexcept { return canStep_; }
    std::int32_t DisplayWidth() const noexcept { return displayWidth_; }
    std::int32_t DisplayHeight() const noexcept { return displayHeight_; }
    DWORD LastError() const noexcept { return lastError_; }
    TMPNotifyValues NotifyResult() const noexcept { return notifyResult_; }

    // The window the device draws into (nullptr: none).
    HWND Display() const noexcept { return display_; }
    void SetDisplay(HWND window);
    // Told that the display window is going away: the device gets its own window back.
    void DisplayDestroyed();

    // Closes a device opened before, then opens FileName. A failed open raises
    // EMCIDeviceError with the platform's text for the code.
    void OpenDevice();
    void CloseDevice();
    // Raises EMCIDeviceError "MCI デバイスがありません" without a device.
    void RequireOpen() const;
    // Transport. Each raises EMCIDeviceError "MCI デバイスがありません" without a device.
    void Play();
    void Stop();
    void StepForward();
    void StepBackward();
    // Steps by a number of frames, on for a positive one and back for a negative one.
    void StepBy(std::int32_t frames);
    void SeekToStart();
    void SeekTo(std::int32_t position);
    // Queries in the device's own time format.
    std::int32_t QueryLength();
    std::int32_t QueryPosition();
    std::uint8_t QueryTimeFormat();
    std::uint8_t QueryMode();
    // The rectangle the video is drawn into within the display window; both do
    // nothing without an open device that has video.
    void GetDestinationRect(RECT& rect);
    void SetDestinationRect(const RECT& rect);
    // A repaint of the display window: the MCI entry draws the frame at the device's
    // position into dc where the device leaves that to the program.
    void PaintStoppedFrame(HDC dc);

    // The platform's text for LastError.
    std::wstring ErrorText();

    // The hidden window that receives MM_MCINOTIFY (created when first needed).
    HWND NoticeWindow();

private:
    MCIERROR Send(UINT message, DWORD_PTR flags, void* parms);
    // MCI_STEP by frames (back when reverse); nothing on a device without video.
    void Step(DWORD frames, bool reverse);
    bool Capability(DWORD item);
    void RefreshButtons();
    void TakeNotice(WPARAM code);
    // The notice window's messages.
    LRESULT WindowMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) override;

    HWND owner_;
    MciEntry& mci_;
    OwnedWindow notice_;
    HWND display_ = nullptr;
    bool deviceOpen_ = false;
    std::uint16_t deviceId_ = 0;
    bool hasVideo_ = false, canPlay_ = false, canRecord_ = false, canEject_ = false, canStep_ = false;
    std::int32_t displayWidth_ = 0, displayHeight_ = 0;
    DWORD lastError_ = 0;
    TMPNotifyValues notifyResult_ = TMPNotifyValues::nvSuccessful;
};

}  // namespace mt
