// The picture container's registered file formats and the placement of a
// picture in the preview area: rules that need no window.
#pragma once
#include <string>
#include <vector>

namespace mt {

enum class TPictureKind { Metafile, Icon, Bitmap, Jpeg };

struct TPictureFormat {
    std::string extension;     // lower case, without the dot
    std::wstring description;
    TPictureKind kind;
};

// The registered formats in registration order; a look-up searches from the end.
const std::vector<TPictureFormat>& RegisteredPictureFormats();

// The kind for a file name's extension; throws EInvalidGraphic
// "拡張子 .%s の画像形式は処理できません" (extension in the name's own case).
TPictureKind PictureKindForFile(const std::string& fileName);

// MulDiv's rounding: the exact a * b / c to the nearest integer, halves away
// from zero; -1 when c is 0.
int MulDivRounded(int a, int b, int c);

struct PreviewBox {
    int left, top, right, bottom;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const PreviewBox&) const = default;
};

// Where a picture of the given size is drawn in the area: unscaled and centred
// when it fits, else scaled to the area's width (wider than tall) or height,
// keeping the area's top-left corner.
PreviewBox PreviewPlacement(int pictureWidth, int pictureHeight, PreviewBox area);

}  // namespace mt
