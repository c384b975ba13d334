// Decoded video pictures turned into the pane's pixels: YUV (NV12, I420, YUY2) or
// 32-bit RGB rows converted with the clip's own matrix and range, and the picture
// scaled down by area averaging to the size it is shown at. No window needed.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace mt {

struct PixelLayout {
    enum Kind { Rgb32, Nv12, I420, Yuy2 } kind = Nv12;
    int planeWidth = 0, planeHeight = 0;  // the decoder's buffer, in pixels
    int stride = 0;                       // bytes per row of the first plane; negative: bottom-up
    int left = 0, top = 0, width = 0, height = 0;  // the picture within the buffer
    bool bt709 = false;
    bool fullRange = false;
};

// 0x00RRGGBB pixels, rows top-down.
struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> px;
};

struct PictureSize {
    int width = 0, height = 0;
};

// A picture's size scaled down, never up, to fit within maxWidth x maxHeight,
// keeping its aspect ratio (1920x1080 gives 320x180, 1080x1920 gives 135x240).
PictureSize FitWithin(int width, int height, int maxWidth = 320, int maxHeight = 240);

// The picture in a decoder's buffer as pixels, in two halves so that a large
// picture can be scaled down before its colours are converted: the buffer's
// samples unconverted (Y, Cb, Cr where 0x00RRGGBB has R, G, B; RGB32 as it is;
// false when the buffer is too small for the layout), then the layout's matrix and
// range applied.
bool UnpackPicture(const std::uint8_t* data, std::size_t size, const PixelLayout& layout, Picture& out);
void ApplyColourMatrix(const PixelLayout& layout, Picture& picture);

// The bytes a decoder's buffer of that layout holds (its planes at its row pitch),
// and whether `size` bytes hold it (as UnpackPicture and UnpackScaled need).
std::size_t PictureBytes(const PixelLayout& layout);
bool HoldsPicture(std::size_t size, const PixelLayout& layout);

// A decoder's picture whose rows lie `pitch` bytes apart (its top row first, the
// planes one after another) copied into `into` at the layout's own row stride,
// the one PictureBytes counts: PictureBytes(layout) bytes, whatever pitch the
// decoder padded its rows to. The layout the copy is read by (top-down); none,
// and nothing copied, where `size` bytes at that pitch do not hold the picture.
std::optional<PixelLayout> CopyAtOwnStride(const std::uint8_t* top, std::size_t size, std::size_t pitch,
                                           const PixelLayout& layout, std::vector<std::uint8_t>& into);

// The picture scaled to width x height by area averaging: each pixel is the mean of
// the source area it covers.
Picture ScaleByAreaAveraging(const Picture& in, int width, int height);

// UnpackPicture then ScaleByAreaAveraging, the same pixels exactly, but a YUV
// picture with chroma planes (NV12, I420) is scaled plane by plane from the
// buffer, without the picture at full size in between.
bool UnpackScaled(const std::uint8_t* data, std::size_t size, const PixelLayout& layout, int width, int height,
                  Picture& out);

}  // namespace mt
