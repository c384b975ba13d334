// The program's own media device: answers the MCI commands the media player
// sends, for one clip whose frames come from a FrameSource. Positions and
// lengths are frame numbers (0 for the first frame); play runs on a timer of a
// hidden window at the clip's own pace, drawing each frame into the display
// window at the destination rectangle. Sound is not played.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <chrono>
#include <memory>

#include "base/handles.h"
#include "base/window_class.h"
#include "video/frame_source.h"

namespace mt {

// The codes of this device's own failures (the custom range of MCI drivers).
constexpr MCIERROR kOwnDeviceFrameNotDecoded = MCIERR_CUSTOM_DRIVER_BASE + 1;
// The text for one of this device's own codes; nullptr for any other code.
const wchar_t* OwnDeviceErrorText(MCIERROR code) noexcept;

class OwnMediaDevice : private WindowTarget {
public:
    OwnMediaDevice(MCIDEVICEID id, std::unique_ptr<FrameSource> frames);
    OwnMediaDevice(const OwnMediaDevice&) = delete;
    OwnMediaDevice& operator=(const OwnMediaDevice&) = delete;
    // A play still running is ended without a notice.
    ~OwnMediaDevice();

    // One MCI command (MCI_OPEN is answered by whoever creates the device); MCI_CLOSE
    // ends a play (its notice is aborted) and leaves the device for its owner to destroy.
    MCIERROR Command(UINT message, DWORD_PTR flags, DWORD_PTR parms);
    // Draws the frame at the position into dc at the destination (a repaint of the
    // display window). False when nothing was drawn.
    bool Paint(HDC dc);

    long Position() const noexcept { return position_; }
    // The clip's frames, for reading a range of them without moving the device;
    // a reader that holds them keeps them past the device's close.
    const std::shared_ptr<FrameSource>& Frames() const noexcept { return frames_; }
    bool Playing() const noexcept { return playing_; }

private:
    MCIERROR Play(DWORD_PTR flags, const MCI_PLAY_PARMS& p);
    MCIERROR Step(DWORD_PTR flags, const MCI_ANIM_STEP_PARMS& p);
    MCIERROR Seek(DWORD_PTR flags, const MCI_SEEK_PARMS& p);
    MCIERROR Status(DWORD_PTR flags, MCI_STATUS_PARMS& p) const;
    MCIERROR Capability(DWORD_PTR flags, MCI_GETDEVCAPS_PARMS& p) const;
    MCIERROR Where(DWORD_PTR flags, MCI_ANIM_RECT_PARMS& p) const;
    MCIERROR Put(DWORD_PTR flags, const MCI_ANIM_RECT_PARMS& p);
    MCIERROR Window(DWORD_PTR flags, const MCI_ANIM_WINDOW_PARMSA& p);
    // Ends a play; its pending notice, if any, is posted with this code.
    void EndPlay(WPARAM notice);
    // Moves to a frame and shows it; false when it could not be decoded.
    bool Show(long frame);
    void Tick();
    // Reading ahead of the position while stopped: started after each move, and
    // ended by a play or once there is nothing more to read.
    void StartReadAhead();
    void ReadAhead();
    void Notify(HWND callback, WPARAM code) const;
    HWND TimerWindow();
    // The timer window's messages.
    LRESULT WindowMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) override;

    MCIDEVICEID id_;
    std::shared_ptr<FrameSource> frames_;
    long length_;
    long position_ = 0;
    HWND display_ = nullptr;
    RECT destination_{};  // MCI's form: left, top, width, height
    bool playing_ = false;
    long playFrom_ = 0, playTo_ = 0;
    std::chrono::steady_clock::time_point playStart_{};
    HWND playNotice_ = nullptr;  // the window a running play notifies at its end
    OwnedWindow timer_;
};

}  // namespace mt
