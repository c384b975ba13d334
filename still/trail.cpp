#include "still/trail.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
#include <emmintrin.h>
#endif
#include <iterator>
#include <stdexcept>
#include <string>

namespace mt {

std::vector<long> TrailFrames(long first, long last, long every) {
    std::vector<long> frames;
    if (every < 1 || last < first) return frames;
    for (long n = first; n <= last; n += every) {
        frames.push_back(n);
        if (last - n < every) break;  // no overflow past last
    }
    return frames;
}

long IntervalForAbout(long first, long last, int count) {
    if (last <= first || count <= 1) return 1;
    const long interval = (last - first + (count - 1) / 2) / (count - 1);
    return std::max(1L, interval);
}

std::vector<long> BackgroundFrames(long first, long last) {
    std::vector<long> frames;
    if (last < first) return frames;
    const long span = last - first;
    if (span + 1 <= static_cast<long>(kBackgroundFrames)) {
        for (long n = first; n <= last; ++n) frames.push_back(n);
        return frames;
    }
    const long k = static_cast<long>(kBackgroundFrames) - 1;
    for (long i = 0; i <= k; ++i)
        frames.push_back(first + static_cast<long>((static_cast<long long>(span) * i + k / 2) / k));
    frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
    return frames;
}

std::vector<std::uint8_t> PackPlane(const PixelPlane& plane) {
    std::vector<std::uint8_t> packed(plane.px.size() * 3);
    std::uint8_t* to = packed.data();
    for (const std::uint32_t p : plane.px) {
        to[0] = static_cast<std::uint8_t>(p >> 16);
        to[1] = static_cast<std::uint8_t>(p >> 8);
        to[2] = static_cast<std::uint8_t>(p);
        to += 3;
    }
    return packed;
}

PixelPlane UnpackPlane(const std::vector<std::uint8_t>& packed, int width, int height) {
    PixelPlane plane(width, height);
    const std::size_t count = std::min(plane.px.size(), packed.size() / 3);
    const std::uint8_t* from = packed.data();
    std::uint32_t* to = plane.px.data();
    for (std::size_t i = 0; i < count; ++i, from += 3)
        to[i] = (std::uint32_t{from[0]} << 16) | (std::uint32_t{from[1]} << 8) | from[2];
    return plane;
}

namespace {

// The value of rank `mid` (0 for the least) among values[0..n): the high half of
// each byte counted first, then the low half of those in the high half's bin.
std::uint8_t ValueOfRank(const std::uint8_t* values, std::size_t n, std::size_t mid) {
    std::uint8_t counts[16] = {};
    for (std::size_t k = 0; k < n; ++k) ++counts[values[k] >> 4];
    unsigned high = 0;
    while (mid >= counts[high]) mid -= counts[high++];
    std::uint8_t low[16] = {};
    for (std::size_t k = 0; k < n; ++k)
        if (unsigned(values[k] >> 4) == high) ++low[values[k] & 15];
    unsigned l = 0;
    while (mid >= low[l]) mid -= low[l++];
    return static_cast<std::uint8_t>(high << 4 | l);
}

}  // namespace

PixelPlane MedianPlane(const std::vector<const std::vector<std::uint8_t>*>& frames, int width, int height) {
    PixelPlane out(width, height);
    if (frames.empty()) return out;
    const std::size_t n = frames.size(), mid = n / 2;
    // A row of every frame at a time, each byte's values side by side.
    const std::size_t rowBytes = std::size_t(width) * 3;
    std::vector<std::uint8_t> values(rowBytes * n);
    for (std::size_t y = 0; y < std::size_t(height); ++y) {
        for (std::size_t k = 0; k < n; ++k) {
            const std::uint8_t* row = frames[k]->data() + y * rowBytes;
            for (std::size_t j = 0; j < rowBytes; ++j) values[j * n + k] = row[j];
        }
        std::uint32_t* px = &out.px[y * std::size_t(width)];
        // A few values are quicker sorted in place.
        auto rank = [&](std::uint8_t* v) {
            if (n >= 12) return ValueOfRank(v, n, mid);
            std::nth_element(v, v + mid, v + n);
            return v[mid];
        };
        for (std::size_t x = 0; x < std::size_t(width); ++x) {
            std::uint8_t* v = &values[3 * x * n];
            px[x] = std::uint32_t{rank(v)} << 16 | std::uint32_t{rank(v + n)} << 8 | rank(v + 2 * n);
        }
    }
    return out;
}

namespace {

// Whether one of the red, green and blue values differs by more than
// kMovingThreshold: each pair of channels at once, in 16-bit lanes holding
// 256 + a - b (1 to 511), whose bit 15 tells, after an offset, whether the lane
// is above 256 + kMovingThreshold or below 256 - kMovingThreshold.
bool Differs(std::uint32_t a, std::uint32_t b) {
    constexpr std::uint32_t kLanes = 0x00FF00FFu, kBias = 0x01000100u;
    constexpr std::uint32_t kAbove = (0x8000u - (256u + kMovingThreshold + 1u)) * 0x00010001u;
    constexpr std::uint32_t kBelow = (0x8000u - (256u - kMovingThreshold)) * 0x00010001u;
    const std::uint32_t redBlue = (a & kLanes) + kBias - (b & kLanes);
    const std::uint32_t green = (a >> 8 & kLanes) + kBias - (b >> 8 & kLanes);
    const std::uint32_t out = ((redBlue + kAbove) | ~(redBlue + kBelow)) & 0x80008000u;
    return (out | (((green + kAbove) | ~(green + kBelow)) & 0x8000u)) != 0;
}

// Clears the parts of mask (8-connected) of fewer than kSpeckPixels pixels. A
// part is found from its first pixel in row order, and its pixels are marked 2
// while the search goes on, then 1 again.
void DropSpecks(std::vector<std::uint8_t>& mask, int w, int h, std::vector<MaskPart>* parts) {
    std::vector<int> part, stack;
    const int n = w * h;
    int keptFrom = n, keptTo = -1;
    for (int start = 0; start < n; ++start) {
        // Four pixels at a time over the empty parts.
        if ((start & 3) == 0 && start + 4 <= n) {
            std::uint32_t four;
            std::memcpy(&four, &mask[std::size_t(start)], 4);
            if (!four) {
                start += 3;
                continue;
            }
        }
        if (mask[std::size_t(start)] != 1) continue;
        part.clear();
        stack.assign(1, start);
        mask[std::size_t(start)] = 2;
        while (!stack.empty()) {
            const int at = stack.back();
            stack.pop_back();
            part.push_back(at);
            const int x = at % w, y = at / w;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
                    const std::size_t next = std::size_t(ny) * std::size_t(w) + std::size_t(nx);
                    if (mask[next] == 1) {
                        mask[next] = 2;
                        stack.push_back(static_cast<int>(next));
                    }
                }
        }
        if (part.size() < static_cast<std::size_t>(kSpeckPixels)) {
            for (int at : part) mask[std::size_t(at)] = 0;
        } else {
            double sumX = 0, sumY = 0;
            for (int at : part) {
                keptFrom = std::min(keptFrom, at);
                keptTo = std::max(keptTo, at);
                sumX += at % w;
                sumY += at / w;
            }
            if (parts) {
                const double area = static_cast<double>(part.size());
                parts->push_back({static_cast<long>(part.size()), sumX / area, sumY / area});
            }
        }
    }
    for (int at = keptFrom; at <= keptTo; ++at)
        if (mask[std::size_t(at)] == 2) mask[std::size_t(at)] = 1;
}

// mask[i] = Differs(f[i], b[i]), four pixels at a time where the processor has
// SSE2 (the bytes' differences both ways, saturated, above the threshold).
#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
__attribute__((target("sse2"))) void MarkDiffering4(const std::uint32_t* f, const std::uint32_t* b,
                                                    std::uint8_t* mask, std::size_t n) {
    // The four lanes' "no channel differs" bits to four mask bytes.
    static constexpr std::uint32_t kBytes[16] = {
        0x01010101, 0x01010100, 0x01010001, 0x01010000, 0x01000101, 0x01000100, 0x01000001, 0x01000000,
        0x00010101, 0x00010100, 0x00010001, 0x00010000, 0x00000101, 0x00000100, 0x00000001, 0x00000000};
    const __m128i limit = _mm_set1_epi8(static_cast<char>(kMovingThreshold));
    const __m128i channels = _mm_set1_epi32(0x00FFFFFF);
    const __m128i zero = _mm_setzero_si128();
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(f + i));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
        const __m128i apart = _mm_or_si128(_mm_subs_epu8(x, y), _mm_subs_epu8(y, x));
        const __m128i over = _mm_and_si128(_mm_subs_epu8(apart, limit), channels);
        const int same = _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(over, zero)));
        std::memcpy(mask + i, &kBytes[same], 4);
    }
    for (; i < n; ++i) mask[i] = Differs(f[i], b[i]) ? 1 : 0;
}
bool HasSse2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("sse2");
}
#else
bool HasSse2() { return false; }
void MarkDiffering4(const std::uint32_t*, const std::uint32_t*, std::uint8_t*, std::size_t) {}
#endif

}  // namespace

