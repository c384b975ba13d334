#include "video/program_mci.h"

#include <cstring>
#include <optional>
#include <stdexcept>

#include "base/handles.h"
#include "base/text.h"
#include "video/avi_frames.h"

namespace mt {
namespace {

constexpr DWORD kWhereDestination = MCI_ANIM_WHERE_DESTINATION, kPutDestination = MCI_ANIM_PUT_DESTINATION;
constexpr DWORD kWindowHwnd = MCI_ANIM_WINDOW_HWND;

bool UnderWine() {
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

bool SameName(const std::string& a, const char* b) { return ::lstrcmpiA(a.c_str(), b) == 0; }

// One status item of a device through an entry; nullopt when the device cannot tell.
std::optional<DWORD_PTR> StatusOf(MciEntry& mci, MCIDEVICEID device, DWORD item) {
    MCI_STATUS_PARMS p{};
    p.dwItem = item;
    if (mci.SendCommand(device, MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&p)) != 0)
        return std::nullopt;
    return p.dwReturn;
}

}  // namespace

const SystemDeviceTraits& PlatformDeviceTraits() {
    static const SystemDeviceTraits traits = [] {
        bool wine = UnderWine();
        return SystemDeviceTraits{!wine, !wine};
    }();
    return traits;
}

ServingDevice ChooseDevice(const SystemOpening& system, const SystemDeviceTraits& traits,
                           const std::function<bool()>& ownOpens) {
    if (system.opened) {
        if (!system.hasVideo) return ServingDevice::System;
        bool steps = traits.mpegDeviceSteps || !SameName(system.deviceType, "MPEGVideo");
        if (steps) return ServingDevice::System;
    }
    return ownOpens() ? ServingDevice::Own : ServingDevice::System;
}

bool OursBeforeTheSystem(const std::string& extensionDevice, const std::string& extension,
                         const SystemDeviceTraits& traits) {
    if (traits.mpegDeviceSteps || !SameName(extensionDevice, "MPEGVideo")) return false;
    for (const char* video : {"mp4", "m4v", "mov", "3gp", "mpg", "mpeg", "m1v", "m2v", "mkv", "webm", "wmv"})
        if (SameName(extension, video)) return true;
    return false;
}

namespace {

// The file's extension (without the dot) and the MCI device the registry names for it.
std::pair<std::string, std::string> ExtensionDevice(const std::string& path) {
    const auto dot = path.find_last_of(".\\/:");
    if (dot == std::string::npos || path[dot] != '.') return {};
    const std::string extension = path.substr(dot + 1);
    char device[64] = {};
    DWORD size = sizeof device;
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\MCI Extensions",
                       extension.c_str(), RRF_RT_REG_SZ, nullptr, device, &size) != ERROR_SUCCESS)
        return {extension, ""};
    return {extension, device};
}

}  // namespace

RoutingMci::RoutingMci(MciEntry& system, SystemDeviceTraits traits, FrameOpener openOwn, FrameOpener openStepped)
    : system_(system), traits_(traits), openOwn_(std::move(openOwn)), openStepped_(std::move(openStepped)) {}

RoutingMci::~RoutingMci() = default;

MCIERROR RoutingMci::SendCommand(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR parms) {
    if (message == MCI_OPEN && device == 0) return Open(flags, parms);
    auto own = own_.find(device);
    if (own != own_.end()) {
        MCIERROR result = own->second->Command(message, flags, parms);
        if (message == MCI_CLOSE && result == 0) own_.erase(own);
        return result;
    }
    MCIERROR result = system_.SendCommand(device, message, flags, parms);
    // Wine's AVI device stops and then answers a stop during play with a code (5).
    if (result == 0 || message == MCI_STOP) Follow(device, message, flags, parms);
    return result;
}

BOOL RoutingMci::GetErrorString(MCIERROR code, char* text, UINT length) {
    if (const wchar_t* own = OwnDeviceErrorText(code)) {
        if (!text || length == 0) return FALSE;
        std::string ansi = WideToAnsi(own);
        if (ansi.size() >= length) ansi.resize(length - 1);
        std::memcpy(text, ansi.c_str(), ansi.size() + 1);
        return TRUE;
    }
    return system_.GetErrorString(code, text, length);
}

bool RoutingMci::PaintStoppedFrame(MCIDEVICEID device, HDC dc) {
    if (auto own = own_.find(device); own != own_.end()) return own->second->Paint(dc);
    auto stepped = stepped_.find(device);
    if (stepped == stepped_.end() || !stepped->second.window) return false;
    DrawSystemFrame(stepped->second, device, dc);
    return true;
}

std::shared_ptr<FrameSource> RoutingMci::FramesOf(MCIDEVICEID device) {
    if (auto own = own_.find(device); own != own_.end()) return own->second->Frames();
    if (auto stepped = stepped_.find(device); stepped != stepped_.end()) return stepped->second.frames;
    return nullptr;
}

