// Frames of a clip decoded by Media Foundation's source reader. mfplat and
// mfreadwrite are loaded when first needed, so the program starts, and AVIs
// play, on a Windows without Media Foundation.
#include <initguid.h>
#include <windows.h>
#include <mfapi.h>
#include <mferror.h>
#include <mfidl.h>
#include <mfreadwrite.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

#include "base/bitmap.h"
#include "base/com_ptr.h"
#include "base/handles.h"
#include "base/text.h"
#include "video/clip_header.h"
#include "video/fitted_frames.h"
#include "video/frame_pixels.h"
#include "video/frame_seeker.h"
#include "video/frame_source.h"
#include "video/tiny_clip.h"

namespace mt {
namespace {

// Media Foundation's entry points, loaded once per process; all null where it is absent.
struct MediaFoundation {
    HRESULT(WINAPI* Startup)(ULONG, DWORD) = nullptr;
    HRESULT(WINAPI* Shutdown)() = nullptr;
    HRESULT(WINAPI* CreateAttributes)(IMFAttributes**, UINT32) = nullptr;
    HRESULT(WINAPI* CreateMediaType)(IMFMediaType**) = nullptr;
    HRESULT(WINAPI* CreateSourceReaderFromURL)(LPCWSTR, IMFAttributes*, IMFSourceReader**) = nullptr;
    bool Present() const noexcept { return Startup && Shutdown && CreateAttributes && CreateMediaType && CreateSourceReaderFromURL; }

