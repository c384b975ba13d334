// The frames of the clip the media player has open, read one by one without
// moving the player: the frames the program already decodes for its device
// where it has them, else the clip opened again through the file reader that
// serves it. The frames live while this reads them, even once the device closes.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>

#include "video/frame_source.h"
#include "video/media_player.h"

namespace mt {

class ClipFrames {
public:
    // nullptr when the player has no clip open or its frames cannot be read here.
    static std::unique_ptr<ClipFrames> Of(const TMediaPlayer& player);
    ClipFrames(const ClipFrames&) = delete;
    ClipFrames& operator=(const ClipFrames&) = delete;

    // Frame n's pixels as the pane shows them at width x height (0x00RRGGBB, rows
    // top-down). A frame that cannot be decoded raises the media device's error.
    void Read(long frame, int width, int height, std::uint32_t* px);
    // The source read from (for keeping frames as it decoded them).
    FrameSource& Source() const noexcept { return *frames_; }
    // Frame n's presentation time in seconds from the first frame's, from the
    // clip's own timestamps.
    double TimeSeconds(long frame) const { return (frames_->FrameTimeMs(frame) - frames_->FrameTimeMs(0)) / 1000.0; }

private:
    explicit ClipFrames(std::shared_ptr<FrameSource> frames);
    std::shared_ptr<FrameSource> frames_;
    std::optional<FrameSource::Loan> loan_;  // given back before the frames go
};

}  // namespace mt