MCIERROR RoutingMci::Open(DWORD_PTR flags, DWORD_PTR parms) {
    // Only an open by file name, with the device chosen from the file, may come to us.
    constexpr DWORD_PTR kOurs = MCI_WAIT | MCI_NOTIFY | MCI_OPEN_ELEMENT | MCI_OPEN_SHAREABLE;
    auto* record = reinterpret_cast<MCI_OPEN_PARMSA*>(parms);
    bool byName = record && (flags & MCI_OPEN_ELEMENT) && !(flags & ~kOurs) && record->lpstrElementName &&
                  (!record->lpstrDeviceType || !*record->lpstrDeviceType);
    if (byName && openOwn_) {
        const std::string element = record->lpstrElementName;
        const auto [extension, device] = ExtensionDevice(element);
        if (OursBeforeTheSystem(device, extension, traits_))
            if (auto frames = openOwn_(element)) return OpenOwn(flags, *record, std::move(frames));
    }
    MCIERROR result = system_.SendCommand(0, MCI_OPEN, flags, parms);
    if (!byName) return result;
    MCI_OPEN_PARMSA& p = *record;
    std::string element = p.lpstrElementName;
    SystemOpening system;
    if (result == 0) system = Inspect(p.wDeviceID);
    std::unique_ptr<FrameSource> frames;
    ServingDevice serving = ChooseDevice(system, traits_, [&] {
        frames = openOwn_ ? openOwn_(element) : nullptr;
        return frames != nullptr;
    });
    if (serving == ServingDevice::System) {
        if (result == 0 && system.hasVideo && !traits_.drawsSteppedFrames && openStepped_)
            if (auto stepped = openStepped_(element)) stepped_[p.wDeviceID].frames = std::move(stepped);
        return result;
    }
    if (result == 0) {
        MCI_GENERIC_PARMS close{};
        system_.SendCommand(p.wDeviceID, MCI_CLOSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&close));
    }
    return OpenOwn(flags, p, std::move(frames));
}

MCIERROR RoutingMci::OpenOwn(DWORD_PTR flags, MCI_OPEN_PARMSA& p, std::unique_ptr<FrameSource> frames) {
    MCIDEVICEID id = NextOwnId();
    own_[id] = std::make_unique<OwnMediaDevice>(id, std::move(frames));
    p.wDeviceID = id;
    if (flags & MCI_NOTIFY)
        ::PostMessageW(reinterpret_cast<HWND>(p.dwCallback), MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, id);
    return 0;
}

SystemOpening RoutingMci::Inspect(MCIDEVICEID device) {
    SystemOpening s;
    s.opened = true;
    MCI_GETDEVCAPS_PARMS caps{};
    caps.dwItem = MCI_GETDEVCAPS_HAS_VIDEO;
    s.hasVideo = system_.SendCommand(device, MCI_GETDEVCAPS, MCI_WAIT | MCI_GETDEVCAPS_ITEM,
                                     reinterpret_cast<DWORD_PTR>(&caps)) == 0 &&
                 (caps.dwReturn & 0xFF) != 0;
    char name[128] = {};
    MCI_SYSINFO_PARMSA info{};
    info.lpstrReturn = name;
    info.dwRetSize = sizeof name;
    if (system_.SendCommand(device, MCI_SYSINFO, MCI_WAIT | MCI_SYSINFO_INSTALLNAME,
                            reinterpret_cast<DWORD_PTR>(&info)) == 0)
        s.deviceType = name;
    return s;
}

// After a command a system device has carried out: what the program draws for it.
void RoutingMci::Follow(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR parms) {
    auto found = stepped_.find(device);
    if (found == stepped_.end()) return;
    SteppedFrames& s = found->second;
    switch (message) {
    case MCI_CLOSE: stepped_.erase(found); return;
    case MCI_WINDOW:
        if (flags & kWindowHwnd) s.window = reinterpret_cast<const MCI_ANIM_WINDOW_PARMSA*>(parms)->hWnd;
        return;
    case MCI_PUT:
        if (flags & kPutDestination) s.destination = reinterpret_cast<const MCI_ANIM_RECT_PARMS*>(parms)->rc;
        return;
    case MCI_WHERE:
        if (flags & kWhereDestination) s.destination = reinterpret_cast<const MCI_ANIM_RECT_PARMS*>(parms)->rc;
        return;
    case MCI_STEP:
    case MCI_SEEK:
    case MCI_STOP:
        // The frame at the position, once the device stands there.
        if (s.window) {
            WindowDC dc(s.window);
            if (dc) DrawSystemFrame(s, device, dc.get());
        }
        return;
    default: return;
    }
}

void RoutingMci::DrawSystemFrame(SteppedFrames& s, MCIDEVICEID device, HDC dc) {
    if (StatusOf(system_, device, MCI_STATUS_MODE) == std::optional<DWORD_PTR>(MCI_MODE_PLAY))
        return;
    if (auto position = StatusOf(system_, device, MCI_STATUS_POSITION))
        s.frames->Draw(dc, s.destination, static_cast<long>(*position));
}

MCIDEVICEID RoutingMci::NextOwnId() {
    for (MCIDEVICEID n = 0; n <= kLastOwnDeviceId - kFirstOwnDeviceId; ++n) {
        lastOwnId_ = lastOwnId_ >= kLastOwnDeviceId ? kFirstOwnDeviceId : lastOwnId_ + 1;
        if (!own_.count(lastOwnId_)) return lastOwnId_;
    }
    throw std::length_error("media devices");
}

RoutingMci& ProgramMci() {
    static RoutingMci entry(SystemMci(), PlatformDeviceTraits(), &OpenMediaFoundationFrames, &OpenAviFrames);
    return entry;
}

}  // namespace mt
