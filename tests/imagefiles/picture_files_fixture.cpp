#include "picture_files_fixture.h"

#include <cstdio>

#include "common/pump.h"
#include "imagefiles/picture_files.h"

namespace mt::test {

Bytes ReadBytes(const std::string& path) {
    Bytes out;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return out;
    std::uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
    std::fclose(f);
    return out;
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

bool FileExists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
std::uint32_t Le32(const Bytes& b, size_t at) { return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t{b[at + 3]} << 24; }
std::uint16_t Le16(const Bytes& b, size_t at) { return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8); }

namespace {
void Put16(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
}  // namespace

std::uint32_t BmpStride(std::int32_t width, unsigned bits) {
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4);
}

BmpSpec RunLength() {
    BmpSpec s;
    s.bitCount = 8;
    s.compression = 1;
    s.width = 4;
    s.height = 2;
    s.colors = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    s.clrUsed = 4;
    s.pixels = {4, 1, 0, 0, 2, 2, 2, 3, 0, 1};
    s.sizeImage = static_cast<std::uint32_t>(s.pixels.size());
    return s;
}

Bytes MakeBmp(const BmpSpec& s) {
    bool core = s.headerSize == 12;
    Bytes body;
    Put32(body, s.headerSize);
    if (core) {
        Put16(body, static_cast<std::uint32_t>(s.width));
        Put16(body, static_cast<std::uint32_t>(s.height));
        Put16(body, s.planes);
        Put16(body, s.bitCount);
    } else {
        Put32(body, static_cast<std::uint32_t>(s.width));
        Put32(body, static_cast<std::uint32_t>(s.height));
        Put16(body, s.planes);
        Put16(body, s.bitCount);
        Put32(body, s.compression);
        Put32(body, s.sizeImage);
        Put32(body, static_cast<std::uint32_t>(s.xPelsPerMeter));
        Put32(body, static_cast<std::uint32_t>(s.yPelsPerMeter));
        Put32(body, s.clrUsed);
        Put32(body, 0);
        while (body.size() < s.headerSize) body.push_back(0);
    }
    for (std::uint32_t m : s.masks) Put32(body, m);
    for (std::uint32_t c : s.colors) {
        body.push_back(static_cast<std::uint8_t>(c));
        body.push_back(static_cast<std::uint8_t>(c >> 8));
        body.push_back(static_cast<std::uint8_t>(c >> 16));
        if (!core) body.push_back(0);
    }
    body.insert(body.end(), s.gap.begin(), s.gap.end());
    std::uint32_t offset = 14 + static_cast<std::uint32_t>(body.size());
    Bytes pixels = s.pixels;
    if (pixels.empty() && s.width > 0 && s.height != 0 && s.bitCount > 0 && s.bitCount <= 32) {
        std::uint64_t rows = s.height < 0 ? -static_cast<std::int64_t>(s.height) : s.height;
        pixels.resize(BmpStride(s.width, s.bitCount) * rows);
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>(i * 37 + 11);
    }
    Bytes out;
    Put16(out, 0x4D42);
    Put32(out, offset + static_cast<std::uint32_t>(pixels.size()));
    Put32(out, 0);
    Put32(out, offset);
    out.insert(out.end(), body.begin(), body.end());
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

std::uint32_t PixelAt(TBitmap& picture, int x, int y) {
    COLORREF c = ::GetPixel(picture.Canvas(), x, y);
    return GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
}

void PictureTest::SetUp() {
    form = std::make_unique<TForm1>();
    form->Show();
    Pump();
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    char name[MAX_PATH];
    ::GetTempFileNameA(temp, "pic", 0, name);
    ::DeleteFileA(name);
    ::CreateDirectoryA(name, nullptr);
    folder = name;
}

void PictureTest::TearDown() {
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            ::DeleteFileA(Path(data.cFileName).c_str());
        } while (::FindNextFileA(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryA(folder.c_str());
    form.reset();
    PumpAfterClose();
}

void PictureTest::InstallKnownPicture() {
    BmpSpec s;
    s.width = 3;
    s.height = 2;
    s.sizeImage = 24;
    s.pixels = {0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0,  // bottom row: red, green, blue
                255, 255, 255, 0, 0, 0, 0, 255, 255, 0, 0, 0};
    WriteBytes(Path("known.bmp"), MakeBmp(s));
    LoadPicture(Image(), Path("known.bmp"));
    ExpectKnownPicture();
}

void PictureTest::ExpectKnownPicture() {
    ASSERT_TRUE(Image().Picture);
    TBitmap& p = *Image().Picture;
    ASSERT_EQ(p.Width(), 3);
    ASSERT_EQ(p.Height(), 2);
    EXPECT_EQ(PixelAt(p, 0, 1), 0xFF0000u);
    EXPECT_EQ(PixelAt(p, 1, 1), 0x00FF00u);
    EXPECT_EQ(PixelAt(p, 2, 0), 0xFFFF00u);
}

}  // namespace mt::test
