#include <vector>

#include "base/errors.h"
#include "base/failure.h"
#include "imagefiles/bmp_format.h"
#include "imagefiles/bmp_io.h"
#include "imagefiles/dib.h"
#include "imagefiles/file_io.h"

namespace mt {
namespace {

[[noreturn]] void ConversionFailed() {
    std::wstring message = SystemErrorText(::GetLastError());
    throw EOutOfResources(message.empty() ? L"システム リソースが足りません" : message);
}

void WriteParts(const std::string& path, const std::vector<std::uint8_t>& headers, const void* pixels,
                std::size_t pixelBytes) {
    WriteReplacing(path, [&](HANDLE f) {
        WriteAll(f, headers.data(), headers.size());
        WriteAll(f, pixels, pixelBytes);
    });
}

// A display-format picture as an uncompressed bottom-up copy in the display
// bitmap's own depth: its format and pixels.
struct DisplayCopy {
    TPixelFormat format;
    std::vector<std::uint8_t> pixels;
};
DisplayCopy CopyDisplayFormat(TBitmap& image) {
    image.ReleaseCanvas();  // GetDIBits wants the bitmap unselected
    DisplayCopy copy;
    TPixelFormat& f = copy.format;
    f.width = image.Width();
    f.height = image.Height();
    f.bitCount = static_cast<std::uint16_t>(image.BitsPerPixel());
    f.clrUsed = image.PixelFormat().clrUsed;
    f.clrImportant = image.PixelFormat().clrImportant;
    DibInfo info = MakeDibInfo(f);
    info.header.biClrUsed = 0;
    copy.pixels.resize(static_cast<std::size_t>(bmp::ImageBytes(f)));
    WindowDC screen(nullptr);
    ::SetLastError(0);
    if (::GetDIBits(screen.get(), image.Handle(), 0, static_cast<UINT>(f.height), copy.pixels.data(), info.get(),
                    DIB_RGB_COLORS) == 0)
        ConversionFailed();
    if (f.bitCount <= 8) {
        const auto* table = reinterpret_cast<const std::uint32_t*>(info.colors);
        f.colors.assign(table, table + (1u << f.bitCount));
    }
    return copy;
}

}  // namespace

void SaveBmpFile(TBitmap& image, const std::string& path) {
    if (!image.RetainedData.empty()) {
        WriteParts(path, bmp::BuildRetainedFileHeader(image.RetainedData.size(), image.RetainedPixelOffset), image.RetainedData.data(),
                   image.RetainedData.size());
    } else if (image.Empty()) {
        WriteReplacing(path, [](HANDLE) {});
    } else if (image.IsDib()) {
        ::GdiFlush();
        const TPixelFormat& f = image.PixelFormat();
        auto bytes = static_cast<std::uint32_t>(bmp::ImageBytes(f));
        WriteParts(path, bmp::BuildHeaders(f, bytes), image.Bits(), bytes);
    } else {
        DisplayCopy copy = CopyDisplayFormat(image);
        WriteParts(path, bmp::BuildHeaders(copy.format, static_cast<std::uint32_t>(copy.pixels.size())),
                   copy.pixels.data(), copy.pixels.size());
    }
}

std::vector<std::uint8_t> PackedDib(TBitmap& image) {
    if (image.Empty() || image.Width() <= 0 || image.Height() <= 0) return {};
    DisplayCopy copy;
    const std::uint8_t* pixels = nullptr;
    if (image.IsDib()) {
        ::GdiFlush();
        copy.format = image.PixelFormat();
        copy.format.fromCoreHeader = false;  // the clipboard's bitmaps have the 40-byte header
        pixels = image.Bits();
    } else {
        copy = CopyDisplayFormat(image);
        pixels = copy.pixels.data();
    }
    auto bytes = static_cast<std::uint32_t>(bmp::ImageBytes(copy.format));
    std::vector<std::uint8_t> dib = bmp::BuildHeaders(copy.format, bytes);
    dib.erase(dib.begin(), dib.begin() + bmp::kFileHeaderSize);
    dib.insert(dib.end(), pixels, pixels + bytes);
    return dib;
}

}  // namespace mt
