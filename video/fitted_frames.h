// The fitted pictures of a clip's frames kept in memory, up to a bound in bytes,
// and the decoding that fills them: a frame asked for is taken from memory or
// reached through the seeker, and in a clip that seeks, the frames the decoder
// passes on the way to it (from the key frame a seek lands on, or reading on a
// few frames) are kept too, so that going
// back over them is as quick as stepping onto a frame read ahead. When the bound
// is reached, the frames farthest from the one shown give way first. No window
// needed.
#pragma once
#include <cstddef>
#include <functional>
#include <map>

#include "video/frame_pixels.h"
#include "video/frame_seeker.h"

namespace mt {

class FittedFrames {
public:
    explicit FittedFrames(std::size_t maxBytes) : maxBytes_(maxBytes) {}
    // The frame shown: what is kept is kept by its distance from it.
    void Centre(long frame) noexcept { centre_ = frame; }
    long CentreFrame() const noexcept { return centre_; }
    const Picture* Find(long frame) const;
    bool Holds(long frame) const { return frames_.count(frame) != 0; }
    // Keeps the picture, letting the frames farthest from the centre go while it
    // does not fit; nullptr (and nothing let go) where it is itself the farthest.
    const Picture* Add(long frame, Picture picture);
    std::size_t Bytes() const noexcept { return bytes_; }
    std::size_t MaxBytes() const noexcept { return maxBytes_; }
    std::size_t Count() const noexcept { return frames_.size(); }

private:
    long Distance(long frame) const noexcept { return frame < centre_ ? centre_ - frame : frame - centre_; }
    std::size_t maxBytes_, bytes_ = 0;
    long centre_ = 0;
    std::map<long, Picture> frames_;
};

// Frames decoded through a seeker and fitted, kept in a FittedFrames.
class FrameStore {
public:
    // The decoder's current picture, fitted; false when it cannot be converted.
    using Fit = std::function<bool(Picture& out)>;
    // Frames passed on the way to the one asked for are kept back to this many
    // before it (as many as are read ahead after a frame standing still).
    static constexpr long kKeptBehind = 60;

    FrameStore(FrameSeeker& seeker, Fit fit, std::size_t maxBytes)
        : seeker_(seeker), fit_(std::move(fit)), frames_(maxBytes) {}
    // Frame n (within the clip) to be shown: from memory, or decoded. nullptr when
    // it cannot be decoded.
    const Picture* Show(long frame);
    // Frame n decoded and kept without moving the frame shown (reading ahead).
    const Picture* Decode(long frame);
    const Picture* Find(long frame) const { return frames_.Find(frame); }
    bool Holds(long frame) const { return frames_.Holds(frame); }
    const FittedFrames& Kept() const noexcept { return frames_; }

private:
    FrameSeeker& seeker_;
    Fit fit_;
    FittedFrames frames_;
};

}  // namespace mt
