// BMP files read into the still image and written back: the file layout for
// every origin of the picture.
#include "base/handles.h"
#include "base/text.h"
#include "common/pixels.h"
#include "common/unix_shell.h"
#include "imagefiles/picture_files.h"
#include "picture_files_fixture.h"

namespace mt::test {
namespace {

class BmpFiles : public PictureTest {
protected:
    // Loads the file, saves the picture again and returns what was written.
    Bytes RoundTrip(const Bytes& original) {
        WriteBytes(Path("in.bmp"), original);
        LoadPicture(Image(), Path("in.bmp"));
        SavePicture(Image(), Path("out.bmp"));
        return ReadBytes(Path("out.bmp"));
    }
};

TEST_F(BmpFiles, ADisplayCopyIsWrittenInTheDisplayFormat) {
    Image().Picture = std::make_unique<TBitmap>(TBitmap::CreateWhiteScreenCompatible(320, 240));
    SavePicture(Image(), Path("copy.bmp"));
    Bytes b = ReadBytes(Path("copy.bmp"));
    HDC screen = ::GetDC(nullptr);
    unsigned bits = ::GetDeviceCaps(screen, BITSPIXEL) * ::GetDeviceCaps(screen, PLANES);
    ::ReleaseDC(nullptr, screen);
    ASSERT_GE(b.size(), 54u);
    EXPECT_EQ(Le16(b, 28), bits);
    EXPECT_EQ(static_cast<std::int32_t>(Le32(b, 22)), 240);  // bottom-up
    EXPECT_EQ(Le32(b, 30), 0u);                              // BI_RGB
    EXPECT_EQ(Le32(b, 34), BmpStride(320, bits) * 240);
    EXPECT_EQ(Le32(b, 2), b.size());
    if (bits == 32) {
        EXPECT_EQ(b.size(), 307254u);
        EXPECT_EQ(Le32(b, 10), 54u);
        EXPECT_EQ(b[54], 0xFF);  // white
    }
    // It loads back as the same white picture.
    LoadPicture(Image(), Path("copy.bmp"));
    EXPECT_EQ(Image().Picture->Width(), 320);
    EXPECT_EQ(PixelAt(*Image().Picture, 319, 239), 0xFFFFFFu);
}

TEST_F(BmpFiles, PalettedImagesComeBackByteForByte) {
    BmpSpec s;
    s.bitCount = 8;
    s.width = 5;
    s.height = 3;
    s.clrUsed = 256;
    s.xPelsPerMeter = 2835;
    s.yPelsPerMeter = 3780;
    for (std::uint32_t i = 0; i < 256; ++i) s.colors.push_back(i << 16 | (255 - i) << 8 | (i * 7 & 255));
    s.sizeImage = BmpStride(5, 8) * 3;
    Bytes original = MakeBmp(s);
    EXPECT_EQ(RoundTrip(original), original);
    EXPECT_EQ(PixelAt(*Image().Picture, 0, 2), s.colors[original[54 + 1024]] & 0xFFFFFF);

    // Fewer colours used than the depth allows: the table is written as it came.
    s.bitCount = 4;
    s.clrUsed = 5;
    s.colors.resize(5);
    s.sizeImage = BmpStride(5, 4) * 3;
    s.pixels.assign(s.sizeImage, 0x12);
    original = MakeBmp(s);
    EXPECT_EQ(RoundTrip(original), original);
}

TEST_F(BmpFiles, BitfieldImagesKeepTheirMasks) {
    BmpSpec s;
    s.bitCount = 16;
    s.compression = 3;
    s.masks = {0xF800, 0x07E0, 0x001F};
    s.width = 3;
    s.height = 2;
    s.sizeImage = BmpStride(3, 16) * 2;
    s.pixels = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0, 0,  // red, green, blue
                0xFF, 0xFF, 0x00, 0x00, 0xE0, 0xFF, 0, 0};
    Bytes original = MakeBmp(s);
    EXPECT_EQ(RoundTrip(original), original);
    TBitmap& p = *Image().Picture;
    EXPECT_EQ(PixelAt(p, 0, 1), 0xFF0000u);
    EXPECT_EQ(PixelAt(p, 1, 1), 0x00FF00u);
    EXPECT_EQ(PixelAt(p, 2, 1), 0x0000FFu);
    EXPECT_EQ(PixelAt(p, 0, 0), 0xFFFFFFu);
}

TEST_F(BmpFiles, TopDownRowsShowUprightAndStayTopDown) {
    BmpSpec s;
    s.height = -2;
    s.width = 1;
    s.sizeImage = 8;
    s.pixels = {0, 0, 255, 0, 255, 0, 0, 0};  // first row in the file: red (the top)
    Bytes original = MakeBmp(s);
    EXPECT_EQ(RoundTrip(original), original);
    EXPECT_EQ(PixelAt(*Image().Picture, 0, 0), 0xFF0000u);
    EXPECT_EQ(PixelAt(*Image().Picture, 0, 1), 0x0000FFu);
    // The pane shows it upright too.
    RECT r;
    ::GetClientRect(Image().Handle(), &r);
    HDC dc = ::GetDC(Image().Handle());
    HDC mem = ::CreateCompatibleDC(dc);
    HBITMAP bmp = ::CreateCompatibleBitmap(dc, r.right, r.bottom);
    HGDIOBJ old = ::SelectObject(mem, bmp);
    Image().PaintImage(mem);
    COLORREF top = ::GetPixel(mem, r.right / 2, 2), bottom = ::GetPixel(mem, r.right / 2, r.bottom - 3);
    ::SelectObject(mem, old);
    ::DeleteObject(bmp);
    ::DeleteDC(mem);
    ::ReleaseDC(Image().Handle(), dc);
    EXPECT_EQ(top, RGB(255, 0, 0));
    EXPECT_EQ(bottom, RGB(0, 0, 255));
}

TEST_F(BmpFiles, CoreHeaderFilesAreWrittenWithACoreHeader) {
    BmpSpec s;
    s.headerSize = 12;
    s.bitCount = 4;
    s.width = 3;
    s.height = 2;
    for (std::uint32_t i = 0; i < 16; ++i) s.colors.push_back(i * 0x101010);
    s.pixels = {0x12, 0x30, 0, 0, 0xFE, 0xD0, 0, 0};
    Bytes original = MakeBmp(s);
    Bytes written = RoundTrip(original);
    EXPECT_EQ(written, original);
    EXPECT_EQ(Le32(written, 14), 12u);
    EXPECT_EQ(Le32(written, 10), 14u + 12 + 16 * 3);
    EXPECT_EQ(PixelAt(*Image().Picture, 0, 1), 0x101010u);
    EXPECT_EQ(PixelAt(*Image().Picture, 0, 0), 0xF0F0F0u);
}

// A 4 by 2 run-length file: bottom row 4 red; top row 2 green, 2 blue.
TEST_F(BmpFiles, RunLengthFilesAreShownAndWrittenBackUnchanged) {
    Bytes original = MakeBmp(RunLength());
    EXPECT_EQ(RoundTrip(original), original);
    TBitmap& p = *Image().Picture;
    EXPECT_EQ(PixelAt(p, 0, 1), 0xFF0000u);
    EXPECT_EQ(PixelAt(p, 3, 1), 0xFF0000u);
    EXPECT_EQ(PixelAt(p, 0, 0), 0x00FF00u);
    EXPECT_EQ(PixelAt(p, 3, 0), 0x0000FFu);
    // Once a copy changes the picture, the retained file no longer describes it.
    form->SpeedButton1Click();
    SavePicture(Image(), Path("changed.bmp"));
    Bytes changed = ReadBytes(Path("changed.bmp"));
    ASSERT_GE(changed.size(), 54u);
    EXPECT_EQ(Le32(changed, 30), 0u);
    EXPECT_NE(changed, original);
}

TEST_F(BmpFiles, PixelsAreReadWhereThePixelOffsetPoints) {
    // 100 unused bytes between the colour table and the pixels.
    BmpSpec s;
    s.bitCount = 8;
    s.width = 4;
    s.height = 2;
    for (std::uint32_t i = 0; i < 256; ++i) s.colors.push_back(i << 16 | (255 - i) << 8 | (i * 7 & 255));
    s.pixels = {1, 2, 3, 4, 250, 251, 252, 253};
    s.clrUsed = 256;
    s.sizeImage = 8;
    s.gap.assign(100, 0xEE);
    WriteBytes(Path("gap.bmp"), MakeBmp(s));
    LoadPicture(Image(), Path("gap.bmp"));
    EXPECT_EQ(PixelAt(*Image().Picture, 0, 1), s.colors[1]);
    EXPECT_EQ(PixelAt(*Image().Picture, 3, 1), s.colors[4]);
    EXPECT_EQ(PixelAt(*Image().Picture, 3, 0), s.colors[253]);
    // Written back without the gap.
    SavePicture(Image(), Path("out.bmp"));
    s.gap.clear();
    EXPECT_EQ(ReadBytes(Path("out.bmp")), MakeBmp(s));

    // A run-length file with a gap is shown and comes back byte for byte.
    BmpSpec rle = RunLength();
    rle.gap.assign(6, 0);  // as run-length data: three ends of line, past the image
    Bytes original = MakeBmp(rle);
    EXPECT_EQ(RoundTrip(original), original);
    EXPECT_EQ(PixelAt(*Image().Picture, 0, 1), 0xFF0000u);
    EXPECT_EQ(PixelAt(*Image().Picture, 3, 0), 0x0000FFu);
}

TEST_F(BmpFiles, ACoreHeaderFileWithAShortTableReadsAsManyEntriesAsItsOffsetLeaves) {
    // 252 of 256 entries, as such files are found; the pixel offset follows them.
    BmpSpec s{.headerSize = 12, .width = 4, .height = 4, .bitCount = 8};
    for (std::uint32_t i = 0; i < 252; ++i) s.colors.push_back(i << 16 | (255 - i) << 8 | (i * 7 & 255));
    for (int row = 0; row < 4; ++row) s.pixels.insert(s.pixels.end(), {0, 17, 251, 252});
    Bytes original = MakeBmp(s);
    ASSERT_EQ(Le32(original, 10), 14u + 12 + 252 * 3);
    Bytes written = RoundTrip(original);
    EXPECT_EQ(written, original);
    TBitmap& p = *Image().Picture;
    for (int y : {0, 3}) {
        EXPECT_EQ(PixelAt(p, 0, y), s.colors[0]);
        EXPECT_EQ(PixelAt(p, 1, y), s.colors[17]);
        EXPECT_EQ(PixelAt(p, 2, y), s.colors[251]);
        EXPECT_EQ(PixelAt(p, 3, y), 0u);  // past the table: black
    }
}

TEST_F(BmpFiles, CopiesIntoAShortColourTableTakeItsNearestColoursAndIndices) {
    // 16 well-spaced colours, none of them black.
    BmpSpec s;
    s.bitCount = 8;
    s.width = 40;
    s.height = 30;
    s.clrUsed = 16;
    for (std::uint32_t i = 0; i < 16; ++i) s.colors.push_back((40 + (i & 3) * 70) << 16 | (40 + (i >> 2) * 70) << 8 | 120);
    s.pixels.assign(BmpStride(40, 8) * 30, 5);
    WriteBytes(Path("short.bmp"), MakeBmp(s));
    LoadPicture(Image(), Path("short.bmp"));
    // The pane shows bands of black, white, red and a green the table lacks.
    HWND pane = form->Panel1->Handle();
    {
        WindowDC dc(pane);
        const COLORREF bands[] = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(255, 0, 0), RGB(100, 180, 60)};
        for (int i = 0; i < 4; ++i) {
            RECT band{i * 10, 0, i * 10 + 10, 30};
            OwnedBrush brush(::CreateSolidBrush(bands[i]));
            ::FillRect(dc.get(), &band, brush.get());
        }
    }
    Pixels shown = ReadWindow(pane, RECT{0, 0, 40, 30});
    form->SpeedButton1Click();
    SavePicture(Image(), Path("copied.bmp"));
    Bytes b = ReadBytes(Path("copied.bmp"));
    ASSERT_EQ(Le32(b, 46), 16u) << "the table is written as the file had it";
    const std::size_t pixels = Le32(b, 10);
    ASSERT_EQ(b.size(), pixels + BmpStride(40, 8) * 30);
    auto nearest = [&](std::uint32_t c) {
        auto d = [](std::uint32_t a, std::uint32_t b) {
            int r = int(a >> 16) - int(b >> 16), g = int(a >> 8 & 255) - int(b >> 8 & 255), l = int(a & 255) - int(b & 255);
            return r * r + g * g + l * l;
        };
        std::uint32_t best = 0;
        for (std::uint32_t i = 1; i < 16; ++i)
            if (d(c, s.colors[i]) < d(c, s.colors[best])) best = i;
        return best;
    };
    int wrong = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            std::uint32_t index = b[pixels + (29 - y) * BmpStride(40, 8) + x];
            if (index != nearest(shown.At(x, y)) && ++wrong <= 3)
                ADD_FAILURE() << "(" << x << ", " << y << ") index " << index << " for " << std::hex << shown.At(x, y);
        }
    EXPECT_EQ(wrong, 0);
}

