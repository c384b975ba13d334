#include "video/media_player.h"

#include <digitalv.h>

#include "base/application.h"
#include "base/errors.h"
#include "base/failure.h"
#include "base/hidden_window.h"
#include "base/text.h"

namespace mt {
namespace {

constexpr wchar_t kNoticeClass[] = L"TMediaPlayerNotice";
constexpr wchar_t kNoDevice[] = L"MCI デバイスがありません";
constexpr wchar_t kUnknownError[] = L"原因不明のエラー";

// The flags of the animation-device names; the digital-video ones have the same values.
constexpr DWORD kWhereSource = 0x20000;       // MCI_ANIM_WHERE_SOURCE
constexpr DWORD kWhereDestination = 0x40000;  // MCI_ANIM_WHERE_DESTINATION
constexpr DWORD kPutDestination = 0x50000;    // MCI_ANIM_RECT | MCI_ANIM_PUT_DESTINATION
constexpr DWORD kStepFrames = 0x20000;        // MCI_ANIM_STEP_FRAMES
constexpr DWORD kStepReverse = 0x10000;       // MCI_ANIM_STEP_REVERSE
constexpr DWORD kWindowHwnd = 0x10000;        // MCI_ANIM_WINDOW_HWND

static_assert(MCI_ANIM_WHERE_SOURCE == kWhereSource && MCI_ANIM_WHERE_DESTINATION == kWhereDestination &&
              (MCI_ANIM_RECT | MCI_ANIM_PUT_DESTINATION) == kPutDestination &&
              MCI_ANIM_STEP_FRAMES == kStepFrames && MCI_ANIM_STEP_REVERSE == kStepReverse &&
              MCI_ANIM_WINDOW_HWND == kWindowHwnd && MCI_DGV_WHERE_DESTINATION == kWhereDestination);

}  // namespace

TMediaPlayer::TMediaPlayer(HWND owner, MciEntry& mci) : owner_(owner), mci_(mci) {}

TMediaPlayer::~TMediaPlayer() {
    try {
        if (display_) DisplayDestroyed();
        if (deviceId_ != 0) {
            MCI_GENERIC_PARMS close{};
            mci_.SendCommand(deviceId_, MCI_CLOSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&close));
        }
    } catch (...) {
        // Nothing may leave a destructor; a failing close is ignored anyway.
    }
}

HWND TMediaPlayer::NoticeWindow() {
    if (!notice_) {
        // A hidden child of the owner; a message-only window when there is none.
        notice_ = CreateHiddenWindow(Application.Instance(), kNoticeClass, owner_, this);
        if (!notice_) RaiseLastOSError();
    }
    return notice_.get();
}

LRESULT TMediaPlayer::WindowMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == MM_MCINOTIFY) {
        TakeNotice(wp);
        return 0;
    }
    return ::DefWindowProcW(wnd, msg, wp, lp);
}

// Runs when a device reports the end of a command sent with MCI_NOTIFY.
void TMediaPlayer::TakeNotice(WPARAM code) {
    RefreshButtons();
    switch (code) {
    case MCI_NOTIFY_SUCCESSFUL: notifyResult_ = TMPNotifyValues::nvSuccessful; break;
    case MCI_NOTIFY_SUPERSEDED: notifyResult_ = TMPNotifyValues::nvSuperseded; break;
    case MCI_NOTIFY_ABORTED: notifyResult_ = TMPNotifyValues::nvAborted; break;
    case MCI_NOTIFY_FAILURE: notifyResult_ = TMPNotifyValues::nvFailure; break;
    default: break;
    }
    if (OnNotify) OnNotify();
}

MCIERROR TMediaPlayer::Send(UINT message, DWORD_PTR flags, void* parms) {
    lastError_ = mci_.SendCommand(deviceId_, message, flags, reinterpret_cast<DWORD_PTR>(parms));
    return lastError_;
}

void TMediaPlayer::RequireOpen() const {
    if (!deviceOpen_) throw EMCIDeviceError(kNoDevice);
}

