#include "video/own_device.h"

#include <algorithm>
#include <cmath>

#include "base/application.h"
#include "base/failure.h"
#include "base/hidden_window.h"

namespace mt {
namespace {

constexpr wchar_t kTimerClass[] = L"MovetrailMediaDevice";
constexpr UINT_PTR kPlayTimer = 1, kReadAheadTimer = 2;
// How long one turn of reading ahead may keep the window's messages waiting.
constexpr std::chrono::milliseconds kReadAheadTurn{15};

// The flags of the animation-device names; the digital-video ones have the same values.
constexpr DWORD kStepFrames = MCI_ANIM_STEP_FRAMES, kStepReverse = MCI_ANIM_STEP_REVERSE;
constexpr DWORD kWhereSource = MCI_ANIM_WHERE_SOURCE, kWhereDestination = MCI_ANIM_WHERE_DESTINATION;
constexpr DWORD kPutDestination = MCI_ANIM_PUT_DESTINATION, kPutSource = MCI_ANIM_PUT_SOURCE;
constexpr DWORD kRect = MCI_ANIM_RECT, kWindowHwnd = MCI_ANIM_WINDOW_HWND;

template <class T>
T& Record(DWORD_PTR parms) {
    return *reinterpret_cast<T*>(parms);
}

}  // namespace

const wchar_t* OwnDeviceErrorText(MCIERROR code) noexcept {
    if (code == kOwnDeviceFrameNotDecoded) return L"このフレームは表示できません";
    return nullptr;
}

OwnMediaDevice::OwnMediaDevice(MCIDEVICEID id, std::unique_ptr<FrameSource> frames)
    : id_(id), frames_(std::move(frames)), length_(std::max(0L, frames_->Length())) {
    SIZE size = frames_->DisplaySize();
    destination_ = RECT{0, 0, size.cx, size.cy};
}

OwnMediaDevice::~OwnMediaDevice() = default;

MCIERROR OwnMediaDevice::Command(UINT message, DWORD_PTR flags, DWORD_PTR parms) {
    // Every record starts with the callback window.
    HWND callback = parms ? reinterpret_cast<HWND>(Record<MCI_GENERIC_PARMS>(parms).dwCallback) : nullptr;
    MCIERROR result = 0;
    if (!parms && message != MCI_CLOSE && message != MCI_STOP) return MCIERR_NULL_PARAMETER_BLOCK;
    switch (message) {
    case MCI_CLOSE: EndPlay(MCI_NOTIFY_ABORTED); break;
    case MCI_PLAY: return Play(flags, Record<MCI_PLAY_PARMS>(parms));  // notifies at its end
    case MCI_STOP: EndPlay(MCI_NOTIFY_ABORTED); break;
    case MCI_STEP: result = Step(flags, Record<MCI_ANIM_STEP_PARMS>(parms)); break;
    case MCI_SEEK: result = Seek(flags, Record<MCI_SEEK_PARMS>(parms)); break;
    case MCI_STATUS: result = Status(flags, Record<MCI_STATUS_PARMS>(parms)); break;
    case MCI_GETDEVCAPS: result = Capability(flags, Record<MCI_GETDEVCAPS_PARMS>(parms)); break;
    case MCI_WHERE: result = Where(flags, Record<MCI_ANIM_RECT_PARMS>(parms)); break;
    case MCI_PUT: result = Put(flags, Record<MCI_ANIM_RECT_PARMS>(parms)); break;
    case MCI_WINDOW: result = Window(flags, Record<MCI_ANIM_WINDOW_PARMSA>(parms)); break;
    default: return MCIERR_UNRECOGNIZED_COMMAND;
    }
    if (result == 0 && (flags & MCI_NOTIFY)) Notify(callback, MCI_NOTIFY_SUCCESSFUL);
    return result;
}

bool OwnMediaDevice::Paint(HDC dc) {
    RECT r{destination_.left, destination_.top, destination_.left + destination_.right,
           destination_.top + destination_.bottom};
    return length_ > 0 && frames_->Draw(dc, r, position_);
}

MCIERROR OwnMediaDevice::Play(DWORD_PTR flags, const MCI_PLAY_PARMS& p) {
    if (length_ <= 0) return MCIERR_OUTOFRANGE;
    long from = (flags & MCI_FROM) ? static_cast<long>(p.dwFrom) : position_;
    long to = (flags & MCI_TO) ? static_cast<long>(p.dwTo) : length_ - 1;
    if (from < 0 || from >= length_ || to < 0 || to >= length_) return MCIERR_OUTOFRANGE;
    // A play running with a notice is superseded by this one.
    EndPlay(MCI_NOTIFY_SUPERSEDED);
    HWND callback = reinterpret_cast<HWND>(p.dwCallback);
    if (from != position_ && !Show(from)) return kOwnDeviceFrameNotDecoded;
    if (from >= to) {
        if (flags & MCI_NOTIFY) Notify(callback, MCI_NOTIFY_SUCCESSFUL);
        return 0;
    }
    playing_ = true;
    playFrom_ = from;
    playTo_ = to;
    playStart_ = std::chrono::steady_clock::now();
    playNotice_ = (flags & MCI_NOTIFY) ? callback : nullptr;
    Tick();
    return 0;
}

MCIERROR OwnMediaDevice::Step(DWORD_PTR flags, const MCI_ANIM_STEP_PARMS& p) {
    EndPlay(MCI_NOTIFY_ABORTED);
    long frames = (flags & kStepFrames) ? static_cast<long>(p.dwFrames) : 1;
    if (flags & kStepReverse) frames = -frames;
    long target = std::clamp(position_ + frames, 0L, std::max(0L, length_ - 1));
    return Show(target) ? 0 : kOwnDeviceFrameNotDecoded;
}

MCIERROR OwnMediaDevice::Seek(DWORD_PTR flags, const MCI_SEEK_PARMS& p) {
    long target;
    switch (flags & (MCI_SEEK_TO_START | MCI_SEEK_TO_END | MCI_TO)) {
    case MCI_SEEK_TO_START: target = 0; break;
    case MCI_SEEK_TO_END: target = std::max(0L, length_ - 1); break;
    case MCI_TO:
        if (static_cast<long>(p.dwTo) < 0 || static_cast<long>(p.dwTo) >= std::max(1L, length_))
            return MCIERR_OUTOFRANGE;
        target = static_cast<long>(p.dwTo);
        break;
    case 0: return MCIERR_MISSING_PARAMETER;
    default: return MCIERR_FLAGS_NOT_COMPATIBLE;
    }
    EndPlay(MCI_NOTIFY_ABORTED);
    return Show(target) ? 0 : kOwnDeviceFrameNotDecoded;
}

MCIERROR OwnMediaDevice::Status(DWORD_PTR flags, MCI_STATUS_PARMS& p) const {
    if (!(flags & MCI_STATUS_ITEM)) return MCIERR_MISSING_PARAMETER;
    switch (p.dwItem) {
    case MCI_STATUS_LENGTH: p.dwReturn = static_cast<DWORD_PTR>(length_); break;
    case MCI_STATUS_POSITION: p.dwReturn = static_cast<DWORD_PTR>(position_); break;
    case MCI_STATUS_MODE: p.dwReturn = playing_ ? MCI_MODE_PLAY : MCI_MODE_STOP; break;
    case MCI_STATUS_TIME_FORMAT: p.dwReturn = MCI_FORMAT_FRAMES; break;
    case MCI_STATUS_READY:
    case MCI_STATUS_MEDIA_PRESENT: p.dwReturn = TRUE; break;
    case MCI_STATUS_NUMBER_OF_TRACKS:
    case MCI_STATUS_CURRENT_TRACK: p.dwReturn = 1; break;
    default: return MCIERR_UNSUPPORTED_FUNCTION;
    }
    return 0;
}

MCIERROR OwnMediaDevice::Capability(DWORD_PTR flags, MCI_GETDEVCAPS_PARMS& p) const {
    if (!(flags & MCI_GETDEVCAPS_ITEM)) return MCIERR_MISSING_PARAMETER;
    switch (p.dwItem) {
    case MCI_GETDEVCAPS_CAN_PLAY:
    case MCI_GETDEVCAPS_HAS_VIDEO:
    case MCI_GETDEVCAPS_USES_FILES:
    case MCI_GETDEVCAPS_COMPOUND_DEVICE: p.dwReturn = TRUE; break;
    case MCI_GETDEVCAPS_CAN_RECORD:
    case MCI_GETDEVCAPS_CAN_EJECT:
    case MCI_GETDEVCAPS_CAN_SAVE:
    case MCI_GETDEVCAPS_HAS_AUDIO: p.dwReturn = FALSE; break;
    case MCI_GETDEVCAPS_DEVICE_TYPE: p.dwReturn = MCI_DEVTYPE_DIGITAL_VIDEO; break;
    default: return MCIERR_UNSUPPORTED_FUNCTION;
    }
    return 0;
}

MCIERROR OwnMediaDevice::Where(DWORD_PTR flags, MCI_ANIM_RECT_PARMS& p) const {
    if (flags & kWhereDestination) {
        p.rc = destination_;
    } else if (flags & kWhereSource) {
        SIZE size = frames_->DisplaySize();
        p.rc = RECT{0, 0, size.cx, size.cy};
    } else {
        return MCIERR_MISSING_PARAMETER;
    }
    return 0;
}

MCIERROR OwnMediaDevice::Put(DWORD_PTR flags, const MCI_ANIM_RECT_PARMS& p) {
    if (flags & kPutSource) return MCIERR_UNSUPPORTED_FUNCTION;
    if (!(flags & kPutDestination)) return MCIERR_MISSING_PARAMETER;
    if (flags & kRect) {
        if (p.rc.right <= 0 || p.rc.bottom <= 0) return MCIERR_OUTOFRANGE;
        destination_ = p.rc;
    } else {
        SIZE size = frames_->DisplaySize();
        destination_ = RECT{0, 0, size.cx, size.cy};
    }
    return 0;
}

MCIERROR OwnMediaDevice::Window(DWORD_PTR flags, const MCI_ANIM_WINDOW_PARMSA& p) {
    if (!(flags & kWindowHwnd)) return MCIERR_UNSUPPORTED_FUNCTION;
    // A null window gives the device back its own window, which it never shows.
    display_ = p.hWnd;
    return 0;
}

void OwnMediaDevice::EndPlay(WPARAM notice) {
    if (!playing_) return;
    playing_ = false;
    if (timer_) ::KillTimer(timer_.get(), kPlayTimer);
    Notify(std::exchange(playNotice_, nullptr), notice);
    StartReadAhead();
}

bool OwnMediaDevice::Show(long frame) {
    position_ = frame;
    StartReadAhead();
    if (!display_) return true;
    WindowDC dc(display_);
    return dc && Paint(dc.get());
}

// Runs on each tick of a play, and once at its start: shows the next frame once
// its time has come, and stops on the last one. A late frame is shown at once and
// none is skipped: every frame has to be decoded in turn anyway, so skipping would
// save only the drawing, and a decoder slower than the clip would show a few
// frames far apart instead of every frame, slower.
void OwnMediaDevice::Tick() {
    if (!playing_) return;
    double elapsed =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - playStart_).count();
    double base = frames_->FrameTimeMs(playFrom_);
    long target = position_;
    if (target < playTo_ && frames_->FrameTimeMs(target + 1) - base <= elapsed) ++target;
    if (target != position_) Show(target);
    if (target >= playTo_) {
        EndPlay(MCI_NOTIFY_SUCCESSFUL);
        return;
    }
    double wait = frames_->FrameTimeMs(target + 1) - base - elapsed;
    UINT ms = static_cast<UINT>(std::clamp(std::ceil(wait), 1.0, 1000.0));
    if (!::SetTimer(TimerWindow(), kPlayTimer, ms, nullptr)) RaiseLastOSError();
}

