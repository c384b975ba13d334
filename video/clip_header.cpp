#include "video/clip_header.h"

#include <algorithm>
#include <cmath>
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

std::uint64_t Be64(const std::uint8_t* p) { return std::uint64_t{Be32(p)} << 32 | Be32(p + 4); }

// One box of an MP4 or MOV file: its type and its body (after the length and type).
struct Box {
    const std::uint8_t* start = nullptr;
    const std::uint8_t* body = nullptr;
    std::size_t size = 0;
    bool Is(const char* type) const { return start && std::memcmp(start + 4, type, 4) == 0; }
    // A full box's version, and its fields after version and flags.
    int Version() const { return size >= 4 ? body[0] : -1; }
    bool Has(std::size_t fieldsEnd) const { return size >= 4 + fieldsEnd; }
    const std::uint8_t* Fields() const { return body + 4; }
};

// The boxes one after another in [bytes, bytes + size); stops at the first that
// does not fit.
class Boxes {
public:
    Boxes(const std::uint8_t* bytes, std::size_t size) : at_(bytes), left_(bytes ? size : 0) {}
    explicit Boxes(const Box& parent) : Boxes(parent.body, parent.size) {}
    bool Next(Box& box) {
        if (left_ < 8) return false;
        std::uint64_t length = Be32(at_);
        std::size_t header = 8;
        if (length == 1) {
            if (left_ < 16) return false;
            length = Be64(at_ + 8);
            header = 16;
        } else if (length == 0) {
            length = left_;
        }
        if (length < header || length > left_) return false;
        box.start = at_;
        box.body = at_ + header;
        box.size = static_cast<std::size_t>(length) - header;
        at_ += length;
        left_ -= static_cast<std::size_t>(length);
        return true;
    }
    // The first box of the type, from here on.
    bool Find(const char* type, Box& box) {
        while (Next(box))
            if (box.Is(type)) return true;
        return false;
    }

private:
    const std::uint8_t* at_;
    std::size_t left_;
};

bool Child(const Box& parent, const char* type, Box& box) { return Boxes(parent).Find(type, box); }

// A movie or media header's time scale (units a second); 0 where it has none.
std::uint32_t TimeScale(const Box& header) {
    if (header.Version() == 1 && header.Has(20)) return Be32(header.Fields() + 16);
    if (header.Version() == 0 && header.Has(12)) return Be32(header.Fields() + 8);
    return 0;
}

// More frames than nine hours at 30 frames a second: not a table to believe.
constexpr std::uint64_t kMostFrames = 1'000'000;

// The frames' presentation times in the media's own units, in display order;
// empty where the tables are missing, disagree or leave frames out.
std::vector<std::int64_t> PresentationTimes(const Box& stbl, const Box* elst, std::uint32_t movieScale,
                                            std::uint32_t mediaScale) {
    std::vector<std::int64_t> times;
    Box stts, ctts, stsz;
    if (!Child(stbl, "stts", stts) || !stts.Has(4)) return times;
    const std::uint64_t entries = Be32(stts.Fields());
    if (entries > (stts.size - 8) / 8) return times;
    const std::uint8_t* entry = stts.Fields() + 4;
    std::uint64_t total = 0;
    for (std::uint64_t i = 0; i < entries; ++i) total += Be32(entry + 8 * i);
    if (total == 0 || total > kMostFrames) return times;
    if (Child(stbl, "stsz", stsz) && stsz.Has(8) && Be32(stsz.Fields() + 4) != total) return times;
    // Decoding times, then each frame's offset from its decoding time to its showing.
    times.reserve(static_cast<std::size_t>(total));
    std::int64_t decode = 0;
    for (std::uint64_t i = 0; i < entries; ++i) {
        const std::int64_t delta = Be32(entry + 8 * i + 4);
        for (std::uint32_t n = Be32(entry + 8 * i); n > 0; --n) {
            times.push_back(decode);
            decode += delta;
        }
    }
    if (Child(stbl, "ctts", ctts) && ctts.Has(4)) {
        const std::uint64_t runs = Be32(ctts.Fields());
        if (runs > (ctts.size - 8) / 8) return {};
        const std::uint8_t* run = ctts.Fields() + 4;
        std::size_t frame = 0;
        for (std::uint64_t i = 0; i < runs && frame < times.size(); ++i) {
            // Signed in version 1; writers of version 0 mean it signed too.
            const auto offset = static_cast<std::int32_t>(Be32(run + 8 * i + 4));
            for (std::uint32_t n = Be32(run + 8 * i); n > 0 && frame < times.size(); --n) times[frame++] += offset;
        }
    }
    std::sort(times.begin(), times.end());
    if (!elst) return times;
    // An edit list that only shifts the track, or ends it before its last frames (a
    // camera's clip whose edit ends where its last sample starts), is fine: the
    // frames from the edit's end on are never shown. One that cuts frames off its
    // start, plays some twice or at another rate is left to the decoder.
    if (!elst->Has(4)) return {};
    const int version = elst->Version();
    const std::size_t width = version == 1 ? 20 : 12;
    const std::uint64_t edits = Be32(elst->Fields());
    if (version > 1 || edits > (elst->size - 8) / width) return {};
    int kept = 0;
    for (std::uint64_t i = 0; i < edits; ++i) {
        const std::uint8_t* e = elst->Fields() + 4 + width * i;
        const std::uint64_t duration = version == 1 ? Be64(e) : Be32(e);
        const std::int64_t start = version == 1 ? static_cast<std::int64_t>(Be64(e + 8))
                                                : static_cast<std::int32_t>(Be32(e + 4));
        const std::uint32_t rate = Be32(e + width - 4);
        if (start == -1) continue;  // an empty edit: the track starts later
        if (++kept > 1 || rate != 0x10000 || start > times.front()) return {};
        if (duration == 0 || movieScale == 0) continue;  // to the track's end
        // The edit's end in the media's units (its duration is in the movie's), rounded
        // as players round it: the frames that start there or later are not shown.
        const std::int64_t end = start + std::llround(double(duration) * mediaScale / movieScale);
        times.erase(std::lower_bound(times.begin(), times.end(), end), times.end());
        if (times.empty()) return {};
    }
    return times;
}

}  // namespace

