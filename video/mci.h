// The one way the media device reaches the Media Control Interface. The program
// uses the system's ANSI entries; a test may put a recorder in their place to
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
};

// mciSendCommandA and mciGetErrorStringA.
MciEntry& SystemMci();

}  // namespace mt
