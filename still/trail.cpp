#include "still/trail.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <stdexcept>
#include <string>

namespace mt {

std::vector<long> TrailFrames(long first, long last, long every) {
    std::vector<long> frames;
    if (every < 1 || last < first) return frames;
    for (long n = first; n <= last; n += every) {
        frames.push_back(n);
        if (last - n < every) break;  // no overflow past last
    }
    return frames;
}

long IntervalForAbout(long first, long last, int count) {
    if (last <= first || count <= 1) return 1;
    const long interval = (last - first + (count - 1) / 2) / (count - 1);
    return std::max(1L, interval);
}

std::vector<long> BackgroundFrames(long first, long last) {
    std::vector<long> frames;
    if (last < first) return frames;
    const long span = last - first;
    if (span + 1 <= static_cast<long>(kBackgroundFrames)) {
        for (long n = first; n <= last; ++n) frames.push_back(n);
        return frames;
    }
    const long k = static_cast<long>(kBackgroundFrames) - 1;
    for (long i = 0; i <= k; ++i)
        frames.push_back(first + static_cast<long>((static_cast<long long>(span) * i + k / 2) / k));
    frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
    return frames;
}

std::vector<std::uint8_t> PackPlane(const PixelPlane& plane) {
    std::vector<std::uint8_t> packed(plane.px.size() * 3);
    for (std::size_t i = 0; i < plane.px.size(); ++i) {
        packed[3 * i] = static_cast<std::uint8_t>(plane.px[i] >> 16);
        packed[3 * i + 1] = static_cast<std::uint8_t>(plane.px[i] >> 8);
        packed[3 * i + 2] = static_cast<std::uint8_t>(plane.px[i]);
    }
    return packed;
}

PixelPlane UnpackPlane(const std::vector<std::uint8_t>& packed, int width, int height) {
    PixelPlane plane(width, height);
    for (std::size_t i = 0; i < plane.px.size() && 3 * i + 2 < packed.size(); ++i)
        plane.px[i] = (std::uint32_t{packed[3 * i]} << 16) | (std::uint32_t{packed[3 * i + 1]} << 8) | packed[3 * i + 2];
    return plane;
}

PixelPlane MedianPlane(const std::vector<const std::vector<std::uint8_t>*>& frames, int width, int height) {
    PixelPlane out(width, height);
    if (frames.empty()) return out;
    const std::size_t n = frames.size(), mid = n / 2;
    std::vector<std::uint8_t> values(n);
    for (std::size_t i = 0; i < out.px.size(); ++i) {
        std::uint32_t pixel = 0;
        for (std::size_t c = 0; c < 3; ++c) {
            for (std::size_t k = 0; k < n; ++k) values[k] = (*frames[k])[3 * i + c];
            std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid), values.end());
            pixel = (pixel << 8) | values[mid];
        }
        out.px[i] = pixel;
    }
    return out;
}

namespace {

bool Differs(std::uint32_t a, std::uint32_t b) {
    for (int shift = 0; shift <= 16; shift += 8)
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > kMovingThreshold) return true;
    return false;
}

// Clears the parts of mask (8-connected) of fewer than kSpeckPixels pixels.
void DropSpecks(std::vector<std::uint8_t>& mask, int w, int h) {
    std::vector<int> part, stack;
    std::vector<std::uint8_t> seen(mask.size(), 0);
    for (int start = 0; start < w * h; ++start) {
        if (!mask[std::size_t(start)] || seen[std::size_t(start)]) continue;
        part.clear();
        stack.assign(1, start);
        seen[std::size_t(start)] = 1;
        while (!stack.empty()) {
            const int at = stack.back();
            stack.pop_back();
            part.push_back(at);
            const int x = at % w, y = at / w;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
                    const std::size_t next = std::size_t(ny) * std::size_t(w) + std::size_t(nx);
                    if (mask[next] && !seen[next]) {
                        seen[next] = 1;
                        stack.push_back(static_cast<int>(next));
                    }
                }
        }
        if (part.size() < static_cast<std::size_t>(kSpeckPixels))
            for (int at : part) mask[std::size_t(at)] = 0;
    }
}

}  // namespace

std::vector<std::uint8_t> MovingMask(const PixelPlane& frame, const PixelPlane& background) {
    std::vector<std::uint8_t> mask(frame.px.size(), 0);
    if (background.px.size() != frame.px.size()) return mask;
    for (std::size_t i = 0; i < mask.size(); ++i) mask[i] = Differs(frame.px[i], background.px[i]) ? 1 : 0;
    DropSpecks(mask, frame.width, frame.height);
    return mask;
}

