// Window classes of the program's own, registered once per process.
#pragma once
#include <windows.h>

namespace mt {

// Registers the class unless the instance has it already. False when the
// system refuses (GetLastError tells why).
bool RegisterWindowClass(const WNDCLASSEXW& wc);

}  // namespace mt
