#include "imagefiles/jpeg_image.h"

#include <new>

#include "base/errors.h"
#include "imagefiles/bmp_format.h"
#include "imagefiles/dib.h"
#include "imagefiles/file_io.h"
#include "imagefiles/jpeg_codec.h"

namespace mt {
namespace {

// Larger files are not read into memory at all.
constexpr std::uint64_t kMaxFileBytes = std::uint64_t{512} << 20;

// Decodes straight into a bottom-up DIB section, one row at a time.
class DibTarget : public jpeg::RowTarget {
public:
    explicit DibTarget(std::unique_ptr<TBitmap>& out) : out_(out) {}
    void Start(int width, int height, int bitsPerPixel, const std::vector<std::uint32_t>& palette) override {
        TPixelFormat f;
        f.width = width;
        f.height = height;
        f.bitCount = static_cast<std::uint16_t>(bitsPerPixel);
        f.colors = palette;
        out_ = std::make_unique<TBitmap>(CreateDib(f));
        ::GdiFlush();
        base_ = out_->Bits();
        height_ = height;
        stride_ = static_cast<std::size_t>(bmp::Stride(width, static_cast<unsigned>(bitsPerPixel)));
    }
    std::uint8_t* Row(int y) override { return base_ + static_cast<std::size_t>(height_ - 1 - y) * stride_; }
private:
    std::unique_ptr<TBitmap>& out_;
    std::uint8_t* base_ = nullptr;
    int height_ = 0;
    std::size_t stride_ = 0;
};

// The rows of a picture as blue, green, red: a 24-bit DIB gives its own rows,
// anything else a private 24-bit bottom-up copy.
class BitmapRows : public jpeg::RowSource {
public:
    explicit BitmapRows(TBitmap& image) : height_(image.Height()) {
        const TPixelFormat& f = image.PixelFormat();
        if (image.IsDib() && f.bitCount == 24 && f.compression == 0) {
            ::GdiFlush();
            base_ = image.Bits();
            stride_ = static_cast<std::size_t>(bmp::Stride(f.width, 24));
            topDown_ = f.height < 0;
            return;
        }
        image.ReleaseCanvas();  // GetDIBits wants the bitmap unselected
        TPixelFormat copy;
        copy.width = image.Width();
        copy.height = image.Height();
        copy.bitCount = 24;
        stride_ = static_cast<std::size_t>(bmp::Stride(copy.width, 24));
        copy_.resize(stride_ * static_cast<std::size_t>(height_));
        DibInfo info = MakeDibInfo(copy);
        WindowDC screen(nullptr);
        if (::GetDIBits(screen.get(), image.Handle(), 0, static_cast<UINT>(height_), copy_.data(), info.get(),
                        DIB_RGB_COLORS) == 0)
            throw EOutOfResources(L"システム リソースが足りません");
        base_ = copy_.data();
    }
    const std::uint8_t* Row(int y) override {
        int row = topDown_ ? y : height_ - 1 - y;
        return base_ + static_cast<std::size_t>(row) * stride_;
    }
private:
    std::vector<std::uint8_t> copy_;
    const std::uint8_t* base_ = nullptr;
    int height_;
    std::size_t stride_ = 0;
    bool topDown_ = false;
};

}  // namespace

TJPEGSettings& TJPEGImage::Defaults() {
    static TJPEGSettings defaults = [] {
        TJPEGSettings d;
        WindowDC screen(nullptr);
        if (::GetDeviceCaps(screen.get(), BITSPIXEL) * ::GetDeviceCaps(screen.get(), PLANES) <= 8)
            d.PixelFormat = TJPEGPixelFormat::jf8Bit;
        return d;
    }();
    return defaults;
}

TJPEGImage::TJPEGImage() : TJPEGSettings(Defaults()) {}

void TJPEGImage::LoadFromFile(const std::string& path) {
    OwnedFile file = OpenForReading(path);
    std::uint64_t length = FileLength(file.get());
    if (length > kMaxFileBytes) throw EReadError(L"ストリームからの読み込みエラー");
    std::vector<std::uint8_t> data;
    try {
        data.resize(static_cast<std::size_t>(length));
    } catch (const std::bad_alloc&) {
        throw EReadError(L"ストリームからの読み込みエラー");
    }
    ReadExact(file.get(), data.data(), data.size());
    LoadFromData(std::move(data));
}

void TJPEGImage::LoadFromData(std::vector<std::uint8_t> data) {
    bitmap_.reset();
    data_ = std::move(data);
    width_ = height_ = 0;
    grayscale_ = progressive_ = false;
    if (data_.empty()) return;
    jpeg::Header h = jpeg::ReadHeader(data_);
    width_ = h.width;
    height_ = h.height;
    grayscale_ = h.grayscale;
    progressive_ = h.progressive;
    ProgressiveEncoding = h.progressive;
}

void TJPEGImage::Decode() {
    jpeg::DecodeOptions o;
    o.scale = Scale;
    o.smoothing = Smoothing;
    o.grayscale = Grayscale;
    o.eightBit = PixelFormat == TJPEGPixelFormat::jf8Bit;
    o.fastest = Performance == TJPEGPerformance::jpBestSpeed;
    std::unique_ptr<TBitmap> decoded;
    DibTarget target(decoded);
    jpeg::Decode(data_, o, target);
    bitmap_ = std::move(decoded);
}

TBitmap& TJPEGImage::Bitmap() {
    if (!bitmap_) Decode();
    return *bitmap_;
}

TBitmap TJPEGImage::TakeBitmap() {
    TBitmap b = std::move(Bitmap());
    bitmap_.reset();
    return b;
}

void TJPEGImage::Assign(TBitmap* source) {
    if (!source) throw Exception(L"nil を TJPEGImage に代入することはできません");
    source_ = source;
    data_.clear();
    bitmap_.reset();
}

void TJPEGImage::Compress() {
    data_.clear();
    if (!source_ || source_->Empty() || source_->Width() == 0 || source_->Height() == 0) return;
    BitmapRows rows(*source_);
    jpeg::EncodeOptions o;
    o.quality = CompressionQuality;
    o.grayscale = Grayscale;
    o.progressive = ProgressiveEncoding;
    data_ = jpeg::Encode(source_->Width(), source_->Height(), o, rows);
}

void TJPEGImage::SaveToFile(const std::string& path) const {
    WriteReplacing(path, [&](HANDLE f) { WriteAll(f, data_.data(), data_.size()); });
}

}  // namespace mt
