// What a clip file's own headers tell about it where the decoder does not: Wine's
// source reader hands MJPEG out as already decoded I420, without saying that its
// pictures are full range, gives no pixel aspect, and can only count frames by
// decoding them all. No window needed.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace mt {

struct ClipHeader {
    bool motionJpeg = false;     // an AVI whose video stream is MJPEG (full-range pictures)
    bool mpegStream = false;     // an MPEG-1/2 program or elementary stream
    bool isoMedia = false;       // an MP4 or MOV file (boxes)
    // The width and height of one pixel as the container gives them ("pasp" in
    // MP4 and MOV); 0 where it gives none.
    std::uint32_t pixelWidth = 0, pixelHeight = 0;
    // The first video stream's frames as the MP4 or MOV sample table, or an MJPEG
    // AVI's index, gives them: their presentation times in 100-ns units, in
    // display order, from 0 for the first, only those its edit list shows. Empty
    // where the file has no such table (fragmented MP4, OpenDML AVIs, other
    // containers and codecs), an edit list that leaves frames out at the start or
    // plays them twice, or dropped frames in its index.
    std::vector<std::int64_t> frameTimes;
};

// Reads the header from the file's first bytes (64 KB is plenty).
ClipHeader ReadClipHeader(const std::uint8_t* bytes, std::size_t size);

// Takes what the header needs from the movie box ("moov", whole, from its length
// field on): the first video track's pixel aspect and frame times.
void ReadMovieBox(const std::uint8_t* moov, std::size_t size, ClipHeader& header);

// Takes an MJPEG AVI's frame times from its header list ("hdrl", the body after
// that name) and its index ("idx1", the body).
void ReadAviIndex(const std::uint8_t* hdrl, std::size_t hdrlSize, const std::uint8_t* idx1, std::size_t idx1Size,
                  ClipHeader& header);

// Reads up to `size` bytes at offset `at` of a file into `to`, and returns how
// many it read (0 at the end or on failure).
using ReadFileAt = std::function<std::size_t(std::uint64_t at, std::uint8_t* to, std::size_t size)>;
// The header of a whole file: its first bytes; for MP4 and MOV the movie box,
// wherever it lies among the top-level boxes (phones write it last); for an
// MJPEG AVI its header list and index.
ClipHeader ReadClipFile(const ReadFileAt& readAt);

}  // namespace mt
