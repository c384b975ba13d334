// Icons and metafiles are previewed with the system's own loaders: files the
// system itself writes load with their size and draw.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/errors.h"
#include "base/handles.h"
#include "dialog_session.h"
#include "imagefiles/picture_container.h"

namespace mt::test {
namespace {

std::string TempPath(const char* name) {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + name;
}

// Draws the picture stretched into a 64 by 64 white DIB; the colour at (x, y).
std::uint32_t DrawnAt(const TPicture& picture, RECT dest, int x, int y) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 64, -64, 1, 32, BI_RGB};
    void* bits = nullptr;
    OwnedBitmap dib(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    OwnedMemDC dc(::CreateCompatibleDC(nullptr));
    SelectGuard sel(dc.get(), dib.get());
    RECT all{0, 0, 64, 64};
    ::FillRect(dc.get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    picture.Draw(dc.get(), dest);
    ::GdiFlush();
    return static_cast<const std::uint32_t*>(bits)[y * 64 + x] & 0xFFFFFF;
}

void FillRed(HDC dc, RECT r) {
    OwnedBrush red(::CreateSolidBrush(RGB(255, 0, 0)));
    ::FillRect(dc, &r, red.get());
}

TEST(PreviewedKinds, EnhancedMetafileLoadsWithItsFrameSizeAndDraws) {
    std::string path = TempPath("mt_preview.emf");
    {
        WindowDC screen(nullptr);
        HDC meta = ::CreateEnhMetaFileA(screen.get(), path.c_str(), nullptr, nullptr);
        ASSERT_NE(meta, nullptr);
        FillRed(meta, RECT{0, 0, 40, 20});
        ::DeleteEnhMetaFile(::CloseEnhMetaFile(meta));
    }
    TPicture picture;
    picture.LoadFromFile(path);
    EXPECT_NEAR(picture.Width(), 40, 2);
    EXPECT_NEAR(picture.Height(), 20, 2);
    EXPECT_EQ(DrawnAt(picture, RECT{0, 0, 40, 20}, 20, 10), 0xFF0000u);
    ::DeleteFileA(path.c_str());
}

TEST(PreviewedKinds, PlaceableWindowsMetafileTakesItsSizeFromTheHeader) {
    // A Windows metafile of a red 40 by 20 block, behind a placeable header
    // that gives it 40 by 20 units at 96 units an inch.
    HDC meta = ::CreateMetaFileA(nullptr);
    ASSERT_NE(meta, nullptr);
    ::SetWindowOrgEx(meta, 0, 0, nullptr);
    ::SetWindowExtEx(meta, 40, 20, nullptr);
    FillRed(meta, RECT{0, 0, 40, 20});
    HMETAFILE handle = ::CloseMetaFile(meta);
    UINT size = ::GetMetaFileBitsEx(handle, 0, nullptr);
    std::vector<std::uint8_t> records(size);
    ::GetMetaFileBitsEx(handle, size, records.data());
    ::DeleteMetaFile(handle);
    std::uint16_t header[11] = {0xCDD7, 0x9AC6, 0, 0, 0, 40, 20, 96, 0, 0, 0};
    std::uint16_t sum = 0;
    for (int i = 0; i < 10; ++i) sum ^= header[i];
    header[10] = sum;
    std::string bytes(reinterpret_cast<const char*>(header), 22);
    bytes.append(reinterpret_cast<const char*>(records.data()), records.size());
    std::string path = TempPath("mt_preview.wmf");
    WriteText(path, bytes);

    TPicture picture;
    picture.LoadFromFile(path);
    WindowDC screen(nullptr);
    EXPECT_EQ(picture.Width(), ::MulDiv(40, ::GetDeviceCaps(screen.get(), LOGPIXELSX), 96));
    EXPECT_EQ(picture.Height(), ::MulDiv(20, ::GetDeviceCaps(screen.get(), LOGPIXELSY), 96));
    EXPECT_EQ(DrawnAt(picture, RECT{0, 0, 40, 20}, 20, 10), 0xFF0000u);
    EXPECT_EQ(DrawnAt(picture, RECT{0, 0, 40, 20}, 50, 30), 0xFFFFFFu);
    ::DeleteFileA(path.c_str());
}

TEST(PreviewedKinds, IconFileWithEntryPastItsEndIsRefused) {
    // Directory and entry of a 16 by 16 icon whose data would lie beyond the file.
    std::string bytes("\0\0\1\0\1\0\x10\x10\x10\0\1\0\4\0", 14);
    std::uint32_t size = 0x10000, offset = 22;
    bytes.append(reinterpret_cast<const char*>(&size), 4).append(reinterpret_cast<const char*>(&offset), 4);
    bytes.append(40, '\0');
    std::string path = TempPath("mt_preview_short.ico");
    WriteText(path, bytes);
    TPicture picture;
    EXPECT_THROW(picture.LoadFromFile(path), Exception);
    EXPECT_TRUE(picture.Empty());
    ::DeleteFileA(path.c_str());
}

}  // namespace
}  // namespace mt::test
