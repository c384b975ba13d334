#include "video/frame_seeker.h"

#include <algorithm>

namespace mt {
namespace {
// How far ahead a forward read beats a seek.
constexpr long kReadAhead = 12;
// 1 ms of rounding in time stamps.
constexpr std::int64_t kSlack = 10000;
}  // namespace

FrameSeeker::FrameSeeker(SampleReader& reader, bool seeksExact, std::vector<std::int64_t> frameTimes)
    : reader_(reader), seeksExact_(seeksExact) {
    if (!frameTimes.empty()) {
        if (auto first = reader_.Read()) {
            for (std::int64_t& t : frameTimes) t += *first;
            times_ = std::move(frameTimes);
            next_ = 1;
        }
        return;
    }
    while (auto stamp = reader_.Read()) {
        if (!times_.empty() && *stamp <= times_.back()) seeksExact_ = false;
        times_.push_back(*stamp);
    }
}

std::int64_t FrameSeeker::TimeOf(long frame) const {
    if (times_.empty()) return 0;
    frame = std::clamp(frame, 0L, Length() - 1);
    return std::max<std::int64_t>(0, times_[static_cast<size_t>(frame)] - times_.front());
}

std::int64_t FrameSeeker::MiddleOf(long frame) const {
    std::int64_t period = 333333;  // 1/30 s when the clip has one frame
    if (frame + 1 < Length()) period = TimeOf(frame + 1) - TimeOf(frame);
    else if (frame > 0) period = TimeOf(frame) - TimeOf(frame - 1);
    return TimeOf(frame) + std::max<std::int64_t>(0, period) / 2;
}

bool FrameSeeker::SeekTo(std::int64_t time) {
    next_ = -1;
    return reader_.Seek(time);
}

// Reads from next_ up to `frame`.
bool FrameSeeker::ReadOn(long frame, const Passed& passed) {
    while (next_ <= frame) {
        if (!reader_.Read()) {
            next_ = -1;
            return false;
        }
        if (passed && next_ < frame) passed(next_);
        ++next_;
    }
    return true;
}

bool FrameSeeker::FromStart(long frame, const Passed& passed) {
    if (!SeekTo(0)) return false;
    next_ = 0;
    return ReadOn(frame, passed);
}

// The frame whose display time holds the stamp: the last one stamped at or before it.
long FrameSeeker::FrameAt(std::int64_t stamp) const {
    auto it = std::upper_bound(times_.begin(), times_.end(), stamp + kSlack);
    return static_cast<long>(it - times_.begin()) - 1;
}

bool FrameSeeker::Reach(long frame, const Passed& passed) {
    if (times_.empty()) return false;
    frame = std::clamp(frame, 0L, Length() - 1);
    if (next_ >= 0 && frame >= next_ && (frame - next_ <= kReadAhead || !seeksExact_)) return ReadOn(frame, passed);
    if (!seeksExact_) return FromStart(frame, passed);
    if (!SeekTo(MiddleOf(frame))) return FromStart(frame, passed);
    auto stamp = reader_.Read();
    if (!stamp) return FromStart(frame, passed);
    const long landed = FrameAt(*stamp);
    if (landed < 0 || landed > frame) return FromStart(frame, passed);
    if (passed && landed < frame) passed(landed);
    next_ = landed + 1;
    return ReadOn(frame, passed);
}

}  // namespace mt
