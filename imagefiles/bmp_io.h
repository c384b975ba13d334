// Reading and writing the still image as a BMP file.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/bitmap.h"

namespace mt {

// Replaces target's content with the picture in the file, or throws leaving
// target as it was. A 0-byte file gives an empty (0 by 0) picture.
void LoadBmpFile(TBitmap& target, const std::string& path);

// A packed device-independent bitmap (header, masks, colour table, pixels, as
// the clipboard holds one) checked as a BMP file is; anything the block lacks
// that its header claims makes it malformed: EInvalidGraphic
// "ビットマップイメージが不正です".
TBitmap LoadPackedDib(std::span<const std::uint8_t> dib);

// Writes the picture as a BMP file: its retained file data when it has any,
// else its own pixel format (a display-format picture as an uncompressed
// device-independent copy); an empty picture gives a 0-byte file.
void SaveBmpFile(TBitmap& image, const std::string& path);

// The picture as a packed device-independent bitmap, as the clipboard's CF_DIB
// holds it: a 40-byte header, masks, colour table and pixels at its own size
// and depth; a display-format picture (a run-length file's too) in the
// display's depth. Empty for an empty picture.
std::vector<std::uint8_t> PackedDib(TBitmap& image);

}  // namespace mt
