#include "e2e/picture_read.h"

#include <windows.h>

#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <iterator>

#include <jpeglib.h>

#include "base/handles.h"

namespace mt::test {
namespace {

struct JumpOnError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

void ErrorExit(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<JumpOnError*>(cinfo->err)->jump, 1); }

void Quiet(j_common_ptr) {}

}  // namespace

std::vector<std::uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t U32(const std::vector<std::uint8_t>& b, size_t at) {
    return at + 4 > b.size() ? 0 : b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

std::uint16_t U16(const std::vector<std::uint8_t>& b, size_t at) {
    return at + 2 > b.size() ? 0 : static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

Picture ReadBmp(const std::string& path) {
    OwnedBitmap bmp(static_cast<HBITMAP>(
        ::LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
    return ReadBitmap(bmp.get());
}

Picture ReadJpeg(const std::string& path) {
    std::vector<std::uint8_t> bytes = FileBytes(path);
    Picture out;
    if (bytes.empty()) return out;
    jpeg_decompress_struct cinfo{};
    JumpOnError err{};
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = &ErrorExit;
    err.mgr.output_message = &Quiet;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return Picture{};
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    out.width = static_cast<int>(cinfo.output_width);
    out.height = static_cast<int>(cinfo.output_height);
    out.px.resize(static_cast<size_t>(out.width) * out.height);
    std::vector<JSAMPLE> row(static_cast<size_t>(out.width) * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
        int y = static_cast<int>(cinfo.output_scanline);
        JSAMPROW rows[1] = {row.data()};
        jpeg_read_scanlines(&cinfo, rows, 1);
        for (int x = 0; x < out.width; ++x)
            out.px[static_cast<size_t>(y) * out.width + x] =
                static_cast<std::uint32_t>(row[x * 3]) << 16 | row[x * 3 + 1] << 8 | row[x * 3 + 2];
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return out;
}

JpegFrame ReadJpegFrame(const std::vector<std::uint8_t>& b) {
    JpegFrame f;
    size_t at = 2;
    while (at + 9 < b.size() && b[at] == 0xFF) {
        std::uint8_t marker = b[at + 1];
        size_t length = static_cast<size_t>(b[at + 2]) << 8 | b[at + 3];
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            f.marker = marker;
            f.height = b[at + 5] << 8 | b[at + 6];
            f.width = b[at + 7] << 8 | b[at + 8];
            f.components = b[at + 9];
            return f;
        }
        at += 2 + length;
    }
    return f;
}

}  // namespace mt::test
