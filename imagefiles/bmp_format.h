// The BMP file layout: reading and checking the headers of a file, and
// building the headers of a file to write. No window code, so it also builds
// natively for fuzzing.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "base/pixel_format.h"

namespace mt::bmp {

constexpr std::uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3;
constexpr std::uint32_t kFileHeaderSize = 14, kCoreHeaderSize = 12, kInfoHeaderSize = 40;
// Longest header taken whole and handed on (V5 is 124 bytes).
constexpr std::uint32_t kMaxHeaderSize = 1024;
constexpr std::uint32_t kMaxColors = 256;
// Limits that keep a hostile file from demanding absurd memory.
constexpr std::int64_t kMaxDimension = 32768;
constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 26;
// Enough of a file's start to hold every header, the masks and a full colour table.
constexpr std::size_t kHeadBytes = kFileHeaderSize + kMaxHeaderSize + 12 + kMaxColors * 4;

using Format = TPixelFormat;

// Bytes per row (padded to 4) and of the whole image.
std::uint64_t Stride(std::int64_t width, unsigned bitCount);
std::uint64_t ImageBytes(const Format& f);

// A file's headers as read.
struct Layout {
    bool empty = false;                // 0-byte file
    Format format;
    std::vector<std::uint8_t> infoHeader;  // 40 bytes or the longer header whole
    std::uint64_t pixelOffset = 0;     // where the pixel bytes start in the file (the
                                       // header's offset when it is believable)
    std::uint32_t pixelBytes = 0;      // how many to read from there
    bool retained = false;             // compressed: the file from offset 14 is kept
};

// Reads the headers from the first bytes of a file (at least
// min(kHeadBytes, fileLength) of them). Throws EReadError for a file that ends
// inside a header, the masks or the colour table, EInvalidGraphic for a file that
// is not a usable bitmap.
Layout Parse(std::span<const std::uint8_t> head, std::uint64_t fileLength);

// Checks run-length-compressed pixel data: every run stays inside its row and
// every row inside the image. Throws EInvalidGraphic.
void CheckRle(const Format& f, std::span<const std::uint8_t> data);

// The headers written in front of an image's pixel data (file header, info or
// core header, masks, colour table), for pixel data of imageBytes bytes.
std::vector<std::uint8_t> BuildHeaders(const Format& f, std::uint32_t imageBytes);
// The file header in front of retainedBytes of retained file data whose pixels
// start at pixelOffset (counted from the file's start, as the reader found them).
std::vector<std::uint8_t> BuildRetainedFileHeader(std::uint64_t retainedBytes, std::uint32_t pixelOffset);

}  // namespace mt::bmp