    static const MediaFoundation& Get() {
        static const MediaFoundation mf = [] {
            MediaFoundation m;
            // From the system folder only (a Windows 7 without that search flag: the
            // ordinary search); kept loaded for the process.
            auto system = [](const wchar_t* name) {
                HMODULE lib = ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
                return lib ? lib : ::GetLastError() == ERROR_INVALID_PARAMETER ? ::LoadLibraryW(name) : nullptr;
            };
            HMODULE plat = system(L"mfplat.dll");
            HMODULE readwrite = plat ? system(L"mfreadwrite.dll") : nullptr;
            if (!plat || !readwrite) return m;
            auto load = [](HMODULE lib, const char* name, auto& fn) {
                fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(
                    reinterpret_cast<void*>(::GetProcAddress(lib, name)));
            };
            load(plat, "MFStartup", m.Startup);
            load(plat, "MFShutdown", m.Shutdown);
            load(plat, "MFCreateAttributes", m.CreateAttributes);
            load(plat, "MFCreateMediaType", m.CreateMediaType);
            load(readwrite, "MFCreateSourceReaderFromURL", m.CreateSourceReaderFromURL);
            return m;
        }();
        return mf;
    }
};

// COM and Media Foundation started for one source's life.
class MediaFoundationSession {
public:
    explicit MediaFoundationSession(const MediaFoundation& mf) : mf_(mf) {
        com_ = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        started_ = SUCCEEDED(mf_.Startup(MF_VERSION, MFSTARTUP_FULL));
    }
    MediaFoundationSession(const MediaFoundationSession&) = delete;
    MediaFoundationSession& operator=(const MediaFoundationSession&) = delete;
    ~MediaFoundationSession() {
        if (started_) mf_.Shutdown();
        if (com_) ::CoUninitialize();
    }
    bool Started() const noexcept { return started_; }
private:
    const MediaFoundation& mf_;
    bool com_ = false, started_ = false;
};

constexpr DWORD kVideo = static_cast<DWORD>(MF_SOURCE_READER_FIRST_VIDEO_STREAM);

std::optional<UINT64> Uint64Of(IMFMediaType* type, const GUID& key) {
    UINT64 v = 0;
    if (type && SUCCEEDED(type->GetUINT64(key, &v))) return v;
    return std::nullopt;
}
std::optional<UINT32> Uint32Of(IMFMediaType* type, const GUID& key) {
    UINT32 v = 0;
    if (type && SUCCEEDED(type->GetUINT32(key, &v))) return v;
    return std::nullopt;
}

// A decoder's picture copied out of its buffer, fitted when asked.
struct DecodedPicture {
    std::vector<std::uint8_t> bytes;
    PixelLayout layout;
};
class MfDecodedFrame final : public DecodedFrame {
public:
    explicit MfDecodedFrame(DecodedPicture picture) : picture_(std::move(picture)) {}
    // As MfReader::Picture fits the buffer it was copied from, then as ReadPixels copies it.
    bool Pixels(int width, int height, std::uint32_t* px) const override {
        mt::Picture fitted;
        if (!UnpackScaled(picture_.bytes.data(), picture_.bytes.size(), picture_.layout, width, height, fitted))
            return false;
        ApplyColourMatrix(picture_.layout, fitted);
        if (fitted.width != width || fitted.height != height) return false;
        CopyRgbPixels(fitted.px.data(), fitted.px.size(), px);
        return true;
    }

private:
    DecodedPicture picture_;
};

// The first video stream of a file through a source reader, read as one of the
// pixel formats frame_pixels converts.
class MfReader final : public SampleReader {
public:
    MfReader(const MediaFoundation& mf, const std::wstring& path, const ClipHeader& header)
        : session_(mf), header_(header) {
        if (!session_.Started()) return;
        ComPtr<IMFAttributes> attributes;
        if (FAILED(mf.CreateAttributes(attributes.put(), 1))) return;
        attributes->SetUINT32(MF_SOURCE_READER_ENABLE_VIDEO_PROCESSING, TRUE);
        if (FAILED(mf.CreateSourceReaderFromURL(path.c_str(), attributes.get(), reader_.put()))) return;
        reader_->SetStreamSelection(static_cast<DWORD>(MF_SOURCE_READER_ALL_STREAMS), FALSE);
        if (FAILED(reader_->SetStreamSelection(kVideo, TRUE)) ||
            FAILED(reader_->GetNativeMediaType(kVideo, 0, native_.put()))) {
            reader_.reset();
            return;
        }
        native_->GetGUID(MF_MT_SUBTYPE, &nativeSubtype_);
        // RGB32 where the reader converts (Windows); else a YUV format we convert.
        static const GUID* const formats[] = {&MFVideoFormat_RGB32, &MFVideoFormat_NV12, &MFVideoFormat_I420,
                                              &MFVideoFormat_YUY2};
        for (const GUID* format : formats) {
            ComPtr<IMFMediaType> type;
            if (FAILED(mf.CreateMediaType(type.put()))) break;
            type->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Video);
            type->SetGUID(MF_MT_SUBTYPE, *format);
            if (SUCCEEDED(reader_->SetCurrentMediaType(kVideo, nullptr, type.get())) && ReadLayout()) return;
        }
        reader_.reset();
    }
    bool Open() const noexcept { return static_cast<bool>(reader_); }
    const GUID& NativeSubtype() const noexcept { return nativeSubtype_; }
    // The picture's display size: its pixel aspect applied.
    PictureSize DisplaySize() const {
        double width = layout_.width;
        auto ratio = Uint64Of(current_.get(), MF_MT_PIXEL_ASPECT_RATIO);
        if (!ratio) ratio = Uint64Of(native_.get(), MF_MT_PIXEL_ASPECT_RATIO);
        UINT32 num = ratio ? static_cast<UINT32>(*ratio >> 32) : 0, den = ratio ? static_cast<UINT32>(*ratio) : 0;
        // Wine's reader gives none (or square pixels) whatever the file says.
        if ((!num || !den || num == den) && header_.pixelWidth && header_.pixelHeight) {
            num = header_.pixelWidth;
            den = header_.pixelHeight;
        }
        if (num && den) width = width * num / den;
        return {std::max(1, static_cast<int>(width + 0.5)), layout_.height};
    }
    double FramesPerSecond() const {
        for (IMFMediaType* type : {current_.get(), native_.get()})
            if (auto rate = Uint64Of(type, MF_MT_FRAME_RATE)) {
                const auto num = static_cast<UINT32>(*rate >> 32), den = static_cast<UINT32>(*rate);
                if (num && den) return double(num) / den;
            }
        return 0;
    }

