// The main window's picture-file handlers: loading and saving the still image.
#include "app/form1.h"
#include "base/errors.h"
#include "base/paths.h"
#include "base/text.h"
#include "imagefiles/file_io.h"
#include "imagefiles/picture_files.h"

namespace mt {

// Runs when Button7 ("画像読込") is clicked.
void TForm1::Button7Click() {
    if (!OpenPictureDialog1->Execute(hwnd_)) return;
    LoadPicture(*Image1, OpenPictureDialog1->FileName);
}

void TForm1::OpenPicture(const std::wstring& name) {
    std::optional<std::string> path = AnsiFileName(name);
    if (!path) CannotOpen(name);
    try {
        LoadPicture(*Image1, *path, name);
    } catch (const EFOpenError&) {
        CannotOpen(name);
    }
}

// Runs when Button8 ("保存") is clicked.
void TForm1::Button8Click() {
    if (!SavePictureDialog1->Execute(hwnd_)) return;
    const std::string& path = SavePictureDialog1->FileName;
    ::SetWindowTextW(hwnd_, AnsiToWide(UpperAscii(ExtensionOf(path))).c_str());
    SavePicture(*Image1, path);
}

}  // namespace mt
