// The picture open and save dialogs.
#pragma once
#include "app/file_dialog.h"

namespace mt {

class TOpenPictureDialog : public TOpenDialog {};

class TSavePictureDialog : public TOpenPictureDialog {
protected:
    BOOL RunSystemDialog(OPENFILENAMEA& ofn) override { return ::GetSaveFileNameA(&ofn); }
};

}  // namespace mt
