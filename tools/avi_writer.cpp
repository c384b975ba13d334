#include "tools/avi_writer.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace mt::media {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, unsigned v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
void PutFourCC(Bytes& b, const char (&cc)[5]) { b.insert(b.end(), cc, cc + 4); }
void Patch32(Bytes& b, size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Opens a chunk (or a LIST/RIFF with its form type); returns where its size goes.
size_t Open(Bytes& b, const char (&id)[5], const char* form = nullptr) {
    PutFourCC(b, id);
    size_t sizeAt = b.size();
    Put32(b, 0);
    if (form) b.insert(b.end(), form, form + 4);
    return sizeAt;
}
void Close(Bytes& b, size_t sizeAt) {
    Patch32(b, sizeAt, static_cast<std::uint32_t>(b.size() - sizeAt - 4));
    if (b.size() % 2) b.push_back(0);  // chunks are word-aligned
}

unsigned To555(Rgb c) { return (unsigned(c.r >> 3) << 10) | (unsigned(c.g >> 3) << 5) | unsigned(c.b >> 3); }

// One frame: blocks from the bottom row of blocks upward, each row left to right.
Bytes EncodeFrame(int width, int height, int frame, const BlockColor& color) {
    Bytes out;
    for (int y = height - 4; y >= 0; y -= 4) {
        for (int x = 0; x < width; x += 4) {
            unsigned c = To555(color(frame, x, y));
            if ((c >> 10) != 1) {
                Put16(out, 0x8000 | c);  // one-colour block
            } else {
                // 0x84xx..0x87xx would read as "skip blocks": a two-colour block of
                // that colour twice says the same.
                Put16(out, 0x0001);
                Put16(out, c);
                Put16(out, c);
            }
        }
    }
    return out;
}

}  // namespace

std::vector<std::uint8_t> EncodeMsVideo1Avi(int width, int height, int frames, int framesPerSecond,
                                            const BlockColor& color) {
    if (width <= 0 || height <= 0 || width % 4 || height % 4)
        throw std::invalid_argument("frame size must be positive multiples of 4");
    if (frames <= 0 || framesPerSecond <= 0) throw std::invalid_argument("frames and rate must be positive");
    std::vector<Bytes> data;
    std::uint32_t largest = 0;
    for (int f = 0; f < frames; ++f) {
        data.push_back(EncodeFrame(width, height, f, color));
        largest = std::max<std::uint32_t>(largest, static_cast<std::uint32_t>(data.back().size()));
    }

    Bytes b;
    size_t riff = Open(b, "RIFF", "AVI ");
    size_t hdrl = Open(b, "LIST", "hdrl");
    size_t avih = Open(b, "avih");
    Put32(b, 1000000u / static_cast<std::uint32_t>(framesPerSecond));  // microseconds per frame
    Put32(b, largest * static_cast<std::uint32_t>(framesPerSecond));   // max bytes per second
    Put32(b, 0);                                                       // padding granularity
    Put32(b, 0x10);                                                    // AVIF_HASINDEX
    Put32(b, static_cast<std::uint32_t>(frames));
    Put32(b, 0);  // initial frames
    Put32(b, 1);  // streams
    Put32(b, largest);
    Put32(b, static_cast<std::uint32_t>(width));
    Put32(b, static_cast<std::uint32_t>(height));
    for (int i = 0; i < 4; ++i) Put32(b, 0);
    Close(b, avih);

    size_t strl = Open(b, "LIST", "strl");
    size_t strh = Open(b, "strh");
    PutFourCC(b, "vids");
    PutFourCC(b, "CRAM");
    Put32(b, 0);  // flags
    Put16(b, 0);  // priority
    Put16(b, 0);  // language
    Put32(b, 0);  // initial frames
    Put32(b, 1);  // scale
    Put32(b, static_cast<std::uint32_t>(framesPerSecond));  // rate
    Put32(b, 0);  // start
    Put32(b, static_cast<std::uint32_t>(frames));
    Put32(b, largest);
    Put32(b, 0xFFFFFFFFu);  // quality: default
    Put32(b, 0);            // sample size: varies
    Put16(b, 0);
    Put16(b, 0);
    Put16(b, static_cast<unsigned>(width));
    Put16(b, static_cast<unsigned>(height));
    Close(b, strh);
    size_t strf = Open(b, "strf");  // BITMAPINFOHEADER
    Put32(b, 40);
    Put32(b, static_cast<std::uint32_t>(width));
    Put32(b, static_cast<std::uint32_t>(height));
    Put16(b, 1);   // planes
    Put16(b, 16);  // bits per pixel
    PutFourCC(b, "CRAM");
    Put32(b, static_cast<std::uint32_t>(width * height * 2));
    for (int i = 0; i < 4; ++i) Put32(b, 0);
    Close(b, strf);
    Close(b, strl);
    Close(b, hdrl);

    size_t movi = Open(b, "LIST", "movi");
    size_t moviType = movi + 4;  // index offsets count from the "movi" form type
    std::vector<std::uint32_t> offsets;
    for (const Bytes& frame : data) {
        offsets.push_back(static_cast<std::uint32_t>(b.size() - moviType));
        size_t chunk = Open(b, "00dc");
        b.insert(b.end(), frame.begin(), frame.end());
        Close(b, chunk);
    }
    Close(b, movi);

    size_t idx1 = Open(b, "idx1");
    for (size_t i = 0; i < data.size(); ++i) {
        PutFourCC(b, "00dc");
        Put32(b, 0x10);  // AVIIF_KEYFRAME
        Put32(b, offsets[i]);
        Put32(b, static_cast<std::uint32_t>(data[i].size()));
    }
    Close(b, idx1);
    Close(b, riff);
    return b;
}

BallClip::Rect BallClip::BallAt(int frame) const {
    int x = startX + stepX * frame, y = startY + stepY * frame;
    return {x, y, x + ballSize, y + ballSize};
}

Rgb BallClip::ColorAt(int frame, int x, int y) const {
    Rect r = BallAt(frame);
    return (x >= r.left && x < r.right && y >= r.top && y < r.bottom) ? ball : background;
}

std::vector<std::uint8_t> BallClip::Encode() const {
    for (int v : {ballSize, startX, startY, stepX, stepY})
        if (v % 4) throw std::invalid_argument("ball sizes and moves must be multiples of 4");
    for (int f : {0, frames - 1}) {
        Rect r = BallAt(f);
        if (r.left < 0 || r.top < 0 || r.right > width || r.bottom > height)
            throw std::invalid_argument("the ball leaves the frame");
    }
    return EncodeMsVideo1Avi(width, height, frames, framesPerSecond,
                             [this](int f, int x, int y) { return ColorAt(f, x, y); });
}

bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!f) return false;
    return std::fwrite(bytes.data(), 1, bytes.size(), f.get()) == bytes.size() && std::fflush(f.get()) == 0;
}

}  // namespace mt::media