    bool Seek(std::int64_t time) override {
        PROPVARIANT position;
        ::PropVariantInit(&position);
        position.vt = VT_I8;
        position.hVal.QuadPart = time;
        return SUCCEEDED(reader_->SetCurrentPosition(GUID{}, position));
    }
    std::optional<std::int64_t> Read() override {
        sample_.reset();
        for (;;) {
            DWORD flags = 0;
            LONGLONG stamp = 0;
            ComPtr<IMFSample> sample;
            if (FAILED(reader_->ReadSample(kVideo, 0, nullptr, &flags, &stamp, sample.put()))) return std::nullopt;
            if (flags & MF_SOURCE_READERF_CURRENTMEDIATYPECHANGED) ReadLayout();
            if (flags & (MF_SOURCE_READERF_ENDOFSTREAM | MF_SOURCE_READERF_ERROR)) return std::nullopt;
            if (sample) {
                sample_ = std::move(sample);
                return stamp;
            }
        }
    }
    // The current sample's picture at width x height.
    bool Picture(int width, int height, mt::Picture& out) {
        if (!sample_) return false;
        ComPtr<IMFMediaBuffer> buffer;
        if (FAILED(sample_->ConvertToContiguousBuffer(buffer.put()))) return false;
        // Scaled first: the conversion is linear, and cheaper on the smaller picture.
        if (!UnpackWithPitch(buffer.get(), width, height, out)) {
            BYTE* data = nullptr;
            DWORD length = 0;
            if (FAILED(buffer->Lock(&data, nullptr, &length))) return false;
            const bool ok = UnpackScaled(data, length, layout_, width, height, out);
            buffer->Unlock();
            if (!ok) return false;
        }
        ApplyColourMatrix(layout_, out);
        return true;
    }

    // The current sample's buffer copied, with the layout Picture reads it by (so
    // that fitting the copy later gives the same pixels). Its rows are copied at
    // the layout's own stride, not at the pitch the decoder padded them to, and
    // no more is copied than the layout reads: the copy holds no more than
    // PictureBytesNow() says (the bytes a trail counts it at).
    std::optional<DecodedPicture> Copy() {
        if (!sample_) return std::nullopt;
        ComPtr<IMFMediaBuffer> buffer;
        if (FAILED(sample_->ConvertToContiguousBuffer(buffer.put()))) return std::nullopt;
        DecodedPicture copy;
        {
            ComPtr<IMF2DBuffer> planes;
            BYTE* top = nullptr;
            LONG pitch = 0;
            if (SUCCEEDED(buffer->QueryInterface(IID_PPV_ARGS(planes.put()))) &&
                SUCCEEDED(planes->Lock2D(&top, &pitch))) {
                const std::size_t size = pitch > 0 ? BytesAtPitch(WithPitch(pitch)) : 0;
                const std::optional<PixelLayout> copied =
                    size ? CopyAtOwnStride(top, size, static_cast<std::size_t>(pitch), layout_, copy.bytes)
                         : std::nullopt;
                planes->Unlock2D();
                if (copied) {
                    copy.layout = *copied;
                    return copy;
                }
            }
        }
        BYTE* data = nullptr;
        DWORD length = 0;
        if (FAILED(buffer->Lock(&data, nullptr, &length))) return std::nullopt;
        copy.layout = layout_;
        copy.bytes.assign(data, data + std::min<std::size_t>(length, PictureBytesNow()));
        buffer->Unlock();
        return copy;
    }
    // What one copied picture holds, as far as the layout tells.
    std::size_t PictureBytesNow() const { return PictureBytes(layout_); }

private:
    // The layout at a buffer's own row pitch: the planes one after another, chroma below luma.
    PixelLayout WithPitch(LONG pitch) const {
        PixelLayout layout = layout_;
        layout.stride = pitch;
        return layout;
    }
    static std::size_t BytesAtPitch(const PixelLayout& layout) {
        const bool twoPlanes = layout.kind == PixelLayout::Nv12 || layout.kind == PixelLayout::I420;
        const std::size_t rows = static_cast<std::size_t>(layout.planeHeight) +
                                 (twoPlanes ? (static_cast<std::size_t>(layout.planeHeight) + 1) / 2 : 0);
        return static_cast<std::size_t>(layout.stride) * rows;
    }
    // Through the buffer's own row pitch, where it tells one (decoders on Windows pad
    // rows): false where it does not, or its rows run bottom-up.
    bool UnpackWithPitch(IMFMediaBuffer* buffer, int width, int height, mt::Picture& out) {
        ComPtr<IMF2DBuffer> planes;
        if (FAILED(buffer->QueryInterface(IID_PPV_ARGS(planes.put())))) return false;
        BYTE* top = nullptr;
        LONG pitch = 0;
        if (FAILED(planes->Lock2D(&top, &pitch))) return false;
        bool ok = false;
        if (pitch > 0) {
            const PixelLayout layout = WithPitch(pitch);
            ok = UnpackScaled(top, BytesAtPitch(layout), layout, width, height, out);
        }
        planes->Unlock2D();
        return ok;
    }

