// Reading and writing the still image as a BMP file.
#pragma once
#include <string>

#include "app/bitmap.h"

namespace mt {

// Replaces target's content with the picture in the file, or throws leaving
// target as it was. A 0-byte file gives an empty (0 by 0) picture.
void LoadBmpFile(TBitmap& target, const std::string& path);

// Writes the picture as a BMP file: its retained file data when it has any,
// else its own pixel format (a display-format picture as an uncompressed
// device-independent copy); an empty picture gives a 0-byte file.
void SaveBmpFile(TBitmap& image, const std::string& path);

}  // namespace mt
