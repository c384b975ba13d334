// JPEG files read into the still image and written from it.
#include <algorithm>
#include <cstdlib>
#include <set>

#include "base/text.h"
#include "common/pixels.h"
#include "imagefiles/jpeg_codec.h"
#include "imagefiles/jpeg_image.h"
#include "imagefiles/picture_files.h"
#include "picture_files_fixture.h"
#include "tools/ink_jpeg.h"

namespace mt::test {
namespace {

// A colourful gradient as blue, green, red rows.
class Gradient : public jpeg::RowSource {
public:
    Gradient(int w, int h) : w_(w), row_(static_cast<size_t>(w) * 3) { (void)h; }
    const std::uint8_t* Row(int y) override {
        for (int x = 0; x < w_; ++x) {
            row_[x * 3] = static_cast<std::uint8_t>(x * 255 / w_);
            row_[x * 3 + 1] = static_cast<std::uint8_t>(y * 4);
            row_[x * 3 + 2] = static_cast<std::uint8_t>(255 - x * 255 / w_);
        }
        return row_.data();
    }
private:
    int w_;
    std::vector<std::uint8_t> row_;
};

Bytes MakeJpeg(int w, int h, jpeg::EncodeOptions o) {
    Gradient g(w, h);
    return jpeg::Encode(w, h, o, g);
}

// The segment that follows the first marker of the given kind (after its length).
size_t FindMarker(const Bytes& b, std::uint8_t marker) {
    for (size_t i = 2; i + 4 < b.size();) {
        if (b[i] != 0xFF) return 0;
        if (b[i + 1] == marker) return i + 4;
        i += 2 + (b[i + 2] << 8 | b[i + 3]);
    }
    return 0;
}

class JpegFiles : public PictureTest {};

TEST_F(JpegFiles, ADisplayCopySavesAsBaselineQuality70AndLoadsBack) {
    Image().Picture = std::make_unique<TBitmap>(TBitmap::CreateWhiteScreenCompatible(320, 240));
    SavePicture(Image(), Path("shot.jpg"));
    Bytes b = ReadBytes(Path("shot.jpg"));
    ASSERT_GT(b.size(), 100u);
    size_t sof = FindMarker(b, 0xC0);  // baseline
    ASSERT_NE(sof, 0u);
    EXPECT_EQ(b[sof], 8);
    EXPECT_EQ(b[sof + 1] << 8 | b[sof + 2], 240);
    EXPECT_EQ(b[sof + 3] << 8 | b[sof + 4], 320);
    EXPECT_EQ(b[sof + 5], 3);
    EXPECT_EQ(FindMarker(b, 0xC2), 0u);
    size_t dqt = FindMarker(b, 0xDB);
    ASSERT_NE(dqt, 0u);
    EXPECT_EQ(b[dqt + 1], 10);  // 16 scaled to quality 70

    jpeg::Header h = jpeg::ReadHeader(b);
    EXPECT_FALSE(h.grayscale);
    LoadPicture(Image(), Path("shot.jpg"));
    TBitmap& p = *Image().Picture;
    EXPECT_EQ(p.Width(), 320);
    EXPECT_EQ(p.Height(), 240);
    EXPECT_EQ(p.BitsPerPixel(), TJPEGImage::Defaults().PixelFormat == TJPEGPixelFormat::jf8Bit ? 8 : 24);
    EXPECT_EQ(PixelAt(p, 160, 120), 0xFFFFFFu);
}

TEST_F(JpegFiles, ColoursSurviveASaveAndLoadInTheirOrder) {
    BmpSpec s;
    s.width = 32;
    s.height = 16;
    s.pixels.clear();
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) {
            bool left = x < 16;
            s.pixels.insert(s.pixels.end(), {std::uint8_t(left ? 0 : 255), 0, std::uint8_t(left ? 255 : 0)});
        }
    WriteBytes(Path("halves.bmp"), MakeBmp(s));  // left red, right blue
    LoadPicture(Image(), Path("halves.bmp"));
    SavePicture(Image(), Path("halves.JPEG"));
    Image().Picture.reset();
    LoadPicture(Image(), Path("halves.JPEG"));
    TBitmap& p = *Image().Picture;
    ASSERT_EQ(p.Width(), 32);
    std::uint32_t left = PixelAt(p, 4, 8), right = PixelAt(p, 27, 8);
    EXPECT_GT(left >> 16 & 255, 200u) << std::hex << left;
    EXPECT_LT(left & 255, 60u) << std::hex << left;
    EXPECT_GT(right & 255, 200u) << std::hex << right;
    EXPECT_LT(right >> 16 & 255, 60u) << std::hex << right;
}

TEST_F(JpegFiles, GrayscaleBecomesEightBitsWithAtMost236Grays) {
    jpeg::EncodeOptions o;
    o.grayscale = true;
    WriteBytes(Path("gray.jpg"), MakeJpeg(256, 64, o));
    LoadPicture(Image(), Path("gray.jpg"));
    TBitmap& p = *Image().Picture;
    EXPECT_EQ(p.BitsPerPixel(), 8);
    const auto& table = p.PixelFormat().colors;
    EXPECT_LE(table.size(), 236u);
    EXPECT_GT(table.size(), 100u);
    std::set<std::uint32_t> seen;
    for (int x = 0; x < 256; ++x) {
        std::uint32_t c = PixelAt(p, x, 10);
        EXPECT_EQ(c & 0xFF, c >> 16 & 0xFF);
        EXPECT_EQ(c & 0xFF, c >> 8 & 0xFF);
        seen.insert(c);
    }
    EXPECT_GT(seen.size(), 20u);
    // Written as BMP it keeps the gray palette.
    SavePicture(Image(), Path("gray.bmp"));
    Bytes b = ReadBytes(Path("gray.bmp"));
    EXPECT_EQ(Le16(b, 28), 8);
    EXPECT_EQ(Le32(b, 46), table.size());
}

TEST_F(JpegFiles, ProgressiveFilesLoadInOnePass) {
    jpeg::EncodeOptions o;
    o.progressive = true;
    Bytes b = MakeJpeg(200, 100, o);
    EXPECT_NE(FindMarker(b, 0xC2), 0u);
    WriteBytes(Path("prog.jpg"), b);
    TJPEGImage j;
    j.LoadFromFile(Path("prog.jpg"));
    EXPECT_TRUE(j.IsProgressive());
    EXPECT_EQ(j.Width(), 200);
    LoadPicture(Image(), Path("prog.jpg"));
    EXPECT_EQ(Image().Picture->Width(), 200);
    EXPECT_EQ(Image().Picture->Height(), 100);
    std::uint32_t left = PixelAt(*Image().Picture, 2, 50);  // red side of the gradient
    EXPECT_GT(left >> 16 & 255, 200u);
    EXPECT_LT(left & 255, 60u);
}

TEST_F(JpegFiles, EightBitOutputIsQuantisedTo236Colours) {
    WriteBytes(Path("colour.jpg"), MakeJpeg(64, 64, {}));
    TJPEGImage j;
    j.PixelFormat = TJPEGPixelFormat::jf8Bit;
    j.LoadFromFile(Path("colour.jpg"));
    TBitmap& p = j.Bitmap();
    EXPECT_EQ(p.BitsPerPixel(), 8);
    EXPECT_LE(p.PixelFormat().colors.size(), 236u);
    EXPECT_GT(p.PixelFormat().colors.size(), 16u);
}

// The largest difference of a red, green or blue value between two pictures,
// compared pixel by pixel or as the means of square blocks of block pixels.
int LargestDifference(const Pixels& a, const Pixels& b, int block = 1) {
    int largest = 0;
    for (int y = 0; y + block <= a.height; y += block)
        for (int x = 0; x + block <= a.width; x += block)
            for (int shift : {0, 8, 16}) {
                int sum = 0;
                for (int i = 0; i < block * block; ++i)
                    sum += int(a.At(x + i % block, y + i / block) >> shift & 255) -
                           int(b.At(x + i % block, y + i / block) >> shift & 255);
                largest = std::max(largest, std::abs(sum) / (block * block));
            }
    return largest;
}

TEST_F(JpegFiles, CmykAndYcckFilesShowAsTheSamePicturesRgbFile) {
    constexpr int w = 64, h = 48;
    WriteBytes(Path("rgb.jpg"), media::WriteInkJpeg(w, h, media::InkJpeg::Rgb));
    LoadPicture(Image(), Path("rgb.jpg"));
    const Pixels rgb = ReadBitmap(Image().Picture->Handle());
    ASSERT_EQ(rgb.width, w);
    const struct {
        const char* name;
        media::InkJpeg kind;
    } files[] = {{"cmyk.jpg", media::InkJpeg::Cmyk},
                 {"adobe-cmyk.jpg", media::InkJpeg::AdobeCmyk},
                 {"adobe-ycck.jpg", media::InkJpeg::AdobeYcck}};
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        WriteBytes(Path(f.name), media::WriteInkJpeg(w, h, f.kind));
        EXPECT_EQ(FailureOf([&] { LoadPicture(Image(), Path(f.name)); }), L"");
        TBitmap& p = *Image().Picture;
        ASSERT_EQ(p.Width(), w);
        ASSERT_EQ(p.Height(), h);
        EXPECT_EQ(p.BitsPerPixel(), 24);
        EXPECT_LE(LargestDifference(ReadBitmap(p.Handle()), rgb), 4);

        // 8-bit output: the palette of the quantised inks shows the same picture
        // in the mean of each 16 by 16 block.
        TJPEGImage j;
        j.PixelFormat = TJPEGPixelFormat::jf8Bit;
        j.LoadFromFile(Path(f.name));
        TBitmap& eight = j.Bitmap();
        EXPECT_EQ(eight.BitsPerPixel(), 8);
        EXPECT_LE(eight.PixelFormat().colors.size(), 236u);
        EXPECT_LE(LargestDifference(ReadBitmap(eight.Handle()), rgb, 16), 6);
    }
}