void ReadMovieBox(const std::uint8_t* bytes, std::size_t size, ClipHeader& header) {
    Box moov, mvhd, trak;
    Boxes top(bytes, size);
    if (!top.Next(moov) || !moov.Is("moov")) return;
    const std::uint32_t movieScale = Child(moov, "mvhd", mvhd) ? TimeScale(mvhd) : 0;
    // The first video track ("vide" handler).
    for (Boxes tracks(moov); tracks.Find("trak", trak);) {
        Box mdia, hdlr, mdhd, minf, stbl, stsd, edts, elst;
        if (!Child(trak, "mdia", mdia) || !Child(mdia, "hdlr", hdlr) || !hdlr.Has(8) || !Is(hdlr.Fields() + 4, "vide"))
            continue;
        if (!Child(mdia, "minf", minf) || !Child(minf, "stbl", stbl)) return;
        // The first sample entry's boxes follow its 78 bytes of visual fields.
        Box entry, pasp;
        if (Child(stbl, "stsd", stsd) && stsd.Has(4) && Boxes(stsd.Fields() + 4, stsd.size - 8).Next(entry) &&
            entry.size > 78 && Boxes(entry.body + 78, entry.size - 78).Find("pasp", pasp) && pasp.size >= 8) {
            const std::uint32_t width = Be32(pasp.body), height = Be32(pasp.body + 4);
            if (width && height) {
                header.pixelWidth = width;
                header.pixelHeight = height;
            }
        }
        const std::uint32_t mediaScale = Child(mdia, "mdhd", mdhd) ? TimeScale(mdhd) : 0;
        if (!mediaScale) return;
        const bool edited = Child(trak, "edts", edts) && Child(edts, "elst", elst);
        std::vector<std::int64_t> times = PresentationTimes(stbl, edited ? &elst : nullptr, movieScale, mediaScale);
        // From the first frame, in 100-ns units.
        const std::int64_t first = times.empty() ? 0 : times.front(), scale = mediaScale;
        for (std::int64_t& t : times) {
            const std::int64_t from = t - first;
            t = from / scale * 10'000'000 + (from % scale * 10'000'000 + scale / 2) / scale;
        }
        header.frameTimes = std::move(times);
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

namespace {

// The chunks of a RIFF list one after another in [bytes, bytes + size): a
// four-character id, a little-endian length and the body, padded to even length.
class Chunks {
public:
    Chunks(const std::uint8_t* bytes, std::size_t size) : at_(bytes), left_(bytes ? size : 0) {}
    bool Next(const std::uint8_t*& id, const std::uint8_t*& body, std::size_t& size) {
        if (left_ < 8) return false;
        const std::size_t length = Le32(at_ + 4);
        if (length > left_ - 8) return false;
        id = at_;
        body = at_ + 8;
        size = length;
        const std::size_t step = std::min(left_, 8 + length + (length & 1));
        at_ += step;
        left_ -= step;
        return true;
    }

private:
    const std::uint8_t* at_;
    std::size_t left_;
};

}  // namespace

void ReadAviIndex(const std::uint8_t* hdrl, std::size_t hdrlSize, const std::uint8_t* idx1, std::size_t idx1Size,
                  ClipHeader& header) {
    // The first video stream's number, and its rate and length from its stream header.
    int streams = 0, video = -1;
    std::uint32_t scale = 0, rate = 0, length = 0;
    const std::uint8_t *id, *body;
    std::size_t size;
    for (Chunks lists(hdrl, hdrlSize); lists.Next(id, body, size);) {
        if (!Is(id, "LIST") || size < 4) continue;
        if (Is(body, "odml")) return;  // an OpenDML file: its index is not idx1 alone
        if (!Is(body, "strl")) continue;
        const std::uint8_t *innerId, *inner;
        std::size_t innerSize;
        for (Chunks parts(body + 4, size - 4); parts.Next(innerId, inner, innerSize);) {
            if (Is(innerId, "indx")) return;
            if (video < 0 && Is(innerId, "strh") && innerSize >= 36 && Is(inner, "vids")) {
                video = streams;
                scale = Le32(inner + 20);
                rate = Le32(inner + 24);
                length = Le32(inner + 32);
            }
        }
        ++streams;
    }
    if (video < 0 || video > 99 || !scale || !rate) return;
    // Its frames are the index's entries for its chunks ("00dc", or "00db" uncompressed).
    const char digits[2] = {static_cast<char>('0' + video / 10), static_cast<char>('0' + video % 10)};
    std::uint64_t frames = 0;
    for (std::size_t at = 0; at + 16 <= idx1Size; at += 16) {
        const std::uint8_t* entry = idx1 + at;
        if (entry[0] != digits[0] || entry[1] != digits[1] || entry[2] != 'd' || (entry[3] != 'c' && entry[3] != 'b'))
            continue;
        if (Le32(entry + 12) == 0) return;  // a dropped frame: left to the decoder to count
        ++frames;
    }
    if (frames == 0 || frames > kMostFrames || (length && frames != length)) return;
    const double period = 1e7 * scale / rate;
    header.frameTimes.resize(static_cast<std::size_t>(frames));
    for (std::size_t n = 0; n < header.frameTimes.size(); ++n)
        header.frameTimes[n] = static_cast<std::int64_t>(std::llround(n * period));
}

namespace {

// The header list and the index of an AVI whose one RIFF holds the whole clip.
void ReadAviFile(const ReadFileAt& readAt, ClipHeader& header) {
    constexpr std::size_t kLargestList = 1u << 20, kLargestIndex = 16u << 20;
    std::uint8_t start[12];
    if (readAt(0, start, sizeof start) != sizeof start) return;
    const std::uint64_t end = 8 + std::uint64_t{Le32(start + 4)};
    if (readAt(end, start, 8) != 0) return;  // more RIFFs follow (OpenDML's AVIX)
    std::vector<std::uint8_t> hdrl, idx1;
    // Whether the file reaches that far: a short file's lengths are not taken at their word.
    auto reaches = [&](std::uint64_t last) {
        std::uint8_t byte;
        return readAt(last, &byte, 1) == 1;
    };
    std::uint64_t at = 12;
    for (int chunks = 0; chunks < 64 && at + 8 <= end; ++chunks) {
        const std::size_t got = readAt(at, start, sizeof start);
        if (got < 8) return;
        const std::uint32_t size = Le32(start + 4);
        if (got == sizeof start && Is(start, "LIST") && size > 4 && Is(start + 8, "hdrl") && size - 4 <= kLargestList &&
            reaches(at + 8 + size - 1)) {
            hdrl.resize(size - 4);
            if (readAt(at + 12, hdrl.data(), hdrl.size()) != hdrl.size()) return;
        } else if (Is(start, "idx1") && size > 0 && size <= kLargestIndex && reaches(at + 8 + size - 1)) {
            idx1.resize(size);
            if (readAt(at + 8, idx1.data(), idx1.size()) != idx1.size()) return;
        }
        at += 8 + std::uint64_t{size} + (size & 1);
    }
    ReadAviIndex(hdrl.data(), hdrl.size(), idx1.data(), idx1.size(), header);
}

}  // namespace

ClipHeader ReadClipFile(const ReadFileAt& readAt) {
    std::vector<std::uint8_t> bytes(64 * 1024);
    ClipHeader header = ReadClipHeader(bytes.data(), readAt(0, bytes.data(), bytes.size()));
    if (header.motionJpeg) ReadAviFile(readAt, header);
    if (!header.isoMedia) return header;
    // The movie box, wherever it is among the top-level boxes.
    constexpr std::uint64_t kLargestMovieBox = 16u << 20;
    std::uint64_t at = 0;
    for (int boxes = 0; boxes < 64; ++boxes) {
        std::uint8_t start[16];
        const std::size_t got = readAt(at, start, sizeof start);
        // Only the length matters here: a box longer than what was read is fine.
        std::uint64_t length = got >= 8 ? Be32(start) : 0;
        if (length == 1) length = got >= 16 ? Be64(start + 8) : 0;
        if (length < 8) break;
        if (Is(start + 4, "moov")) {
            std::uint8_t last;
            if (length > kLargestMovieBox || readAt(at + length - 1, &last, 1) != 1) break;
            bytes.resize(static_cast<std::size_t>(length));
            if (readAt(at, bytes.data(), bytes.size()) == bytes.size()) ReadMovieBox(bytes.data(), bytes.size(), header);
            break;
        }
        at += length;
    }
    return header;
}

}  // namespace mt
