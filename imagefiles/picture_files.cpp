#include "imagefiles/picture_files.h"

#include "base/paths.h"
#include "base/text.h"
#include "imagefiles/bmp_io.h"
#include "imagefiles/jpeg_image.h"

namespace mt {
namespace {

bool IsJpegExtension(const std::string& ext) { return ext == ".JPEG" || ext == ".JPG"; }

void LoadPictureOfKind(TImage& image, const std::string& path, const std::string& ext) {
    const bool none = !image.Picture;
    // What a failed read leaves when there was no picture: an empty one, unless
    // the file was refused before its pixels (a JPEG file's header).
    auto loaded = ReadPictureFile(path, ext, [&] {
        if (none) image.Picture = std::make_unique<TBitmap>();
        image.Invalidate();
    });
    if (loaded) InstallPicture(image, std::move(loaded), none);
}

}  // namespace

std::unique_ptr<TBitmap> ReadPictureFile(const std::string& path, const std::string& ext,
                                         const std::function<void()>& beforePixels) {
    if (ext == ".BMP") {
        if (beforePixels) beforePixels();
        auto loaded = std::make_unique<TBitmap>();
        LoadBmpFile(*loaded, path);
        return loaded;
    }
    if (IsJpegExtension(ext)) {
        TJPEGImage jpeg;
        jpeg.LoadFromFile(path);
        if (beforePixels) beforePixels();
        return std::make_unique<TBitmap>(jpeg.TakeBitmap());
    }
    return nullptr;
}

void WritePictureFile(TBitmap* picture, const std::string& path) {
    std::string ext = UpperAscii(ExtensionOf(path));
    if (ext == ".BMP" && picture) SaveBmpFile(*picture, path);
    if (IsJpegExtension(ext)) {
        TJPEGImage jpeg;
        jpeg.Assign(picture);
        jpeg.CompressionQuality = 70;
        jpeg.Compress();
        jpeg.SaveToFile(path);
    }
}

bool IsPictureName(const std::wstring& name) {
    std::string ext = UpperAscii(ExtensionOf(WideToAnsi(name)));
    return ext == ".BMP" || IsJpegExtension(ext);
}

void LoadPicture(TImage& image, const std::string& path) {
    LoadPictureOfKind(image, path, UpperAscii(ExtensionOf(path)));
}

void LoadPicture(TImage& image, const std::string& path, const std::wstring& named) {
    LoadPictureOfKind(image, path, UpperAscii(ExtensionOf(WideToAnsi(named))));
}

void InstallPicture(TImage& image, std::unique_ptr<TBitmap> loaded, bool none) {
    if (none) image.Picture.reset();
    if (image.History) image.History->Replace(image.Picture, std::move(loaded));
    else image.Picture = std::move(loaded);
    image.Invalidate();
}

void SavePicture(TImage& image, const std::string& path) { WritePictureFile(image.Picture.get(), path); }

}  // namespace mt
