#include "common/pixels.h"

#include "base/handles.h"

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

Pixels ReadWindow(HWND wnd, const RECT& rect) {
    Pixels out;
    out.width = rect.right - rect.left;
    out.height = rect.bottom - rect.top;
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), out.width, -out.height, 1, 32, BI_RGB};
    void* bits = nullptr;
    WindowDC dc(wnd);
    OwnedBitmap dib(::CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    OwnedMemDC mem(::CreateCompatibleDC(dc.get()));
    {
        SelectGuard sel(mem.get(), dib.get());
        ::BitBlt(mem.get(), 0, 0, out.width, out.height, dc.get(), rect.left, rect.top, SRCCOPY);
        ::GdiFlush();
    }
    auto* p = static_cast<const std::uint32_t*>(bits);
    out.px.assign(p, p + static_cast<size_t>(out.width) * out.height);
    for (auto& v : out.px) v &= 0xFFFFFF;
    return out;
}

Pixels ReadWindow(HWND wnd) {
    RECT r;
    ::GetClientRect(wnd, &r);
    return ReadWindow(wnd, r);
}

}  // namespace mt::test
