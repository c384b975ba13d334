// The frames a trail takes from a clip's frame source: kept, while the
// background is worked out, as the source decoded them where that holds less
// than their pixels would.
#pragma once
#include "still/trail.h"
#include "video/frame_source.h"

namespace mt {

// Keeps frames of `source` (which outlives the keeper) for pixels at width x height.
FrameKeeper DecodedFrameKeeper(FrameSource& source, int width, int height);

}  // namespace mt
