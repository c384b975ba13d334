#include "base/application.h"

#include <commctrl.h>

#include "base/controls.h"
#include "base/format.h"

namespace mt {

TApplication Application;

HINSTANCE TApplication::Instance() const noexcept { return ::GetModuleHandleW(nullptr); }

void TApplication::ReadLocaleSettings() {
    wchar_t buf[8] = {};
    if (::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buf, 8) > 1) SetDecimalSeparator(buf[0]);
    else SetDecimalSeparator(L'.');
}

void TApplication::Initialize() {
    if (initialized_) return;
    initialized_ = true;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    ReadLocaleSettings();
}

void TApplication::AddHint(HWND control, const std::wstring& text) {
    if (!hintWindow_ || !::IsWindow(hintWindow_)) {
        hintWindow_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, mainWindow_,
                                        nullptr, Instance(), nullptr);
        ::SendMessageW(hintWindow_, TTM_SETDELAYTIME, TTDT_INITIAL, 500);
        ::SendMessageW(hintWindow_, TTM_SETDELAYTIME, TTDT_AUTOPOP, 2500);
        ::SendMessageW(hintWindow_, TTM_SETDELAYTIME, TTDT_RESHOW, 0);
        ::SendMessageW(hintWindow_, TTM_SETMAXTIPWIDTH, 0, 400);
    }
    TTTOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V1_SIZE;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = ::GetParent(control) ? ::GetParent(control) : control;
    ti.uId = reinterpret_cast<UINT_PTR>(control);
    ti.hinst = Instance();
    ti.lpszText = const_cast<wchar_t*>(text.c_str());
    ::SendMessageW(hintWindow_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void TApplication::HideHint() noexcept {
    if (hintWindow_) ::SendMessageW(hintWindow_, TTM_POP, 0, 0);
}

void TApplication::AddModeless(HWND dialog, PreTranslateHook hook) {
    RemoveModeless(dialog);
    modeless_.emplace_back(dialog, hook);
}

void TApplication::RemoveModeless(HWND dialog) noexcept {
    std::erase_if(modeless_, [&](const auto& m) { return m.first == dialog; });
}

bool TApplication::TranslateForDialogs(MSG& msg) {
    for (const auto& [dialog, hook] : modeless_)
        if (msg.hwnd == dialog || ::IsChild(dialog, msg.hwnd)) {
            if (hook && hook(msg)) return true;
            return ::IsDialogMessageW(dialog, &msg) != FALSE;
        }
    if (mainWindow_ && (msg.hwnd == mainWindow_ || ::IsChild(mainWindow_, msg.hwnd))) {
        if (preTranslate_ && preTranslate_(msg)) return true;
        // Tab moves the focus between the main window's buttons.
        return ::IsDialogMessageW(mainWindow_, &msg) != FALSE;
    }
    return false;
}

int TApplication::Run() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (TranslateForDialogs(msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (TranslateForDialogs(msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

namespace {
BOOL CALLBACK DisableThreadWindow(HWND wnd, LPARAM param) {
    auto* list = reinterpret_cast<std::vector<HWND>*>(param);
    if (::IsWindowVisible(wnd) && ::IsWindowEnabled(wnd)) {
        list->push_back(wnd);
        ::EnableWindow(wnd, FALSE);
    }
    return TRUE;
}
}  // namespace

TaskModalScope::TaskModalScope() : active_(::GetActiveWindow()) {
    Application.HideHint();
    ::EnumThreadWindows(::GetCurrentThreadId(), &DisableThreadWindow, reinterpret_cast<LPARAM>(&disabled_));
}

TaskModalScope::~TaskModalScope() {
    for (HWND wnd : disabled_)
        if (::IsWindow(wnd)) ::EnableWindow(wnd, TRUE);
    if (active_ && ::IsWindow(active_)) ::SetActiveWindow(active_);
}

OwnersDisabledScope::OwnersDisabledScope(HWND owner) {
    if (!owner) return;
    for (HWND above = ::GetWindow(::GetAncestor(owner, GA_ROOT), GW_OWNER); above; above = ::GetWindow(above, GW_OWNER))
        if (::IsWindowEnabled(above)) {
            disabled_.push_back(above);
            ::EnableWindow(above, FALSE);
        }
}

OwnersDisabledScope::~OwnersDisabledScope() {
    for (auto wnd = disabled_.rbegin(); wnd != disabled_.rend(); ++wnd)
        if (::IsWindow(*wnd)) ::EnableWindow(*wnd, TRUE);
}

void PlaceSystemDialog(HWND dialog) {
    HWND main = Application.MainWindow();
    HMONITOR monitor = ::MonitorFromWindow(main ? main : dialog, MONITOR_DEFAULTTONEAREST);
    MONITORINFO mi{sizeof mi};
    if (!::GetMonitorInfoW(monitor, &mi)) return;
    RECT rc;
    ::GetWindowRect(dialog, &rc);
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    int mw = mi.rcMonitor.right - mi.rcMonitor.left, mh = mi.rcMonitor.bottom - mi.rcMonitor.top;
    int x = mi.rcMonitor.left + (mw - w) / 2;
    int top = mh - h;
    int y = mi.rcMonitor.top + top / 3;  // div truncates toward zero
    ::SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace mt
