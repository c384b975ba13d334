// The MCI entry the program uses: each command goes to the system's MCI or to
// the program's own media device, by device id. Which device serves a file is
// decided once, when it opens (ChooseDevice). Where the system's device moves to
// a frame without drawing it, this entry draws that frame itself.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "video/frame_source.h"
#include "video/mci.h"
#include "video/own_device.h"

namespace mt {

// What the platform's own video devices do, told once per process from whether
// it runs under Wine (ntdll's wine_get_version). Windows' devices draw the frame
// they step, seek or stop at; Wine's AVI device moves there without drawing it,
// and Wine's MPEG device neither seeks nor steps.
struct SystemDeviceTraits {
    bool drawsSteppedFrames = true;
    bool mpegDeviceSteps = true;
};
const SystemDeviceTraits& PlatformDeviceTraits();

// How the system's device did on a file.
struct SystemOpening {
    bool opened = false;
    bool hasVideo = false;
    std::string deviceType;  // the installed device name, e.g. "AVIVideo", "MPEGVideo"
};

enum class ServingDevice { System, Own };

// The one choice of device for a file: the system's device first; the program's
// own when the system cannot open the file, or opened it with a video device
// that cannot seek or step, and only when ownOpens (asked only then) succeeds.
// A file the system opens without video stays with it.
ServingDevice ChooseDevice(const SystemOpening& system, const SystemDeviceTraits& traits,
                           const std::function<bool()>& ownOpens);

// Whether a file goes to our device before the system is asked, by what the
// system would open it with (the MCI device the registry names for its
// extension) and its extension: a video file for a device that cannot step
// would come to us anyway, and that device's open alone takes seconds. Sound
// files keep the system's device first.
bool OursBeforeTheSystem(const std::string& extensionDevice, const std::string& extension,
                         const SystemDeviceTraits& traits);

// Our device ids: a range winmm never hands out (it counts up from 1), and within
// the 16 bits the media player keeps.
constexpr MCIDEVICEID kFirstOwnDeviceId = 0xF001, kLastOwnDeviceId = 0xFFFE;

class RoutingMci final : public MciEntry {
public:
    // openOwn: the frames of a file for our own device (nullptr: it cannot serve it).
    using FrameOpener = std::function<std::unique_ptr<FrameSource>(const std::string&)>;
    RoutingMci(MciEntry& system, SystemDeviceTraits traits, FrameOpener openOwn, FrameOpener openStepped);
    ~RoutingMci() override;

    MCIERROR SendCommand(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR parms) override;
    BOOL GetErrorString(MCIERROR code, char* text, UINT length) override;
    bool PaintStoppedFrame(MCIDEVICEID device, HDC dc) override;

    bool IsOwnDevice(MCIDEVICEID device) const { return own_.count(device) != 0; }
    // The frames this entry draws for a device: ours, or those of a system device
    // that does not draw the frame it moves to; nullptr for any other.
    std::shared_ptr<FrameSource> FramesOf(MCIDEVICEID device);
    // Devices of ours open, and system devices whose frames are drawn here.
    size_t OwnDevicesOpen() const noexcept { return own_.size(); }
    size_t SteppedFramesOpen() const noexcept { return stepped_.size(); }

private:
    // The frames of a system device that does not draw the frame it moves to.
    struct SteppedFrames {
        std::shared_ptr<FrameSource> frames;
        HWND window = nullptr;
        RECT destination{};
    };
    MCIERROR Open(DWORD_PTR flags, DWORD_PTR parms);
    // Our device on the frames, answering the open as the system would.
    MCIERROR OpenOwn(DWORD_PTR flags, MCI_OPEN_PARMSA& p, std::unique_ptr<FrameSource> frames);
    SystemOpening Inspect(MCIDEVICEID device);
    void Follow(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR parms);
    // Draws the frame at the device's position, unless it plays.
    void DrawSystemFrame(SteppedFrames& s, MCIDEVICEID device, HDC dc);
    MCIDEVICEID NextOwnId();

    MciEntry& system_;
    SystemDeviceTraits traits_;
    FrameOpener openOwn_, openStepped_;
    std::map<MCIDEVICEID, std::unique_ptr<OwnMediaDevice>> own_;
    std::map<MCIDEVICEID, SteppedFrames> stepped_;
    MCIDEVICEID lastOwnId_ = kFirstOwnDeviceId - 1;
};

// The program's entry: the system's MCI, the program's own device on Media
// Foundation's frames, and the AVI frames drawn where the platform does not.
RoutingMci& ProgramMci();

}  // namespace mt
