// A frame as the decoder gave it, made into pixels later: a reader of many
// frames at once (a trail) keeps them so where that takes less memory than their
// pixels would. No window needed.
#pragma once
#include <cstdint>

namespace mt {

class DecodedFrame {
public:
    virtual ~DecodedFrame() = default;
    // Its pixels as the source reads them at width x height (0x00RRGGBB, rows
    // top-down); false when they cannot be made.
    virtual bool Pixels(int width, int height, std::uint32_t* px) const = 0;
};

}  // namespace mt
