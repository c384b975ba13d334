// The application object: title, main window, hover hints and the message loop.
#pragma once
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace mt {

class TApplication {
public:
    const std::wstring& Title() const noexcept { return title_; }
    void SetTitle(std::wstring title) { title_ = std::move(title); }

    HWND MainWindow() const noexcept { return mainWindow_; }
    void SetMainWindow(HWND wnd) noexcept { mainWindow_ = wnd; }
    // Runs first for each message the loop takes for the main window or one of
    // its controls; true when it handled the message, which then goes no further.
    using PreTranslateHook = bool (*)(MSG& msg);
    void SetPreTranslate(PreTranslateHook hook) noexcept { preTranslate_ = hook; }
    // A modeless dialog of the program's: the loop gives it its keyboard (Tab,
    // Esc, Enter) as a dialog's, after hook, which runs first for each message
    // to it or one of its controls (none: no hook).
    void AddModeless(HWND dialog, PreTranslateHook hook = nullptr);
    void RemoveModeless(HWND dialog) noexcept;

    HINSTANCE Instance() const noexcept;

    // Registers the common controls and reads the locale settings. Safe to call again.
    void Initialize();

    // Hover hints: shown after 500 ms, hidden after 2500 ms, at once on moving
    // straight to another control with a hint.
    void AddHint(HWND control, const std::wstring& text);
    void HideHint() noexcept;
    HWND HintWindow() const noexcept { return hintWindow_; }

    // Runs the message loop until WM_QUIT; returns its exit code.
    int Run();
    // Handles the messages waiting now, then returns.
    void ProcessMessages();

    // Re-reads the locale's decimal separator (at start and on WM_WININICHANGE).
    static void ReadLocaleSettings();

private:
    bool TranslateForDialogs(MSG& msg);
    std::wstring title_;
    HWND mainWindow_ = nullptr;
    PreTranslateHook preTranslate_ = nullptr;
    std::vector<std::pair<HWND, PreTranslateHook>> modeless_;
    HWND hintWindow_ = nullptr;
    bool initialized_ = false;
};

extern TApplication Application;

// While alive, the program's other windows are disabled (a system dialog is
// running task-modal); afterwards they are enabled and the previously active
// window is activated again.
class TaskModalScope {
public:
    TaskModalScope();
    TaskModalScope(const TaskModalScope&) = delete;
    TaskModalScope& operator=(const TaskModalScope&) = delete;
    ~TaskModalScope();
private:
    HWND active_;
    std::vector<HWND> disabled_;
};

// While alive, the windows that own `owner` in turn (the main window of a
// modeless window) are disabled too, not only owner itself, which the modal
// dialog about to run over it disables: a dialog raised from a modeless window
// holds the program as one raised from the main window does. Afterwards those
// it disabled are enabled again. Nothing where owner has no owner.
class OwnersDisabledScope {
public:
    explicit OwnersDisabledScope(HWND owner);
    OwnersDisabledScope(const OwnersDisabledScope&) = delete;
    OwnersDisabledScope& operator=(const OwnersDisabledScope&) = delete;
    ~OwnersDisabledScope();
private:
    std::vector<HWND> disabled_;
};

// Moves (never resizes) a system dialog so it is centred horizontally on the
// main window's monitor, its top at (monitor height - dialog height) div 3.
void PlaceSystemDialog(HWND dialog);

}  // namespace mt
