#include "imagefiles/dib.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "base/errors.h"
#include "base/failure.h"

namespace mt {

DibInfo MakeDibInfo(const TPixelFormat& f) {
    DibInfo info{};
    BITMAPINFOHEADER& h = info.header;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = f.width;
    h.biHeight = f.height;
    h.biPlanes = 1;
    h.biBitCount = f.bitCount;
    h.biCompression = f.compression;
    h.biXPelsPerMeter = f.xPelsPerMeter;
    h.biYPelsPerMeter = f.yPelsPerMeter;
    if (f.compression == BI_BITFIELDS) {
        std::memcpy(info.colors, f.masks, sizeof f.masks);
    } else if (f.bitCount <= 8) {
        std::size_t n = std::min<std::size_t>(f.colors.size(), 256);
        std::memcpy(info.colors, f.colors.data(), n * sizeof(RGBQUAD));
        for (std::size_t i = 0; i < n; ++i) info.colors[i].rgbReserved = 0;
        h.biClrUsed = 1u << f.bitCount;
    }
    return info;
}

OwnedPalette PaletteFromColors(const std::vector<std::uint32_t>& colors) {
    if (colors.empty()) return OwnedPalette();
    std::size_t n = std::min<std::size_t>(colors.size(), 256);
    auto buffer = std::make_unique<std::uint8_t[]>(sizeof(LOGPALETTE) + n * sizeof(PALETTEENTRY));
    auto* pal = reinterpret_cast<LOGPALETTE*>(buffer.get());
    pal->palVersion = 0x300;
    pal->palNumEntries = static_cast<WORD>(n);
    for (std::size_t i = 0; i < n; ++i) {
        std::uint32_t c = colors[i];
        pal->palPalEntry[i] = PALETTEENTRY{static_cast<BYTE>(c >> 16), static_cast<BYTE>(c >> 8),
                                           static_cast<BYTE>(c), 0};
    }
    return OwnedPalette(::CreatePalette(pal));
}

TBitmap CreateDib(const TPixelFormat& format) {
    DibInfo info = MakeDibInfo(format);
    void* bits = nullptr;
    ::SetLastError(0);
    OwnedBitmap section(::CreateDIBSection(nullptr, info.get(), DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!section || !bits) {
        DWORD code = ::GetLastError();
        if (code != 0) RaiseLastOSError(code);
        throw EInvalidGraphic(L"ビットマップイメージが不正です");
    }
    OwnedPalette palette;
    if (format.bitCount > 8) palette = PaletteFromColors(format.colors);
    TBitmap b;
    b.AssignDib(std::move(section), bits, format, std::move(palette));
    return b;
}

}  // namespace mt
