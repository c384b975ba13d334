#include "imagefiles/bmp_format.h"

#include <algorithm>
#include <climits>

#include "base/errors.h"

namespace mt::bmp {
namespace {

[[noreturn]] void Invalid() { throw EInvalidGraphic(L"ビットマップイメージが不正です"); }
[[noreturn]] void ShortRead() { throw EReadError(L"ストリームからの読み込みエラー"); }

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::int32_t I32(const std::uint8_t* p) { return static_cast<std::int32_t>(U32(p)); }

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// Reads a file's first bytes in order; running past the file's end is a short read.
class Cursor {
public:
    Cursor(std::span<const std::uint8_t> head, std::uint64_t fileLength) : head_(head), length_(fileLength) {}
    const std::uint8_t* Take(std::uint64_t n) {
        if (n > length_ - pos_ || pos_ + n > head_.size()) ShortRead();
        const std::uint8_t* p = head_.data() + pos_;
        pos_ += n;
        return p;
    }
    std::uint64_t Pos() const { return pos_; }
private:
    std::span<const std::uint8_t> head_;
    std::uint64_t length_;
    std::uint64_t pos_ = 0;
};

bool DepthFitsCompression(unsigned bits, std::uint32_t compression) {
    switch (compression) {
    case kBiRgb: return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    case kBiBitfields: return bits == 16 || bits == 32;
    case kBiRle8: return bits == 8;
    case kBiRle4: return bits == 4;
    default: return false;
    }
}

void CheckMasks(const Format& f) {
    std::uint64_t limit = f.bitCount == 16 ? 0xFFFFu : 0xFFFFFFFFu;
    std::uint32_t seen = 0;
    for (std::uint32_t m : f.masks) {
        if (m == 0 || m > limit || (seen & m)) Invalid();
        seen |= m;
    }
}

void ReadInfoFields(const std::vector<std::uint8_t>& h, Format& f, std::uint32_t& planes, std::uint32_t& sizeImage) {
    const std::uint8_t* p = h.data();
    f.width = I32(p + 4);
    f.height = I32(p + 8);
    planes = U16(p + 12);
    f.bitCount = U16(p + 14);
    f.compression = U32(p + 16);
    sizeImage = U32(p + 20);
    f.xPelsPerMeter = I32(p + 24);
    f.yPelsPerMeter = I32(p + 28);
    f.clrUsed = U32(p + 32);
    f.clrImportant = U32(p + 36);
}

void CheckGeometry(const Format& f) {
    if (!DepthFitsCompression(f.bitCount, f.compression)) Invalid();
    if (f.width <= 0 || f.height == 0 || f.height == INT_MIN) Invalid();
    std::int64_t rows = f.height < 0 ? -std::int64_t{f.height} : f.height;
    if (f.width > kMaxDimension || rows > kMaxDimension) Invalid();
    if (static_cast<std::uint64_t>(f.width) * static_cast<std::uint64_t>(rows) > kMaxPixels) Invalid();
    if (f.height < 0 && (f.compression == kBiRle8 || f.compression == kBiRle4)) Invalid();
}

}  // namespace

std::uint64_t Stride(std::int64_t width, unsigned bitCount) {
    return ((static_cast<std::uint64_t>(width) * bitCount + 31) / 32) * 4;
}

std::uint64_t ImageBytes(const Format& f) {
    std::int64_t rows = f.height < 0 ? -std::int64_t{f.height} : f.height;
    return Stride(f.width, f.bitCount) * static_cast<std::uint64_t>(rows);
}

Layout Parse(std::span<const std::uint8_t> head, std::uint64_t fileLength) {
    Layout out;
    if (fileLength == 0) {
        out.empty = true;
        return out;
    }
    Cursor c(head, fileLength);
    const std::uint8_t* fileHeader = c.Take(kFileHeaderSize);
    if (U16(fileHeader) != 0x4D42) Invalid();
    // The pixel offset is believed only where it lies inside the file.
    const std::uint32_t offset = U32(fileHeader + 10);
    const bool offsetInFile = offset < fileLength;
    std::uint32_t h = U32(c.Take(4));
    Format& f = out.format;
    std::uint32_t planes = 0, sizeImage = 0;
    std::uint32_t entrySize = 4;
    if (h == kCoreHeaderSize) {
        const std::uint8_t* p = c.Take(8);
        out.infoHeader.assign(kInfoHeaderSize, 0);
        std::vector<std::uint8_t> built;
        Put32(built, kInfoHeaderSize);
        Put32(built, U16(p));
        Put32(built, U16(p + 2));
        Put16(built, U16(p + 4));
        Put16(built, U16(p + 6));
        std::copy(built.begin(), built.end(), out.infoHeader.begin());
        f.fromCoreHeader = true;
        entrySize = 3;
    } else {
        if (h < kInfoHeaderSize || h > kMaxHeaderSize) Invalid();
        const std::uint8_t* p = c.Take(h - 4);
        Put32(out.infoHeader, h);
        out.infoHeader.insert(out.infoHeader.end(), p, p + (h - 4));
    }
    ReadInfoFields(out.infoHeader, f, planes, sizeImage);
    out.retained = f.compression != kBiRgb && f.compression != kBiBitfields;
    if (planes != 1) Invalid();
    CheckGeometry(f);
    if (f.compression == kBiBitfields) {
        const std::uint8_t* m = nullptr;
        if (h == kInfoHeaderSize) m = c.Take(12);
        else if (h >= 52) m = out.infoHeader.data() + 40;
        else Invalid();
        for (int i = 0; i < 3; ++i) f.masks[i] = U32(m + 4 * i);
        CheckMasks(f);
    }
    if (f.clrUsed == 0) f.clrUsed = f.bitCount <= 8 ? 1u << f.bitCount : 0;
    // A core header has no colours-used field: a pixel offset inside the full
    // table tells of a shorter one (writers leave off unused entries), as long
    // as at least one entry fits before it.
    if (f.fromCoreHeader && offsetInFile && offset >= c.Pos() + entrySize &&
        offset < c.Pos() + std::uint64_t{f.clrUsed} * entrySize)
        f.clrUsed = static_cast<std::uint32_t>((offset - c.Pos()) / entrySize);
    if (f.clrUsed > kMaxColors) Invalid();
    const std::uint8_t* table = c.Take(std::uint64_t{f.clrUsed} * entrySize);
    f.colors.resize(f.clrUsed);
    for (std::uint32_t i = 0; i < f.clrUsed; ++i) {
        const std::uint8_t* e = table + i * entrySize;
        f.colors[i] = e[0] | e[1] << 8 | e[2] << 16 | (entrySize == 4 ? static_cast<std::uint32_t>(e[3]) << 24 : 0);
    }
    std::uint64_t wanted = sizeImage != 0 ? sizeImage : ImageBytes(f);
    if (!out.retained) wanted = std::min(wanted, ImageBytes(f));
    // Unused bytes may lie between the table and the pixels; an offset inside
    // the headers or the table, or past the file's end, is not believed and the
    // pixels follow the table.
    out.pixelOffset = offsetInFile && offset >= c.Pos() ? offset : c.Pos();
    out.pixelBytes =
        static_cast<std::uint32_t>(std::min<std::uint64_t>({wanted, fileLength - out.pixelOffset, 0xFFFFFFFFu}));
    return out;
}

void CheckRle(const Format& f, std::span<const std::uint8_t> data) {
    const bool four = f.compression == kBiRle4;
    const std::int64_t width = f.width, height = f.height;
    std::int64_t x = 0, y = 0;
    std::size_t i = 0;
    auto draw = [&](std::int64_t n) {
        if (y >= height || x + n > width) Invalid();
        x += n;
    };
    while (i + 1 < data.size()) {
        std::uint8_t count = data[i], value = data[i + 1];
        i += 2;
        if (count > 0) {
            draw(count);
        } else if (value == 0) {
            x = 0;
            if (++y > height) Invalid();
        } else if (value == 1) {
            return;
        } else if (value == 2) {
            if (i + 1 >= data.size()) return;
            x += data[i];
            y += data[i + 1];
            i += 2;
            if (x > width || y > height) Invalid();
        } else {
            draw(value);
            std::size_t bytes = four ? (value + 1u) / 2 : value;
            i += (bytes + 1) & ~std::size_t{1};
        }
    }
}

std::vector<std::uint8_t> BuildHeaders(const Format& f, std::uint32_t imageBytes) {
    std::size_t n = std::min<std::size_t>(f.colors.size(), kMaxColors);
    bool masks = f.bitCount > 8 && f.compression == kBiBitfields && !f.fromCoreHeader;
    std::uint32_t entry = f.fromCoreHeader ? 3 : 4;
    std::uint32_t header = f.fromCoreHeader ? kCoreHeaderSize : kInfoHeaderSize;
    std::uint32_t offset = kFileHeaderSize + header + (masks ? 12 : 0) + entry * static_cast<std::uint32_t>(n);
    std::vector<std::uint8_t> out;
    out.reserve(offset);
    Put16(out, 0x4D42);
    Put32(out, offset + imageBytes);
    Put32(out, 0);
    Put32(out, offset);
    Put32(out, header);
    if (f.fromCoreHeader) {
        Put16(out, static_cast<std::uint32_t>(f.width));
        Put16(out, static_cast<std::uint32_t>(f.height));
        Put16(out, 1);
        Put16(out, f.bitCount);
    } else {
        Put32(out, static_cast<std::uint32_t>(f.width));
        Put32(out, static_cast<std::uint32_t>(f.height));
        Put16(out, 1);
        Put16(out, f.bitCount);
        Put32(out, masks ? kBiBitfields : kBiRgb);
        Put32(out, imageBytes);
        Put32(out, static_cast<std::uint32_t>(f.xPelsPerMeter));
        Put32(out, static_cast<std::uint32_t>(f.yPelsPerMeter));
        Put32(out, n != 0 ? static_cast<std::uint32_t>(n) : f.clrUsed);
        Put32(out, f.clrImportant);
    }
    if (masks)
        for (std::uint32_t m : f.masks) Put32(out, m);
    for (std::size_t i = 0; i < n; ++i) {
        std::uint32_t c = f.colors[i];
        out.push_back(static_cast<std::uint8_t>(c));
        out.push_back(static_cast<std::uint8_t>(c >> 8));
        out.push_back(static_cast<std::uint8_t>(c >> 16));
        if (entry == 4) out.push_back(0);
    }
    return out;
}

std::vector<std::uint8_t> BuildRetainedFileHeader(std::uint64_t retainedBytes, std::uint32_t pixelOffset) {
    std::vector<std::uint8_t> out;
    Put16(out, 0x4D42);
    Put32(out, static_cast<std::uint32_t>(kFileHeaderSize + retainedBytes));
    Put32(out, 0);
    Put32(out, pixelOffset);
    return out;
}

}  // namespace mt::bmp
