// The printer-setup dialog.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "win/handles.h"

namespace mt {

class TPrinterSetupDialog {
public:
    std::function<void()> OnClose;
    // Shows the dialog task-modal; true when the user confirmed.
    bool Execute(HWND owner);
};

// A DEVNAMES block (movable memory) naming a printer: the offsets count
// characters from the block's start, the names follow the header in the order
// driver, device, port, and the default flag is 0.
OwnedGlobal MakeDevNames(const std::wstring& driver, const std::wstring& device, const std::wstring& port);
// The names in a DEVNAMES block; false when it cannot be read.
bool ReadDevNames(HGLOBAL block, std::wstring& driver, std::wstring& device, std::wstring& port);

}  // namespace mt
