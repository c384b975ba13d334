// The file dialog component shared by the video dialog and the picture dialogs:
// the system's Explorer-style open dialog with a hook, run task-modal, placed on
// the main window's monitor when it initialises, and remembering the chosen name.
// A derived dialog can add a template and react to the dialog's notices.
#pragma once
#include <windows.h>
#include <commdlg.h>

#include <functional>
#include <string>
#include <vector>

namespace mt {

// Options, as the OFN_ flags they give.
enum TOpenOption : DWORD {
    ofReadOnly = OFN_READONLY,
    ofHideReadOnly = OFN_HIDEREADONLY,
    ofExtensionDifferent = OFN_EXTENSIONDIFFERENT,
    ofEnableSizing = OFN_ENABLESIZING,
};

class TOpenDialog {
public:
    TOpenDialog() = default;
    TOpenDialog(const TOpenDialog&) = delete;
    TOpenDialog& operator=(const TOpenDialog&) = delete;
    virtual ~TOpenDialog() = default;

    std::wstring Filter;       // "description|pattern|..." pairs
    int FilterIndex = 1;       // 1-based; updated after OK
    std::string InitialDir;    // ANSI code page; one trailing "\" is dropped unless it follows ":"
    std::string FileName;      // ANSI code page; pre-filled, and the chosen path after OK
    std::string DefaultExt;
    std::wstring Title;        // empty: the system's title
    DWORD Options = ofHideReadOnly | ofEnableSizing;
    std::string Template;      // dialog-template resource name; empty: none
    std::vector<std::string> Files;  // the chosen files of the last OK

    std::function<void()> OnShow;
    std::function<void()> OnClose;
    // Runs when the user confirms a name; returning false keeps the dialog open.
    std::function<bool()> OnCanClose;
    std::function<void()> OnSelectionChange;
    std::function<void()> OnFolderChange;
    std::function<void()> OnTypeChange;

    // Shows the dialog task-modal; true when the user confirmed a file.
    virtual bool Execute(HWND owner);

    // While the dialog runs: the dialog window and the path it currently shows.
    HWND Handle() const noexcept { return dialog_; }
    std::string CurrentFileName() const;

    // The flags passed to the system for the current settings.
    DWORD SystemFlags() const;
    // The filter as the system takes it: descriptions and patterns separated and
    // ended by zero bytes, the list ended by two.
    static std::string SystemFilter(const std::wstring& filter);
    // InitialDir without its trailing separator (a drive root keeps it).
    static std::string TrimmedFolder(const std::string& folder);

protected:
    // The system call: GetOpenFileNameA here; the save dialog runs GetSaveFileNameA.
    virtual BOOL RunSystemDialog(OPENFILENAMEA& ofn);
    // Notices from the dialog; the defaults raise the events.
    virtual void DoShow();
    virtual void DoSelectionChange();
    virtual void DoClose();

private:
    static UINT_PTR CALLBACK ExplorerHook(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    static UINT_PTR CALLBACK ClassicHook(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    UINT_PTR Notice(HWND hookWnd, const OFNOTIFYA& notice);
    HWND dialog_ = nullptr;
    bool explorer_ = true;
};

// The same component over the system's save dialog.
class TSaveDialog : public TOpenDialog {
protected:
    BOOL RunSystemDialog(OPENFILENAMEA& ofn) override { return ::GetSaveFileNameA(&ofn); }
};

// Whether the system offers the Explorer-style dialogs (major version above 3).
bool NewStyleDialogs();

}  // namespace mt
