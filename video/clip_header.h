// What the first bytes of a clip file tell about it where the decoder does not:
// Wine's source reader hands MJPEG out as already decoded I420, without saying
// that its pictures are full range. No window needed.
#pragma once
#include <cstddef>
#include <cstdint>

namespace mt {

struct ClipHeader {
    bool motionJpeg = false;     // an AVI whose video stream is MJPEG (full-range pictures)
    bool mpegStream = false;     // an MPEG-1/2 program or elementary stream
};

// Reads the header from the file's first bytes (64 KB is plenty).
ClipHeader ReadClipHeader(const std::uint8_t* bytes, std::size_t size);

}  // namespace mt
