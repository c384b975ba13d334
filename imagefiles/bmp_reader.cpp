#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#include "base/errors.h"
#include "base/failure.h"
#include "imagefiles/bmp_format.h"
#include "imagefiles/bmp_io.h"
#include "imagefiles/dib.h"
#include "imagefiles/file_io.h"

namespace mt {
namespace {

// Where the reader takes a bitmap's bytes from, by their offset in a BMP file:
// a file, or a packed bitmap in memory behind a file header of its own.
[[noreturn]] void Malformed() { throw EInvalidGraphic(L"ビットマップイメージが不正です"); }

struct Source {
    std::uint64_t length;
    std::function<void(std::uint64_t offset, void* to, std::size_t n)> read;
};

// A run-length-compressed file: the platform builds a display-format bitmap
// from it, and the file from its header on is kept to be written back with
// the pixel offset it was read at.
TBitmap LoadCompressed(const Source& source, const bmp::Layout& layout) {
    std::uint64_t rest = source.length - bmp::kFileHeaderSize;
    std::uint64_t rows = static_cast<std::uint64_t>(layout.format.height);
    if (rest > 4 * bmp::ImageBytes(layout.format) + 2 * rows + bmp::kHeadBytes + 65536)
        throw EInvalidGraphic(L"ビットマップイメージが不正です");
    std::vector<std::uint8_t> retained(static_cast<std::size_t>(rest));
    source.read(bmp::kFileHeaderSize, retained.data(), retained.size());
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

TBitmap LoadUncompressed(const Source& source, const bmp::Layout& layout) {
    TBitmap result = CreateDib(layout.format);
    ::GdiFlush();
    source.read(layout.pixelOffset, result.Bits(), layout.pixelBytes);
    return result;
}

// Reads the headers, checks them and builds the picture. Where `whole` is
// asked for, pixel data shorter than the header promises is malformed too.
TBitmap Load(const Source& source, bool whole) {
    std::vector<std::uint8_t> head(static_cast<std::size_t>(std::min<std::uint64_t>(source.length, bmp::kHeadBytes)));
    source.read(0, head.data(), head.size());
    bmp::Layout layout = bmp::Parse(head, source.length);
    if (layout.empty) return TBitmap();
    if (whole && !layout.retained && layout.pixelBytes < bmp::ImageBytes(layout.format))
        throw EInvalidGraphic(L"ビットマップイメージが不正です");
    return layout.retained ? LoadCompressed(source, layout) : LoadUncompressed(source, layout);
}

}  // namespace

void LoadBmpFile(TBitmap& target, const std::string& path) {
    OwnedFile file = OpenForReading(path);
    Source source{FileLength(file.get()), [&](std::uint64_t offset, void* to, std::size_t n) {
                      SeekTo(file.get(), offset);
                      ReadExact(file.get(), to, n);
                  }};
    target = Load(source, false);
}

TBitmap LoadPackedDib(std::span<const std::uint8_t> dib) {
    // The bitmap as the file it would be: "BM", then fields the reader does not use.
    const std::uint8_t header[bmp::kFileHeaderSize] = {'B', 'M'};
    Source source{bmp::kFileHeaderSize + dib.size(), [&](std::uint64_t offset, void* to, std::size_t n) {
                      auto* out = static_cast<std::uint8_t*>(to);
                      for (; n > 0 && offset < bmp::kFileHeaderSize; --n) *out++ = header[offset++];
                      if (n == 0) return;
                      const std::uint64_t at = offset - bmp::kFileHeaderSize;
                      if (at > dib.size() || n > dib.size() - at) Malformed();
                      std::memcpy(out, dib.data() + at, n);
                  }};
    try {
        return Load(source, true);
    } catch (const EReadError&) {
        Malformed();  // what the block lacks, its header claimed
    }
}

}  // namespace mt