std::vector<std::uint8_t> MovingMask(const PixelPlane& frame, const PixelPlane& background,
                                     std::vector<MaskPart>* parts) {
    std::vector<std::uint8_t> mask(frame.px.size(), 0);
    if (parts) parts->clear();
    if (background.px.size() != frame.px.size()) return mask;
    const std::uint32_t* f = frame.px.data();
    const std::uint32_t* b = background.px.data();
    static const bool sse2 = HasSse2();
    if (sse2) MarkDiffering4(f, b, mask.data(), mask.size());
    else
        for (std::size_t i = 0; i < mask.size(); ++i) mask[i] = Differs(f[i], b[i]) ? 1 : 0;
    DropSpecks(mask, frame.width, frame.height, parts);
    return mask;
}

TrailComposer::TrailComposer(TrailMethod method, int width, int height)
    : method_(method), out_(width, height), changed_(out_.px.size(), 1) {}

void TrailComposer::SetBackground(PixelPlane background) {
    background_ = std::move(background);
    if (!haveBase_ && background_.px.size() == out_.px.size()) {
        out_.px = background_.px;
        haveBase_ = true;
    }
}

void TrailComposer::SetStill(const PixelPlane& still) {
    if (still.px.size() != out_.px.size()) return;
    out_.px = still.px;
    std::fill(changed_.begin(), changed_.end(), 0);
    haveBase_ = true;
}