    bool ReadLayout() {
        if (FAILED(reader_->GetCurrentMediaType(kVideo, current_.put()))) return false;
        GUID subtype{};
        current_->GetGUID(MF_MT_SUBTYPE, &subtype);
        PixelLayout l;
        if (subtype == MFVideoFormat_RGB32) l.kind = PixelLayout::Rgb32;
        else if (subtype == MFVideoFormat_NV12) l.kind = PixelLayout::Nv12;
        else if (subtype == MFVideoFormat_I420) l.kind = PixelLayout::I420;
        else if (subtype == MFVideoFormat_YUY2) l.kind = PixelLayout::Yuy2;
        else return false;
        auto size = Uint64Of(current_.get(), MF_MT_FRAME_SIZE);
        if (!size) return false;
        l.planeWidth = static_cast<int>(*size >> 32);
        l.planeHeight = static_cast<int>(static_cast<UINT32>(*size));
        l.width = l.planeWidth;
        l.height = l.planeHeight;
        MFVideoArea area{};
        if (SUCCEEDED(current_->GetBlob(MF_MT_MINIMUM_DISPLAY_APERTURE, reinterpret_cast<UINT8*>(&area), sizeof area,
                                        nullptr)) &&
            area.Area.cx > 0 && area.Area.cy > 0) {
            l.left = area.OffsetX.value;
            l.top = area.OffsetY.value;
            l.width = area.Area.cx;
            l.height = area.Area.cy;
        }
        if (auto stride = Uint32Of(current_.get(), MF_MT_DEFAULT_STRIDE)) l.stride = static_cast<INT32>(*stride);
        auto matrix = Uint32Of(current_.get(), MF_MT_YUV_MATRIX);
        if (!matrix) matrix = Uint32Of(native_.get(), MF_MT_YUV_MATRIX);
        const bool hd = l.width > 1024 || l.height > 576;
        l.bt709 = matrix ? *matrix == MFVideoTransferMatrix_BT709 : hd;
        auto range = Uint32Of(current_.get(), MF_MT_VIDEO_NOMINAL_RANGE);
        if (!range) range = Uint32Of(native_.get(), MF_MT_VIDEO_NOMINAL_RANGE);
        l.fullRange = range ? *range == MFNominalRange_0_255 : header_.motionJpeg || nativeSubtype_ == MFVideoFormat_MJPG;
        layout_ = l;
        return l.width > 0 && l.height > 0;
    }

    MediaFoundationSession session_;
    ClipHeader header_;
    ComPtr<IMFSourceReader> reader_;
    ComPtr<IMFMediaType> native_, current_;
    ComPtr<IMFSample> sample_;
    GUID nativeSubtype_{};
    PixelLayout layout_;
};

class MfFrameSource final : public FrameSource {
public:
    MfFrameSource(std::unique_ptr<MfReader> reader, bool seeksExact, std::vector<std::int64_t> frameTimes)
        : reader_(std::move(reader)), seeker_(*reader_, seeksExact, std::move(frameTimes)),
          cache_(seeker_, [this](Picture& out) { return reader_->Picture(fitted_.width, fitted_.height, out); },
                 64u << 20) {
        const PictureSize display = reader_->DisplaySize();
        fitted_ = FitWithin(display.width, display.height);
    }
    bool Usable() const { return seeker_.Length() > 0 && fitted_.width > 0; }

