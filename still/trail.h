// The trail of a moving object over a range of frames, built in one action from
// the frames themselves (a chronophotograph), over plain pixel buffers. No
// window needed.
//
// Pixels are 0x00RRGGBB, rows top-down, width x height, as the frames are shown
// in the video pane.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace mt {

struct PixelPlane {
    int width = 0, height = 0;
    std::vector<std::uint32_t> px;
    PixelPlane() = default;
    PixelPlane(int w, int h, std::uint32_t fill = 0) : width(w), height(h), px(std::size_t(w) * std::size_t(h), fill) {}
};

enum class TrailMethod {
    Moving,    // what moves, laid over what stands still, in frame order
    Brightest, // per pixel, the brightest of the frames and the still image
    Darkest,   // per pixel, the darkest
};

// The frames a trail takes: first, first + every, ... up to last. Empty when the
// range is empty or every is below 1.
std::vector<long> TrailFrames(long first, long last, long every);
// The interval that gives about `count` frames from first to last (at least 1).
long IntervalForAbout(long first, long last, int count = 12);
// The frames the still background is taken from: up to kBackgroundFrames spread
// evenly from first to last, both included, in order.
std::vector<long> BackgroundFrames(long first, long last);

// A pixel is part of the moving object where one of its red, green and blue
// values differs from the background's by more than this (of 255).
constexpr int kMovingThreshold = 32;
// Parts of the object mask of fewer pixels than this are specks (noise of the
// clip's coding, a leaf stirring) and are dropped.
constexpr int kSpeckPixels = 12;
// The background is the per-pixel median of at most this many frames.
constexpr std::size_t kBackgroundFrames = 31;

// A frame kept while the background is worked out: 3 bytes a pixel (red, green, blue).
std::vector<std::uint8_t> PackPlane(const PixelPlane& plane);
PixelPlane UnpackPlane(const std::vector<std::uint8_t>& packed, int width, int height);
// Per pixel, per channel, the median of the packed frames (all width x height).
PixelPlane MedianPlane(const std::vector<const std::vector<std::uint8_t>*>& frames, int width, int height);
// The pixels of frame that differ clearly from background, without specks: 1
// for the object, 0 elsewhere.
std::vector<std::uint8_t> MovingMask(const PixelPlane& frame, const PixelPlane& background);

// Builds the composite. With a still image (`still` the still image's present
// pixels, `haveStill` true) its pixels are the base; without one, the base is
// the background (Moving) or the first frame (Brightest, Darkest). Frames are
// added in frame order.
class TrailComposer {
public:
    TrailComposer(TrailMethod method, int width, int height);
    // Moving: the still background, before any frame is added.
    void SetBackground(PixelPlane background);
    // The still image's present pixels (outside the picture, anything).
    void SetStill(const PixelPlane& still);
    void Add(const PixelPlane& frame);
    // The composite, and which of its pixels differ from the still image as it
    // was (every pixel when there was none).
    const PixelPlane& Result() const noexcept { return out_; }
    const std::vector<std::uint8_t>& Changed() const noexcept { return changed_; }

private:
    TrailMethod method_;
    PixelPlane out_;
    PixelPlane background_;
    std::vector<std::uint8_t> changed_;
    bool haveBase_ = false;
};

// One composite, a frame at a time, so the caller can show progress and stop
// between frames. Frames are read in increasing order, each once. For "moving"
// the background frames and the chosen ones are read in one pass and kept while
// they fit in kKeptBytes; where only the background and some of the others fit,
// the others that do not are read again once the background is known; a longer
// range is read twice (the background first).
struct TrailRequest {
    long first = 0, last = 0, every = 1;
    TrailMethod method = TrailMethod::Moving;
};
class TrailJob {
public:
    // Reads frame n at the job's size into the plane; false when it cannot.
    using FrameReader = std::function<bool(long frame, PixelPlane& into)>;
    static constexpr std::size_t kKeptBytes = std::size_t{56} << 20;

    // still: the still image's present pixels at width x height, when there is one.
    TrailJob(const TrailRequest& request, int width, int height, std::optional<PixelPlane> still, FrameReader read,
             std::size_t keptBytes = kKeptBytes);
    // One step: a frame read and taken in (or the background worked out). False
    // when there is nothing left to do; a frame that cannot be read throws
    // std::runtime_error.
    bool Step();
    int Done() const noexcept { return done_; }
    int Total() const noexcept { return total_; }
    const TrailComposer& Composer() const noexcept { return composer_; }

private:
    PixelPlane Read(long frame);
    TrailRequest request_;
    int width_, height_;
    FrameReader read_;
    TrailComposer composer_;
    std::optional<PixelPlane> still_;
    std::vector<long> chosen_, background_, reads_;
    std::vector<std::vector<std::uint8_t>> kept_;  // packed, by reads_ index (one pass) or background_ index (two)
    bool onePass_ = true, backgroundDone_ = false;
    std::size_t othersKept_ = 0;  // one pass: the frames besides the background still to keep
    std::size_t next_ = 0, nextChosen_ = 0;
    int done_ = 0, total_ = 0;
};

// The brightness a pixel is compared by (Rec. 601 weights, 0..255*256).
inline int Brightness(std::uint32_t p) {
    return 77 * int((p >> 16) & 0xFF) + 150 * int((p >> 8) & 0xFF) + 29 * int(p & 0xFF);
}

}  // namespace mt
