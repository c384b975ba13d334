// movetrail.exe started as a process of its own and driven from outside, as a
// user would: messages to its controls, its dialogs found among the desktop's
// windows. Every wait is bounded; the process is terminated when the session
// ends if it is still running.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "common/dialog_driver.h"

namespace mt::test {

// The folder of the running test program's build (the parent of tests\).
std::wstring BuildFolder();

class ProgramSession {
public:
    // Starts the program in its own folder, with the arguments given after its
    // name on the command line, and waits for its main window.
    explicit ProgramSession(const std::wstring& exe, const std::wstring& arguments = L"");
    // Attaches to the main window shown by this very process on another thread
    // (waited for, bounded); the session then never ends the process.
    struct InThisProcess {};
    explicit ProgramSession(InThisProcess, DWORD ms = 60000);
    ProgramSession(const ProgramSession&) = delete;
    ProgramSession& operator=(const ProgramSession&) = delete;
    ~ProgramSession();

    HWND Main() const noexcept { return main_; }
    HANDLE Process() const noexcept;

    // A push button of the main window by its caption.
    HWND Button(const std::wstring& caption) const;
    // A child of parent of the given class whose top-left corner is (left, top)
    // in parent's client coordinates.
    HWND Child(HWND parent, const wchar_t* cls, int left, int top) const;
    HWND Panel1() const { return Child(main_, L"TPanel", 10, 80); }
    HWND Panel2() const { return Child(main_, L"TPanel", 350, 80); }
    HWND Image1() const { return Child(Panel2(), L"TImage", 0, 0); }
    HWND SpeedButton1() const { return Child(main_, L"TSpeedButton", 330, 136); }
    HWND Label(int left, int top) const { return Child(main_, L"TLabel", left, top); }
    HWND Counter() const;  // Label4 in Panel3

    // Clicks a push button (as its notification to the window) or a speed button.
    void Click(HWND button) const;
    void ClickSpeedButton(HWND button) const;
    // Posts a mouse message with client coordinates to a control.
    void Mouse(HWND wnd, UINT msg, WPARAM keys, int x, int y) const;

    // The text of a window of the program; empty when it does not answer.
    static std::wstring Text(HWND wnd) { return WindowText(wnd); }
    // Waits until a window's text satisfies cond (bounded); false on time-out.
    static bool WaitText(HWND wnd, const std::function<bool(const std::wstring&)>& cond, DWORD ms = 10000);
    static bool WaitText(HWND wnd, const std::wstring& expected, DWORD ms = 10000);
    // A window's client size.
    static SIZE ClientSize(HWND wnd);

    // A visible top-level dialog of the program other than its main window for
    // which pred holds, waited for (bounded); nullptr when none came.
    HWND WaitDialog(const std::function<bool(HWND)>& pred, DWORD ms = 20000) const;
    HWND WaitFileDialog(DWORD ms = 20000) const;
    // Presses a dialog's button and waits until the dialog has gone.
    bool Press(HWND dialog, int id, DWORD ms = 20000) const;
    // Types a name into the file dialog's name box and presses OK; waits until
    // the dialog has gone.
    bool AnswerFileDialog(HWND dialog, const std::wstring& name) const;
    // The texts of every visible dialog of the program (for failure messages).
    std::wstring OpenDialogs() const;

    // Posts WM_CLOSE and waits for the process to end; its exit code, or ~0u.
    DWORD Close(DWORD ms = 30000);

    // The program's GDI and USER object counts (where the system answers 0, as
    // Wine does: the used entries of its GDI handle table, and its windows) and
    // its private bytes.
    DWORD GdiObjects() const;
    DWORD UserObjects() const;
    SIZE_T PrivateBytes() const;

private:
    HWND WaitShown(const DialogMatch& match, DWORD ms) const;
    bool Answer(HWND dialog, const DialogScript& script, DWORD ms) const;
    PROCESS_INFORMATION pi_{};
    HWND main_ = nullptr;
    bool inThisProcess_ = false;
};

}  // namespace mt::test
