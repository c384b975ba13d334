#include "video/clip_frames.h"

#include "base/errors.h"
#include "video/avi_frames.h"
#include "video/own_device.h"
#include "video/program_mci.h"

namespace mt {

ClipFrames::ClipFrames(std::shared_ptr<FrameSource> frames) : frames_(std::move(frames)) { loan_.emplace(*frames_); }

void ClipFrames::Read(long frame, int width, int height, std::uint32_t* px) {
    if (!frames_->ReadPixels(frame, width, height, px))
        throw EMCIDeviceError(OwnDeviceErrorText(kOwnDeviceFrameNotDecoded));
}

std::unique_ptr<ClipFrames> ClipFrames::Of(const TMediaPlayer& player) {
    if (!player.DeviceOpen() || !player.HasVideo()) return nullptr;
    RoutingMci& mci = ProgramMci();
    if (std::shared_ptr<FrameSource> shared = mci.FramesOf(player.DeviceId()))
        return std::unique_ptr<ClipFrames>(new ClipFrames(std::move(shared)));
    // A system device that draws its own frames: the same file through Video for
    // Windows' reader (an AVI) or Media Foundation.
    std::unique_ptr<FrameSource> opened = OpenAviFrames(player.FileName);
    if (!opened) opened = OpenMediaFoundationFrames(player.FileName);
    if (!opened) return nullptr;
    return std::unique_ptr<ClipFrames>(new ClipFrames(std::move(opened)));
}

}  // namespace mt
