#include "video/mci.h"

namespace mt {
namespace {

class SystemMciEntry final : public MciEntry {
public:
    MCIERROR SendCommand(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR parms) override {
        return ::mciSendCommandA(device, message, flags, parms);
    }
    BOOL GetErrorString(MCIERROR code, char* text, UINT length) override {
        return ::mciGetErrorStringA(code, text, length);
    }
};

}  // namespace

MciEntry& SystemMci() {
    static SystemMciEntry entry;
    return entry;
}

}  // namespace mt
