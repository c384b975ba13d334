// Loading and saving pictures by the file name's extension: what Button7Click
// and Button8Click do once the user has chosen a file. ".BMP" is a bitmap file,
// ".JPEG"/".JPG" a JPEG file (upper-cased extension); any other extension reads
// and writes nothing.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "base/bitmap.h"
#include "base/controls.h"

namespace mt {

// The picture in the file at path, read as the kind the upper-cased extension
// ext names; null for an extension of no kind. beforePixels, when given, runs
// before the pixels are read: for a bitmap file first of all, for a JPEG file
// once its header has been read.
std::unique_ptr<TBitmap> ReadPictureFile(const std::string& path, const std::string& ext,
                                         const std::function<void()>& beforePixels = nullptr);
// Writes picture to path as the kind its extension names: a bitmap file
// (nothing when picture is null), or a JPEG file at quality 70.
void WritePictureFile(TBitmap* picture, const std::string& path);
// Whether a name's extension is one that ReadPictureFile reads.
bool IsPictureName(const std::wstring& name);

// Reads the file at path into the still image, as one step of its history. A
// failed read leaves an empty picture where there was none.
void LoadPicture(TImage& image, const std::string& path);
// The same, the extension taken from the name the user gave (a long name whose
// short name is path).
void LoadPicture(TImage& image, const std::string& path, const std::wstring& named);
// Makes a picture that was read the still image, as one step of its history;
// `none` when there was no still image before the read.
void InstallPicture(TImage& image, std::unique_ptr<TBitmap> loaded, bool none);
// Writes the still image to path.
void SavePicture(TImage& image, const std::string& path);

}  // namespace mt
