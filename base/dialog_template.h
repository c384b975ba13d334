// Modal dialogs of the program's own, from a template built in memory: the
// controls are listed with their styles and texts, and the dialog procedure
// places them in pixels when the dialog initialises.
#pragma once
#include <windows.h>

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
    // Runs the dialog modally over owner; what EndDialog was given.
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

// Gives every control of the dialog the form's font.
void UseFormFont(HWND dialog);
// Moves control id of the dialog to (x, y) with size w x h, client pixels.
void PlaceItem(HWND dialog, int id, int x, int y, int w, int h);
// Sizes the dialog to a client area of w x h and centres it on its owner
// (on the screen when it has none).
void SizeAndCentre(HWND dialog, int w, int h);

}  // namespace mt
