// Drives the system's dialogs as a user would. A driver takes the first window
// that matches once it shows, notes what it shows and answers it. A dialog of
// this process is run modally by its thread (usually the test's own): the
// driver hooks that thread and learns of the dialog from its activation, then
// answers it from a thread of its own. The dialogs of another process (the real
// program) are looked for among the desktop's windows, matched and answered the
// same way.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "base/errors.h"
#include "base/handles.h"
#include "common/pump.h"

namespace mt::test {

// A top-level window with this caption (empty: any) and class (empty: any) for
// which pred holds (none: any).
struct DialogMatch {
    DialogMatch(const wchar_t* caption) : DialogMatch(std::wstring(caption)) {}
    DialogMatch(std::wstring caption = L"", std::function<bool(HWND)> pred = nullptr, std::wstring cls = L"#32770")
        : caption(std::move(caption)), cls(std::move(cls)), pred(std::move(pred)) {}
    bool operator()(HWND wnd) const;
    std::wstring caption, cls;
    std::function<bool(HWND)> pred;
};
// The system's file dialog: a dialog with a file-type list and a name box.
DialogMatch FileDialog();
HWND NameBox(HWND fileDialog);
// The visible top-level windows of the process (of the thread, when given) that match.
std::vector<HWND> ShownWindows(const DialogMatch& match, DWORD processId, DWORD threadId = 0);

// What a dialog shows.
struct DialogView {
    static DialogView Of(HWND dialog);
    bool Shows(const std::wstring& text) const;  // whether a child shows the text
    HWND dialog = nullptr;
    RECT rect{};  // screen coordinates
    LONG style = 0;
    std::vector<std::wstring> texts;    // of its children (all levels)
    std::vector<std::wstring> classes;  // in the same order
    std::vector<LONG> styles;           // in the same order
    // A file dialog's:
    std::vector<std::wstring> filters;  // the file-type list
    int filterSelected = -1;            // 0-based
    std::wstring fileName;              // the name box as the dialog opened
    std::wstring folder;                // the folder it shows
    bool readOnlyBoxVisible = false;
};
// "[caption: child texts]", for a failure message.
std::wstring Describe(HWND dialog);

// An answer, run on the driver's thread once the dialog shows; a script may
// work the dialog at length (select, click, wait).
using DialogScript = std::function<void(HWND dialog)>;
DialogScript Pressing(int id);
// Types the name into a file dialog's name box and presses OK.
DialogScript Typing(std::wstring name);

class DialogDriver {
public:
    // Takes the first matching window that the thread shows within timeoutMs,
    // notes it in view and runs the script on it. A window still open 3 s after
    // the script is cancelled, any dialog over it closed first (counted in
    // strays), so that the run showing it always returns.
    DialogDriver(DialogMatch match, DialogScript script = Pressing(IDOK), DWORD timeoutMs = 60000,
                 DWORD threadId = ::GetCurrentThreadId());
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;
    ~DialogDriver();
    // Waits for the answer, handling this thread's messages meanwhile; true when
    // a window was taken and answered.
    bool Wait();
    // Whether a window has been taken by now, without waiting for one; when none
    // has, the driver takes none from now on. For a window that would show
    // inside a call (a modal message): checked once the call has returned.
    bool TakenYet();
    DialogView view;
    int strays = 0;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wp, LPARAM lp);
    static DWORD WINAPI Run(void* self);
    DialogMatch match_;
    DialogScript script_;
    DWORD timeoutMs_, threadId_;
    HWND dialog_ = nullptr;  // taken, under the lock
    bool expired_ = false;   // nothing taken in time, under the lock
    bool answered_ = false;
    OwnedHandle taken_, gone_, thread_;
    OwnedHook hook_;
};

// Runs f and returns the message of the program failure it raised ("" when none).
template <class F>
std::wstring FailureOf(F&& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.Message();
    }
    return L"";
}

}  // namespace mt::test