TEST_F(BmpFiles, ShortPixelDataLoadsWithTheRestBlack) {
    BmpSpec s;
    s.width = 2;
    s.height = 2;
    s.pixels = {255, 255, 255, 255, 255, 255, 0, 0};  // bottom row only
    s.sizeImage = 16;
    WriteBytes(Path("short.bmp"), MakeBmp(s));
    EXPECT_EQ(FailureOf([&] { LoadPicture(Image(), Path("short.bmp")); }), L"");
    EXPECT_EQ(PixelAt(*Image().Picture, 1, 1), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(*Image().Picture, 1, 0), 0u);
}

TEST_F(BmpFiles, AnEmptyFileGivesAnEmptyPictureThatSavesEmpty) {
    WriteBytes(Path("empty.bmp"), {});
    InstallKnownPicture();
    EXPECT_EQ(FailureOf([&] { LoadPicture(Image(), Path("empty.bmp")); }), L"");
    EXPECT_TRUE(Image().Picture->Empty());
    SavePicture(Image(), Path("zero.bmp"));
    SavePicture(Image(), Path("zero.jpg"));
    ASSERT_TRUE(FileExists(Path("zero.bmp")));
    ASSERT_TRUE(FileExists(Path("zero.jpg")));
    EXPECT_TRUE(ReadBytes(Path("zero.bmp")).empty());
    EXPECT_TRUE(ReadBytes(Path("zero.jpg")).empty());
}

