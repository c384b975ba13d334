// The dialog template and glyph the picture dialogs load, and the rules the
// preview follows without a window.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "base/errors.h"
#include "base/handles.h"
#include "imagefiles/picture_container.h"
#include "imagefiles/picture_formats.h"

namespace mt {
namespace {

struct Resource {
    const std::uint8_t* data = nullptr;
    DWORD size = 0;
};
Resource LoadRes(const wchar_t* name, LPCWSTR type) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC info = ::FindResourceW(module, name, type);
    if (!info) return {};
    return {static_cast<const std::uint8_t*>(::LockResource(::LoadResource(module, info))),
            ::SizeofResource(module, info)};
}
std::uint32_t U32(const std::uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t{p[3]} << 24; }
std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::wstring Utf16At(const std::uint8_t* p, size_t& at) {
    std::wstring s;
    for (; U16(p + at); at += 2) s.push_back(static_cast<wchar_t>(U16(p + at)));
    at += 2;
    return s;
}

TEST(DialogTemplate, HoldsTheColumnRightOfTheHiddenPlaceholderFieldByField) {
    Resource t = LoadRes(L"DLGTEMPLATE", MAKEINTRESOURCEW(5));
    ASSERT_NE(t.data, nullptr);
    ASSERT_EQ(t.size, 82u);
    const std::uint8_t* p = t.data;
    EXPECT_EQ(U32(p + 0), 0x54000444u);  // WS_CHILD, WS_VISIBLE, WS_CLIPSIBLINGS, DS_3DLOOK, DS_CONTROL, DS_SETFONT
    EXPECT_EQ(U32(p + 4), 0u);
    EXPECT_EQ(U16(p + 8), 1);
    EXPECT_EQ(U16(p + 10), 0);
    EXPECT_EQ(U16(p + 12), 0);
    EXPECT_EQ(U16(p + 14), 316);
    EXPECT_EQ(U16(p + 16), 76);
    EXPECT_EQ(U16(p + 18), 0);  // no menu
    EXPECT_EQ(U16(p + 20), 0);  // default class
    size_t at = 22;
    EXPECT_EQ(Utf16At(p, at), L"");
    EXPECT_EQ(U16(p + at), 8);
    at += 2;
    EXPECT_EQ(Utf16At(p, at), L"MS Sans Serif");
    at = (at + 3) & ~size_t{3};
    ASSERT_EQ(at, 56u);
    EXPECT_EQ(U32(p + at), 0x40020000u);  // WS_CHILD, WS_GROUP: not visible
    EXPECT_EQ(U32(p + at + 4), 0u);
    EXPECT_EQ(U16(p + at + 8), 0);
    EXPECT_EQ(U16(p + at + 10), 0);
    EXPECT_EQ(U16(p + at + 12), 204);
    EXPECT_EQ(U16(p + at + 14), 76);
    EXPECT_EQ(U16(p + at + 16), 1119);
    EXPECT_EQ(U16(p + at + 18), 0xFFFF);
    EXPECT_EQ(U16(p + at + 20), 0x0082);
    EXPECT_EQ(U16(p + at + 22), 0);  // no text
    EXPECT_EQ(U16(p + at + 24), 0);  // no creation data
}

TEST(PreviewGlyph, IsA16ColourSquareOnOliveWithAWhitePage) {
    OwnedBitmap glyph(static_cast<HBITMAP>(
        ::LoadImageW(::GetModuleHandleW(nullptr), L"PREVIEWGLYPH", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    ASSERT_TRUE(glyph);
    DIBSECTION ds{};
    ASSERT_EQ(::GetObjectW(glyph.get(), sizeof ds, &ds), static_cast<int>(sizeof ds));
    EXPECT_EQ(ds.dsBm.bmWidth, 16);
    EXPECT_EQ(ds.dsBm.bmHeight, 16);
    EXPECT_EQ(ds.dsBmih.biBitCount, 4);
    OwnedMemDC mem(::CreateCompatibleDC(nullptr));
    SelectGuard sel(mem.get(), glyph.get());
    EXPECT_EQ(::GetPixel(mem.get(), 0, 15), RGB(128, 128, 0));  // the transparent colour
    int white = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) white += ::GetPixel(mem.get(), x, y) == RGB(255, 255, 255);
    EXPECT_GT(white, 20);
}

TEST(PictureFormats, LaterEntriesFirstAndUnknownExtensionsNamedInTheirOwnCase) {
    EXPECT_EQ(PictureKindForFile("C:\\a\\photo.JPG"), TPictureKind::Jpeg);
    EXPECT_EQ(PictureKindForFile("x.Jpeg"), TPictureKind::Jpeg);
    EXPECT_EQ(PictureKindForFile("x.bmp"), TPictureKind::Bitmap);
    EXPECT_EQ(PictureKindForFile("x.ICO"), TPictureKind::Icon);
    EXPECT_EQ(PictureKindForFile("x.emf"), TPictureKind::Metafile);
    EXPECT_EQ(PictureKindForFile("x.wmf"), TPictureKind::Metafile);
    auto message = [](const std::string& name) {
        try {
            PictureKindForFile(name);
        } catch (const EInvalidGraphic& e) {
            return e.Message();
        }
        return std::wstring(L"(accepted)");
    };
    EXPECT_EQ(message("anim.GiF"), L"拡張子 .GiF の画像形式は処理できません");
    EXPECT_EQ(message("C:\\dir.jpg\\noext"), L"拡張子 . の画像形式は処理できません");
    EXPECT_EQ(message("x.jpgx"), L"拡張子 .jpgx の画像形式は処理できません");
}

TEST(PreviewRounding, MatchesTheSystemsMulDiv) {
    const int values[] = {0, 1, 2, 3, 5, 7, 99, 100, 141, 153, 240, 320, 479, 480, 640, -1, -3, -640};
    for (int a : values)
        for (int b : values)
            for (int c : values)
                ASSERT_EQ(MulDivRounded(a, b, c), ::MulDiv(a, b, c)) << a << " * " << b << " / " << c;
}

TEST(PreviewPlacement, FitsUnscaledCentredElseScalesFromTheTopLeft) {
    PreviewBox area{0, 0, 153, 141};
    // Fits: centred, divisions truncated.
    EXPECT_EQ(PreviewPlacement(40, 30, area), (PreviewBox{56, 55, 96, 85}));
    EXPECT_EQ(PreviewPlacement(153, 141, area), area);
    // Wider than tall: the area's width, the height by the aspect ratio (MulDiv rounding).
    EXPECT_EQ(PreviewPlacement(640, 480, area), (PreviewBox{0, 0, 153, 115}));  // 114.75
    // Taller than wide: the area's height.
    EXPECT_EQ(PreviewPlacement(100, 400, area), (PreviewBox{0, 0, 35, 141}));  // 35.25
    // Square and too big: the width follows the height.
    EXPECT_EQ(PreviewPlacement(300, 300, area), (PreviewBox{0, 0, 141, 141}));
    // Too tall but wider than tall: scaled to the width, even if the height then overflows.
    EXPECT_EQ(PreviewPlacement(160, 150, PreviewBox{10, 20, 110, 220}), (PreviewBox{10, 20, 110, 114}));
}

TEST(PictureContainer, FailedLoadKeepsThePreviousPicture) {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    std::string bad = std::string(temp) + "mt_container_bad.bmp";
    {
        OwnedFile f(::CreateFileA(bad.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD n = 0;
        ::WriteFile(f.get(), "XXnot a bitmap at all", 21, &n, nullptr);
    }
    std::string icon = std::string(temp) + "mt_container.ico";
    {
        // A 16 by 16, 4-bit icon file: directory, entry, header, 16 colours, pixels, mask.
        std::string img(40 + 64 + 128 + 64, '\0');
        img[0] = 40, img[4] = 16, img[8] = 32, img[12] = 1, img[14] = 4;
        for (int i = 0; i < 128; ++i) img[40 + 64 + i] = 0x00;
        std::string file = std::string("\0\0\1\0\1\0", 6) + std::string("\x10\x10\x10\0\1\0\4\0", 8);
        std::uint32_t size = static_cast<std::uint32_t>(img.size()), offset = 22;
        file.append(reinterpret_cast<const char*>(&size), 4).append(reinterpret_cast<const char*>(&offset), 4);
        file += img;
        OwnedFile f(::CreateFileA(icon.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD n = 0;
        ::WriteFile(f.get(), file.data(), static_cast<DWORD>(file.size()), &n, nullptr);
    }
    TPicture picture;
    picture.LoadFromFile(icon);
    EXPECT_EQ(picture.Width(), 16);
    EXPECT_EQ(picture.Height(), 16);
    EXPECT_THROW(picture.LoadFromFile(bad), Exception);
    EXPECT_EQ(picture.Width(), 16);  // still the icon
    EXPECT_THROW(picture.LoadFromFile(std::string(temp) + "mt_container_missing.jpg"), Exception);
    EXPECT_EQ(picture.Height(), 16);
    ::DeleteFileA(bad.c_str());
    ::DeleteFileA(icon.c_str());
}

}  // namespace
}  // namespace mt
