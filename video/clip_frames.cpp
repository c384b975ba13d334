#include "video/clip_frames.h"

#include "video/avi_frames.h"
#include "video/program_mci.h"

namespace mt {

ClipFrames::ClipFrames(FrameSource& shared, std::unique_ptr<FrameSource> opened)
    : opened_(std::move(opened)), frames_(&shared) {
    loan_.emplace(*frames_);
}

std::unique_ptr<ClipFrames> ClipFrames::Of(const TMediaPlayer& player) {
    if (!player.DeviceOpen() || !player.HasVideo()) return nullptr;
    RoutingMci& mci = ProgramMci();
    if (FrameSource* shared = mci.FramesOf(player.DeviceId()))
        return std::unique_ptr<ClipFrames>(new ClipFrames(*shared, nullptr));
    // A system device that draws its own frames: the same file through Video for
    // Windows' reader (an AVI) or Media Foundation.
    std::unique_ptr<FrameSource> opened = OpenAviFrames(player.FileName);
    if (!opened) opened = OpenMediaFoundationFrames(player.FileName);
    if (!opened) return nullptr;
    FrameSource& frames = *opened;
    return std::unique_ptr<ClipFrames>(new ClipFrames(frames, std::move(opened)));
}

}  // namespace mt