TEST_F(BmpFiles, SavingReplacesAFileButAFailedSaveKeepsTheOldOne) {
    InstallKnownPicture();
    std::string target = Path("target.bmp");
    WriteBytes(target, {'o', 'l', 'd'});
    SavePicture(Image(), target);
    EXPECT_EQ(ReadBytes(target), ReadBytes(Path("known.bmp")));

    WriteBytes(target, {'o', 'l', 'd'});
    HANDLE locked = ::CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    std::wstring message = FailureOf([&] { SavePicture(Image(), target); });
    ::CloseHandle(locked);
    EXPECT_EQ(message, L"ファイル " + std::wstring(target.begin(), target.end()) + L" を作成できません");
    EXPECT_EQ(ReadBytes(target), (Bytes{'o', 'l', 'd'}));
    // No temporary file is left behind: only known.bmp and target.bmp.
    int files = 0;
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA(Path("*").c_str(), &data);
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++files;
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
    EXPECT_EQ(files, 2);

    EXPECT_EQ(FailureOf([&] { SavePicture(Image(), Path("no such folder\\x.bmp")); }),
              L"ファイル " + std::wstring(folder.begin(), folder.end()) + L"\\no such folder\\x.bmp を作成できません");
}

TEST_F(BmpFiles, AReplacedFileKeepsItsAttributesAndAReadOnlyOneStays) {
    InstallKnownPicture();
    const Bytes old{'o', 'l', 'd'};
    std::string hidden = Path("hidden.bmp");
    WriteBytes(hidden, old);
    ASSERT_TRUE(::SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_EQ(::GetFileAttributesA(hidden.c_str()) & FILE_ATTRIBUTE_HIDDEN, DWORD{FILE_ATTRIBUTE_HIDDEN});
    SavePicture(Image(), hidden);
    EXPECT_EQ(ReadBytes(hidden), ReadBytes(Path("known.bmp")));
    EXPECT_EQ(::GetFileAttributesA(hidden.c_str()) & FILE_ATTRIBUTE_HIDDEN, DWORD{FILE_ATTRIBUTE_HIDDEN});

    std::string readOnly = Path("readonly.bmp");
    WriteBytes(readOnly, old);
    ASSERT_TRUE(::SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(FailureOf([&] { SavePicture(Image(), readOnly); }),
              L"ファイル " + std::wstring(readOnly.begin(), readOnly.end()) + L" を作成できません");
    EXPECT_EQ(ReadBytes(readOnly), old);
    EXPECT_NE(::GetFileAttributesA(readOnly.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    ::SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(BmpFiles, InAFolderClosedToNewFilesAWritableFileIsWrittenInPlace) {
    InstallKnownPicture();
    std::string shut = Path("shut"), inside = shut + "\\a.bmp", probe = shut + "\\probe";
    ASSERT_TRUE(::CreateDirectoryA(shut.c_str(), nullptr));
    WriteBytes(inside, {'o', 'l', 'd'});
    const std::string unixShut = UnixPath(AnsiToWide(shut)), status = UnixPath(AnsiToWide(folder)) + "/chmod";
    ASSERT_EQ(RunUnix("chmod a-w '" + unixShut + "'", status), 0);
    const bool anyFolder = OwnedFile(::CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr)).valid();
    std::wstring failure = anyFolder ? L"" : FailureOf([&] { SavePicture(Image(), inside); });
    Bytes written = ReadBytes(inside);
    RunUnix("chmod u+w '" + unixShut + "'", status);
    ::DeleteFileA(probe.c_str());
    ::DeleteFileA(inside.c_str());
    ::RemoveDirectoryA(shut.c_str());
    if (anyFolder) GTEST_SKIP() << "run as the administrator, who may create files in any folder";
    EXPECT_EQ(failure, L"");
    EXPECT_EQ(written, ReadBytes(Path("known.bmp")));
}

}  // namespace
}  // namespace mt::test
