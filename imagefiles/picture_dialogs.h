// The picture open and save dialogs.
#pragma once
#include "app/file_dialog.h"

namespace mt {

class TOpenPictureDialog : public TOpenDialog {};
class TSavePictureDialog : public TOpenPictureDialog {};

}  // namespace mt
