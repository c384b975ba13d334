#include "still/still_fixture.h"

#include "base/handles.h"
#include "common/pump.h"

namespace mt::test {

std::uint32_t PatternColor(int x, int y, unsigned seed) {
    // Distinct for every pixel of a 320 x 240 area, never white.
    return ((static_cast<unsigned>(x) & 0xFF) << 16) | ((static_cast<unsigned>(y) & 0xFF) << 8) |
           ((((x >> 8) & 3) | (((y >> 8) & 3) << 2) | ((seed & 7) << 4)) & 0x7F);
}

void PaintPattern(HWND wnd, int width, int height, unsigned seed) {
    std::vector<std::uint32_t> px(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) px[static_cast<size_t>(y) * width + x] = PatternColor(x, y, seed);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
    WindowDC dc(wnd);
    ::SetDIBitsToDevice(dc.get(), 0, 0, width, height, 0, 0, 0, height, px.data(), &bi, DIB_RGB_COLORS);
    ::GdiFlush();
}

void MouseMoveTo(HWND wnd, int x, int y) {
    POINT p{x, y};
    ::ClientToScreen(wnd, &p);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = static_cast<LONG>((p.x * 65536LL + 32768) / ::GetSystemMetrics(SM_CXSCREEN));
    in.mi.dy = static_cast<LONG>((p.y * 65536LL + 32768) / ::GetSystemMetrics(SM_CYSCREEN));
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    ::SendInput(1, &in, sizeof in);
}

void MouseButton(DWORD flags) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    ::SendInput(1, &in, sizeof in);
}

void StillTest::SetUp() {
    // The real cursor stays off the window, so it sends no moves of its own.
    ::SetCursorPos(0, 0);
    form = std::make_unique<TForm1>();
    form->Show();
    ::SetForegroundWindow(form->Handle());
    ::UpdateWindow(form->Handle());
    ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(form->Handle()) && form->Pane1Width == 320; }));
    // Let every control paint its own look before anything is read back.
    ::RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump();
}

void StillTest::TearDown() {
    ::ReleaseCapture();
    ::SetCursorPos(0, 0);
    form.reset();
    Pump();
}

void StillTest::Post(HWND wnd, UINT msg, WPARAM keys, int x, int y) {
    ::PostMessageW(wnd, msg, keys, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
    Pump();
}

std::wstring StillTest::Label(TLabel& label) const { return WindowText(label.Handle()); }

bool StillTest::HandleInput() {
    // SendInput has queued its messages when it returns; handle them all.
    bool ok = PumpUntil([&] {
        MSG m;
        return !::PeekMessageW(&m, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_NOREMOVE);
    }, 2000);
    Pump();
    return ok;
}

}  // namespace mt::test
