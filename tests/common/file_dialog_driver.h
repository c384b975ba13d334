// Drives the system's file dialog from a second thread while the test's thread
// runs it: waits until a file dialog of the given thread is shown, notes what it
// shows, then types a name and presses OK, or presses Cancel.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace mt::test {

struct FileDialogView {
    HWND dialog = nullptr;
    RECT rect{};                       // screen coordinates
    LONG style = 0;
    std::vector<std::wstring> filters; // the file-type list
    int filterSelected = -1;           // 0-based
    std::wstring fileName;             // the name box as the dialog opened
    std::wstring folder;               // the folder it shows
    bool readOnlyBoxVisible = false;
};

class FileDialogDriver {
public:
    // name: typed into the name box before OK; confirm false presses Cancel.
    explicit FileDialogDriver(std::wstring name, bool confirm = true, DWORD timeoutMs = 20000);
    FileDialogDriver(FileDialogDriver&&) = delete;
    ~FileDialogDriver();
    // Waits for the driving thread (pumping this thread's messages); true when a
    // dialog was seen and answered.
    bool Wait();
    FileDialogView view;

private:
    static DWORD WINAPI Run(void* self);
    std::wstring name_;
    bool confirm_;
    DWORD timeoutMs_;
    DWORD thread_id_;
    HANDLE thread_ = nullptr;
    bool seen_ = false;
};

// A top-level file dialog (a dialog with a file-type list) of the thread, or nullptr.
HWND FindFileDialog(DWORD threadId);

}  // namespace mt::test
