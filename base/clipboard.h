// What the program puts on the clipboard: one format's bytes, copied into
// movable memory the clipboard then owns, in place of what it held.
#pragma once
#include <windows.h>

#include <cstddef>

namespace mt {

// Empties the clipboard (opened for owner) and sets `format` to a copy of the
// bytes; raises the system's error when the clipboard cannot be had.
void SetClipboardBytes(HWND owner, UINT format, const void* bytes, std::size_t size);

}  // namespace mt
