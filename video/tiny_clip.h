// The smallest clip of the kind phones write: an MP4 holding one 16x16 H.264
// frame (baseline profile, its one macroblock stored as plain samples), grey.
// The decoder is prepared over it as the program starts. No window needed.
#pragma once
#include <cstdint>
#include <vector>

namespace mt {

std::vector<std::uint8_t> TinyH264Clip();

}  // namespace mt
