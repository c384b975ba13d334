// The frame at a stopped video device's position, drawn into the device's
// display window by the program itself. Wine's AVI device moves its position on
// a step or a seek without drawing the frame there; the media device uses this
// to show that frame where the device draws. Frames are decoded from the clip by
// Video for Windows' file reader through the installed codecs, starting from
// the key frame before the position, so delta frames come out whole.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <vfw.h>

#include <optional>
#include <string>

#include "win/handles.h"

namespace mt {

inline void ReleaseAviStream(PAVISTREAM s) noexcept { ::AVIStreamRelease(s); }
inline void CloseFrameReader(PGETFRAME f) noexcept { ::AVIStreamGetFrameClose(f); }
using OwnedAviStream = Owned<PAVISTREAM, &ReleaseAviStream>;
using OwnedFrameReader = Owned<PGETFRAME, &CloseFrameReader>;

// The file reader library (AVIFileInit / AVIFileExit) for the owner's life.
class AviFileLibrary {
public:
    AviFileLibrary() noexcept { ::AVIFileInit(); }
    AviFileLibrary(const AviFileLibrary&) = delete;
    AviFileLibrary& operator=(const AviFileLibrary&) = delete;
    ~AviFileLibrary() { ::AVIFileExit(); }
};

class TFrameDisplay {
public:
    // Whether the platform's video devices draw the frame they step or seek to
    // themselves: true on Windows, false under Wine (told by ntdll's
    // wine_get_version). Decided once per process.
    static bool DeviceDrawsSteppedFrames();

    // Opens the clip's video stream for decoding. A clip that cannot be decoded
    // this way leaves nothing open and returns false.
    bool Open(const std::string& file);
    // Closes every decoder handle.
    void Close() noexcept;
    bool IsOpen() const noexcept { return static_cast<bool>(reader_); }

    // Draws the frame at the device's current position into dc, stretched to
    // dest; with whilePlaying false, nothing while the device plays (it draws
    // itself then). False when nothing was drawn.
    bool DrawCurrent(MCIDEVICEID device, HDC dc, const RECT& dest, bool whilePlaying);
    // Draws frame `frame` (0 is the first; clamped to the clip) stretched to dest.
    bool Draw(HDC dc, const RECT& dest, long frame);

private:
    std::optional<AviFileLibrary> library_;
    OwnedAviStream stream_;
    OwnedFrameReader reader_;
    long start_ = 0, length_ = 0;
};

}  // namespace mt
