// The main window's answers to the desktop: a file dropped on it or named on the
// command line opens as the buttons open a chosen file, the arrow keys and
// Home run the stepping buttons' handlers, End, PageDown, PageUp, Ctrl+G and the
// wheel over the video pane move the video further, and Ctrl with Z, Y, C or V
// undo, redo, copy and paste the still image.
#include "app/desktop.h"

#include "app/form1.h"
#include "base/application.h"
#include "base/controls.h"
#include "base/file_exists.h"
#include "base/handles.h"
#include "base/messages.h"
#include "base/text.h"
#include "imagefiles/picture_files.h"

namespace mt {
namespace {

// A video named in UTF-16 opens as if chosen in the video dialog, which then
// offers it next time. A name that cannot be opened gives 動画読込's message.
void OpenVideoNamed(TForm1& form, const std::wstring& name) {
    std::optional<std::string> fileName = AnsiFileName(name);
    if (!fileName || !FileExists(*fileName)) {
        ShowMessage(L"そのファイルは開けません");
        return;
    }
    form.OpenDialog1->FileName = *fileName;
    form.OpenVideo(*fileName);
}

bool IsFolder(const std::wstring& name) {
    DWORD attributes = ::GetFileAttributesW(name.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::wstring CommandLineFile() {
    int count = 0;
    LPWSTR* args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    OwnedLocal owner(args);
    if (!args || count < 2 || !*args[1]) return {};
    // A name relative to the current folder is made whole, as a dialog gives it.
    wchar_t full[MAX_PATH];
    DWORD n = ::GetFullPathNameW(args[1], MAX_PATH, full, nullptr);
    return n > 0 && n < MAX_PATH ? std::wstring(full, n) : std::wstring(args[1]);
}

bool IsStepKey(unsigned key) noexcept {
    return key == VK_RIGHT || key == VK_LEFT || key == VK_HOME || key == VK_END || key == VK_NEXT || key == VK_PRIOR;
}

bool IsGoToFrameKey(unsigned key, unsigned shift) noexcept {
    return key == 'G' && (shift & (ssCtrl | ssAlt)) == ssCtrl;
}

bool IsEditKey(unsigned key, unsigned shift) noexcept {
    if ((shift & (ssCtrl | ssAlt)) != ssCtrl) return false;
    return key == 'Z' || key == 'Y' || key == 'C' || key == 'V' || key == 'T' || key == 'D';
}

bool ForwardWindowKeys(MSG& msg) {
    HWND main = Application.MainWindow();
    if (msg.message == WM_MOUSEWHEEL) {
        // The wheel goes to the focus; the window decides by where the mouse is.
        if (msg.hwnd == main) return false;
        ::SendMessageW(main, msg.message, msg.wParam, msg.lParam);
        return true;
    }
    if (msg.message != WM_KEYDOWN) return false;
    const auto key = static_cast<unsigned>(msg.wParam);
    const TShiftState shift = KeyShiftState();
    if (!IsStepKey(key) && !IsEditKey(key, shift) && !IsGoToFrameKey(key, shift)) return false;
    ::SendMessageW(main, msg.message, msg.wParam, msg.lParam);
    return true;
}

// Runs when files are dropped on the window: the first one opens, as a picture
// when dropped on the still-image pane, as a video anywhere else. A folder is
// ignored.
void TForm1::FormDropFiles(HDROP drop) {
    OwnedDrop files(drop);
    if (::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) == 0) return;
    UINT length = ::DragQueryFileW(drop, 0, nullptr, 0);
    std::wstring name(length + 1, L'\0');
    name.resize(::DragQueryFileW(drop, 0, name.data(), length + 1));
    POINT at{};
    bool inClient = ::DragQueryPoint(drop, &at) != FALSE;
    files.reset();  // the drop is done before anything opens
    if (name.empty() || IsFolder(name)) return;
    RECT pane{Panel2->Left(), Panel2->Top(), Panel2->Left() + Panel2->Width(), Panel2->Top() + Panel2->Height()};
    if (inClient && ::PtInRect(&pane, at)) OpenPicture(name);
    else OpenVideoNamed(*this, name);
}

// Runs once the window is shown, for a file named on the command line: a
// picture by its extension, anything else as a video.
void TForm1::OpenFile(const std::wstring& name) {
    if (IsPictureName(name)) OpenPicture(name);
    else OpenVideoNamed(*this, name);
}

// Runs when a key goes down while the focus is in the main window.
bool TForm1::FormKeyDown(WORD key, TShiftState shift) {
    if (IsEditKey(key, shift)) {
        switch (key) {
        case 'Z': (shift & ssShift) ? RedoStill() : UndoStill(); return true;
        case 'Y': RedoStill(); return true;
        case 'C': CopyStill(); return true;
        case 'V': PasteStill(); return true;
        case 'T': ComposeTrail(); return true;
        case 'D': ShowPositionTable(); return true;
        }
    }
    if (IsGoToFrameKey(key, shift)) {
        GoToFrame();
        return true;
    }
    const bool tens = (shift & (ssShift | ssCtrl | ssAlt)) == ssShift;
    switch (key) {
    case VK_RIGHT: tens ? StepWithin(10) : Button2Click(); return true;
    case VK_LEFT: tens ? StepWithin(-10) : Button3Click(); return true;
    case VK_HOME: Button4Click(); return true;
    case VK_END: SeekLastFrame(); return true;
    case VK_NEXT: StepWithin(10); return true;
    case VK_PRIOR: StepWithin(-10); return true;
    }
    return false;
}

// Runs when the wheel turns with the main window active.
bool TForm1::FormMouseWheel(int wheelDelta, POINT at) {
    RECT pane{};
    ::GetWindowRect(Panel1->Handle(), &pane);
    if (!::PtInRect(&pane, at)) return false;
    Panel1MouseWheel(wheelDelta);
    return true;
}

}  // namespace mt
