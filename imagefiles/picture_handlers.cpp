// The main window's picture-file handlers: loading and saving the still image.
#include "app/form1.h"
#include "base/errors.h"
#include "base/paths.h"
#include "base/text.h"
#include "imagefiles/bmp_io.h"
#include "imagefiles/file_io.h"
#include "imagefiles/jpeg_image.h"
#include "imagefiles/picture_files.h"
#include "still/still_history.h"

namespace mt {
namespace {

bool IsJpegExtension(const std::string& ext) { return ext == ".JPEG" || ext == ".JPG"; }

// The still image's bitmap, an empty one installed first when there is none.
TBitmap& StillBitmap(TImage& image) {
    if (!image.Picture) image.Picture = std::make_unique<TBitmap>();
    return *image.Picture;
}

}  // namespace

// Reads the file at path as the kind its upper-cased extension ext names.
void LoadPictureOfKind(TImage& image, const std::string& path, const std::string& ext);

void LoadPicture(TImage& image, const std::string& path) {
    LoadPictureOfKind(image, path, UpperAscii(ExtensionOf(path)));
}

void LoadPicture(TImage& image, const std::string& path, const std::wstring& named) {
    LoadPictureOfKind(image, path, UpperAscii(ExtensionOf(WideToAnsi(named))));
}

bool IsPictureName(const std::wstring& name) {
    std::string ext = UpperAscii(ExtensionOf(WideToAnsi(name)));
    return ext == ".BMP" || IsJpegExtension(ext);
}

void LoadPictureOfKind(TImage& image, const std::string& path, const std::string& ext) {
    const bool none = !image.Picture;
    if (ext == ".BMP") {
        StillBitmap(image);  // what a failed read leaves when there was no picture
        image.Invalidate();
        auto loaded = std::make_unique<TBitmap>();
        LoadBmpFile(*loaded, path);
        InstallPicture(image, std::move(loaded), none);
    }
    if (IsJpegExtension(ext)) {
        TJPEGImage jpeg;
        jpeg.LoadFromFile(path);
        StillBitmap(image);
        image.Invalidate();
        InstallPicture(image, std::make_unique<TBitmap>(jpeg.TakeBitmap()), none);
    }
}

void InstallPicture(TImage& image, std::unique_ptr<TBitmap> loaded, bool none) {
    if (none) image.Picture.reset();
    if (image.History) image.History->Replace(image.Picture, std::move(loaded));
    else image.Picture = std::move(loaded);
    image.Invalidate();
}

void SavePicture(TImage& image, const std::string& path) {
    std::string ext = UpperAscii(ExtensionOf(path));
    if (ext == ".BMP" && image.Picture) SaveBmpFile(*image.Picture, path);
    if (IsJpegExtension(ext)) {
        TJPEGImage jpeg;
        jpeg.Assign(image.Picture.get());
        jpeg.CompressionQuality = 70;
        jpeg.Compress();
        jpeg.SaveToFile(path);
    }
}

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
