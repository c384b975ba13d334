#include "tools/ink_jpeg.h"

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace mt::media {
namespace {

// The inks at (x, y), each 0 (none) to 255 (full).
void Inks(int width, int height, int x, int y, std::uint8_t ink[4]) {
    ink[0] = static_cast<std::uint8_t>(x * 255 / (width > 1 ? width - 1 : 1));
    ink[1] = static_cast<std::uint8_t>(y * 255 / (height > 1 ? height - 1 : 1));
    ink[2] = static_cast<std::uint8_t>(255 - (x + y) * 255 / (width + height > 2 ? width + height - 2 : 1));
    ink[3] = static_cast<std::uint8_t>(32 + (x + height - 1 - y) * 160 / (width + height > 2 ? width + height - 2 : 1));
}

}  // namespace

std::vector<std::uint8_t> WriteInkJpeg(int width, int height, InkJpeg kind) {
    jpeg_compress_struct info{};
    jpeg_error_mgr err{};
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    unsigned char* data = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &data, &size);
    const bool rgb = kind == InkJpeg::Rgb;
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = rgb ? 3 : 4;
    info.in_color_space = rgb ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    info.dct_method = JDCT_FLOAT;
    if (kind == InkJpeg::AdobeYcck) jpeg_set_colorspace(&info, JCS_YCCK);
    if (rgb) jpeg_set_colorspace(&info, JCS_RGB);  // stored as RGB, no colour transform
    info.write_Adobe_marker = kind == InkJpeg::AdobeCmyk || kind == InkJpeg::AdobeYcck;
    for (int i = 0; i < info.num_components; ++i) info.comp_info[i].h_samp_factor = info.comp_info[i].v_samp_factor = 1;
    jpeg_start_compress(&info, TRUE);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 4);
    const bool inverted = info.write_Adobe_marker;
    while (info.next_scanline < info.image_height) {
        const int y = static_cast<int>(info.next_scanline);
        for (int x = 0; x < width; ++x) {
            std::uint8_t ink[4];
            Inks(width, height, x, y, ink);
            if (rgb) {
                for (int i = 0; i < 3; ++i) row[x * 3 + i] = static_cast<std::uint8_t>(((255 - ink[i]) * (255 - ink[3]) + 127) / 255);
            } else {
                for (int i = 0; i < 4; ++i) row[x * 4 + i] = inverted ? static_cast<std::uint8_t>(255 - ink[i]) : ink[i];
            }
        }
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&info, &p, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<std::uint8_t> out(data, data + size);
    std::free(data);
    return out;
}

}  // namespace mt::media
