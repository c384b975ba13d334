#include "imagefiles/picture_formats.h"

#include <cstdint>

#include "base/errors.h"
#include "base/format.h"
#include "base/paths.h"
#include "base/text.h"

namespace mt {

const std::vector<TPictureFormat>& RegisteredPictureFormats() {
    // The first four are the container's own; the JPEG entries are added after them.
    static const std::vector<TPictureFormat> formats{
        {"wmf", L"メタファイル", TPictureKind::Metafile},
        {"emf", L"エンハンス メタファイル", TPictureKind::Metafile},
        {"ico", L"アイコン", TPictureKind::Icon},
        {"bmp", L"ビットマップ", TPictureKind::Bitmap},
        {"jpeg", L"JPEG イメージファイル", TPictureKind::Jpeg},
        {"jpg", L"JPEG イメージファイル", TPictureKind::Jpeg},
    };
    return formats;
}

TPictureKind PictureKindForFile(const std::string& fileName) {
    std::string ext = ExtensionOf(fileName);
    if (!ext.empty()) ext.erase(0, 1);
    std::string lower = ext;
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    const auto& formats = RegisteredPictureFormats();
    for (auto it = formats.rbegin(); it != formats.rend(); ++it)
        if (it->extension == lower) return it->kind;
    throw EInvalidGraphic(Format(L"拡張子 .%s の画像形式は処理できません", {AnsiToWide(ext)}));
}

int MulDivRounded(int a, int b, int c) {
    if (c == 0) return -1;
    std::int64_t num = std::int64_t{a} * b;
    std::int64_t den = c;
    if (den < 0) num = -num, den = -den;
    std::int64_t q = (num >= 0 ? num + den / 2 : num - den / 2) / den;
    return static_cast<int>(q);
}

PreviewBox PreviewPlacement(int pictureWidth, int pictureHeight, PreviewBox area) {
    int w = area.Width(), h = area.Height();
    if (pictureWidth <= w && pictureHeight <= h) {
        int left = area.left + (w - pictureWidth) / 2;
        int top = area.top + (h - pictureHeight) / 2;
        return {left, top, left + pictureWidth, top + pictureHeight};
    }
    if (pictureWidth > pictureHeight)
        area.bottom = area.top + MulDivRounded(pictureHeight, w, pictureWidth);
    else
        area.right = area.left + MulDivRounded(pictureWidth, h, pictureHeight);
    return area;
}

}  // namespace mt
