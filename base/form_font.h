#pragma once
#include <windows.h>

namespace mt {
// The window's font, inherited by every control: "ＭＳ Ｐゴシック", Shift-JIS
// character set, character height 12 pixels, regular. Created once.
HFONT FormFont();
}  // namespace mt
