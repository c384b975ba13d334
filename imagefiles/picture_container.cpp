#include "imagefiles/picture_container.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "base/bitmap.h"
#include "base/errors.h"
#include "imagefiles/bmp_io.h"
#include "imagefiles/file_io.h"
#include "imagefiles/jpeg_image.h"

namespace mt {
namespace {

inline void DeleteEnhMeta(HENHMETAFILE h) noexcept { ::DeleteEnhMetaFile(h); }
using OwnedEnhMetaFile = Owned<HENHMETAFILE, &DeleteEnhMeta>;

constexpr std::uint64_t kMaxPreviewFileBytes = 64u << 20;

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
    OwnedFile file = OpenForReading(path);
    std::uint64_t length = FileLength(file.get());
    if (length > kMaxPreviewFileBytes) throw EReadError(L"ストリームからの読み込みエラー");
    std::vector<std::uint8_t> data(static_cast<std::size_t>(length));
    ReadExact(file.get(), data.data(), data.size());
    return data;
}

std::uint16_t Le16(const std::vector<std::uint8_t>& d, std::size_t at) {
    return static_cast<std::uint16_t>(d[at] | d[at + 1] << 8);
}
std::uint32_t Le32(const std::vector<std::uint8_t>& d, std::size_t at) {
    return static_cast<std::uint32_t>(Le16(d, at) | std::uint32_t{Le16(d, at + 2)} << 16);
}

[[noreturn]] void InvalidPicture() { throw EInvalidGraphic(L"ビットマップイメージが不正です"); }

int ScreenDpi(int axis) {
    WindowDC screen(nullptr);
    return ::GetDeviceCaps(screen.get(), axis);
}

class BitmapGraphic : public TGraphic {
public:
    explicit BitmapGraphic(const std::string& path) { LoadBmpFile(bitmap_, path); }
    int Width() const override { return bitmap_.Width(); }
    int Height() const override { return bitmap_.Height(); }
    void Draw(HDC dc, const RECT& dest) override {
        if (!bitmap_.Empty()) bitmap_.StretchDrawTo(dc, dest);
    }
private:
    TBitmap bitmap_;
};

// Decoded on the first drawing. A file whose data cannot be decoded reports
// that once; later drawings show nothing, so a repaint after the report does
// not report it again.
class JpegGraphic : public TGraphic {
public:
    explicit JpegGraphic(const std::string& path) { jpeg_.LoadFromFile(path); }
    int Width() const override { return jpeg_.Width(); }
    int Height() const override { return jpeg_.Height(); }
    void Draw(HDC dc, const RECT& dest) override {
        if (failed_ || jpeg_.Width() <= 0) return;
        TBitmap* bitmap = nullptr;
        try {
            bitmap = &jpeg_.Bitmap();
        } catch (...) {
            failed_ = true;
            throw;
        }
        bitmap->StretchDrawTo(dc, dest);
    }
private:
    TJPEGImage jpeg_;
    bool failed_ = false;
};

// The first image of an icon file, made by the system from its resource data.
class IconGraphic : public TGraphic {
public:
    explicit IconGraphic(const std::string& path) {
        std::vector<std::uint8_t> d = ReadWholeFile(path);
        if (d.size() < 22 || Le16(d, 0) != 0 || Le16(d, 2) != 1 || Le16(d, 4) == 0) InvalidPicture();
        width_ = d[6] ? d[6] : 256;
        height_ = d[7] ? d[7] : 256;
        std::uint32_t size = Le32(d, 14), offset = Le32(d, 18);
        if (offset > d.size() || size > d.size() - offset || size < 40) InvalidPicture();
        icon_.reset(::CreateIconFromResourceEx(d.data() + offset, size, TRUE, 0x00030000, width_, height_,
                                               LR_DEFAULTCOLOR));
        if (!icon_) InvalidPicture();
    }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void Draw(HDC dc, const RECT& dest) override {
        ::DrawIconEx(dc, dest.left, dest.top, icon_.get(), dest.right - dest.left, dest.bottom - dest.top, 0, nullptr,
                     DI_NORMAL);
    }
private:
    OwnedIcon icon_;
    int width_ = 0;
    int height_ = 0;
};

// An enhanced metafile, or a Windows metafile (with or without the placeable
// header) converted to one by the system.
class MetafileGraphic : public TGraphic {
public:
    explicit MetafileGraphic(const std::string& path) {
        std::vector<std::uint8_t> d = ReadWholeFile(path);
        constexpr std::uint32_t kEmfSignature = 0x464D4520, kPlaceableKey = 0x9AC6CDD7;
        if (d.size() >= 88 && Le32(d, 0) == 1 && Le32(d, 40) == kEmfSignature) {
            meta_.reset(::SetEnhMetaFileBits(static_cast<UINT>(d.size()), d.data()));
        } else if (d.size() > 22 && Le32(d, 0) == kPlaceableKey) {
            auto coord = [&](std::size_t at) { return static_cast<int>(static_cast<std::int16_t>(Le16(d, at))); };
            int inch = Le16(d, 14);
            if (inch == 0) InvalidPicture();
            int w = coord(10) - coord(6), h = coord(12) - coord(8);
            width_ = ::MulDiv(w, ScreenDpi(LOGPIXELSX), inch);
            height_ = ::MulDiv(h, ScreenDpi(LOGPIXELSY), inch);
            METAFILEPICT mfp{MM_ANISOTROPIC, ::MulDiv(w, 2540, inch), ::MulDiv(h, 2540, inch), nullptr};
            meta_.reset(::SetWinMetaFileBits(static_cast<UINT>(d.size() - 22), d.data() + 22, nullptr, &mfp));
        } else if (d.size() >= 18) {
            meta_.reset(::SetWinMetaFileBits(static_cast<UINT>(d.size()), d.data(), nullptr, nullptr));
        }
        if (!meta_) InvalidPicture();
        if (width_ <= 0 || height_ <= 0) {
            ENHMETAHEADER h{};
            ::GetEnhMetaFileHeader(meta_.get(), sizeof h, &h);
            // The frame is in 0.01 mm.
            width_ = ::MulDiv(h.rclFrame.right - h.rclFrame.left, ScreenDpi(LOGPIXELSX), 2540);
            height_ = ::MulDiv(h.rclFrame.bottom - h.rclFrame.top, ScreenDpi(LOGPIXELSY), 2540);
        }
    }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void Draw(HDC dc, const RECT& dest) override { ::PlayEnhMetaFile(dc, meta_.get(), &dest); }
private:
    OwnedEnhMetaFile meta_;
    int width_ = 0;
    int height_ = 0;
};

std::shared_ptr<TGraphic> LoadGraphic(TPictureKind kind, const std::string& path) {
    switch (kind) {
    case TPictureKind::Metafile: return std::make_shared<MetafileGraphic>(path);
    case TPictureKind::Icon: return std::make_shared<IconGraphic>(path);
    case TPictureKind::Bitmap: return std::make_shared<BitmapGraphic>(path);
    case TPictureKind::Jpeg: return std::make_shared<JpegGraphic>(path);
    }
    InvalidPicture();
}

}  // namespace

void TPicture::LoadFromFile(const std::string& path) {
    std::shared_ptr<TGraphic> loaded = LoadGraphic(PictureKindForFile(path), path);
    graphic_ = std::move(loaded);
}

}  // namespace mt