TEST_F(JpegFiles, BadDataReportsTheLibrarysCode) {
    WriteBytes(Path("empty.jpg"), {});
    EXPECT_EQ(FailureOf([&] { LoadPicture(Image(), Path("empty.jpg")); }), L"JPEG エラー #41");
    ASSERT_TRUE(Image().Picture);  // failed at decoding: an empty picture
    EXPECT_TRUE(Image().Picture->Empty());

    Image().Picture.reset();
    Bytes text = {'t', 'h', 'i', 's', ' ', 'i', 's', ' ', 'n', 'o', 't', ' ', 'a', ' ', 'J', 'P', 'E', 'G'};
    WriteBytes(Path("text.jpg"), text);
    EXPECT_EQ(FailureOf([&] { LoadPicture(Image(), Path("text.jpg")); }), L"JPEG エラー #52");
    EXPECT_FALSE(Image().Picture);  // failed at the header: the pane untouched
    WriteBytes(Path("text.bmp"), text);
    EXPECT_EQ(FailureOf([&] { LoadPicture(Image(), Path("text.bmp")); }), L"ビットマップイメージが不正です");
    WriteBytes(Path("tiny.bmp"), {'B', 'M', 0});
    EXPECT_EQ(FailureOf([&] { LoadPicture(Image(), Path("tiny.bmp")); }), L"ストリームからの読み込みエラー");
    EXPECT_EQ(FailureOf([&] { LoadPicture(Image(), Path("none.jpg")); }),
              L"ファイル " + AnsiToWide(Path("none.jpg")) + L" は開けません");
}

