#include "still/trail_frames.h"

namespace mt {

FrameKeeper DecodedFrameKeeper(FrameSource& source, int width, int height) {
    FrameKeeper keeper;
    keeper.bytes = source.DecodedFrameBytes();
    if (keeper.bytes)
        keeper.keep = [&source, width, height](long frame) { return source.KeepDecoded(frame, width, height); };
    return keeper;
}

}  // namespace mt
