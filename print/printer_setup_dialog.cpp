#include "print/printer_setup_dialog.h"

namespace mt {

bool TPrinterSetupDialog::Execute(HWND) {
    if (OnClose) OnClose();
    return false;
}

}  // namespace mt
