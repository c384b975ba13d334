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

bool UnpackPicture(const std::uint8_t* data, std::size_t size, const PixelLayout& l, Picture& out) {
    if (!data || l.width <= 0 || l.height <= 0 || l.left < 0 || l.top < 0 || l.left + l.width > l.planeWidth ||
        l.top + l.height > l.planeHeight)
        return false;
    const int bytesPerPixel = l.kind == PixelLayout::Rgb32 ? 4 : l.kind == PixelLayout::Yuy2 ? 2 : 1;
    const std::size_t stride = static_cast<std::size_t>(std::abs(l.stride ? l.stride : l.planeWidth * bytesPerPixel));
    const std::size_t rows = static_cast<std::size_t>(l.planeHeight);
    const std::size_t lumaBytes = stride * rows;
    const std::size_t chromaRows = (rows + 1) / 2;
    std::size_t needed = lumaBytes;
    if (l.kind == PixelLayout::Nv12) needed += stride * chromaRows;
    if (l.kind == PixelLayout::I420) needed += 2 * (stride / 2) * chromaRows;
    if (size < needed || stride < static_cast<std::size_t>(l.planeWidth * bytesPerPixel)) return false;

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

}  // namespace mt
