// Loading and saving the still image by the file name's extension: what
// Button7Click and Button8Click do once the user has chosen a file.
#pragma once
#include <memory>
#include <string>

#include "base/controls.h"

namespace mt {

// ".BMP" reads a bitmap file, ".JPEG"/".JPG" a JPEG file (upper-cased
// extension); any other extension does nothing.
void LoadPicture(TImage& image, const std::string& path);
// The same, the extension taken from the name the user gave (a long name whose
// short name is path).
void LoadPicture(TImage& image, const std::string& path, const std::wstring& named);
// Makes a picture that was read the still image, as one step of its history;
// `none` when there was no still image before the read.
void InstallPicture(TImage& image, std::unique_ptr<TBitmap> loaded, bool none);
// Whether a name's extension is one that LoadPicture reads.
bool IsPictureName(const std::wstring& name);

// ".BMP" writes a bitmap file (nothing when the pane holds no picture),
// ".JPEG"/".JPG" a JPEG file at quality 70; any other extension does nothing.
void SavePicture(TImage& image, const std::string& path);

}  // namespace mt
