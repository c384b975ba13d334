// Reading back the pictures the program wrote, as another program would: a BMP
// through the system's loader, a JPEG through libjpeg, and the raw bytes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "common/pixels.h"

namespace mt::test {

// Empty (0 by 0) when the file cannot be read.
using Picture = Pixels;

std::vector<std::uint8_t> FileBytes(const std::string& path);
Picture ReadBmp(const std::string& path);
Picture ReadJpeg(const std::string& path);

// The JPEG's frame header: the start-of-frame marker (0xC0 baseline, 0xC2
// progressive), size and component count; marker 0 when there is none.
struct JpegFrame {
    int marker = 0, width = 0, height = 0, components = 0;
};
JpegFrame ReadJpegFrame(const std::vector<std::uint8_t>& bytes);

// Little-endian fields of a file's bytes.
std::uint32_t U32(const std::vector<std::uint8_t>& b, size_t at);
std::uint16_t U16(const std::vector<std::uint8_t>& b, size_t at);

}  // namespace mt::test
