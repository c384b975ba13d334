// Test support for the picture-file tests: a scratch folder, BMP files built
// byte by byte, reading back what a picture holds.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "common/dialog_driver.h"

namespace mt::test {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const Bytes& bytes);
bool FileExists(const std::string& path);
std::uint32_t Le32(const Bytes& b, size_t at);
std::uint16_t Le16(const Bytes& b, size_t at);

// A BMP file as bytes; every field can be set to a value a hostile file might hold.
struct BmpSpec {
    std::uint32_t headerSize = 40;   // 12: core header
    std::int32_t width = 4;
    std::int32_t height = 2;
    std::uint16_t planes = 1;
    std::uint16_t bitCount = 24;
    std::uint32_t compression = 0;
    std::uint32_t sizeImage = 0;     // 0: computed
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::uint32_t clrUsed = 0;
    std::vector<std::uint32_t> masks;    // written after a 40-byte header
    std::vector<std::uint32_t> colors;   // 0x00RRGGBB, written as the table
    Bytes gap;                           // unused bytes after the table, which the pixel offset skips
    Bytes pixels;                        // empty: the full image of a pattern
};
std::uint32_t BmpStride(std::int32_t width, unsigned bits);
Bytes MakeBmp(const BmpSpec& layout);
// A 4x2 run-length 8-bit file of four colours.
BmpSpec RunLength();

// The colour of a picture's pixel (x, y from the top-left), 0x00RRGGBB.
std::uint32_t PixelAt(TBitmap& picture, int x, int y);

// The real main window, and a scratch folder removed afterwards.
class PictureTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string Path(const std::string& name) const { return folder + "\\" + name; }
    TImage& Image() { return *form->Image1; }
    // Installs a known 3 by 2 picture so a test can see that a failure kept it.
    void InstallKnownPicture();
    void ExpectKnownPicture();
    std::unique_ptr<TForm1> form;
    std::string folder;
};

}  // namespace mt::test