void TrailComposer::Add(const PixelPlane& frame) {
    if (frame.px.size() != out_.px.size()) return;
    if (!haveBase_) {
        // No still image: the first frame is where the brightest or darkest start.
        out_.px = frame.px;
        haveBase_ = true;
        if (method_ != TrailMethod::Moving) return;
    }
    if (method_ == TrailMethod::Moving) {
        const std::vector<std::uint8_t> mask = MovingMask(frame, background_, &parts_);
        for (std::size_t i = 0; i < mask.size(); ++i) {
            // Four pixels at a time over the still parts.
            if ((i & 3) == 0 && i + 4 <= mask.size()) {
                std::uint32_t four;
                std::memcpy(&four, &mask[i], 4);
                if (!four) {
                    i += 3;
                    continue;
                }
            }
            if (mask[i]) {
                out_.px[i] = frame.px[i];
                changed_[i] = 1;
            }
        }
        return;
    }
    const bool brightest = method_ == TrailMethod::Brightest;
    for (std::size_t i = 0; i < out_.px.size(); ++i) {
        const int now = Brightness(out_.px[i]), next = Brightness(frame.px[i]);
        if (brightest ? next > now : next < now) {
            out_.px[i] = frame.px[i];
            changed_[i] = 1;
        }
    }
}

}  // namespace mt