    long Length() const override { return seeker_.Length(); }
    SIZE DisplaySize() const override { return {fitted_.width, fitted_.height}; }
    // The frames' own times, but where those repeat or stray (AVIs with B-frames,
    // MPEG streams: the clips that are read forward) the nominal rate's.
    double FrameTimeMs(long frame) const override {
        if (seeker_.SeeksExact()) return seeker_.TimeOf(frame) / 10000.0;
        return std::clamp(frame, 0L, std::max(0L, Length() - 1)) * 1000.0 / FramesPerSecond();
    }
    double FramesPerSecond() const override {
        const double rate = reader_->FramesPerSecond();
        if (rate > 0) return rate;
        const double last = seeker_.TimeOf(Length() - 1) / 10000.0;
        return Length() > 1 && last > 0 ? (Length() - 1) * 1000.0 / last : 30.0;
    }
    bool Draw(HDC dc, const RECT& dest, long frame) override {
        if (!Usable() || dest.right <= dest.left || dest.bottom <= dest.top) return false;
        const Picture* picture = cache_.Show(std::clamp(frame, 0L, Length() - 1));
        if (!picture) return false;
        const BITMAPINFO info = TopDownDib32(picture->width, picture->height);
        SavedDCState saved(dc);
        ::SetStretchBltMode(dc, COLORONCOLOR);
        return ::StretchDIBits(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, 0, 0,
                               picture->width, picture->height, picture->px.data(), &info, DIB_RGB_COLORS,
                               SRCCOPY) != 0;
    }

    // At the fitted size, the fitted picture itself (as Draw shows it one to one),
    // taken from the cache or decoded without keeping it there: a read over a
    // range of frames does not push out the frames around the one shown.
    bool ReadPixels(long frame, int width, int height, std::uint32_t* px) override {
        if (!Usable() || width != fitted_.width || height != fitted_.height)
            return FrameSource::ReadPixels(frame, width, height, px);
        frame = std::clamp(frame, 0L, Length() - 1);
        Picture decoded;
        const Picture* picture = cache_.Find(frame);
        if (!picture) {
            if (!seeker_.Reach(frame) || !reader_->Picture(fitted_.width, fitted_.height, decoded)) return false;
            picture = &decoded;
        }
        if (picture->width != width || picture->height != height) return false;
        CopyRgbPixels(picture->px.data(), picture->px.size(), px);
        return true;
    }

    // The decoder's picture copied, where that is smaller than the picture packed at
    // 3 bytes a pixel (a phone clip's 1080p planes are not). A frame the cache
    // holds is not copied: its pixels are read when they are wanted, from memory
    // while it is held there.
    std::unique_ptr<DecodedFrame> KeepDecoded(long frame, int width, int height) override {
        if (!Usable() || width != fitted_.width || height != fitted_.height || !DecodedFrameBytes()) return nullptr;
        frame = std::clamp(frame, 0L, Length() - 1);
        if (cache_.Holds(frame)) return std::make_unique<HeldFrame>(*this, frame);
        if (!seeker_.Reach(frame)) return nullptr;
        std::optional<DecodedPicture> copy = reader_->Copy();
        if (!copy) return nullptr;
        return std::make_unique<MfDecodedFrame>(std::move(*copy));
    }
    std::size_t DecodedFrameBytes() const override {
        const std::size_t bytes = reader_->PictureBytesNow();
        return bytes < std::size_t(fitted_.width) * std::size_t(fitted_.height) * 3 ? bytes : 0;
    }

    bool Holds(long frame) const override { return cache_.Holds(frame); }

    // The first frame not held of the kAhead after `frame`, read on from where the
    // decoder is. The cache lets the frames farthest from the one shown go for it:
    // kAhead frames after it, and as many before, are well within its bound.
    bool ReadAhead(long frame) override {
        if (!Usable() || failed_) return false;
        const long last = std::min(Length() - 1, std::max(0L, frame) + kAhead);
        for (long next = std::max(0L, frame + 1); next <= last; ++next) {
            if (cache_.Holds(next)) continue;
            if (!cache_.Decode(next)) failed_ = true;
            return !failed_;
        }
        return false;
    }

    // The decoder on frame n, nothing fitted or kept (for the measurements).
    bool ReachOnly(long frame) { return Usable() && seeker_.Reach(std::clamp(frame, 0L, Length() - 1)); }

private:
    static constexpr long kAhead = 60;

