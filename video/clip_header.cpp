#include "video/clip_header.h"

#include <cstring>
#include <initializer_list>

namespace mt {
namespace {

bool Is(const std::uint8_t* p, const char* tag) { return std::memcmp(p, tag, 4) == 0; }

std::uint32_t Le32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

std::uint32_t Be32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | std::uint32_t{p[3]};
}

}  // namespace

bool ReadMediaBox(const std::uint8_t* bytes, std::size_t size, MediaBox& box) {
    if (size < 8) return false;
    std::memcpy(box.type, bytes + 4, 4);
    box.length = Be32(bytes);
    if (box.length == 1) {
        if (size < 16) return false;
        box.length = std::uint64_t{Be32(bytes + 8)} << 32 | Be32(bytes + 12);
        return box.length >= 16;
    }
    return box.length == 0 || box.length >= 8;
}

void ReadMovieBox(const std::uint8_t* moov, std::size_t size, ClipHeader& header) {
    // A "pasp" box is 16 bytes: length, type, horizontal and vertical spacing.
    for (std::size_t i = 4; i + 12 <= size; ++i) {
        if (!Is(moov + i, "pasp") || Be32(moov + i - 4) != 16) continue;
        const std::uint32_t width = Be32(moov + i + 4), height = Be32(moov + i + 8);
        if (width && height) {
            header.pixelWidth = width;
            header.pixelHeight = height;
        }
        return;
    }
}

ClipHeader ReadClipHeader(const std::uint8_t* bytes, std::size_t size) {
    ClipHeader h;
    if (!bytes || size < 12) return h;
    if (bytes[0] == 0 && bytes[1] == 0 && bytes[2] == 1 && (bytes[3] == 0xBA || bytes[3] == 0xB3)) {
        h.mpegStream = true;
        return h;
    }
    for (const char* type : {"ftyp", "moov", "mdat", "wide", "free"})
        if (Is(bytes + 4, type)) h.isoMedia = true;
    if (!Is(bytes, "RIFF") || !Is(bytes + 8, "AVI ")) return h;
    // The first video stream header ("strh" of type "vids") and its format ("strf",
    // a BITMAPINFOHEADER whose biCompression is at byte 16).
    static const char* const jpegCodes[] = {"MJPG", "mjpg", "AVRn", "dmb1", "JPEG", "jpeg"};
    for (std::size_t i = 12; i + 8 + 56 <= size; ++i) {
        if (!Is(bytes + i, "strh") || !Is(bytes + i + 8, "vids")) continue;
        bool named = false;
        for (const char* code : jpegCodes) named = named || Is(bytes + i + 12, code);
        const std::size_t strf = i + 8 + Le32(bytes + i + 4);
        if (strf + 8 + 20 <= size && Is(bytes + strf, "strf"))
            for (const char* code : jpegCodes) named = named || Is(bytes + strf + 8 + 16, code);
        h.motionJpeg = named;
        break;
    }
    return h;
}

}  // namespace mt
