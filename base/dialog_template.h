// Modal dialogs of the program's own, from a template built in memory: the
// controls are listed with their styles and texts, and the dialog procedure
// places them in pixels when the dialog initialises.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace mt {

// The predefined control classes, by their atoms.
enum class DialogClass : WORD { Button = 0x0080, Edit = 0x0081, Static = 0x0082, ListBox = 0x0083,
                                ScrollBar = 0x0084, ComboBox = 0x0085 };

class DialogTemplate {
public:
    // The dialog's own style (WS_POPUP | WS_CAPTION | ... ); the caption is set at
    // initialisation.
    explicit DialogTemplate(DWORD style);
    // Adds a control, visible and a child, in tab order.
    void Add(DialogClass kind, DWORD style, WORD id, const wchar_t* text);
    void Add(const wchar_t* className, DWORD style, WORD id, const wchar_t* text);
    // Runs the dialog modally over owner, which it disables, and the windows
    // that own owner (OwnersDisabledScope); what EndDialog was given.
    INT_PTR Run(HWND owner, DLGPROC proc, LPARAM param);
    // Creates the dialog modeless, owned by owner, hidden until shown; its
    // keyboard goes through the application's loop (TApplication::AddModeless).
    HWND Create(HWND owner, DLGPROC proc, LPARAM param);

private:
    void Begin(DWORD style, WORD id);
    void Append(const wchar_t* s);
    std::vector<WORD> t_;
    WORD items_ = 0;
};

// A dialog of the program's own, run from a template. The object is kept in the
// dialog's DWLP_USER from WM_INITDIALOG on, and every message reaches it under
// the failure guard (a failure goes to the failure handler; the message counts
// as handled).
class OwnDialog {
public:
    // Runs the dialog built from t modally over owner (and disables the windows
    // that own owner, as DialogTemplate::Run); what EndDialog was given.
    INT_PTR Run(DialogTemplate& t, HWND owner);
    // Makes the dialog built from t modeless, owned by owner and hidden.
    HWND Create(DialogTemplate& t, HWND owner);

protected:
    ~OwnDialog() = default;
    // At WM_INITDIALOG: places and fills in the controls. True to let the dialog
    // focus its first tab stop, false when this set the focus itself.
    virtual bool Initialise(HWND dialog) = 0;
    // IDOK: the default button was pressed (or Enter).
    virtual void Ok(HWND dialog) = 0;
    // IDCANCEL: キャンセル, Esc or the close box. Ends the dialog unless overridden.
    virtual void Cancel(HWND dialog) { ::EndDialog(dialog, IDCANCEL); }
    // Any other message; true when handled.
    virtual bool Message(HWND, UINT, WPARAM, LPARAM) { return false; }

private:
    static INT_PTR CALLBACK Proc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) noexcept;
};

// The text of the dialog's control id (what an edit box holds).
std::wstring ItemText(HWND dialog, int id);
// Gives every control of the dialog the form's font.
void UseFormFont(HWND dialog);
// Moves control id of the dialog to (x, y) with size w x h, client pixels.
void PlaceItem(HWND dialog, int id, int x, int y, int w, int h);
// Sizes the dialog to a client area of w x h and centres it on its owner
// (on the screen when it has none).
void SizeAndCentre(HWND dialog, int w, int h);

}  // namespace mt
