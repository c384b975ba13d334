#include "video/clip_header.h"

#include <cstring>

namespace mt {
namespace {

bool Is(const std::uint8_t* p, const char* tag) { return std::memcmp(p, tag, 4) == 0; }

std::uint32_t Le32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

}  // namespace

ClipHeader ReadClipHeader(const std::uint8_t* bytes, std::size_t size) {
    ClipHeader h;
    if (!bytes || size < 12) return h;
    if (bytes[0] == 0 && bytes[1] == 0 && bytes[2] == 1 && (bytes[3] == 0xBA || bytes[3] == 0xB3)) {
        h.mpegStream = true;
        return h;
    }
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
