// Malformed and hostile BMP files: each is refused with the reader's message
// and the still image keeps what it showed.
#include <climits>
#include <functional>

#include "base/text.h"
#include "common/pixels.h"

#include "imagefiles/picture_files.h"
#include "picture_files_fixture.h"

namespace mt::test {
namespace {

const std::wstring kInvalid = L"ビットマップイメージが不正です";
const std::wstring kShort = L"ストリームからの読み込みエラー";

Bytes Truncated(Bytes b, size_t n) {
    b.resize(n);
    return b;
}

BmpSpec EightBit() {
    BmpSpec s;
    s.bitCount = 8;
    s.colors.assign(256, 0x123456);
    return s;
}

BmpSpec Bitfields16() {
    BmpSpec s;
    s.bitCount = 16;
    s.compression = 3;
    s.masks = {0xF800, 0x07E0, 0x001F};
    return s;
}

struct Case {
    const char* name;
    std::function<Bytes()> file;
    std::wstring message;
};

BmpSpec With(BmpSpec s, const std::function<void(BmpSpec&)>& change) {
    change(s);
    return s;
}

std::vector<Case> Cases() {
    const Bytes eight = MakeBmp(EightBit());
    const Bytes masked = MakeBmp(Bitfields16());
    BmpSpec rle = EightBit();
    rle.compression = 1;
    std::vector<Case> cases = {
        {"one byte", [=] { return Truncated(eight, 1); }, kShort},
        {"inside the file header", [=] { return Truncated(eight, 13); }, kShort},
        {"file header only", [=] { return Truncated(eight, 14); }, kShort},
        {"inside the header size", [=] { return Truncated(eight, 16); }, kShort},
        {"inside the info header", [=] { return Truncated(eight, 30); }, kShort},
        {"last header byte missing", [=] { return Truncated(eight, 53); }, kShort},
        {"inside the colour table", [=] { return Truncated(eight, 54 + 4 * 100 + 2); }, kShort},
        {"inside the masks", [=] { return Truncated(masked, 54 + 6); }, kShort},
        {"core header cut", [=] { return Truncated(MakeBmp(With(EightBit(), [](BmpSpec& s) { s.headerSize = 12; })), 20); }, kShort},
        {"wrong magic", [=] { Bytes b = eight; b[1] = 'A'; return b; }, kInvalid},
        {"header size 8", [] { return MakeBmp(With(BmpSpec{}, [](BmpSpec& s) { s.headerSize = 8; })); }, kInvalid},
        {"header size 24", [] { return MakeBmp(With(BmpSpec{}, [](BmpSpec& s) { s.headerSize = 24; })); }, kInvalid},
        {"header size 1 MiB", [] { Bytes b = MakeBmp(BmpSpec{}); b[14 + 2] = 0x10; return b; }, kInvalid},
        {"planes 2", [] { return MakeBmp(With(BmpSpec{}, [](BmpSpec& s) { s.planes = 2; })); }, kInvalid},
        {"bit count 0", [] { return MakeBmp(With(BmpSpec{}, [](BmpSpec& s) { s.bitCount = 0; })); }, kInvalid},
        {"bit count 3", [] { return MakeBmp(With(BmpSpec{}, [](BmpSpec& s) { s.bitCount = 3; })); }, kInvalid},
        {"bit count 64", [] { return MakeBmp(With(BmpSpec{}, [](BmpSpec& s) { s.bitCount = 64; })); }, kInvalid},
        {"RLE8 at 24 bits", [] { return MakeBmp(With(BmpSpec{}, [](BmpSpec& s) { s.compression = 1; })); }, kInvalid},
        {"RLE4 at 8 bits", [] { return MakeBmp(With(EightBit(), [](BmpSpec& s) { s.compression = 2; })); }, kInvalid},
        {"bit fields at 24 bits", [] { return MakeBmp(With(BmpSpec{}, [](BmpSpec& s) { s.compression = 3; s.masks = {0xFF0000, 0xFF00, 0xFF}; })); }, kInvalid},
        {"unknown compression", [] { return MakeBmp(With(BmpSpec{}, [](BmpSpec& s) { s.compression = 7; })); }, kInvalid},
        {"zero mask", [] { return MakeBmp(With(Bitfields16(), [](BmpSpec& s) { s.masks[1] = 0; })); }, kInvalid},
        {"overlapping masks", [] { return MakeBmp(With(Bitfields16(), [](BmpSpec& s) { s.masks[1] = 0x0FE0; })); }, kInvalid},
        {"mask beyond 16 bits", [] { return MakeBmp(With(Bitfields16(), [](BmpSpec& s) { s.masks[0] = 0x1F0000; })); }, kInvalid},
        {"colours used 257", [] { return MakeBmp(With(EightBit(), [](BmpSpec& s) { s.clrUsed = 257; s.colors.assign(257, 0); })); }, kInvalid},
        {"colours used 2^31", [] { return MakeBmp(With(EightBit(), [](BmpSpec& s) { s.clrUsed = 0x80000000u; })); }, kInvalid},
        {"width 0", [] { return MakeBmp(With(BmpSpec{}, [](BmpSpec& s) { s.width = 0; })); }, kInvalid},
        {"height 0", [] { return MakeBmp(With(BmpSpec{}, [](BmpSpec& s) { s.height = 0; })); }, kInvalid},
        {"negative width", [] { return MakeBmp(With(BmpSpec{}, [](BmpSpec& s) { s.width = -4; s.pixels.assign(24, 0); })); }, kInvalid},
        {"height INT_MIN", [] { return MakeBmp(With(BmpSpec{}, [](BmpSpec& s) { s.height = INT_MIN; s.pixels.assign(24, 0); })); }, kInvalid},
        {"65536 x 65536", [] { return MakeBmp(With(BmpSpec{}, [](BmpSpec& s) { s.width = s.height = 65536; s.pixels.assign(64, 0); })); }, kInvalid},
        {"32-bit 20000 x 20000", [] { return MakeBmp(With(BmpSpec{}, [](BmpSpec& s) { s.bitCount = 32; s.width = s.height = 20000; s.pixels.assign(64, 0); })); }, kInvalid},
        {"top-down RLE", [=] { return MakeBmp(With(rle, [](BmpSpec& s) { s.height = -2; s.pixels = {0, 1}; })); }, kInvalid},
        {"RLE run past the row", [=] { return MakeBmp(With(rle, [](BmpSpec& s) { s.pixels = {5, 1, 0, 1}; })); }, kInvalid},
        {"RLE literal past the row", [=] { return MakeBmp(With(rle, [](BmpSpec& s) { s.pixels = {0, 6, 1, 2, 3, 4, 5, 6, 0, 1}; })); }, kInvalid},
        {"RLE rows past the image", [=] { return MakeBmp(With(rle, [](BmpSpec& s) { s.pixels = {0, 0, 0, 0, 2, 1, 0, 1}; })); }, kInvalid},
        {"RLE delta past the image", [=] { return MakeBmp(With(rle, [](BmpSpec& s) { s.pixels = {0, 2, 9, 0, 0, 1}; })); }, kInvalid},
    };
    return cases;
}

class MalformedBmp : public PictureTest {};

TEST_F(MalformedBmp, EachIsRefusedWithItsMessageAndThePictureStays) {
    InstallKnownPicture();
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        std::string path = Path("bad.bmp");
        WriteBytes(path, c.file());
        EXPECT_EQ(FailureOf([&] { LoadPicture(Image(), path); }), c.message);
        ExpectKnownPicture();
    }
}

TEST_F(MalformedBmp, WithoutAPreviousPictureAFailureLeavesAnEmptyOne) {
    WriteBytes(Path("bad.bmp"), MakeBmp(With(BmpSpec{}, [](BmpSpec& s) { s.planes = 2; })));
    EXPECT_EQ(FailureOf([&] { LoadPicture(Image(), Path("bad.bmp")); }), kInvalid);
    ASSERT_TRUE(Image().Picture);
    EXPECT_TRUE(Image().Picture->Empty());
    EXPECT_EQ(Image().Picture->Width(), 0);

    Image().Picture.reset();
    EXPECT_EQ(FailureOf([&] { LoadPicture(Image(), Path("missing.bmp")); }),
              L"ファイル " + AnsiToWide(Path("missing.bmp")) + L" は開けません");
    ASSERT_TRUE(Image().Picture);
    EXPECT_TRUE(Image().Picture->Empty());
}

// Lies the reader survives: they load, and nothing is read beyond the file or
// written beyond the bitmap.
TEST_F(MalformedBmp, SizeAndOffsetLiesStillLoad) {
    BmpSpec lie;
    lie.sizeImage = 0xFFFFFFF0u;
    Bytes b = MakeBmp(lie);
    b.insert(b.end(), 4096, 0xAB);  // more bytes than the image holds
    WriteBytes(Path("lie.bmp"), b);
    EXPECT_EQ(FailureOf([&] { LoadPicture(Image(), Path("lie.bmp")); }), L"");
    EXPECT_EQ(Image().Picture->Width(), 4);

    // Pixel offsets that cannot be right are not used: the pixels follow the
    // colour table, and the picture is the same as with the true offset.
    BmpSpec core = EightBit();
    core.headerSize = 12;
    core.colors.assign(256, 0);
    for (std::uint32_t i = 0; i < 256; ++i) core.colors[i] = i << 16 | (i * 3 & 255) << 8 | (255 - i);
    BmpSpec paletted = core;
    paletted.headerSize = 40;
    for (const BmpSpec& s : {BmpSpec{}, paletted, core}) {
        const Bytes good = MakeBmp(s);
        WriteBytes(Path("good.bmp"), good);
        LoadPicture(Image(), Path("good.bmp"));
        const Pixels expected = ReadBitmap(Image().Picture->Handle());
        const std::uint32_t table = Le32(good, 10);
        // 0, inside the header, the table's start, at and past the end; inside
        // a 4-byte table (a core file's shorter table is told by its offset).
        std::vector<std::uint32_t> lies = {0, 20, 14 + s.headerSize, static_cast<std::uint32_t>(good.size()), 0xFFFFFF};
        if (s.headerSize == 40 && table > 154) lies.push_back(table - 100);
        for (std::uint32_t lie : lies) {
            SCOPED_TRACE("header size " + std::to_string(s.headerSize) + ", offset " + std::to_string(lie));
            Bytes b = good;
            for (int i = 0; i < 4; ++i) b[10 + i] = static_cast<std::uint8_t>(lie >> 8 * i);
            WriteBytes(Path("offset.bmp"), b);
            EXPECT_EQ(FailureOf([&] { LoadPicture(Image(), Path("offset.bmp")); }), L"");
            EXPECT_EQ(ReadBitmap(Image().Picture->Handle()).px, expected.px);
        }
    }
}

TEST_F(MalformedBmp, OutOfTableIndicesShowBlack) {
    BmpSpec s;
    s.bitCount = 8;
    s.width = 4;
    s.height = 1;
    s.clrUsed = 2;
    s.colors = {0xFF0000, 0x00FF00};
    s.pixels = {0, 1, 200, 255};
    WriteBytes(Path("few.bmp"), MakeBmp(s));
    LoadPicture(Image(), Path("few.bmp"));
    TBitmap& p = *Image().Picture;
    EXPECT_EQ(PixelAt(p, 0, 0), 0xFF0000u);
    EXPECT_EQ(PixelAt(p, 1, 0), 0x00FF00u);
    EXPECT_EQ(PixelAt(p, 2, 0), 0u);
    EXPECT_EQ(PixelAt(p, 3, 0), 0u);
}

}  // namespace
}  // namespace mt::test
