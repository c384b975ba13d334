// The one way the media device reaches the Media Control Interface. The program
// uses the system's ANSI entries behind a router that also serves the program's
// own device (video/program_mci.h); a test may put a recorder in their place to
// see every command, its flags and its parameter record.
#pragma once
#include <windows.h>
#include <mmsystem.h>

namespace mt {

class MciEntry {
public:
    virtual ~MciEntry() = default;
    virtual MCIERROR SendCommand(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR parms) = 0;
    virtual BOOL GetErrorString(MCIERROR code, char* text, UINT length) = 0;
    // A repaint of a stopped device's display window: draws the frame at its position
    // into dc where the device leaves that to the program. False when nothing was drawn.
    virtual bool PaintStoppedFrame(MCIDEVICEID, HDC) { return false; }
};

// mciSendCommandA and mciGetErrorStringA.
MciEntry& SystemMci();

}  // namespace mt
