#include "still/trail.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
#include <emmintrin.h>
#include <tmmintrin.h>
#endif
#include <iterator>
#include <memory>
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

// A kept frame holds each pixel's own low three bytes, sixteen pixels at a time
// where the processor has SSSE3, else four pixels to three words.
static_assert(std::endian::native == std::endian::little, "kept frames hold the pixels' own low bytes");

namespace {

#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
__attribute__((target("ssse3"))) void Pack16(const std::uint32_t* from, std::uint8_t* to) {
    const __m128i squeeze = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    const __m128i a = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from)), squeeze);
    const __m128i b = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 4)), squeeze);
    const __m128i c = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 8)), squeeze);
    const __m128i d = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 12)), squeeze);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), _mm_or_si128(a, _mm_slli_si128(b, 12)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 16), _mm_or_si128(_mm_srli_si128(b, 4), _mm_slli_si128(c, 8)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 32), _mm_or_si128(_mm_srli_si128(c, 8), _mm_slli_si128(d, 4)));
}
__attribute__((target("ssse3"))) void Unpack16(const std::uint8_t* from, std::uint32_t* to) {
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i x0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
    const __m128i x1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 16));
    const __m128i x2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 32));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), _mm_shuffle_epi8(x0, spread));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 4), _mm_shuffle_epi8(_mm_alignr_epi8(x1, x0, 12), spread));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 8), _mm_shuffle_epi8(_mm_alignr_epi8(x2, x1, 8), spread));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 12), _mm_shuffle_epi8(_mm_srli_si128(x2, 4), spread));
}
bool HasSsse3() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3");
}
#else
void Pack16(const std::uint32_t*, std::uint8_t*) {}
void Unpack16(const std::uint8_t*, std::uint32_t*) {}
bool HasSsse3() { return false; }
#endif

// `count` pixels from their packed bytes.
void UnpackPixels(const std::uint8_t* from, std::size_t count, std::uint32_t* to) {
    static const bool ssse3 = HasSsse3();
    std::size_t i = 0;
    if (ssse3)
        for (; i + 16 <= count; i += 16, from += 48) Unpack16(from, to + i);
    for (; i + 4 <= count; i += 4, from += 12) {
        std::uint32_t w[3];
        std::memcpy(w, from, 12);
        to[i] = w[0] & 0xFFFFFF;
        to[i + 1] = (w[0] >> 24 | w[1] << 8) & 0xFFFFFF;
        to[i + 2] = (w[1] >> 16 | w[2] << 16) & 0xFFFFFF;
        to[i + 3] = w[2] >> 8;
    }
    for (; i < count; ++i, from += 3)
        to[i] = std::uint32_t{from[0]} | std::uint32_t{from[1]} << 8 | std::uint32_t{from[2]} << 16;
}

}  // namespace

PackedPlane PackPlane(const PixelPlane& plane) {
    const std::size_t n = plane.px.size();
    PackedPlane packed = std::make_unique_for_overwrite<std::uint8_t[]>(n * 3);  // every byte written below
    const std::uint32_t* from = plane.px.data();
    std::uint8_t* to = packed.get();
    static const bool ssse3 = HasSsse3();
    std::size_t i = 0;
    if (ssse3)
        for (; i + 16 <= n; i += 16, to += 48) Pack16(from + i, to);
    for (; i + 4 <= n; i += 4, to += 12) {
        const std::uint32_t p0 = from[i] & 0xFFFFFF, p1 = from[i + 1] & 0xFFFFFF, p2 = from[i + 2] & 0xFFFFFF,
                            p3 = from[i + 3] & 0xFFFFFF;
        const std::uint32_t words[3] = {p0 | p1 << 24, p1 >> 8 | p2 << 16, p2 >> 16 | p3 << 8};
        std::memcpy(to, words, 12);
    }
    for (; i < n; ++i, to += 3) {
        to[0] = static_cast<std::uint8_t>(from[i]);
        to[1] = static_cast<std::uint8_t>(from[i] >> 8);
        to[2] = static_cast<std::uint8_t>(from[i] >> 16);
    }
    return packed;
}

void UnpackPlane(const std::uint8_t* packed, PixelPlane& into) { UnpackPixels(packed, into.px.size(), into.px.data()); }

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

