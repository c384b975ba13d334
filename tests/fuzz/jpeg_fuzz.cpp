// libFuzzer target: the JPEG loading path (header, then decoding into a
// bitmap-like buffer) over the system's libjpeg-turbo.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/errors.h"
#include "imagefiles/jpeg_codec.h"

namespace {

class Buffer : public mt::jpeg::RowTarget {
public:
    void Start(int width, int height, int bits, const std::vector<std::uint32_t>& palette) override {
        if (width <= 0 || height <= 0 || (bits != 8 && bits != 24) || palette.size() > 256) __builtin_trap();
        stride_ = (static_cast<std::size_t>(width) * bits / 8 + 3) & ~std::size_t{3};
        height_ = height;
        pixels_.assign(stride_ * static_cast<std::size_t>(height), 0);
    }
    std::uint8_t* Row(int y) override {
        if (y < 0 || y >= height_) __builtin_trap();
        return pixels_.data() + static_cast<std::size_t>(height_ - 1 - y) * stride_;
    }
private:
    std::vector<std::uint8_t> pixels_;
    std::size_t stride_ = 0;
    int height_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        mt::jpeg::Header h = mt::jpeg::ReadHeader({data, size});
        (void)h;
        Buffer target;
        mt::jpeg::DecodeOptions options;
        options.eightBit = size % 2 == 1;  // both output depths
        mt::jpeg::Decode({data, size}, options, target);
    } catch (const mt::Exception&) {
    }
    return 0;
}
