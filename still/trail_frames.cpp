#include "still/trail_frames.h"

namespace mt {
namespace {

class KeptDecoded final : public KeptFrame {
public:
    explicit KeptDecoded(std::unique_ptr<DecodedFrame> frame) : frame_(std::move(frame)) {}
    bool Pixels(PixelPlane& into) const override { return frame_->Pixels(into.width, into.height, into.px.data()); }

private:
    std::unique_ptr<DecodedFrame> frame_;
};

}  // namespace

FrameKeeper DecodedFrameKeeper(FrameSource& source, int width, int height) {
    FrameKeeper keeper;
    keeper.bytes = source.DecodedFrameBytes();
    if (keeper.bytes)
        keeper.keep = [&source, width, height](long frame) -> std::unique_ptr<KeptFrame> {
            std::unique_ptr<DecodedFrame> decoded = source.KeepDecoded(frame, width, height);
            if (!decoded) return nullptr;
            return std::make_unique<KeptDecoded>(std::move(decoded));
        };
    return keeper;
}

}  // namespace mt
