// The printer-setup dialog.
#pragma once
#include <windows.h>

#include <functional>

namespace mt {

class TPrinterSetupDialog {
public:
    std::function<void()> OnClose;
    // Shows the dialog task-modal; true when the user confirmed.
    bool Execute(HWND owner);
};

}  // namespace mt
