// What a clip file's own headers tell about it where the decoder does not: Wine's
// source reader hands MJPEG out as already decoded I420, without saying that its
// pictures are full range, and gives no pixel aspect. No window needed.
#pragma once
#include <cstddef>
#include <cstdint>

namespace mt {

struct ClipHeader {
    bool motionJpeg = false;     // an AVI whose video stream is MJPEG (full-range pictures)
    bool mpegStream = false;     // an MPEG-1/2 program or elementary stream
    bool isoMedia = false;       // an MP4 or MOV file (boxes; see NextMediaBox)
    // The width and height of one pixel as the container gives them ("pasp" in
    // MP4 and MOV); 0 where it gives none.
    std::uint32_t pixelWidth = 0, pixelHeight = 0;
};

// Reads the header from the file's first bytes (64 KB is plenty).
ClipHeader ReadClipHeader(const std::uint8_t* bytes, std::size_t size);

// A top-level box of an MP4 or MOV file, from the 16 bytes at its start: its type,
// and its length (0 for a box that runs to the end of the file).
struct MediaBox {
    char type[4];
    std::uint64_t length;
};
bool ReadMediaBox(const std::uint8_t* bytes, std::size_t size, MediaBox& box);
// Takes what the header needs from the movie box ("moov"): the first video
// sample entry's pixel aspect.
void ReadMovieBox(const std::uint8_t* moov, std::size_t size, ClipHeader& header);

}  // namespace mt
