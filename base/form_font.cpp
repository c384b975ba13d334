#include "base/form_font.h"

#include "base/handles.h"

namespace mt {

HFONT FormFont() {
    static OwnedFont font(::CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                        DEFAULT_PITCH | FF_DONTCARE, L"ＭＳ Ｐゴシック"));
    return font.get();
}

}  // namespace mt
