// JPEG coding over libjpeg on in-memory data: the program's error manager, data
// source and destination, header reading, decoding row by row into a target and
// encoding rows from a source. No window code, so it also builds natively.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

namespace mt::jpeg {

// A hostile file is refused before decoding when it has more pixels than this,
// or when it needs more than kMaxMemory of the library's working memory or more
// than kMaxScans scans.
constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 26;
constexpr long kMaxMemory = 256L << 20;
constexpr int kMaxScans = 500;

struct Header {
    int width = 0;
    int height = 0;
    bool grayscale = false;
    bool progressive = false;
};

struct DecodeOptions {
    int scale = 0;            // decode at 1 / 2^scale
    bool smoothing = true;
    bool grayscale = false;   // force grayscale output
    bool eightBit = false;    // quantise to 236 colours
    bool fastest = false;     // best speed rather than best quality
};

// Receives the decoded picture: Start once with the output size, bits per pixel
// (24: blue, green, red; 8: palette indices) and the palette for 8 bits; then
// Row(y) for y = 0 (top) .. height-1 gives the memory for that row.
class RowTarget {
public:
    virtual ~RowTarget() = default;
    virtual void Start(int width, int height, int bitsPerPixel, const std::vector<std::uint32_t>& palette) = 0;
    virtual std::uint8_t* Row(int y) = 0;
};

// Gives the rows to encode, top first, each pixel as blue, green, red.
class RowSource {
public:
    virtual ~RowSource() = default;
    virtual const std::uint8_t* Row(int y) = 0;
};

struct EncodeOptions {
    int quality = 70;
    bool grayscale = false;
    bool progressive = false;
};

// Each throws EJPEG ("JPEG エラー #%d") with the library's message code on failure.
Header ReadHeader(std::span<const std::uint8_t> data);
void Decode(std::span<const std::uint8_t> data, const DecodeOptions& options, RowTarget& target);
std::vector<std::uint8_t> Encode(int width, int height, const EncodeOptions& options, RowSource& source);

// The message code as the classic IJG library (version 6) numbers it, which is
// what the program reports; the library in use numbers some codes differently.
int ClassicMessageCode(int libraryCode);

}  // namespace mt::jpeg
