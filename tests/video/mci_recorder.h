// An MCI entry for tests: passes every command to the system's MCI (so a real
// device does the work) and records the command, its flags and the fields of
// its parameter record that the program fills in. A test may also make chosen
// commands fail without sending them.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "video/mci.h"

namespace mt::test {

struct MciCall {
    MCIDEVICEID device = 0;
    UINT message = 0;
    DWORD_PTR flags = 0;
    DWORD_PTR callback = 0;       // dwCallback, the first field of every record
    // MCI_OPEN
    bool typeIsEmptyName = false; // lpstrDeviceType points to ""
    bool aliasNull = false;
    std::string element;
    // MCI_STATUS, MCI_GETDEVCAPS
    DWORD item = 0;
    // MCI_STEP / MCI_SEEK
    DWORD frames = 0, to = 0;
    // MCI_WINDOW
    HWND window = nullptr;
    // MCI_PUT
    RECT rect{};
    MCIERROR result = 0;
};

class MciRecorder : public MciEntry {
public:
    std::vector<MciCall> calls;
    // When it returns a code for a call, the call is not sent and that code is returned.
    std::function<std::optional<MCIERROR>(const MciCall&)> fake;
    bool errorStringFails = false;

    MCIERROR SendCommand(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR parms) override {
        MciCall c;
        c.device = device;
        c.message = message;
        c.flags = flags;
        if (parms) c.callback = *reinterpret_cast<const DWORD_PTR*>(parms);
        switch (message) {
        case MCI_OPEN: {
            const auto* p = reinterpret_cast<const MCI_OPEN_PARMSA*>(parms);
            c.typeIsEmptyName = p->lpstrDeviceType && !*p->lpstrDeviceType;
            c.aliasNull = p->lpstrAlias == nullptr;
            if (p->lpstrElementName) c.element = p->lpstrElementName;
            break;
        }
        case MCI_STATUS: c.item = reinterpret_cast<const MCI_STATUS_PARMS*>(parms)->dwItem; break;
        case MCI_GETDEVCAPS: c.item = reinterpret_cast<const MCI_GETDEVCAPS_PARMS*>(parms)->dwItem; break;
        case MCI_STEP: c.frames = reinterpret_cast<const MCI_ANIM_STEP_PARMS*>(parms)->dwFrames; break;
        case MCI_SEEK: c.to = reinterpret_cast<const MCI_SEEK_PARMS*>(parms)->dwTo; break;
        case MCI_WINDOW: c.window = reinterpret_cast<const MCI_ANIM_WINDOW_PARMSA*>(parms)->hWnd; break;
        case MCI_PUT: c.rect = reinterpret_cast<const MCI_ANIM_RECT_PARMS*>(parms)->rc; break;
        default: break;
        }
        std::optional<MCIERROR> faked = fake ? fake(c) : std::nullopt;
        c.result = faked ? *faked : SystemMci().SendCommand(device, message, flags, parms);
        calls.push_back(c);
        return c.result;
    }

    BOOL GetErrorString(MCIERROR code, char* text, UINT length) override {
        if (errorStringFails) return FALSE;
        return SystemMci().GetErrorString(code, text, length);
    }

    // The calls with this message, in order.
    std::vector<MciCall> Of(UINT message) const {
        std::vector<MciCall> out;
        for (const MciCall& c : calls)
            if (c.message == message) out.push_back(c);
        return out;
    }
    std::vector<UINT> Messages() const {
        std::vector<UINT> out;
        for (const MciCall& c : calls) out.push_back(c.message);
        return out;
    }
};

}  // namespace mt::test
