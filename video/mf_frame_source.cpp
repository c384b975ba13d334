// Frames of a clip decoded by Media Foundation's source reader.
#include "video/frame_source.h"

namespace mt {

std::unique_ptr<FrameSource> OpenMediaFoundationFrames(const std::string&) {
    return nullptr;
}

}  // namespace mt