#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
// The value of rank `mid` of each of 16 bytes side by side across rows[0..n)
// (n below 256) at `offset`, found bit by bit from the highest: a bit is set
// where at most `mid` values are below the value with it set.
__attribute__((target("sse2"))) void RankOf16(const std::uint8_t* const* rows, std::size_t n, std::size_t mid,
                                              std::size_t offset, std::uint8_t* out) {
    const __m128i flip = _mm_set1_epi8(static_cast<char>(0x80));  // unsigned order as signed
    const __m128i most = _mm_set1_epi8(static_cast<char>(mid));
    __m128i value = _mm_setzero_si128();
    for (int bit = 7; bit >= 0; --bit) {
        const __m128i with = _mm_or_si128(value, _mm_set1_epi8(static_cast<char>(1 << bit)));
        const __m128i withSigned = _mm_xor_si128(with, flip);
        __m128i below = _mm_setzero_si128();
        for (std::size_t k = 0; k < n; ++k) {
            const __m128i v = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[k] + offset)), flip);
            below = _mm_sub_epi8(below, _mm_cmplt_epi8(v, withSigned));
        }
        const __m128i atMost = _mm_cmpeq_epi8(_mm_min_epu8(below, most), below);
        value = _mm_or_si128(_mm_andnot_si128(atMost, value), _mm_and_si128(atMost, with));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), value);
}
bool HasSse2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("sse2");
}
#else
void RankOf16(const std::uint8_t* const*, std::size_t, std::size_t, std::size_t, std::uint8_t*) {}
bool HasSse2() { return false; }
#endif

}  // namespace

PixelPlane MedianPlane(const std::vector<const std::uint8_t*>& frames, int width, int height) {
    PixelPlane out(width, height);
    if (frames.empty()) return out;
    const std::size_t n = frames.size(), mid = n / 2;
    static const bool sse2 = HasSse2();
    // A row of every frame at a time: 16 bytes side by side where the processor
    // has SSE2, else each byte's values gathered.
    const std::size_t rowBytes = std::size_t(width) * 3;
    std::vector<const std::uint8_t*> rows(n);
    std::vector<std::uint8_t> median(rowBytes), values(n);
    for (std::size_t y = 0; y < std::size_t(height); ++y) {
        for (std::size_t k = 0; k < n; ++k) rows[k] = frames[k] + y * rowBytes;
        std::size_t j = 0;
        if (sse2 && n < 256)
            for (; j + 16 <= rowBytes; j += 16) RankOf16(rows.data(), n, mid, j, &median[j]);
        for (; j < rowBytes; ++j) {
            for (std::size_t k = 0; k < n; ++k) values[k] = rows[k][j];
            if (n < 256) {
                median[j] = ValueOfRank(values.data(), n, mid);
            } else {
                std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(mid), values.end());
                median[j] = values[mid];
            }
        }
        UnpackPixels(median.data(), std::size_t(width), &out.px[y * std::size_t(width)]);
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

// The pixels of a mask are looked at in groups of this many; a group no pixel
// of which is marked is passed over whole.
constexpr int kGroup = 16;

// Clears the parts of mask (8-connected) of fewer than kSpeckPixels pixels,
// looking only in the groups listed in `busy` (in order; the others are all 0).
// A part is found from its first pixel in row order, and its pixels are marked
// 2 while the search goes on, then 1 again. `kept`: the pixels left marked.
void DropSpecks(std::vector<std::uint8_t>& mask, int w, int h, const std::vector<int>& busy,
                std::vector<MaskPart>* parts, std::vector<int>& kept) {
    std::vector<int> part, stack;
    kept.clear();
    const int n = w * h;
    for (const int group : busy)
        for (int start = group * kGroup, end = std::min(n, start + kGroup); start < end; ++start) {
            if (mask[std::size_t(start)] != 1) continue;
            part.clear();
            stack.assign(1, start);
            mask[std::size_t(start)] = 2;
            double sumX = 0, sumY = 0;
            bool atEdge = false;
            while (!stack.empty()) {
                const int at = stack.back();
                stack.pop_back();
                part.push_back(at);
                const int x = at % w, y = at / w;
                sumX += x;
                sumY += y;
                const bool inside = x > 0 && y > 0 && x + 1 < w && y + 1 < h;  // all eight neighbours in the plane
                atEdge = atEdge || !inside;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        if (!inside && (x + dx < 0 || y + dy < 0 || x + dx >= w || y + dy >= h)) continue;
                        const std::size_t next = std::size_t(at + dy * w + dx);
                        if (mask[next] == 1) {
                            mask[next] = 2;
                            stack.push_back(static_cast<int>(next));
                        }
                    }
            }
            if (part.size() < static_cast<std::size_t>(kSpeckPixels)) {
                for (int at : part) mask[std::size_t(at)] = 0;
            } else {
                kept.insert(kept.end(), part.begin(), part.end());
                if (parts) {
                    const double area = static_cast<double>(part.size());
                    parts->push_back({static_cast<long>(part.size()), sumX / area, sumY / area, atEdge});
                }
            }
        }
    for (int at : kept) mask[std::size_t(at)] = 1;
}