bool TMediaPlayer::Capability(DWORD item) {
    MCI_GETDEVCAPS_PARMS p{};
    p.dwItem = item;
    mci_.SendCommand(deviceId_, MCI_GETDEVCAPS, MCI_WAIT | MCI_GETDEVCAPS_ITEM, reinterpret_cast<DWORD_PTR>(&p));
    if (item != MCI_GETDEVCAPS_DEVICE_TYPE) return (p.dwReturn & 0xFF) != 0;
    return p.dwReturn == MCI_DEVTYPE_ANIMATION || p.dwReturn == MCI_DEVTYPE_DIGITAL_VIDEO ||
           p.dwReturn == MCI_DEVTYPE_OVERLAY || p.dwReturn == MCI_DEVTYPE_VCR;
}

// The bar's button states follow the mode; the bar itself is never shown.
void TMediaPlayer::RefreshButtons() { QueryMode(); }

void TMediaPlayer::OpenDevice() {
    if (deviceOpen_) CloseDevice();
    MCI_OPEN_PARMSA p{};
    char noType[1] = "";  // the device is chosen from the file; no flag announces the name
    std::string element = FileName;
    p.dwCallback = reinterpret_cast<DWORD_PTR>(NoticeWindow());
    p.lpstrDeviceType = noType;
    p.lpstrElementName = element.c_str();
    lastError_ = mci_.SendCommand(0, MCI_OPEN, MCI_WAIT | MCI_OPEN_ELEMENT, reinterpret_cast<DWORD_PTR>(&p));
    if (lastError_ != 0) throw EMCIDeviceError(ErrorText());
    deviceOpen_ = true;
    deviceId_ = static_cast<std::uint16_t>(p.wDeviceID);
    StepFrames = QueryLength() / 10;
    canPlay_ = Capability(MCI_GETDEVCAPS_CAN_PLAY);
    canRecord_ = Capability(MCI_GETDEVCAPS_CAN_RECORD);
    canEject_ = Capability(MCI_GETDEVCAPS_CAN_EJECT);
    hasVideo_ = Capability(MCI_GETDEVCAPS_HAS_VIDEO);
    canStep_ = Capability(MCI_GETDEVCAPS_DEVICE_TYPE);
    MCI_ANIM_RECT_PARMS source{};
    Send(MCI_WHERE, kWhereSource, &source);
    displayWidth_ = source.rc.right - source.rc.left;
    displayHeight_ = source.rc.bottom - source.rc.top;
    if (hasVideo_) {
        SetDisplay(display_);  // a window chosen for an earlier device goes to this one
        RECT dest{};
        GetDestinationRect(dest);
        displayWidth_ = dest.right - dest.left;
        displayHeight_ = dest.bottom - dest.top;
    }
    RefreshButtons();
}

void TMediaPlayer::CloseDevice() {
    if (deviceId_ == 0) return;
    MCI_GENERIC_PARMS p{};
    p.dwCallback = reinterpret_cast<DWORD_PTR>(NoticeWindow());
    if (Send(MCI_CLOSE, MCI_WAIT, &p) == 0) {
        deviceOpen_ = false;
        deviceId_ = 0;
    }
}

void TMediaPlayer::SetDisplay(HWND window) {
    if (!window || !deviceOpen_ || !hasVideo_) {
        display_ = window;
        return;
    }
    MCI_ANIM_WINDOW_PARMSA p{};
    p.hWnd = window;
    display_ = Send(MCI_WINDOW, MCI_WAIT | kWindowHwnd, &p) == 0 ? window : nullptr;
}

void TMediaPlayer::DisplayDestroyed() {
    if (deviceOpen_ && hasVideo_) {
        MCI_ANIM_WINDOW_PARMSA p{};
        Send(MCI_WINDOW, MCI_WAIT | kWindowHwnd, &p);
    }
    display_ = nullptr;
}

void TMediaPlayer::Play() {
    RequireOpen();
    MCI_PLAY_PARMS p{};
    p.dwCallback = reinterpret_cast<DWORD_PTR>(NoticeWindow());
    Send(MCI_PLAY, MCI_NOTIFY, &p);
}

void TMediaPlayer::Stop() {
    RequireOpen();
    MCI_GENERIC_PARMS p{};
    p.dwCallback = reinterpret_cast<DWORD_PTR>(NoticeWindow());
    Send(MCI_STOP, MCI_WAIT, &p);
}

