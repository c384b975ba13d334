#include "common/pump.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/application.h"

namespace mt::test {

namespace {
constexpr DWORD kLongestBusy = 30000;

bool HandleWaiting(DWORD timeoutMs, bool dropQuit) {
    const DWORD start = ::GetTickCount();
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!dropQuit || msg.message != WM_QUIT) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (::GetTickCount() - start > timeoutMs) return false;
    }
    return true;
}

void FailIfBusy(bool idle) {
    if (!idle) ADD_FAILURE() << "messages kept coming for half a minute: the program never goes idle";
}
}  // namespace

bool PumpUntilIdle(DWORD timeoutMs) { return HandleWaiting(timeoutMs, false); }

bool PumpUntilQuiet(DWORD quietMs, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        const DWORD spent = ::GetTickCount() - start;
        if (spent > timeoutMs || !PumpUntilIdle(timeoutMs - spent)) return false;
        if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, quietMs, QS_ALLINPUT) == WAIT_TIMEOUT) return true;
    }
}

void Pump() { FailIfBusy(HandleWaiting(kLongestBusy, false)); }

void PumpAfterClose() { FailIfBusy(HandleWaiting(kLongestBusy, true)); }

bool PumpUntil(const std::function<bool()>& cond, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        const DWORD spent = ::GetTickCount() - start;
        PumpUntilIdle(std::max<DWORD>(spent < timeoutMs ? timeoutMs - spent : 0, 1000));
        if (cond()) return true;
        if (::GetTickCount() - start > timeoutMs) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

bool PumpEachUntil(const std::function<bool()>& cond, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (!cond()) {
        if (::GetTickCount() - start > timeoutMs) return false;
        MSG msg;
        if (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        } else {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
    return true;
}

namespace {
// Handles input SendInput has queued, until no message of the range waits (at most 5 s).
void HandleInput(UINT first, UINT last) {
    DWORD start = ::GetTickCount();
    MSG m;
    do Application.ProcessMessages();
    while (::PeekMessageW(&m, nullptr, first, last, PM_NOREMOVE) && ::GetTickCount() - start < 5000);
}
}  // namespace

void TurnWheel(HWND over, int delta) {
    RECT r;
    ::GetWindowRect(over, &r);
    ::SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    HandleInput(WM_MOUSEFIRST, WM_MOUSELAST);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = MOUSEEVENTF_WHEEL;
    in.mi.mouseData = static_cast<DWORD>(delta);
    ::SendInput(1, &in, sizeof in);
    HandleInput(WM_MOUSEFIRST, WM_MOUSELAST);
}

void PressKeys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> in;
    auto add = [&](WORD key, DWORD flags) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = key;
        i.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
        i.ki.dwFlags = flags;
        in.push_back(i);
    };
    for (WORD key : keys) add(key, 0);
    for (auto k = std::rbegin(keys); k != std::rend(keys); ++k) add(*k, KEYEVENTF_KEYUP);
    ::SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
    // SendInput has queued its messages when it returns; handle them all.
    HandleInput(WM_KEYFIRST, WM_KEYLAST);
}

std::wstring WindowText(HWND wnd) {
    wchar_t buf[1024] = {};
    DWORD_PTR got = 0;
    if (!wnd || !::SendMessageTimeoutW(wnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf), SMTO_NORMAL, 5000, &got))
        return L"";
    return buf;
}

std::wstring ClassName(HWND wnd) {
    wchar_t buf[256] = {};
    ::GetClassNameW(wnd, buf, 256);
    return buf;
}

namespace {
BOOL CALLBACK Collect(HWND wnd, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(wnd);
    return TRUE;
}
}  // namespace

std::vector<HWND> Descendants(HWND parent) {
    std::vector<HWND> out;
    ::EnumChildWindows(parent, &Collect, reinterpret_cast<LPARAM>(&out));
    return out;
}

}  // namespace mt::test