// mask[i] = Differs(f[i], b[i]), sixteen pixels at a time where the processor
// has SSE2 (the bytes' differences both ways, saturated, above the threshold).
#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
__attribute__((target("sse2"))) void MarkDiffering16(const std::uint32_t* f, const std::uint32_t* b, std::uint8_t* mask,
                                                     std::size_t n, std::vector<int>& busy) {
    const __m128i limit = _mm_set1_epi8(static_cast<char>(kMovingThreshold));
    const __m128i channels = _mm_set1_epi32(0x00FFFFFF);
    const __m128i zero = _mm_setzero_si128();
    const __m128i one = _mm_set1_epi8(1);
    std::size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        // All ones in the lanes of four pixels where no channel differs, then the
        // sixteen lanes narrowed to sixteen bytes, 0 or 1.
        __m128i same[4];
        for (std::size_t k = 0; k < 4; ++k) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(f + i + 4 * k));
            const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i + 4 * k));
            const __m128i apart = _mm_or_si128(_mm_subs_epu8(x, y), _mm_subs_epu8(y, x));
            same[k] = _mm_cmpeq_epi32(_mm_and_si128(_mm_subs_epu8(apart, limit), channels), zero);
        }
        const __m128i low = _mm_packs_epi32(same[0], same[1]), high = _mm_packs_epi32(same[2], same[3]);
        const __m128i allSame = _mm_packs_epi16(low, high);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(mask + i), _mm_andnot_si128(allSame, one));
        if (_mm_movemask_epi8(allSame) != 0xFFFF) busy.push_back(static_cast<int>(i / kGroup));
    }
    bool any = false;
    for (std::size_t tail = i; tail < n; ++tail) any = (mask[tail] = Differs(f[tail], b[tail]) ? 1 : 0) || any;
    if (any) busy.push_back(static_cast<int>(i / kGroup));
}
#else
void MarkDiffering16(const std::uint32_t*, const std::uint32_t*, std::uint8_t*, std::size_t, std::vector<int>&) {}
#endif

// The mask of frame against background, without specks, and the pixels it marks.
void MaskInto(const PixelPlane& frame, const PixelPlane& background, std::vector<std::uint8_t>& mask,
              std::vector<MaskPart>* parts, std::vector<int>& marked) {
    if (parts) parts->clear();
    marked.clear();
    if (background.px.size() != frame.px.size()) {
        mask.assign(frame.px.size(), 0);
        return;
    }
    mask.resize(frame.px.size());  // every byte written below
    const std::uint32_t* f = frame.px.data();
    const std::uint32_t* b = background.px.data();
    std::vector<int> busy;
    static const bool sse2 = HasSse2();
    if (sse2) {
        MarkDiffering16(f, b, mask.data(), mask.size(), busy);
    } else {
        for (std::size_t i = 0; i < mask.size(); i += kGroup) {
            bool any = false;
            for (std::size_t j = i; j < std::min(mask.size(), i + kGroup); ++j)
                any = (mask[j] = Differs(f[j], b[j]) ? 1 : 0) || any;
            if (any) busy.push_back(static_cast<int>(i / kGroup));
        }
    }
    DropSpecks(mask, frame.width, frame.height, busy, parts, marked);
}

}  // namespace

