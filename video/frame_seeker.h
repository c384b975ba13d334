// Reaching frame n of a clip exactly through a decoder that reads forward and seeks
// by time. Frames are counted as a full forward read delivers them (an index of
// their time stamps: the container's own where it has one, else made at open by
// reading the clip), never computed from time x rate. A seek goes to
// the middle of the frame; where the decoder lands earlier (on the key frame
// before, as Windows' source reader does), or stamps the first sample after a seek
// with the seek position (as Wine's does), the seeker tells the frame it landed on
// from the index and reads on to the one asked for. Clips whose seeks land wrong
// are read forward from the start. No window needed.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace mt {

// What the seeker needs of a decoder. Times are in 100-ns units.
class SampleReader {
public:
    virtual ~SampleReader() = default;
    // Moves the read position to `time` from the start of the clip.
    virtual bool Seek(std::int64_t time) = 0;
    // Reads the next frame, which becomes the reader's current picture, and returns
    // its time stamp; nothing at the end or on failure.
    virtual std::optional<std::int64_t> Read() = 0;
};

class FrameSeeker {
public:
    // With no frame times known, reads the whole clip forward once to index it. A
    // clip whose time stamps do not rise from frame to frame (duplicated by AVIs
    // with B-frames) is then only read forward, as is one the caller names with
    // seeksExact false. With the frames' times known (from 0 for the first, as a
    // container's sample table gives them), reads only the first frame, whose
    // stamp places them on the decoder's clock.
    FrameSeeker(SampleReader& reader, bool seeksExact, std::vector<std::int64_t> frameTimes = {});
    long Length() const noexcept { return static_cast<long>(times_.size()); }
    // Time of frame n from the first frame, 100-ns units.
    std::int64_t TimeOf(long frame) const;
    bool SeeksExact() const noexcept { return seeksExact_; }
    // Makes frame n the reader's current picture. False when it cannot be read.
    // `passed` is told each earlier frame the reader reads on the way, while it is
    // the reader's current picture (from the key frame a seek lands on, or reading on).
    using Passed = std::function<void(long frame)>;
    bool Reach(long frame, const Passed& passed = nullptr);

private:
    bool SeekTo(std::int64_t time);
    bool ReadOn(long frame, const Passed& passed);
    bool FromStart(long frame, const Passed& passed);
    std::int64_t MiddleOf(long frame) const;
    long FrameAt(std::int64_t stamp) const;

    SampleReader& reader_;
    std::vector<std::int64_t> times_;
    bool seeksExact_;
    long next_ = -1;  // the frame the next Read delivers; -1 unknown
};

}  // namespace mt
