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
#include <memory>
#include <optional>
#include <vector>

#include "video/decoded_frame.h"

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

// A frame kept while the background is worked out: 3 bytes a pixel (blue,
// green, red: the pixel's own low bytes), width x height x 3 bytes.
using PackedPlane = std::unique_ptr<std::uint8_t[]>;
PackedPlane PackPlane(const PixelPlane& plane);
// Fills `into` (its width x height pixels) from a frame packed at that size.
void UnpackPlane(const std::uint8_t* packed, PixelPlane& into);
// Per pixel, per channel, the median of the packed frames (all width x height).
PixelPlane MedianPlane(const std::vector<const std::uint8_t*>& frames, int width, int height);
// One 8-connected part of a mask: its pixel count and the mean of its pixels'
// columns and rows (pixel centres at whole numbers, rows top-down); whether it
// reaches the plane's edge (where it may be cut off).
struct MaskPart {
    long area = 0;
    double column = 0, row = 0;
    bool atEdge = false;
};
// The parts of one chosen frame's object mask, with the frame's time in seconds
// from the clip's first frame.
struct FrameParts {
    long frame = 0;
    double time = 0;
    std::vector<MaskPart> parts;
};
// What a trail of what moves found, handed on to be measured: its range and
// interval, the pane's size, and each chosen frame's parts in frame order.
struct TrailParts {
    long first = 0, last = 0, every = 1;
    int width = 0, height = 0;
    std::vector<FrameParts> frames;
};

// The pixels of frame that differ clearly from background, without specks: 1
// for the object, 0 elsewhere. With parts, also the parts kept, in the order of
// their first pixel row by row.
std::vector<std::uint8_t> MovingMask(const PixelPlane& frame, const PixelPlane& background,
                                     std::vector<MaskPart>* parts = nullptr);

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
    // Moving: the parts of the object mask of the frame added last.
    const std::vector<MaskPart>& LastParts() const noexcept { return parts_; }

private:
    TrailMethod method_;
    PixelPlane out_;
    PixelPlane background_;
    std::vector<std::uint8_t> changed_;
    std::vector<MaskPart> parts_;
    std::vector<std::uint8_t> mask_;  // of the frame added last, and the pixels it marks
    std::vector<int> marked_;
    bool haveBase_ = false;
};

// One composite, a frame at a time, so the caller can show progress and stop
// between frames. Frames are read in increasing order in each pass. For
// "moving" the background frames and the chosen ones are read in one pass, each
// once, and kept (packed, or as their source decoded them where that holds less)
// while they fit in kKeptBytes. A longer range takes two passes:
// the background frames and as many of the last chosen ones as fit besides
// first, then the other chosen ones (the first of the range, read on from its
// start as the first pass was) once the background is known; only a chosen
// frame that is also a background frame the first pass could not keep is read
// twice.
// Frames kept as their source decoded them, made into pixels when they are
// needed: for a source whose decoded pictures take less memory than their
// pixels packed.
struct FrameKeeper {
    std::size_t bytes = 0;  // what one frame kept so holds (0: none is)
    // Frame n kept so; nullptr where it is not (the frame is then read as pixels).
    std::function<std::unique_ptr<DecodedFrame>(long frame)> keep;
};
struct TrailRequest {
    long first = 0, last = 0, every = 1;
    TrailMethod method = TrailMethod::Moving;
    // Moving: each row's place marked in the picture with a cross and its frame number.
    bool marks = false;
};
class TrailJob {
public:
    // Reads frame n at the job's size into the plane; false when it cannot.
    using FrameReader = std::function<bool(long frame, PixelPlane& into)>;
    // What one pass may keep, packed: 300 chosen frames of a 1080p phone clip
    // (fitted to 320x180, 168.75 KB each) and 31 background frames besides
    // (54.5 MB), so such a trail reads each frame once; beside the 64 MB of
    // frames the device reads ahead, it leaves a 32-bit process room.
    static constexpr std::size_t kKeptBytes = std::size_t{56} << 20;

    // still: the still image's present pixels at width x height, when there is one.
    // keeper: where the frames' source keeps them in less memory than packed
    // pixels, the frames read in the first pass are kept so.
    TrailJob(const TrailRequest& request, int width, int height, std::optional<PixelPlane> still, FrameReader read,
             std::size_t keptBytes = kKeptBytes, FrameKeeper keeper = {});
    // One step: a frame read and taken in (or the background worked out). False
    // when there is nothing left to do; a frame that cannot be read throws
    // std::runtime_error.
    bool Step();
    // Moving: runs for each chosen frame as it is laid, with the parts of its object mask.
    using ChosenFrame = std::function<void(long frame, const std::vector<MaskPart>& parts)>;
    void OnChosenFrame(ChosenFrame observe) { observe_ = std::move(observe); }
    // The chosen frames, in order.
    const std::vector<long>& Chosen() const noexcept { return chosen_; }
    // Steps done and to do: a frame read, the background worked out, a chosen
    // frame laid in. Done() reaches Total() with the last step.
    int Done() const noexcept { return done_; }
    int Total() const noexcept { return total_; }
    // The frames all fit in kKeptBytes and are read in one pass.
    bool OnePass() const noexcept { return onePass_; }
    // The frames the first pass reads (all the frames in one pass).
    std::size_t FirstPassFrames() const noexcept { return reads_.size(); }
    const TrailComposer& Composer() const noexcept { return composer_; }

private:
    // Frame n, read into frame_.
    const PixelPlane& Read(long frame);
    PixelPlane& Scratch();
    // A frame read in the first pass: packed, or as its source decoded it.
    struct Kept {
        PackedPlane packed;
        std::unique_ptr<DecodedFrame> decoded;
        explicit operator bool() const noexcept { return packed || decoded; }
    };
    // Its pixels into frame_.
    const PixelPlane& Unpack(long frame, const Kept& kept);
    TrailRequest request_;
    int width_, height_;
    FrameReader read_;
    FrameKeeper keeper_;
    ChosenFrame observe_;
    TrailComposer composer_;
    std::optional<PixelPlane> still_;
    PixelPlane frame_;  // the frame read or unpacked last
    std::vector<long> chosen_, background_, reads_;
    std::vector<Kept> kept_;  // by reads_ index; let go once laid in
    bool onePass_ = true, backgroundDone_ = false;
    bool keepChosen_ = true;  // the chosen frames read in the first pass stay kept for laying in
    std::size_t next_ = 0, nextChosen_ = 0;
    int done_ = 0, total_ = 0;
};

// The brightness a pixel is compared by (Rec. 601 weights, 0..255*256).
inline int Brightness(std::uint32_t p) {
    return 77 * int((p >> 16) & 0xFF) + 150 * int((p >> 8) & 0xFF) + 29 * int(p & 0xFF);
}

}  // namespace mt
