// The full-size preview: a resizable tool window "プレビュー" showing a copy
// of a picture, its client area sized to the picture plus its frame.
#pragma once
#include <windows.h>

#include "imagefiles/picture_container.h"

namespace mt {

// Shows the preview modally over owner (which is disabled meanwhile) and
// destroys it when it closes; Esc closes it.
void ShowPreviewForm(HWND owner, const TPicture& picture);

}  // namespace mt
