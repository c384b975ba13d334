// Draws a bitmap onto a device through one 24-bit device-independent copy, so
// the device (a printer) does the scaling.
#pragma once
#include <windows.h>

#include "base/bitmap.h"
#include "print/print_geometry.h"

namespace mt {

// Stretches the whole bitmap into dest on target with the raster operation
// rop. An empty bitmap fails with "ビットマップイメージが不正です".
void StretchDrawDIB(HDC target, const PrintRect& dest, TBitmap& bitmap, DWORD rop);

}  // namespace mt