namespace mt {

TrailJob::TrailJob(const TrailRequest& request, int width, int height, std::optional<PixelPlane> still,
                   FrameReader read, std::size_t keptBytes)
    : request_(request), width_(width), height_(height), read_(std::move(read)),
      composer_(request.method, width, height), still_(std::move(still)) {
    chosen_ = TrailFrames(request.first, request.last, request.every);
    if (still_) composer_.SetStill(*still_);
    if (request.method != TrailMethod::Moving) {
        reads_ = chosen_;
        total_ = static_cast<int>(reads_.size());
        return;
    }
    background_ = BackgroundFrames(request.first, request.last);
    std::set_union(chosen_.begin(), chosen_.end(), background_.begin(), background_.end(), std::back_inserter(reads_));
    // Counted in frames: the bytes of a long range overflow a 32-bit size_t.
    const std::size_t frameBytes = std::max<std::size_t>(std::size_t(width) * std::size_t(height) * 3, 1);
    const std::size_t fit = keptBytes / frameBytes;
    onePass_ = reads_.size() <= fit;
    keepChosen_ = background_.size() <= fit;
    if (!onePass_) {
        // The first pass: the background and, in order, as many other chosen frames as fit besides.
        std::size_t room = fit > background_.size() ? fit - background_.size() : 0;
        std::vector<long> first;
        for (long frame : reads_)
            if (std::binary_search(background_.begin(), background_.end(), frame) || (room > 0 && room--))
                first.push_back(frame);
        reads_ = std::move(first);
    }
    // The reads, the background, and each chosen frame laid in (read again where not kept).
    total_ = static_cast<int>(reads_.size()) + 1 + static_cast<int>(chosen_.size());
}

PixelPlane TrailJob::Read(long frame) {
    PixelPlane plane(width_, height_);
    if (!read_(frame, plane)) throw std::runtime_error("frame " + std::to_string(frame));
    return plane;
}

bool TrailJob::Step() {
    if (next_ < reads_.size()) {
        const long frame = reads_[next_++];
        PixelPlane plane = Read(frame);
        if (request_.method != TrailMethod::Moving) composer_.Add(plane);
        else kept_.push_back(PackPlane(plane));
        ++done_;
        return true;
    }
    if (request_.method != TrailMethod::Moving) return false;
    if (!backgroundDone_) {
        std::vector<const std::vector<std::uint8_t>*> planes;
        for (long frame : background_) {
            auto at = std::lower_bound(reads_.begin(), reads_.end(), frame);
            planes.push_back(&kept_[static_cast<std::size_t>(at - reads_.begin())]);
        }
        composer_.SetBackground(MedianPlane(planes, width_, height_));
        backgroundDone_ = true;
        // The background frames that are not laid in are no longer needed (none is,
        // where the background alone is more than may be kept).
        for (std::size_t i = 0; i < reads_.size(); ++i)
            if (!keepChosen_ || !std::binary_search(chosen_.begin(), chosen_.end(), reads_[i]))
                std::vector<std::uint8_t>().swap(kept_[i]);
        ++done_;
        return true;
    }
    if (nextChosen_ >= chosen_.size()) return false;
    const long frame = chosen_[nextChosen_++];
    auto at = std::lower_bound(reads_.begin(), reads_.end(), frame);
    if (at != reads_.end() && *at == frame && !kept_[static_cast<std::size_t>(at - reads_.begin())].empty()) {
        std::vector<std::uint8_t>& packed = kept_[static_cast<std::size_t>(at - reads_.begin())];
        composer_.Add(UnpackPlane(packed, width_, height_));
        std::vector<std::uint8_t>().swap(packed);  // laid in: its memory goes
    } else {
        composer_.Add(Read(frame));
    }
    ++done_;
    if (observe_) observe_(frame, composer_.LastParts());
    return true;
}

}  // namespace mt