void OwnMediaDevice::StartReadAhead() {
    if (!playing_ && !::SetTimer(TimerWindow(), kReadAheadTimer, 1, nullptr)) RaiseLastOSError();
}

// Timer messages come only when no other message waits, so reading ahead never
// holds up a click for longer than one frame's decoding; a turn reads on while
// nothing else is waiting, for a few milliseconds. While a mouse button is held
// (a trace copying the pane as the mouse moves) it waits, as it does while the
// frames are lent.
void OwnMediaDevice::ReadAhead() {
    if ((::GetKeyState(VK_LBUTTON) | ::GetKeyState(VK_RBUTTON)) & 0x8000) return;
    // Another reader takes the clip's frames (a trail over a range): the decoder
    // is left where that reader has it.
    if (frames_->Lent()) return;
    const auto start = std::chrono::steady_clock::now();
    bool more = !playing_;
    while (more && (more = frames_->ReadAhead(position_))) {
        const bool waiting = HIWORD(::GetQueueStatus(QS_ALLINPUT & ~QS_TIMER)) != 0;
        if (waiting || std::chrono::steady_clock::now() - start > kReadAheadTurn) break;
    }
    if (!more && timer_) ::KillTimer(timer_.get(), kReadAheadTimer);
}

void OwnMediaDevice::Notify(HWND callback, WPARAM code) const {
    if (callback) ::PostMessageW(callback, MM_MCINOTIFY, code, static_cast<LPARAM>(id_));
}

HWND OwnMediaDevice::TimerWindow() {
    if (!timer_) {
        timer_ = CreateHiddenWindow(Application.Instance(), kTimerClass, nullptr, this);
        if (!timer_) RaiseLastOSError();
    }
    return timer_.get();
}

LRESULT OwnMediaDevice::WindowMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER && wp == kPlayTimer) {
        Tick();
        return 0;
    }
    if (msg == WM_TIMER && wp == kReadAheadTimer) {
        ReadAhead();
        return 0;
    }
    return ::DefWindowProcW(wnd, msg, wp, lp);
}

}  // namespace mt
