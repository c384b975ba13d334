#include "imagefiles/jpeg_codec.h"

#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <new>

#include <jpeglib.h>
#include <jerror.h>

#include "base/errors.h"
#include "base/format.h"

namespace mt::jpeg {
namespace {

constexpr std::size_t kBlock = 4096;

// libjpeg's fatal errors jump back to the call site; nothing unwinds through
// the library's frames.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void ErrorExit(j_common_ptr c) { std::longjmp(reinterpret_cast<ErrorManager*>(c->err)->jump, 1); }
void EmitMessage(j_common_ptr, int) {}
void OutputMessage(j_common_ptr) {}
void FormatMessage(j_common_ptr, char* buffer) { buffer[0] = '\0'; }
void ResetErrorManager(j_common_ptr c) {
    c->err->num_warnings = 0;
    c->err->msg_code = 0;
}

jpeg_error_mgr* InitErrors(ErrorManager& e) {
    jpeg_std_error(&e.pub);
    e.pub.error_exit = ErrorExit;
    e.pub.emit_message = EmitMessage;
    e.pub.output_message = OutputMessage;
    e.pub.format_message = FormatMessage;
    e.pub.reset_error_mgr = ResetErrorManager;
    return &e.pub;
}

// Runs body; true when the library reported a fatal error. body must hold no
// objects with destructors across library calls.
template <class Body>
bool FailedRunning(ErrorManager& err, Body&& body) {
    if (setjmp(err.jump)) return true;
    body();
    return false;
}

[[noreturn]] void RaiseJpeg(int libraryCode) {
    throw EJPEG(Format(L"JPEG エラー #%d", {static_cast<long long>(ClassicMessageCode(libraryCode))}));
}

// The in-memory data source: 4096-byte blocks; an end-of-image marker after the data.
struct Source {
    jpeg_source_mgr pub;
    const JOCTET* data;
    std::size_t size;
    std::size_t pos;
    bool delivered;
};
const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

void InitSource(j_decompress_ptr) {}
boolean FillInput(j_decompress_ptr d) {
    auto* s = reinterpret_cast<Source*>(d->src);
    if (s->pos >= s->size) {
        if (!s->delivered) ERREXIT(d, JERR_INPUT_EMPTY);
        WARNMS(d, JWRN_JPEG_EOF);
        s->pub.next_input_byte = kEndOfImage;
        s->pub.bytes_in_buffer = 2;
        return TRUE;
    }
    std::size_t n = s->size - s->pos < kBlock ? s->size - s->pos : kBlock;
    s->pub.next_input_byte = s->data + s->pos;
    s->pub.bytes_in_buffer = n;
    s->pos += n;
    s->delivered = true;
    return TRUE;
}
void SkipInput(j_decompress_ptr d, long count) {
    if (count <= 0) return;
    auto* s = reinterpret_cast<Source*>(d->src);
    while (static_cast<std::size_t>(count) > s->pub.bytes_in_buffer) {
        count -= static_cast<long>(s->pub.bytes_in_buffer);
        FillInput(d);
    }
    s->pub.next_input_byte += count;
    s->pub.bytes_in_buffer -= static_cast<std::size_t>(count);
}
void TermSource(j_decompress_ptr) {}

// Stops a file whose scans never end (each scan costs a pass over the image).
void WatchScans(j_common_ptr c) {
    auto* d = reinterpret_cast<j_decompress_ptr>(c);
    if (d->input_scan_number > kMaxScans) ERREXIT(c, JERR_BAD_PROGRESSION);
}

class Decompressor {
public:
    explicit Decompressor(std::span<const std::uint8_t> data) {
        info.err = InitErrors(err);
        if (FailedRunning(err, [&] { jpeg_create_decompress(&info); })) RaiseJpeg(err.pub.msg_code);
        info.mem->max_memory_to_use = kMaxMemory;
        src = Source{{}, data.data(), data.size(), 0, false};
        src.pub.init_source = InitSource;
        src.pub.fill_input_buffer = FillInput;
        src.pub.skip_input_data = SkipInput;
        src.pub.resync_to_restart = jpeg_resync_to_restart;
        src.pub.term_source = TermSource;
        info.src = &src.pub;
        progress.progress_monitor = WatchScans;
        info.progress = &progress;
    }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
    ~Decompressor() { jpeg_destroy_decompress(&info); }
    // Destroys the decompressor, then raises the library's error.
    [[noreturn]] void Fail() {
        int code = err.pub.msg_code;
        jpeg_destroy_decompress(&info);
        RaiseJpeg(code);
    }
    // Reads the header and refuses pictures beyond the program's limits.
    void ReadCheckedHeader() {
        jpeg_read_header(&info, TRUE);
        if (std::uint64_t{info.image_width} * info.image_height > kMaxPixels)
            ERREXIT1(&info, JERR_IMAGE_TOO_BIG, static_cast<int>(info.image_width));
    }
    jpeg_decompress_struct info{};
    ErrorManager err{};
    Source src{};
    jpeg_progress_mgr progress{};
};

// The in-memory destination: a 4096-byte buffer appended to the data when full.
struct Destination {
    jpeg_destination_mgr pub;
    std::vector<std::uint8_t>* out;
    JOCTET buffer[kBlock];
};
bool Append(Destination* d, std::size_t n) noexcept {
    try {
        d->out->insert(d->out->end(), d->buffer, d->buffer + n);
        return true;
    } catch (...) {
        return false;
    }
}
void InitDestination(j_compress_ptr c) {
    auto* d = reinterpret_cast<Destination*>(c->dest);
    d->pub.next_output_byte = d->buffer;
    d->pub.free_in_buffer = kBlock;
}
boolean EmptyOutput(j_compress_ptr c) {
    auto* d = reinterpret_cast<Destination*>(c->dest);
    if (!Append(d, kBlock)) ERREXIT(c, JERR_FILE_WRITE);
    InitDestination(c);
    return TRUE;
}
void TermDestination(j_compress_ptr c) {
    auto* d = reinterpret_cast<Destination*>(c->dest);
    if (!Append(d, kBlock - d->pub.free_in_buffer)) ERREXIT(c, JERR_FILE_WRITE);
}

class Compressor {
public:
    explicit Compressor(std::vector<std::uint8_t>& out) {
        info.err = InitErrors(err);
        if (FailedRunning(err, [&] { jpeg_create_compress(&info); })) RaiseJpeg(err.pub.msg_code);
        dest.out = &out;
        dest.pub.init_destination = InitDestination;
        dest.pub.empty_output_buffer = EmptyOutput;
        dest.pub.term_destination = TermDestination;
        info.dest = &dest.pub;
    }
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;
    ~Compressor() { jpeg_destroy_compress(&info); }
    [[noreturn]] void Fail() {
        int code = err.pub.msg_code;
        jpeg_destroy_compress(&info);
        RaiseJpeg(code);
    }
    jpeg_compress_struct info{};
    ErrorManager err{};
    Destination dest{};
};

// The colour four inks show, as blue | green << 8 | red << 16. Files with
// Adobe's APP14 segment hold the inks inverted, as Adobe writes them (0 is full
// ink): R = C * K / 255. Others hold them plainly: R = (255 - C)(255 - K) / 255.
std::uint32_t InkColor(const JSAMPLE* cmyk, bool inverted) {
    unsigned v[4];
    for (int i = 0; i < 4; ++i) v[i] = inverted ? cmyk[i] : 255u - cmyk[i];
    auto shown = [&](int i) { return (v[i] * v[3] + 127) / 255; };
    return shown(2) | shown(1) << 8 | shown(0) << 16;
}

// Hands the output size and palette to the target before any row is read.
void StartTarget(const jpeg_decompress_struct& info, RowTarget& target) {
    std::vector<std::uint32_t> palette;
    if (info.quantize_colors && info.colormap) {
        bool gray = info.out_color_components == 1;
        for (int i = 0; i < info.actual_number_of_colors; ++i) {
            if (info.out_color_space == JCS_CMYK) {
                const JSAMPLE entry[4] = {info.colormap[0][i], info.colormap[1][i], info.colormap[2][i],
                                          info.colormap[3][i]};
                palette.push_back(InkColor(entry, info.saw_Adobe_marker));
                continue;
            }
            std::uint32_t r = info.colormap[0][i];
            std::uint32_t g = gray ? r : info.colormap[1][i];
            std::uint32_t b = gray ? r : info.colormap[2][i];
            palette.push_back(b | g << 8 | r << 16);
        }
    }
    target.Start(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                 info.quantize_colors ? 8 : 24, palette);
}

}  // namespace

Header ReadHeader(std::span<const std::uint8_t> data) {
    Decompressor d(data);
    Header h;
    if (FailedRunning(d.err, [&] {
            d.ReadCheckedHeader();
            h.width = static_cast<int>(d.info.image_width);
            h.height = static_cast<int>(d.info.image_height);
            h.grayscale = d.info.jpeg_color_space == JCS_GRAYSCALE;
            h.progressive = jpeg_has_multiple_scans(&d.info) != FALSE;
        }))
        d.Fail();
    return h;
}

void Decode(std::span<const std::uint8_t> data, const DecodeOptions& options, RowTarget& target) {
    Decompressor d(data);
    jpeg_decompress_struct& info = d.info;
    if (FailedRunning(d.err, [&] {
            d.ReadCheckedHeader();
            info.scale_num = 1;
            info.scale_denom = 1u << (options.scale & 3);
            info.do_block_smoothing = options.smoothing;
            if (options.grayscale) info.out_color_space = JCS_GRAYSCALE;
            // CMYK and YCCK files come out as CMYK (the library turns YCCK into
            // CMYK) and are shown as colours here.
            const bool inks = info.out_color_space == JCS_CMYK;
            if (info.out_color_space != JCS_GRAYSCALE && info.out_color_space != JCS_RGB && !inks)
                ERREXIT(&info, JERR_CONVERSION_NOTIMPL);
            if (options.eightBit || info.out_color_space == JCS_GRAYSCALE) {
                info.quantize_colors = TRUE;
                info.desired_number_of_colors = 236;
            } else if (!inks) {
                info.out_color_space = JCS_EXT_BGR;  // rows straight in bitmap order
            }
            if (options.fastest) {
                info.dct_method = JDCT_IFAST;
                info.two_pass_quantize = FALSE;
                info.dither_mode = JDITHER_ORDERED;
            }
            jpeg_start_decompress(&info);
            StartTarget(info, target);
            // Ink rows are read into one row of the library's own memory and
            // converted from there; every other row goes straight to the target.
            JSAMPROW inkRow = nullptr;
            if (inks && !info.quantize_colors)
                inkRow = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                                   info.output_width * 4, 1)[0];
            while (info.output_scanline < info.output_height) {
                JSAMPROW row = target.Row(static_cast<int>(info.output_scanline));
                jpeg_read_scanlines(&info, inkRow ? &inkRow : &row, 1);
                for (JDIMENSION x = 0; inkRow && x < info.output_width; ++x) {
                    std::uint32_t c = InkColor(inkRow + 4 * x, info.saw_Adobe_marker);
                    row[3 * x] = static_cast<JSAMPLE>(c);
                    row[3 * x + 1] = static_cast<JSAMPLE>(c >> 8);
                    row[3 * x + 2] = static_cast<JSAMPLE>(c >> 16);
                }
            }
            jpeg_finish_decompress(&info);
        }))
        d.Fail();
}