TrailComposer::TrailComposer(TrailMethod method, int width, int height)
    : method_(method), out_(width, height), changed_(out_.px.size(), 1) {}

void TrailComposer::SetBackground(PixelPlane background) {
    background_ = std::move(background);
    if (!haveBase_ && background_.px.size() == out_.px.size()) {
        out_.px = background_.px;
        haveBase_ = true;
    }
}

void TrailComposer::SetStill(const PixelPlane& still) {
    if (still.px.size() != out_.px.size()) return;
    out_.px = still.px;
    std::fill(changed_.begin(), changed_.end(), 0);
    haveBase_ = true;
}

void TrailComposer::Add(const PixelPlane& frame) {
    if (frame.px.size() != out_.px.size()) return;
    if (!haveBase_) {
        // No still image: the first frame is where the brightest or darkest start.
        out_.px = frame.px;
        haveBase_ = true;
        if (method_ != TrailMethod::Moving) return;
    }
    if (method_ == TrailMethod::Moving) {
        mask_ = MovingMask(frame, background_);
        const std::vector<std::uint8_t>& mask = mask_;
        for (std::size_t i = 0; i < mask.size(); ++i)
            if (mask[i]) {
                out_.px[i] = frame.px[i];
                changed_[i] = 1;
            }
        return;
    }
    const bool brightest = method_ == TrailMethod::Brightest;
    for (std::size_t i = 0; i < out_.px.size(); ++i) {
        const int now = Brightness(out_.px[i]), next = Brightness(frame.px[i]);
        if (brightest ? next > now : next < now) {
            out_.px[i] = frame.px[i];
            changed_[i] = 1;
        }
    }
}

}  // namespace mt

namespace mt {

TrailJob::TrailJob(const TrailRequest& request, int width, int height, std::optional<PixelPlane> still,
                   FrameReader read, std::size_t keptBytes)
    : request_(request), width_(width), height_(height), read_(std::move(read)),
      composer_(request.method, width, height), still_(std::move(still)) {
    chosen_ = TrailFrames(request.first, request.last, request.every);
    if (still_) composer_.SetStill(*still_);
    if (request.method != TrailMethod::Moving) {
        reads_ = chosen_;
        total_ = static_cast<int>(reads_.size());
        return;
    }
    background_ = BackgroundFrames(request.first, request.last);
    std::set_union(chosen_.begin(), chosen_.end(), background_.begin(), background_.end(), std::back_inserter(reads_));
    // Compared as a count of frames: the bytes of a long range overflow a 32-bit size_t.
    const std::size_t frameBytes = std::max<std::size_t>(std::size_t(width) * std::size_t(height) * 3, 1);
    onePass_ = reads_.size() <= keptBytes / frameBytes;
    if (!onePass_) reads_ = background_;
    // The reads, the background, and each chosen frame laid in (in two passes, read again).
    total_ = static_cast<int>(reads_.size()) + 1 + static_cast<int>(chosen_.size());
}

PixelPlane TrailJob::Read(long frame) {
    PixelPlane plane(width_, height_);
    if (!read_(frame, plane)) throw std::runtime_error("frame " + std::to_string(frame));
    return plane;
}

bool TrailJob::Step() {
    if (next_ < reads_.size()) {
        const long frame = reads_[next_++];
        PixelPlane plane = Read(frame);
        if (request_.method != TrailMethod::Moving) composer_.Add(plane);
        else kept_.push_back(PackPlane(plane));
        ++done_;
        return true;
    }
    if (request_.method != TrailMethod::Moving) return false;
    if (!backgroundDone_) {
        std::vector<const std::vector<std::uint8_t>*> planes;
        for (long frame : background_) {
            auto at = std::lower_bound(reads_.begin(), reads_.end(), frame);
            planes.push_back(&kept_[static_cast<std::size_t>(at - reads_.begin())]);
        }
        composer_.SetBackground(MedianPlane(planes, width_, height_));
        backgroundDone_ = true;
        if (!onePass_) kept_.clear();
        ++done_;
        return true;
    }
    if (nextChosen_ >= chosen_.size()) return false;
    const long frame = chosen_[nextChosen_++];
    if (onePass_) {
        auto at = std::lower_bound(reads_.begin(), reads_.end(), frame);
        composer_.Add(UnpackPlane(kept_[static_cast<std::size_t>(at - reads_.begin())], width_, height_));
    } else {
        composer_.Add(Read(frame));
    }
    ++done_;
    if (observe_) observe_(frame, composer_.LastMask());
    return true;
}

}  // namespace mt
