#include "video/frame_pixels.h"

#include <algorithm>
#include <cmath>

namespace mt {

PictureSize FitWithin(int width, int height, int maxWidth, int maxHeight) {
    if (width <= 0 || height <= 0) return {};
    if (width <= maxWidth && height <= maxHeight) return {width, height};
    const double scale = std::min(double(maxWidth) / width, double(maxHeight) / height);
    return {std::max(1, static_cast<int>(std::lround(width * scale))),
            std::max(1, static_cast<int>(std::lround(height * scale)))};
}

namespace {

// Y'CbCr to R'G'B' for one matrix and range, in 16.16 fixed point.
struct YuvMatrix {
    int yScale, yOffset, crR, cbG, crG, cbB;
    YuvMatrix(bool bt709, bool fullRange) {
        const double kr = bt709 ? 0.2126 : 0.299, kb = bt709 ? 0.0722 : 0.114, kg = 1 - kr - kb;
        const double ys = fullRange ? 1.0 : 255.0 / 219.0, cs = fullRange ? 1.0 : 255.0 / 224.0;
        auto fixed = [](double v) { return static_cast<int>(std::lround(v * 65536)); };
        yScale = fixed(ys);
        yOffset = fullRange ? 0 : 16;
        crR = fixed(2 * (1 - kr) * cs);
        cbB = fixed(2 * (1 - kb) * cs);
        cbG = fixed(2 * (1 - kb) * kb / kg * cs);
        crG = fixed(2 * (1 - kr) * kr / kg * cs);
    }
    std::uint32_t operator()(int y, int cb, int cr) const {
        const int yy = (y - yOffset) * yScale + 32768;
        cb -= 128;
        cr -= 128;
        auto clamp = [](int v) { return static_cast<std::uint32_t>(std::clamp(v >> 16, 0, 255)); };
        return clamp(yy + crR * cr) << 16 | clamp(yy - cbG * cb - crG * cr) << 8 | clamp(yy + cbB * cb);
    }
};

}  // namespace

namespace {

std::size_t StrideOf(const PixelLayout& l) {
    const int bytesPerPixel = l.kind == PixelLayout::Rgb32 ? 4 : l.kind == PixelLayout::Yuy2 ? 2 : 1;
    return static_cast<std::size_t>(std::abs(l.stride ? l.stride : l.planeWidth * bytesPerPixel));
}

// The first plane's row pitch in bytes; 0 where the buffer is too small for the layout.
std::size_t StrideWithin(const std::uint8_t* data, std::size_t size, const PixelLayout& l) {
    if (!data || l.width <= 0 || l.height <= 0 || l.left < 0 || l.top < 0 || l.left + l.width > l.planeWidth ||
        l.top + l.height > l.planeHeight)
        return 0;
    const int bytesPerPixel = l.kind == PixelLayout::Rgb32 ? 4 : l.kind == PixelLayout::Yuy2 ? 2 : 1;
    const std::size_t stride = StrideOf(l);
    if (size < PictureBytes(l) || stride < static_cast<std::size_t>(l.planeWidth * bytesPerPixel)) return 0;
    return stride;
}

}  // namespace

std::size_t PictureBytes(const PixelLayout& l) {
    if (l.planeHeight <= 0) return 0;
    const std::size_t stride = StrideOf(l), rows = static_cast<std::size_t>(l.planeHeight);
    const std::size_t chromaRows = (rows + 1) / 2;
    std::size_t needed = stride * rows;
    if (l.kind == PixelLayout::Nv12) needed += stride * chromaRows;
    if (l.kind == PixelLayout::I420) needed += 2 * (stride / 2) * chromaRows;
    return needed;
}

bool HoldsPicture(std::size_t size, const PixelLayout& l) {
    static const std::uint8_t somewhere = 0;
    return StrideWithin(&somewhere, size, l) != 0;
}

std::optional<PixelLayout> CopyAtOwnStride(const std::uint8_t* top, std::size_t size, std::size_t pitch,
                                           const PixelLayout& layout, std::vector<std::uint8_t>& into) {
    into.clear();
    if (pitch == 0 || pitch > 0x7FFFFFFF) return std::nullopt;
    PixelLayout atPitch = layout, own = layout;
    atPitch.stride = static_cast<int>(pitch);
    own.stride = static_cast<int>(StrideOf(layout));
    if (!StrideWithin(top, size, atPitch) || !HoldsPicture(PictureBytes(own), own)) return std::nullopt;
    const std::size_t stride = static_cast<std::size_t>(own.stride), rows = static_cast<std::size_t>(layout.planeHeight);
    const std::size_t chromaRows = (rows + 1) / 2;
    struct Plane {
        std::size_t rows, from, to;  // rows, and their pitch in the buffer and in the copy
    };
    std::vector<Plane> planes{{rows, pitch, stride}};
    if (layout.kind == PixelLayout::Nv12) planes.push_back({chromaRows, pitch, stride});
    if (layout.kind == PixelLayout::I420) planes.insert(planes.end(), 2, {chromaRows, pitch / 2, stride / 2});
    into.assign(PictureBytes(own), 0);
    const std::uint8_t* from = top;
    std::uint8_t* to = into.data();
    for (const Plane& plane : planes)
        for (std::size_t row = 0; row < plane.rows; ++row, from += plane.from, to += plane.to)
            std::copy_n(from, std::min(plane.from, plane.to), to);
    return own;
}

bool UnpackPicture(const std::uint8_t* data, std::size_t size, const PixelLayout& l, Picture& out) {
    const std::size_t stride = StrideWithin(data, size, l);
    if (!stride) return false;
    const std::size_t rows = static_cast<std::size_t>(l.planeHeight);
    const std::size_t lumaBytes = stride * rows;
    const std::size_t chromaRows = (rows + 1) / 2;

    out.width = l.width;
    out.height = l.height;
    out.px.resize(static_cast<std::size_t>(l.width) * l.height);
    auto m = [](std::uint32_t y, std::uint32_t cb, std::uint32_t cr) { return y << 16 | cb << 8 | cr; };
    for (int y = 0; y < l.height; ++y) {
        const int sy = l.top + y;
        const std::size_t row = l.stride < 0 ? rows - 1 - sy : sy;
        const std::uint8_t* line = data + row * stride;
        std::uint32_t* dst = &out.px[static_cast<std::size_t>(y) * l.width];
        switch (l.kind) {
        case PixelLayout::Rgb32:
            for (int x = 0; x < l.width; ++x) {
                const std::uint8_t* p = line + 4 * (l.left + x);
                dst[x] = std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
            }
            break;
        case PixelLayout::Nv12: {
            const std::uint8_t* uv = data + lumaBytes + static_cast<std::size_t>(sy / 2) * stride;
            for (int x = 0; x < l.width; ++x) {
                const int sx = l.left + x;
                dst[x] = m(line[sx], uv[sx & ~1], uv[(sx & ~1) + 1]);
            }
            break;
        }
        case PixelLayout::I420: {
            const std::size_t cstride = stride / 2;
            const std::uint8_t* u = data + lumaBytes + static_cast<std::size_t>(sy / 2) * cstride;
            const std::uint8_t* v = u + cstride * chromaRows;
            for (int x = 0; x < l.width; ++x) {
                const int sx = l.left + x;
                dst[x] = m(line[sx], u[sx / 2], v[sx / 2]);
            }
            break;
        }
        case PixelLayout::Yuy2:
            for (int x = 0; x < l.width; ++x) {
                const int sx = l.left + x;
                const std::uint8_t* pair = line + 4 * (sx / 2);
                dst[x] = m(line[2 * sx], pair[1], pair[3]);
            }
            break;
        }
    }
    return true;
}

void ApplyColourMatrix(const PixelLayout& layout, Picture& picture) {
    if (layout.kind == PixelLayout::Rgb32) return;
    const YuvMatrix m(layout.bt709, layout.fullRange);
    for (std::uint32_t& p : picture.px) p = m(static_cast<int>(p >> 16 & 255), static_cast<int>(p >> 8 & 255), static_cast<int>(p & 255));
}

namespace {

// For each output pixel along one axis, the source pixels it covers and their
// shares in 16.16 fixed point, summing to exactly 1.
struct Tap {
    int first = 0;
    std::vector<std::uint32_t> weights;
};

std::vector<Tap> AreaTaps(int from, int to) {
    std::vector<Tap> taps(static_cast<std::size_t>(to));
    const double ratio = double(from) / to;
    for (int i = 0; i < to; ++i) {
        const double a = i * ratio, b = (i + 1) * ratio;
        Tap& t = taps[static_cast<std::size_t>(i)];
        t.first = static_cast<int>(a);
        const int last = std::min(from - 1, static_cast<int>(std::ceil(b)) - 1);
        std::uint32_t sum = 0;
        for (int s = t.first; s <= last; ++s) {
            const double share = (std::min<double>(b, s + 1) - std::max<double>(a, s)) / ratio;
            t.weights.push_back(static_cast<std::uint32_t>(share * 65536));
            sum += t.weights.back();
        }
        *std::max_element(t.weights.begin(), t.weights.end()) += 65536 - sum;
    }
    return taps;
}

}  // namespace

Picture ScaleByAreaAveraging(const Picture& in, int width, int height) {
    if (width == in.width && height == in.height) return in;
    Picture out;
    if (width <= 0 || height <= 0 || in.width <= 0 || in.height <= 0) return out;
    const auto across = AreaTaps(in.width, width), down = AreaTaps(in.height, height);
    out.width = width;
    out.height = height;
    out.px.assign(static_cast<std::size_t>(width) * height, 0);
    // Down each column first, over the rows' bytes (four channels a pixel, the
    // fourth unused), into one row of sums; then across that row.
    const std::size_t rowBytes = static_cast<std::size_t>(in.width) * 4;
    std::vector<std::uint32_t> acc(rowBytes);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(in.px.data());
    auto channel = [](std::uint64_t v) { return static_cast<std::uint32_t>(std::min<std::uint64_t>(255, (v + (1u << 23)) >> 24)); };
    for (int y = 0; y < height; ++y) {
        const Tap& t = down[static_cast<std::size_t>(y)];
        std::fill(acc.begin(), acc.end(), 0u);
        for (std::size_t k = 0; k < t.weights.size(); ++k) {
            const std::uint8_t* src = bytes + static_cast<std::size_t>(t.first + static_cast<int>(k)) * rowBytes;
            const std::uint32_t w = t.weights[k];
            for (std::size_t i = 0; i < rowBytes; ++i) acc[i] += w * src[i];
        }
        std::uint32_t* dst = &out.px[static_cast<std::size_t>(y) * width];
        for (int x = 0; x < width; ++x) {
            const Tap& h = across[static_cast<std::size_t>(x)];
            std::uint64_t c0 = 0, c1 = 0, c2 = 0;
            const std::uint32_t* p = &acc[static_cast<std::size_t>(h.first) * 4];
            for (std::size_t k = 0; k < h.weights.size(); ++k, p += 4) {
                // Down to 8 fractional bits first, so a sum of shares fits.
                const std::uint32_t w = h.weights[k];
                c0 += std::uint64_t{w} * ((p[0] + 128) >> 8);
                c1 += std::uint64_t{w} * ((p[1] + 128) >> 8);
                c2 += std::uint64_t{w} * ((p[2] + 128) >> 8);
            }
            // Bytes 0, 1, 2 of 0x00RRGGBB in memory: blue, green, red.
            dst[x] = channel(c2) << 16 | channel(c1) << 8 | channel(c0);
        }
    }
    return out;
}

namespace {

// A tap over the chroma samples: the luma tap's shares added up per chroma
// sample (sample s shows chroma (offset + s) / 2), so that scaling a chroma plane
// sums exactly what scaling its samples repeated at the luma size sums.
Tap ChromaTap(const Tap& luma, int offset) {
    Tap t;
    t.first = (offset + luma.first) / 2;
    for (std::size_t k = 0; k < luma.weights.size(); ++k) {
        const std::size_t at = static_cast<std::size_t>((offset + luma.first + static_cast<int>(k)) / 2 - t.first);
        if (at >= t.weights.size()) t.weights.resize(at + 1, 0);
        t.weights[at] += luma.weights[k];
    }
    return t;
}

// One plane of 8-bit samples (`step` bytes apart, rows `pitch` apart) scaled
// through the taps into byte `channel` of each output pixel, as ScaleByAreaAveraging
// scales that byte of a picture.
void ScalePlane(const std::uint8_t* plane, std::ptrdiff_t pitch, int step, const std::vector<Tap>& across,
                const std::vector<Tap>& down, int channel, Picture& out) {
    int first = across.front().first, last = first;
    for (const Tap& h : across) last = std::max(last, h.first + static_cast<int>(h.weights.size()));
    std::vector<std::uint32_t> acc(static_cast<std::size_t>(last - first));
    const int shift = 8 * channel;
    for (int y = 0; y < out.height; ++y) {
        const Tap& t = down[static_cast<std::size_t>(y)];
        std::fill(acc.begin(), acc.end(), 0u);
        for (std::size_t k = 0; k < t.weights.size(); ++k) {
            const std::uint32_t w = t.weights[k];
            if (!w) continue;
            const std::uint8_t* src = plane + (t.first + static_cast<std::ptrdiff_t>(k)) * pitch + first * step;
            for (std::size_t i = 0; i < acc.size(); ++i, src += step) acc[i] += w * *src;
        }
        std::uint32_t* dst = &out.px[static_cast<std::size_t>(y) * static_cast<std::size_t>(out.width)];
        for (int x = 0; x < out.width; ++x) {
            const Tap& h = across[static_cast<std::size_t>(x)];
            std::uint64_t c = 0;
            const std::uint32_t* p = &acc[static_cast<std::size_t>(h.first - first)];
            for (std::size_t k = 0; k < h.weights.size(); ++k) c += std::uint64_t{h.weights[k]} * ((p[k] + 128) >> 8);
            dst[x] |= static_cast<std::uint32_t>(std::min<std::uint64_t>(255, (c + (1u << 23)) >> 24)) << shift;
        }
    }
}

}  // namespace

bool UnpackScaled(const std::uint8_t* data, std::size_t size, const PixelLayout& l, int width, int height,
                  Picture& out) {
    const bool planar = l.kind == PixelLayout::Nv12 || l.kind == PixelLayout::I420;
    if (!planar || width <= 0 || height <= 0 || (width == l.width && height == l.height)) {
        Picture full;
        if (!UnpackPicture(data, size, l, full)) return false;
        out = ScaleByAreaAveraging(full, width, height);
        return true;
    }
    const std::size_t stride = StrideWithin(data, size, l);
    if (!stride) return false;
    // As UnpackPicture reads them: the luma rows upwards in a bottom-up buffer, the
    // chroma rows downwards.
    const std::size_t rows = static_cast<std::size_t>(l.planeHeight), chromaRows = (rows + 1) / 2;
    const auto pitch = static_cast<std::ptrdiff_t>(stride);
    std::vector<Tap> across = AreaTaps(l.width, width), down = AreaTaps(l.height, height);
    std::vector<Tap> chromaAcross, chromaDown;
    for (const Tap& t : across) chromaAcross.push_back(ChromaTap(t, l.left));
    for (const Tap& t : down) chromaDown.push_back(ChromaTap(t, l.top));
    // Luma taps count from the picture's corner; chroma taps from the plane's.
    for (Tap& t : across) t.first += l.left;
    for (Tap& t : down) t.first += l.top;
    out.width = width;
    out.height = height;
    out.px.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    const bool up = l.stride < 0;
    const std::uint8_t* luma = up ? data + (rows - 1) * stride : data;
    const std::uint8_t* chroma = data + stride * rows;
    ScalePlane(luma, up ? -pitch : pitch, 1, across, down, 2, out);
    if (l.kind == PixelLayout::Nv12) {
        ScalePlane(chroma, pitch, 2, chromaAcross, chromaDown, 1, out);
        ScalePlane(chroma + 1, pitch, 2, chromaAcross, chromaDown, 0, out);
    } else {
        const std::size_t cstride = stride / 2;
        const auto cpitch = static_cast<std::ptrdiff_t>(cstride);
        ScalePlane(chroma, cpitch, 1, chromaAcross, chromaDown, 1, out);
        ScalePlane(chroma + cstride * chromaRows, cpitch, 1, chromaAcross, chromaDown, 0, out);
    }
    return true;
}

}  // namespace mt
