#include "video/fitted_frames.h"

#include <cstdint>
#include <iterator>

namespace mt {

const Picture* FittedFrames::Find(long frame) const {
    auto it = frames_.find(frame);
    return it == frames_.end() ? nullptr : &it->second;
}

const Picture* FittedFrames::Add(long frame, Picture picture) {
    const std::size_t bytes = picture.px.size() * sizeof(std::uint32_t);
    if (auto held = frames_.find(frame); held != frames_.end()) {
        bytes_ -= held->second.px.size() * sizeof(std::uint32_t);
        frames_.erase(held);
    }
    // The farthest from the centre is at one end of the frames held.
    while (!frames_.empty() && bytes_ + bytes > maxBytes_) {
        auto first = frames_.begin(), last = std::prev(frames_.end());
        auto far = Distance(first->first) >= Distance(last->first) ? first : last;
        if (Distance(frame) >= Distance(far->first)) return nullptr;
        bytes_ -= far->second.px.size() * sizeof(std::uint32_t);
        frames_.erase(far);
    }
    if (bytes > maxBytes_) return nullptr;
    bytes_ += bytes;
    return &(frames_[frame] = std::move(picture));
}

const Picture* FrameStore::Show(long frame) {
    frames_.Centre(frame);
    if (const Picture* kept = frames_.Find(frame)) return kept;
    return Decode(frame);
}

const Picture* FrameStore::Decode(long frame) {
    const long from = frame - kKeptBehind;
    bool failed = false;
    const FrameSeeker::Passed keep = [&](long passed) {
        if (failed || passed < from || frames_.Holds(passed)) return;
        Picture fitted;
        if (fit_(fitted)) frames_.Add(passed, std::move(fitted));
        else failed = true;
    };
    // A clip read only forward keeps what it shows and reads ahead: a jump there
    // reads on over any part of the clip, and the frames it passes are not where
    // the decoder lands to reach the frames shown next.
    const bool reached = seeker_.Reach(frame, seeker_.SeeksExact() ? keep : nullptr);
    Picture fitted;
    if (!reached || !fit_(fitted)) return nullptr;
    return frames_.Add(frame, std::move(fitted));
}

}  // namespace mt