std::vector<std::uint8_t> MovingMask(const PixelPlane& frame, const PixelPlane& background,
                                     std::vector<MaskPart>* parts) {
    std::vector<std::uint8_t> mask;
    std::vector<int> marked;
    MaskInto(frame, background, mask, parts, marked);
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
        MaskInto(frame, background_, mask_, &parts_, marked_);
        for (const int at : marked_) {
            out_.px[std::size_t(at)] = frame.px[std::size_t(at)];
            changed_[std::size_t(at)] = 1;
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
                   FrameReader read, std::size_t keptBytes, FrameKeeper keeper)
    : request_(request), width_(width), height_(height), read_(std::move(read)), keeper_(std::move(keeper)),
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
    std::size_t frameBytes = std::max<std::size_t>(std::size_t(width) * std::size_t(height) * 3, 1);
    if (!keeper_.keep || keeper_.bytes == 0 || keeper_.bytes >= frameBytes) keeper_ = {};
    else frameBytes = keeper_.bytes;
    const std::size_t fit = keptBytes / frameBytes;
    onePass_ = reads_.size() <= fit;
    keepChosen_ = background_.size() <= fit;
    if (!onePass_) {
        // The first pass: the background and, counted from the end, as many other
        // chosen frames as fit besides. The others are the first of the range, read
        // again on from its start as the first pass was.
        std::size_t room = fit > background_.size() ? fit - background_.size() : 0;
        std::vector<long> first;
        for (auto frame = reads_.rbegin(); frame != reads_.rend(); ++frame)
            if (std::binary_search(background_.begin(), background_.end(), *frame) || (room > 0 && room--))
                first.push_back(*frame);
        std::reverse(first.begin(), first.end());
        reads_ = std::move(first);
    }
    // The reads, the background, and each chosen frame laid in (read again where not kept).
    total_ = static_cast<int>(reads_.size()) + 1 + static_cast<int>(chosen_.size());
}

PixelPlane& TrailJob::Scratch() {
    if (frame_.px.empty()) frame_ = PixelPlane(width_, height_);  // one plane for every frame read
    return frame_;
}

const PixelPlane& TrailJob::Read(long frame) {
    if (!read_(frame, Scratch())) throw std::runtime_error("frame " + std::to_string(frame));
    return frame_;
}

const PixelPlane& TrailJob::Unpack(long frame, const Kept& kept) {
    if (kept.packed) UnpackPlane(kept.packed.get(), Scratch());
    else if (!kept.decoded->Pixels(width_, height_, Scratch().px.data())) return Read(frame);  // read afresh: a failure is the reader's to tell
    return frame_;
}

bool TrailJob::Step() {
    if (next_ < reads_.size()) {
        const long frame = reads_[next_++];
        if (request_.method != TrailMethod::Moving) {
            composer_.Add(Read(frame));
        } else {
            Kept kept;
            if (keeper_.keep) kept.decoded = keeper_.keep(frame);
            if (!kept.decoded) kept.packed = PackPlane(Read(frame));
            kept_.push_back(std::move(kept));
        }
        ++done_;
        return true;
    }
    if (request_.method != TrailMethod::Moving) return false;
    if (!backgroundDone_) {
        std::vector<const std::uint8_t*> planes;
        for (long frame : background_) {
            auto at = std::lower_bound(reads_.begin(), reads_.end(), frame);
            Kept& kept = kept_[static_cast<std::size_t>(at - reads_.begin())];
            if (!kept.packed) {
                // Made into pixels once, for the median and for laying in.
                kept.packed = PackPlane(Unpack(frame, kept));
                kept.decoded.reset();
            }
            planes.push_back(kept.packed.get());
        }
        composer_.SetBackground(MedianPlane(planes, width_, height_));
        backgroundDone_ = true;
        // The background frames that are not laid in are no longer needed (none is,
        // where the background alone is more than may be kept).
        for (std::size_t i = 0; i < reads_.size(); ++i)
            if (!keepChosen_ || !std::binary_search(chosen_.begin(), chosen_.end(), reads_[i])) kept_[i] = {};
        ++done_;
        return true;
    }
    if (nextChosen_ >= chosen_.size()) return false;
    const long frame = chosen_[nextChosen_++];
    auto at = std::lower_bound(reads_.begin(), reads_.end(), frame);
    if (at != reads_.end() && *at == frame && kept_[static_cast<std::size_t>(at - reads_.begin())]) {
        Kept& kept = kept_[static_cast<std::size_t>(at - reads_.begin())];
        composer_.Add(Unpack(frame, kept));
        kept = {};  // laid in: its memory goes
    } else {
        composer_.Add(Read(frame));
    }
    ++done_;
    if (observe_) observe_(frame, composer_.LastParts());
    return true;
}

}  // namespace mt
