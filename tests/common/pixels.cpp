#include "common/pixels.h"

#include "win/handles.h"

namespace mt::test {

Pixels ReadBitmap(HBITMAP bitmap) {
    Pixels out;
    BITMAP bm{};
    if (!bitmap || !::GetObjectW(bitmap, sizeof bm, &bm)) return out;
    out.width = bm.bmWidth;
    out.height = bm.bmHeight;
    out.px.resize(static_cast<size_t>(out.width) * out.height);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), out.width, -out.height, 1, 32, BI_RGB};
    WindowDC screen(nullptr);
    ::GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(out.height), out.px.data(), &bi, DIB_RGB_COLORS);
    for (auto& v : out.px) v &= 0xFFFFFF;
    return out;
}

}  // namespace mt::test
