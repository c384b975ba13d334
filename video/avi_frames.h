// The frames of an AVI clip decoded by Video for Windows' file reader through
// the installed codecs, starting from the key frame before each frame, so delta
// frames come out whole. The program draws them itself where the platform's AVI
// device moves to a frame without drawing it.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <vfw.h>

#include <memory>
#include <string>

#include "base/handles.h"
#include "video/frame_source.h"

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

// The clip's video stream through the file reader; nullptr when it cannot be
// decoded this way (nothing is left open then).
std::unique_ptr<FrameSource> OpenAviFrames(const std::string& ansiPath);

}  // namespace mt
