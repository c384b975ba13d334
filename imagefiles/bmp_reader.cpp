#include <algorithm>
#include <vector>

#include "app/errors.h"
#include "app/failure.h"
#include "imagefiles/bmp_format.h"
#include "imagefiles/bmp_io.h"
#include "imagefiles/dib.h"
#include "imagefiles/file_io.h"

namespace mt {
namespace {

// A run-length-compressed file: the platform builds a display-format bitmap
// from it, and the file from its header on is kept to be written back with
// the pixel offset it was read at.
TBitmap LoadCompressed(HANDLE file, std::uint64_t length, const bmp::Layout& layout) {
    std::uint64_t rest = length - bmp::kFileHeaderSize;
    std::uint64_t rows = static_cast<std::uint64_t>(layout.format.height);
    if (rest > 4 * bmp::ImageBytes(layout.format) + 2 * rows + bmp::kHeadBytes + 65536)
        throw EInvalidGraphic(L"ビットマップイメージが不正です");
    std::vector<std::uint8_t> retained(static_cast<std::size_t>(rest));
    SeekTo(file, bmp::kFileHeaderSize);
    ReadExact(file, retained.data(), retained.size());
    std::span<const std::uint8_t> pixels(retained.data() + (layout.pixelOffset - bmp::kFileHeaderSize),
                                         layout.pixelBytes);
    bmp::CheckRle(layout.format, pixels);

    DibInfo info = MakeDibInfo(layout.format);
    info.header.biSizeImage = layout.pixelBytes;
    OwnedPalette palette = PaletteFromColors(layout.format.colors);
    WindowDC screen(nullptr);
    OwnedBitmap bitmap;
    {
        PaletteGuard selected(screen.get(), palette.get(), TRUE);
        if (palette) ::RealizePalette(screen.get());
        ::SetLastError(0);
        bitmap.reset(::CreateDIBitmap(screen.get(), &info.header, CBM_INIT, pixels.data(), info.get(), DIB_RGB_COLORS));
    }
    if (!bitmap) {
        DWORD code = ::GetLastError();
        if (code != 0) RaiseLastOSError(code);
        throw EInvalidGraphic(L"ビットマップイメージが不正です");
    }
    TBitmap result;
    result.Assign(std::move(bitmap), std::move(palette));
    result.RetainedData = std::move(retained);
    result.RetainedPixelOffset = static_cast<std::uint32_t>(layout.pixelOffset);
    return result;
}

TBitmap LoadUncompressed(HANDLE file, const bmp::Layout& layout) {
    TBitmap result = CreateDib(layout.format);
    ::GdiFlush();
    SeekTo(file, layout.pixelOffset);
    ReadExact(file, result.Bits(), layout.pixelBytes);
    return result;
}

}  // namespace

void LoadBmpFile(TBitmap& target, const std::string& path) {
    OwnedFile file = OpenForReading(path);
    std::uint64_t length = FileLength(file.get());
    std::vector<std::uint8_t> head(static_cast<std::size_t>(std::min<std::uint64_t>(length, bmp::kHeadBytes)));
    ReadExact(file.get(), head.data(), head.size());
    bmp::Layout layout = bmp::Parse(head, length);
    if (layout.empty) {
        target = TBitmap();
        return;
    }
    target = layout.retained ? LoadCompressed(file.get(), length, layout) : LoadUncompressed(file.get(), layout);
}

}  // namespace mt
