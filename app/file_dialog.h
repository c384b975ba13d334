// The file dialog component shared by the video dialog and the picture dialogs.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace mt {

class TOpenDialog {
public:
    TOpenDialog() = default;
    TOpenDialog(const TOpenDialog&) = delete;
    TOpenDialog& operator=(const TOpenDialog&) = delete;
    virtual ~TOpenDialog() = default;

    std::wstring Filter;       // "description|pattern|..." pairs
    int FilterIndex = 1;
    std::string InitialDir;    // ANSI code page
    std::string FileName;      // ANSI code page; kept between runs
    std::string DefaultExt;
    std::function<void()> OnClose;
    // Runs when the user confirms a name; returning false keeps the dialog open.
    std::function<bool()> OnCanClose;

    // Shows the dialog task-modal; true when the user confirmed a file.
    virtual bool Execute(HWND owner);
};

}  // namespace mt
