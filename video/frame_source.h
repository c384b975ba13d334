// Decoded frames of one clip in presentation order, 0 for the first, drawn into
// a device context at the clip's fitted display size.
#pragma once
#include <windows.h>
#include <cstdint>
#include <memory>
#include <string>

#include "video/decoded_frame.h"
namespace mt {
class FrameSource {
public:
    virtual ~FrameSource() = default;
    // Frames a full forward read delivers.
    virtual long Length() const = 0;
    // The picture's display size (pixel aspect applied), scaled down, never up,
    // to fit 320x240 keeping its aspect ratio.
    virtual SIZE DisplaySize() const = 0;
    // Presentation time of frame n from the first frame, in milliseconds (for play at
    // the clip's own pace, variable frame rates included).
    virtual double FrameTimeMs(long frame) const = 0;
    // Nominal frames per second (for the frame period).
    virtual double FramesPerSecond() const = 0;
    // Draws frame n (clamped to the clip) stretched to dest. False when it cannot be decoded.
    virtual bool Draw(HDC dc, const RECT& dest, long frame) = 0;
    // While the clip stands still at `frame`: decodes one of the next frames after
    // it that is not held yet, so that stepping or seeking on to it is quick.
    // False when there is nothing more to read ahead.
    virtual bool ReadAhead(long frame) {
        (void)frame;
        return false;
    }
    // Whether frame n is decoded and held (read ahead or shown), so that showing
    // it decodes nothing.
    virtual bool Holds(long frame) const {
        (void)frame;
        return false;
    }
    // The pixels of frame n as Draw shows them at width x height (0x00RRGGBB, rows
    // top-down), read without moving what the display shows. False when it
    // cannot be decoded.
    virtual bool ReadPixels(long frame, int width, int height, std::uint32_t* px);
    // Frame n as decoded, its pixels to be made at width x height later (read
    // without moving what the display shows, as ReadPixels; the source outlives
    // it). nullptr where this source keeps no such frames: read its pixels then.
    virtual std::unique_ptr<DecodedFrame> KeepDecoded(long frame, int width, int height) {
        (void)frame, (void)width, (void)height;
        return nullptr;
    }
    // The bytes a frame KeepDecoded gives holds; 0 where it gives none.
    virtual std::size_t DecodedFrameBytes() const { return 0; }

    // While another reader takes frames from the source (a trail over a range of
    // frames), the device showing the clip does not read ahead.
    bool Lent() const noexcept { return lent_ > 0; }
    class Loan {
    public:
        explicit Loan(FrameSource& s) noexcept : s_(s) { ++s_.lent_; }
        Loan(const Loan&) = delete;
        Loan& operator=(const Loan&) = delete;
        ~Loan() { --s_.lent_; }
    private:
        FrameSource& s_;
    };

private:
    int lent_ = 0;
};
// Media Foundation's source reader, loaded at run time (mfplat, mfreadwrite):
// nullptr where Media Foundation is absent, the file has no video stream, or it cannot be opened.
std::unique_ptr<FrameSource> OpenMediaFoundationFrames(const std::string& ansiPath);
// Starts the platform's decoding back end once in the process, by reading a tiny
// H.264 clip in the temporary folder through a source reader and dropping it, so
// that the first clip opened does not wait for it. Blocks: for a worker thread.
// False where Media Foundation is absent or the clip could not be read.
bool PrepareMediaFoundation();
// Where the last OpenMediaFoundationFrames spent its time, in milliseconds (for
// the measurements): loading Media Foundation, reading the file's sample table
// or index, creating the source reader, and reading the first frame (or the
// whole clip, where it has no table).
struct OpenBreakdown {
    double platformMs = 0, tableMs = 0, readerMs = 0, firstReadMs = 0;
};
OpenBreakdown LastMediaFoundationOpen();
// For the measurements: the milliseconds the decoder of a source that
// OpenMediaFoundationFrames made takes to reach frame n from where it stands (as
// a jump reaches it), without fitting or keeping any frame; negative for another source.
double MediaFoundationReachMs(FrameSource& source, long frame);
}
