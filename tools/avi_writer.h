// Test media: small AVI files in MS Video 1 (16-bit, "CRAM") whose every 4 x 4
// block is one flat colour, so a decoder reproduces each frame exactly and a test
// knows which colour every pixel of every frame shows.
//
// Used three ways:
//  - linked into the test programs (library movetrail_media, built for the
//    target): tests write the clips they need into a temporary folder;
//  - the host program make_clip (tools/make_clip.cpp), run at build time to put
//    the demo clip "demo.avi" beside movetrail.exe;
//  - by hand: make_clip OUT.avi [width height frames fps].
// When ffmpeg is installed, the build also converts the demo clip to MPEG-1 as
// tests/demo.mpg beside the test programs (tools/CMakeLists.txt).
// Test helpers around it: tests/common/media.h (MediaFolder::WriteClip, and
// DecodeAviFrame, which decodes a frame with the platform's own codec).
//
// Colours are kept as RGB555 in the file. A component c (0..255) is stored as
// c >> 3 and shown on a 24-bit screen as ExpandComponent(c >> 3); use
// ShownColor() to know what the screen shows for a requested colour. Colours
// whose components are 0 or 255 are shown exactly as requested.
//
// Needs no Windows header; builds for the host and for the target.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace mt::media {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The 8-bit value a 5-bit component is shown as (bit replication).
constexpr std::uint8_t ExpandComponent(unsigned v5) {
    return static_cast<std::uint8_t>((v5 << 3) | (v5 >> 2));
}
// What the screen shows for a colour written into a clip.
constexpr Rgb ShownColor(Rgb c) {
    return {ExpandComponent(c.r >> 3u), ExpandComponent(c.g >> 3u), ExpandComponent(c.b >> 3u)};
}

// The colour of the 4 x 4 block whose top-left pixel is (x, y), counted from the
// top-left corner of the frame, in frame `frame` (0-based).
using BlockColor = std::function<Rgb(int frame, int x, int y)>;

// A complete AVI file: one MS Video 1 video stream, every frame a key frame, with
// an index. width and height must be positive multiples of 4; throws
// std::invalid_argument otherwise.
std::vector<std::uint8_t> EncodeMsVideo1Avi(int width, int height, int frames, int framesPerSecond,
                                            const BlockColor& color);

// A square ball moving in a straight line over a flat background. Every number
// that is a pixel distance must be a multiple of 4, and the ball must stay inside
// the frame on its whole path.
struct BallClip {
    int width = 160, height = 120;
    int frames = 30;
    int framesPerSecond = 15;
    int ballSize = 16;
    int startX = 0, startY = 52;  // top-left corner of the ball in frame 0
    int stepX = 4, stepY = 0;     // movement per frame
    Rgb background{0, 0, 255};
    Rgb ball{255, 255, 0};

    struct Rect {
        int left, top, right, bottom;  // right and bottom exclusive
    };
    // Where the ball is in a frame (pixels, origin top-left).
    Rect BallAt(int frame) const;
    // The colour the frame has at pixel (x, y), as written.
    Rgb ColorAt(int frame, int x, int y) const;
    // The whole file; throws std::invalid_argument for a path that is not allowed.
    std::vector<std::uint8_t> Encode() const;
};

// Writes bytes to a file (path in the host's narrow encoding); false on failure.
bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace mt::media