std::vector<std::uint8_t> Encode(int width, int height, const EncodeOptions& options, RowSource& source) {
    std::vector<std::uint8_t> out;
    if (width <= 0 || height <= 0) return out;
    // Room for an eighth of the picture's bytes up front, more than a picture
    // at the usual qualities needs, so the appends seldom move what they have
    // written; only the pages written to are touched. Without that room the
    // appends grow the data as they go.
    try {
        out.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3 / 8);
    } catch (const std::bad_alloc&) {
    }
    Compressor c(out);
    jpeg_compress_struct& info = c.info;
    if (FailedRunning(c.err, [&] {
            info.image_width = static_cast<JDIMENSION>(width);
            info.image_height = static_cast<JDIMENSION>(height);
            info.input_components = 3;
            info.in_color_space = JCS_EXT_BGR;  // the bitmap's blue, green, red order
            jpeg_set_defaults(&info);
            jpeg_set_quality(&info, options.quality, TRUE);
            if (options.grayscale) jpeg_set_colorspace(&info, JCS_GRAYSCALE);
            if (options.progressive) jpeg_simple_progression(&info);
            jpeg_start_compress(&info, TRUE);
            while (info.next_scanline < info.image_height) {
                JSAMPROW row = const_cast<JSAMPROW>(source.Row(static_cast<int>(info.next_scanline)));
                jpeg_write_scanlines(&info, &row, 1);
            }
            jpeg_finish_compress(&info);
        }))
        c.Fail();
    return out;
}

}  // namespace mt::jpeg