TEST_F(JpegFiles, HostileFilesAreRefusedAndThePictureStays) {
    InstallKnownPicture();
    Bytes b = MakeJpeg(16, 16, {});
    size_t sof = FindMarker(b, 0xC0);
    ASSERT_NE(sof, 0u);
    b[sof + 1] = b[sof + 3] = 0xEA;  // 60000 x 60000
    b[sof + 2] = b[sof + 4] = 0x60;
    WriteBytes(Path("huge.jpg"), b);
    EXPECT_EQ(FailureOf([&] { LoadPicture(Image(), Path("huge.jpg")); }), L"JPEG エラー #40");
    ExpectKnownPicture();

    // Cut short: the missing end is supplied, the picture loads.
    Bytes cut = MakeJpeg(256, 256, {});
    cut.resize(cut.size() / 2);
    WriteBytes(Path("cut.jpg"), cut);
    EXPECT_EQ(FailureOf([&] { LoadPicture(Image(), Path("cut.jpg")); }), L"");
    EXPECT_EQ(Image().Picture->Width(), 256);
}

TEST_F(JpegFiles, NothingToSaveAsJpegIsAnAssignmentFailure) {
    EXPECT_EQ(FailureOf([&] { SavePicture(Image(), Path("nil.jpg")); }),
              L"nil を TJPEGImage に代入することはできません");
    EXPECT_FALSE(FileExists(Path("nil.jpg")));
    EXPECT_EQ(FailureOf([&] { SavePicture(Image(), Path("nil.bmp")); }), L"");
    EXPECT_FALSE(FileExists(Path("nil.bmp")));
}

TEST_F(JpegFiles, OnlyTheUpperCasedExtensionDecides) {
    WriteBytes(Path("photo.Jpeg"), MakeJpeg(8, 8, {}));
    LoadPicture(Image(), Path("photo.Jpeg"));
    ASSERT_TRUE(Image().Picture);
    EXPECT_EQ(Image().Picture->Width(), 8);

    Image().Picture.reset();
    WriteBytes(Path("picture.txt"), MakeJpeg(8, 8, {}));
    WriteBytes(Path("noext"), MakeJpeg(8, 8, {}));
    WriteBytes(Path("photo.jpe"), MakeJpeg(8, 8, {}));
    for (const char* name : {"picture.txt", "noext", "photo.jpe"}) {
        LoadPicture(Image(), Path(name));
        EXPECT_FALSE(Image().Picture) << name;
    }
    InstallKnownPicture();
    for (const char* name : {"out.png", "out.gif", "out"}) {
        SavePicture(Image(), Path(name));
        EXPECT_FALSE(FileExists(Path(name))) << name;
    }
}

}  // namespace
}  // namespace mt::test