void TMediaPlayer::StepForward() { Step(static_cast<DWORD>(StepFrames), false); }

void TMediaPlayer::StepBackward() { Step(static_cast<DWORD>(StepFrames), true); }

void TMediaPlayer::StepBy(std::int32_t frames) {
    const auto count = static_cast<DWORD>(frames < 0 ? -static_cast<std::int64_t>(frames) : frames);
    Step(count, frames < 0);
}

void TMediaPlayer::Step(DWORD frames, bool reverse) {
    RequireOpen();
    if (!hasVideo_) return;
    MCI_ANIM_STEP_PARMS p{};
    p.dwCallback = reinterpret_cast<DWORD_PTR>(NoticeWindow());
    p.dwFrames = frames;
    Send(MCI_STEP, MCI_WAIT | kStepFrames | (reverse ? kStepReverse : 0), &p);
}

void TMediaPlayer::SeekToStart() {
    RequireOpen();
    QueryTimeFormat();  // a device counting tracks would seek by tracks; no video device does
    MCI_SEEK_PARMS p{};
    p.dwCallback = reinterpret_cast<DWORD_PTR>(NoticeWindow());
    Send(MCI_SEEK, MCI_WAIT | MCI_SEEK_TO_START, &p);
}

void TMediaPlayer::SeekTo(std::int32_t position) {
    RequireOpen();
    MCI_SEEK_PARMS p{};
    p.dwCallback = reinterpret_cast<DWORD_PTR>(NoticeWindow());
    p.dwTo = static_cast<DWORD>(position);
    Send(MCI_SEEK, MCI_WAIT | MCI_TO, &p);
}

void TMediaPlayer::PaintStoppedFrame(HDC dc) {
    if (display_ && deviceOpen_) mci_.PaintStoppedFrame(deviceId_, dc);
}

namespace {
// One status item: dwReturn as the device fills it (0 when the command fails).
DWORD_PTR StatusItem(MciEntry& mci, std::uint16_t device, DWORD item, DWORD& lastError) {
    MCI_STATUS_PARMS p{};
    p.dwItem = item;
    lastError = mci.SendCommand(device, MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&p));
    return p.dwReturn;
}
}  // namespace

std::int32_t TMediaPlayer::QueryLength() {
    RequireOpen();
    return static_cast<std::int32_t>(StatusItem(mci_, deviceId_, MCI_STATUS_LENGTH, lastError_));
}

std::int32_t TMediaPlayer::QueryPosition() {
    return static_cast<std::int32_t>(StatusItem(mci_, deviceId_, MCI_STATUS_POSITION, lastError_));
}

std::uint8_t TMediaPlayer::QueryTimeFormat() {
    RequireOpen();
    return static_cast<std::uint8_t>(StatusItem(mci_, deviceId_, MCI_STATUS_TIME_FORMAT, lastError_));
}

std::uint8_t TMediaPlayer::QueryMode() {
    return static_cast<std::uint8_t>(StatusItem(mci_, deviceId_, MCI_STATUS_MODE, lastError_) - MCI_MODE_NOT_READY);
}

void TMediaPlayer::GetDestinationRect(RECT& rect) {
    if (!deviceOpen_ || !hasVideo_) return;
    MCI_ANIM_RECT_PARMS p{};
    // A failed query leaves the caller's rectangle as it was rather than 0 x 0.
    if (Send(MCI_WHERE, kWhereDestination, &p) == 0) rect = p.rc;
}

void TMediaPlayer::SetDestinationRect(const RECT& rect) {
    if (!deviceOpen_ || !hasVideo_) return;
    MCI_ANIM_RECT_PARMS p{};
    p.rc = rect;
    if (rect.right == 0 && rect.bottom == 0) {
        p.rc.right = displayWidth_;
        p.rc.bottom = displayHeight_;
    }
    Send(MCI_PUT, kPutDestination, &p);
}

std::wstring TMediaPlayer::ErrorText() {
    char text[4096] = {};
    if (!mci_.GetErrorString(lastError_, text, sizeof text)) return kUnknownError;
    return AnsiToWide(text);
}

}  // namespace mt