    class HeldFrame final : public DecodedFrame {
    public:
        HeldFrame(MfFrameSource& source, long frame) : source_(source), frame_(frame) {}
        bool Pixels(int width, int height, std::uint32_t* px) const override {
            return source_.ReadPixels(frame_, width, height, px);
        }

    private:
        MfFrameSource& source_;
        long frame_;
    };

    std::unique_ptr<MfReader> reader_;
    FrameSeeker seeker_;
    FrameStore cache_;  // the frames shown, read ahead and passed on the way to them
    PictureSize fitted_;
    bool failed_ = false;  // a frame read ahead could not be decoded: no more reading ahead
};

ClipHeader ReadHeaderOf(const std::wstring& path) {
    OwnedFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return {};
    return ReadClipFile([&](std::uint64_t at, std::uint8_t* to, std::size_t size) -> std::size_t {
        LARGE_INTEGER from;
        from.QuadPart = static_cast<LONGLONG>(at);
        DWORD got = 0;
        if (at > static_cast<std::uint64_t>(std::numeric_limits<LONGLONG>::max()) ||
            !::SetFilePointerEx(file.get(), from, nullptr, FILE_BEGIN) ||
            !::ReadFile(file.get(), to, static_cast<DWORD>(size), &got, nullptr))
            return 0;
        return got;
    });
}

}  // namespace

namespace {
OpenBreakdown lastOpen;  // the measurements read it from the GUI thread
}  // namespace

std::unique_ptr<FrameSource> OpenMediaFoundationFrames(const std::string& ansiPath) {
    using Clock = std::chrono::steady_clock;
    auto mark = Clock::now();
    auto lap = [&mark] {
        const auto now = Clock::now();
        const double ms = std::chrono::duration<double, std::milli>(now - mark).count();
        mark = now;
        return ms;
    };
    lastOpen = {};
    const MediaFoundation& mf = MediaFoundation::Get();
    lastOpen.platformMs = lap();
    if (!mf.Present()) return nullptr;
    const std::wstring path = AnsiToWide(ansiPath);
    ClipHeader header = ReadHeaderOf(path);
    lastOpen.tableMs = lap();
    auto reader = std::make_unique<MfReader>(mf, path, header);
    lastOpen.readerMs = lap();
    if (!reader->Open()) return nullptr;
    // MPEG-1/2 streams land their random seeks on the wrong frames.
    const GUID& native = reader->NativeSubtype();
    const bool seeksExact = !header.mpegStream && native != MFVideoFormat_MPG1 && native != MFVideoFormat_MPEG2;
    auto source = std::make_unique<MfFrameSource>(std::move(reader), seeksExact, std::move(header.frameTimes));
    lastOpen.firstReadMs = lap();
    if (!source->Usable()) return nullptr;
    return source;
}

OpenBreakdown LastMediaFoundationOpen() { return lastOpen; }

double MediaFoundationReachMs(FrameSource& source, long frame) {
    auto* ours = dynamic_cast<MfFrameSource*>(&source);
    if (!ours) return -1;
    const auto start = std::chrono::steady_clock::now();
    if (!ours->ReachOnly(frame)) return -1;
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

bool PrepareMediaFoundation() {
    const MediaFoundation& mf = MediaFoundation::Get();
    if (!mf.Present()) return false;
    // The tiny clip, named for this process.
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH) return false;
    const std::wstring path =
        std::wstring(folder) + L"movetrail-prepare-" + std::to_wstring(::GetCurrentProcessId()) + L".mp4";
    const std::vector<std::uint8_t> clip = TinyH264Clip();
    {
        OwnedFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY,
                                     nullptr));
        DWORD written = 0;
        if (!file.valid() || !::WriteFile(file.get(), clip.data(), static_cast<DWORD>(clip.size()), &written, nullptr) ||
            written != clip.size())
            return false;
    }
    // Read as a clip is read: the reader, its decoder and the first frame.
    bool read = false;
    {
        MfReader reader(mf, path, ClipHeader{});
        read = reader.Open() && reader.Read().has_value();
    }
    ::DeleteFileW(path.c_str());
    return read;
}

}  // namespace mt
