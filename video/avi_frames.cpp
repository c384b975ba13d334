#include "video/avi_frames.h"

#include <algorithm>
#include <cstdlib>

namespace mt {
namespace {

class AviFrames final : public FrameSource {
public:
    bool Open(const std::string& file) {
        PAVISTREAM stream = nullptr;
        if (::AVIStreamOpenFromFileA(&stream, file.c_str(), streamtypeVIDEO, 0, OF_READ | OF_SHARE_DENY_NONE,
                                     nullptr) != 0)
            return false;
        stream_.reset(stream);
        // The codec's own output format: the colours the device shows while playing.
        reader_.reset(::AVIStreamGetFrameOpen(stream_.get(), nullptr));
        if (!reader_) return false;
        AVISTREAMINFOA info{};
        if (::AVIStreamInfoA(stream_.get(), &info, sizeof info) != 0) return false;
        start_ = ::AVIStreamStart(stream_.get());
        length_ = ::AVIStreamLength(stream_.get());
        rate_ = info.dwScale ? static_cast<double>(info.dwRate) / info.dwScale : 0;
        size_ = FittedSize(info.rcFrame.right - info.rcFrame.left, info.rcFrame.bottom - info.rcFrame.top);
        return length_ > 0;
    }

    long Length() const override { return length_; }
    SIZE DisplaySize() const override { return size_; }
    double FrameTimeMs(long frame) const override { return rate_ > 0 ? frame * 1000.0 / rate_ : 0; }
    double FramesPerSecond() const override { return rate_; }

    bool Draw(HDC dc, const RECT& dest, long frame) override {
        if (length_ <= 0 || dest.right <= dest.left || dest.bottom <= dest.top) return false;
        frame = std::clamp(frame, 0L, length_ - 1);
        const auto* info = static_cast<const BITMAPINFOHEADER*>(::AVIStreamGetFrame(reader_.get(), start_ + frame));
        if (!info || info->biWidth <= 0 || info->biHeight == 0) return false;
        DWORD colours = info->biClrUsed ? info->biClrUsed : (info->biBitCount <= 8 ? 1u << info->biBitCount : 0);
        DWORD masks = info->biCompression == BI_BITFIELDS && info->biSize == sizeof(BITMAPINFOHEADER) ? 12 : 0;
        const auto* bits = reinterpret_cast<const BYTE*>(info) + info->biSize + masks + colours * sizeof(RGBQUAD);
        SavedDCState saved(dc);
        ::SetStretchBltMode(dc, COLORONCOLOR);
        return ::StretchDIBits(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, 0, 0,
                               info->biWidth, std::abs(info->biHeight), bits,
                               reinterpret_cast<const BITMAPINFO*>(info), DIB_RGB_COLORS, SRCCOPY) != 0;
    }

private:
    // The frame's size, scaled down (never up) to fit the pane's start size.
    static SIZE FittedSize(long width, long height) {
        if (width <= 0 || height <= 0) return SIZE{0, 0};
        if (width <= 320 && height <= 240) return SIZE{width, height};
        if (width * 240 >= height * 320) return SIZE{320, std::max(1L, (height * 320 + width / 2) / width)};
        return SIZE{std::max(1L, (width * 240 + height / 2) / height), 240};
    }

    // Declared first, so the library outlives the stream and the reader.
    AviFileLibrary library_;
    OwnedAviStream stream_;
    OwnedFrameReader reader_;
    long start_ = 0, length_ = 0;
    double rate_ = 0;
    SIZE size_{};
};

}  // namespace

std::unique_ptr<FrameSource> OpenAviFrames(const std::string& ansiPath) {
    auto frames = std::make_unique<AviFrames>();
    if (!frames->Open(ansiPath)) return nullptr;
    return frames;
}

}  // namespace mt
