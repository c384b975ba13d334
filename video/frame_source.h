// Decoded frames of one clip in presentation order, 0 for the first, drawn into
// a device context at the clip's fitted display size.
#pragma once
#include <windows.h>
#include <memory>
#include <string>
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
};
// Media Foundation's source reader, loaded at run time (mfplat, mfreadwrite):
// nullptr where Media Foundation is absent, the file has no video stream, or it cannot be opened.
std::unique_ptr<FrameSource> OpenMediaFoundationFrames(const std::string& ansiPath);
}
