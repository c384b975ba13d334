// Writes the fuzz targets' seed corpora: small valid BMP files of every depth
// and header kind (one with unused bytes before its pixels), and baseline,
// progressive, grayscale and CMYK JPEG files; and, given a third folder, a
// 135-byte MP4 whose movie box claims 15 MB, which the clip header must not take
// at its word.
#include <cstdio>
#include <string>
#include <vector>

#include "imagefiles/bmp_format.h"
#include "imagefiles/jpeg_codec.h"
#include "tools/ink_jpeg.h"

namespace {

void Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

class Pattern : public mt::jpeg::RowSource {
public:
    explicit Pattern(int w) : row_(static_cast<std::size_t>(w) * 3) {}
    const std::uint8_t* Row(int y) override {
        for (std::size_t i = 0; i < row_.size(); ++i) row_[i] = static_cast<std::uint8_t>(i * 5 + y * 9);
        return row_.data();
    }
private:
    std::vector<std::uint8_t> row_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    std::string bmp = argv[1], jpg = argv[2];
    int n = 0;
    for (unsigned bits : {1u, 4u, 8u, 16u, 24u, 32u})
        for (bool core : {false, true})
            for (int height : {3, -3}) {
                mt::TPixelFormat f;
                f.width = 5;
                f.height = core ? 3 : height;
                f.bitCount = static_cast<std::uint16_t>(bits);
                f.fromCoreHeader = core;
                if (bits <= 8) f.colors.assign(1u << bits, 0x102030);
                if (bits == 16 && !core && height < 0) {
                    f.compression = 3;
                    f.masks[0] = 0xF800; f.masks[1] = 0x7E0; f.masks[2] = 0x1F;
                }
                auto bytes = mt::bmp::BuildHeaders(f, static_cast<std::uint32_t>(mt::bmp::ImageBytes(f)));
                bytes.resize(bytes.size() + mt::bmp::ImageBytes(f), 0x5A);
                Write(bmp + "/seed" + std::to_string(n++) + ".bmp", bytes);
            }
    // A run-length file: the retained layout.
    std::vector<std::uint8_t> rle = {40, 0, 0, 0, 4, 0, 0, 0, 2, 0, 0, 0, 1, 0, 8, 0, 1, 0, 0, 0, 10, 0, 0, 0,
                                     0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0,
                                     4, 1, 0, 0, 2, 0, 2, 1, 0, 1};
    auto header = mt::bmp::BuildRetainedFileHeader(rle.size(), mt::bmp::kFileHeaderSize + 40 + 2 * 4);
    header.insert(header.end(), rle.begin(), rle.end());
    Write(bmp + "/rle8.bmp", header);
    // Unused bytes between the colour table and the pixels, which the pixel offset skips.
    mt::TPixelFormat gap;
    gap.width = 5;
    gap.height = 3;
    gap.bitCount = 4;
    gap.colors.assign(16, 0x405060);
    auto gapped = mt::bmp::BuildHeaders(gap, static_cast<std::uint32_t>(mt::bmp::ImageBytes(gap)));
    gapped[10] = static_cast<std::uint8_t>(gapped.size() + 20);
    gapped.resize(gapped.size() + 20 + mt::bmp::ImageBytes(gap), 0x3C);
    Write(bmp + "/gap.bmp", gapped);

    int k = 0;
    for (bool gray : {false, true})
        for (bool progressive : {false, true}) {
            Pattern p(24);
            mt::jpeg::EncodeOptions o;
            o.grayscale = gray;
            o.progressive = progressive;
            Write(jpg + "/seed" + std::to_string(k++) + ".jpg", mt::jpeg::Encode(24, 16, o, p));
        }
    Write(jpg + "/cmyk.jpg", mt::media::WriteInkJpeg(24, 16, mt::media::InkJpeg::AdobeCmyk));
    if (argc > 3) {
        std::vector<std::uint8_t> mp4 = {0, 0, 0, 20, 'f', 't', 'y', 'p', 'i', 's', 'o', 'm', 0, 0, 2, 0,
                                         'i', 's', 'o', 'm', 0, 0xF0, 0, 0, 'm', 'o', 'o', 'v'};
        mp4.resize(135, 0);
        Write(std::string(argv[3]) + "/long-moov.mp4", mp4);
    }
    return 0;
}
