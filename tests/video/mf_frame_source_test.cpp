// Frames of the phone and camera clips decoded by Media Foundation: every frame
// exactly where a forward read puts it, at the fitted size, in the clip's colours.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>

#include "base/file_exists.h"
#include "base/handles.h"
#include "common/marker_clips.h"
#include "common/media.h"
#include "video/clip_header.h"
#include "video/decoder_warm_up.h"
#include "video/fitted_frames.h"
#include "video/frame_pixels.h"
#include "video/frame_seeker.h"
#include "video/frame_source.h"
#include "video/warm_up.h"

namespace mt::test {
namespace {

// What a source draws, read back from a 32-bit memory bitmap of the fitted size.
class DrawnFrame {
public:
    DrawnFrame(int width, int height) : width_(width), height_(height), dc_(::CreateCompatibleDC(nullptr)) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
        bitmap_.reset(::CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0));
        select_.emplace(dc_.get(), bitmap_.get());
    }
    bool Draw(FrameSource& source, long frame) {
        std::fill(bits_, bits_ + width_ * height_, 0u);
        return source.Draw(dc_.get(), RECT{0, 0, width_, height_}, frame);
    }
    media::Rgb At(int x, int y) const {
        const std::uint32_t p = bits_[y * width_ + x];
        return {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8), static_cast<std::uint8_t>(p)};
    }
    // The first column of row y showing the marker's colour, or -1.
    int MarkerLeft(int y) const {
        for (int x = 0; x < width_; ++x)
            if (Difference(At(x, y), kMarkerColour) <= 40) return x;
        return -1;
    }
    static int Difference(media::Rgb a, media::Rgb b) {
        return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
    }

private:
    int width_, height_;
    OwnedMemDC dc_;
    OwnedBitmap bitmap_;
    std::uint32_t* bits_ = nullptr;
    std::optional<SelectGuard> select_;
};

bool NothingHolds(const std::string& path) {
    return OwnedFile(::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)).valid();
}

ClipHeader HeaderOfFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return ReadClipFile([&](std::uint64_t at, std::uint8_t* to, std::size_t size) -> std::size_t {
        in.clear();
        in.seekg(static_cast<std::streamoff>(at));
        in.read(reinterpret_cast<char*>(to), static_cast<std::streamsize>(size));
        return static_cast<std::size_t>(in.gcount());
    });
}

class MarkerClipFrames : public ::testing::TestWithParam<MarkerClip> {};

TEST_P(MarkerClipFrames, StepsAndSeeksShowEachFramesMarkerInTheClipsColours) {
    const MarkerClip& clip = GetParam();
    if (!FileExists(clip.Path())) GTEST_SKIP() << clip.file << " was not made: no ffmpeg or encoder at build time";
    auto source = OpenMediaFoundationFrames(clip.Path());
    ASSERT_TRUE(source) << clip.file;
    EXPECT_EQ(source->Length(), clip.frames);
    const long last = clip.frames - 1;
    const SIZE size = source->DisplaySize();
    ASSERT_EQ(size.cx, clip.fittedWidth);
    ASSERT_EQ(size.cy, clip.fittedHeight);
    // Each frame's own time: the variable-rate clip shows its second half at 15 fps.
    const bool variable = std::string(clip.file).find("vfr") != std::string::npos;
    EXPECT_NEAR(source->FrameTimeMs(last), (variable ? 133 : last) * 1000.0 / 30, 2.0);
    EXPECT_NEAR(source->FramesPerSecond(), variable ? 20.5 : 30, variable ? 10 : 0.1);
    // MP4, MOV and MJPEG AVI clips are counted and timed from their own tables, not decoded to the end.
    const std::string name = clip.file;
    const bool tabled = name.ends_with(".mp4") || name.ends_with(".mov") || name.find("mjpeg") != std::string::npos;
    const std::vector<std::int64_t> table = HeaderOfFile(clip.Path()).frameTimes;
    ASSERT_EQ(table.size(), tabled ? std::size_t(clip.frames) : 0u);
    for (std::size_t n = 0; n < table.size(); ++n)
        EXPECT_NEAR(table[n] / 1e4, (variable && n >= 45 ? 2 * n - 45 : n) * 1000.0 / 30, 0.1) << name << " frame " << n;
    // Frames kept as decoded, where that holds less than their pixels packed (not
    // the 1080p planes), give the pixels read.
    const std::size_t decodedBytes = source->DecodedFrameBytes();
    if (name == "marker-h264.mp4") {
        EXPECT_GT(decodedBytes, 0u);
    }
    if (clip.fittedHeight == 180) {
        EXPECT_EQ(decodedBytes, 0u);
    }
    EXPECT_LT(decodedBytes, std::size_t(size.cx) * std::size_t(size.cy) * 3);
    for (long frame : {5L, 44L, 30L}) {
        const std::unique_ptr<mt::DecodedFrame> kept = source->KeepDecoded(frame, size.cx, size.cy);
        ASSERT_EQ(kept != nullptr, decodedBytes > 0) << name << " frame " << frame;
        if (!kept) continue;
        std::vector<std::uint32_t> fitted(std::size_t(size.cx) * std::size_t(size.cy)), read(fitted.size());
        ASSERT_TRUE(kept->Pixels(size.cx, size.cy, fitted.data()));
        ASSERT_TRUE(source->ReadPixels(frame, size.cx, size.cy, read.data()));
        EXPECT_EQ(fitted, read) << name << " frame " << frame;
    }
    DrawnFrame drawn(size.cx, size.cy);
    const int row = static_cast<int>((clip.FittedTop() + clip.FittedBottom()) / 2);
    for (long frame : {0L, 1L, 2L, 1L, 45L, 17L, 18L, last, 60L, 59L}) {
        ASSERT_TRUE(drawn.Draw(*source, frame)) << "frame " << frame;
        const double expected = clip.FittedLeft(frame);
        const int left = drawn.MarkerLeft(row);
        EXPECT_NEAR(left, expected, 1.0) << clip.file << " frame " << frame;
        // Well inside the marker and well away from it: the colours written.
        const int inside = static_cast<int>((expected + clip.FittedRight(frame)) / 2);
        EXPECT_LE(DrawnFrame::Difference(drawn.At(inside, row), kMarkerColour), 4) << clip.file << " frame " << frame;
        EXPECT_LE(DrawnFrame::Difference(drawn.At(size.cx - 3, size.cy - 3), kMarkerGround), 4)
            << clip.file << " frame " << frame;
    }
    // Read ahead: the next 60 frames not drawn yet (1, 2, 17, 18, 45, 59 and 60 were), then
    // from 59 the rest but the last; then all drawn from memory.
    // (Bounded: reading ahead that never ends fails here rather than hangs.)
    int ahead = 0;
    while (ahead < kMarkerClipFrames && source->ReadAhead(0)) ++ahead;
    EXPECT_EQ(ahead, 53);
    for (ahead = 0; ahead < kMarkerClipFrames && source->ReadAhead(59);) ++ahead;
    EXPECT_EQ(ahead, last - 61);
    for (long frame = 60; frame <= last; ++frame) {
        ASSERT_TRUE(drawn.Draw(*source, frame)) << "frame " << frame;
        EXPECT_NEAR(drawn.MarkerLeft(row), clip.FittedLeft(frame), 1.0) << clip.file << " frame " << frame;
    }
    // A frame held is kept by reference, its pixels those held.
    if (decodedBytes) {
        ASSERT_TRUE(source->Holds(last));
        const std::unique_ptr<mt::DecodedFrame> held = source->KeepDecoded(last, size.cx, size.cy);
        ASSERT_TRUE(held);
        std::vector<std::uint32_t> fitted(std::size_t(size.cx) * std::size_t(size.cy)), read(fitted.size());
        ASSERT_TRUE(held->Pixels(size.cx, size.cy, fitted.data()));
        ASSERT_TRUE(source->ReadPixels(last, size.cx, size.cy, read.data()));
        EXPECT_EQ(fitted, read) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, MarkerClipFrames, ::testing::ValuesIn(kMarkerClips),
                         [](const auto& info) {
                             std::string name = info.param.file;
                             for (char& c : name)
                                 if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

TEST(MediaFoundationFrames, LeaveTheClipFreeWhenTheSourceEnds) {
    const MarkerClip& clip = kMarkerClips[0];
    if (!FileExists(clip.Path())) GTEST_SKIP() << "no marker clip";
    MediaFolder folder;
    const std::string path = folder.File("copy.mp4");
    ASSERT_TRUE(::CopyFileA(clip.Path().c_str(), path.c_str(), FALSE));
    {
        auto source = OpenMediaFoundationFrames(path);
        ASSERT_TRUE(source);
        DrawnFrame drawn(source->DisplaySize().cx, source->DisplaySize().cy);
        EXPECT_TRUE(drawn.Draw(*source, 30));
    }
    EXPECT_TRUE(NothingHolds(path));
    EXPECT_TRUE(::DeleteFileA(path.c_str()));
}

// Frames an edit list leaves out are not the clip's: the decoder skips them.
TEST(MediaFoundationFrames, AClipTrimmedByItsEditListCountsOnlyTheFramesItShows) {
    const MarkerClip& clip = kMarkerClips[0];
    std::string path = clip.Path();
    path.replace(path.rfind("marker-h264"), 11, "marker-trimmed");
    if (!FileExists(path)) GTEST_SKIP() << "no trimmed marker clip";
    EXPECT_TRUE(HeaderOfFile(path).frameTimes.empty());
    auto source = OpenMediaFoundationFrames(path);
    ASSERT_TRUE(source);
    ASSERT_EQ(source->Length(), kMarkerClipFrames - 15);
    DrawnFrame drawn(clip.fittedWidth, clip.fittedHeight);
    const int row = static_cast<int>((clip.FittedTop() + clip.FittedBottom()) / 2);
    for (long frame : {0L, 40L, 74L}) {
        ASSERT_TRUE(drawn.Draw(*source, frame));
        EXPECT_NEAR(drawn.MarkerLeft(row), clip.FittedLeft(frame + 15), 1.0) << "frame " << frame;
    }
}

TEST(MediaFoundationFrames, AFileWithoutVideoOrNotAClipGivesNoSource) {
    MediaFolder folder;
    EXPECT_FALSE(OpenMediaFoundationFrames(folder.Write("silence.wav", SilentWave(1500))));
    EXPECT_FALSE(OpenMediaFoundationFrames(folder.Write("notvideo.avi", std::string("not a clip at all"))));
    EXPECT_FALSE(OpenMediaFoundationFrames(folder.File("missing.mp4")));
}

TEST(MediaFoundationFrames, TheDecoderIsPreparedAtStartOnlyWhereMediaFoundationIsInstalled) {
    std::vector<std::wstring> asked;
    auto folderWith = [&](std::vector<std::wstring> files) {
        return [&asked, files](const wchar_t* name) {
            asked.push_back(name);
            return std::find(files.begin(), files.end(), name) != files.end();
        };
    };
    EXPECT_TRUE(PrepareDecoderAtStart(false, folderWith({L"mfplat.dll", L"mfreadwrite.dll"})));
    EXPECT_FALSE(PrepareDecoderAtStart(false, folderWith({L"mfplat.dll"})));
    EXPECT_FALSE(PrepareDecoderAtStart(false, folderWith({L"mfreadwrite.dll"})));
    EXPECT_FALSE(PrepareDecoderAtStart(false, folderWith({})));
    // A file named on the command line opens at once (or is a picture): not prepared.
    asked.clear();
    EXPECT_FALSE(PrepareDecoderAtStart(true, folderWith({L"mfplat.dll", L"mfreadwrite.dll"})));
    EXPECT_TRUE(asked.empty());
}

TEST(MediaFoundationFrames, TheDecoderPreparedOnAWorkerThreadLeavesNothingBehind) {
    char folder[MAX_PATH + 1] = {};
    ASSERT_GT(::GetTempPathA(MAX_PATH + 1, folder), 0u);
    const std::string clip = std::string(folder) + "movetrail-prepare-" + std::to_string(::GetCurrentProcessId()) + ".mp4";
    {
        auto warmUp = DecoderWarmUp::Start();
        ASSERT_TRUE(warmUp);
        ASSERT_TRUE(warmUp->Finish(60000));
        EXPECT_TRUE(warmUp->Prepared());
    }
    EXPECT_FALSE(FileExists(clip));
}

// A decoder of a clip whose frames show at the given times (30 fps unless given),
// its time stamps starting at `offset`. Like Windows' reader, its seeks land on the
// key frame before the time asked for and stamp frames with their own times; like
// Wine's, they land on the frame asked for and stamp the first frame with the seek
// position plus the offset.
class FakeDecoder final : public SampleReader {
public:
    static constexpr std::int64_t kPeriod = 333333;
    static std::vector<std::int64_t> Every(std::int64_t period, int frames) {
        std::vector<std::int64_t> times;
        for (int n = 0; n < frames; ++n) times.push_back(n * period);
        return times;
    }
    FakeDecoder(int frames, int keyEvery, std::int64_t offset, bool landsOnKeyFrames)
        : FakeDecoder(Every(kPeriod, frames), keyEvery, offset, landsOnKeyFrames) {}
    FakeDecoder(std::vector<std::int64_t> times, int keyEvery, std::int64_t offset, bool landsOnKeyFrames)
        : times_(std::move(times)), frames_(static_cast<int>(times_.size())), keyEvery_(keyEvery), offset_(offset),
          keyFrames_(landsOnKeyFrames) {}
    bool Seek(std::int64_t time) override {
        ++seeks;
        // The frame showing at that time; past the last frame's period, none.
        const std::int64_t end = 2 * times_.back() - times_[times_.size() - 2];
        next_ = time >= end ? frames_
                            : static_cast<int>(std::upper_bound(times_.begin(), times_.end(), time) - times_.begin()) - 1;
        if (keyFrames_) next_ -= next_ % keyEvery_;
        seekStamp_ = keyFrames_ ? std::nullopt : std::optional<std::int64_t>(time + offset_);
        return next_ < frames_;
    }
    std::optional<std::int64_t> Read() override {
        if (next_ >= frames_) return std::nullopt;
        current = next_++;
        ++reads;
        auto stamp = seekStamp_.value_or(offset_ + times_[current]);
        seekStamp_.reset();
        return stamp;
    }
    int current = -1, seeks = 0, reads = 0;

private:
    std::vector<std::int64_t> times_;
    int frames_, keyEvery_;
    std::int64_t offset_;
    bool keyFrames_;
    int next_ = 0;
    std::optional<std::int64_t> seekStamp_;
};

TEST(FrameSeeking, ReachesEveryFrameAskedForWhereverTheDecoderLands) {
    // Indexed by reading the clip, or from the container's table of times (read
    // from 0, placed on the decoder's clock by the first frame's stamp).
    std::vector<std::int64_t> table;
    for (int n = 0; n < 90; ++n) table.push_back(n * FakeDecoder::kPeriod);
    for (bool known : {false, true})
        for (bool keyFrames : {true, false}) {
            FakeDecoder decoder(90, 30, 2 * FakeDecoder::kPeriod, keyFrames);
            FrameSeeker seeker(decoder, true, known ? table : std::vector<std::int64_t>{});
            ASSERT_EQ(seeker.Length(), 90);
            EXPECT_EQ(decoder.reads, known ? 1 : 90);
            for (long frame : {0L, 1L, 2L, 1L, 45L, 17L, 89L, 88L, 29L, 30L, 60L, 0L}) {
                ASSERT_TRUE(seeker.Reach(frame));
                EXPECT_EQ(decoder.current, frame) << (keyFrames ? "landing on key frames" : "landing on the frame")
                                                  << (known ? ", times known" : "");
            }
        }
}

TEST(FrameSeeking, SeeksLandOnTheFrameAskedForWhereTheRateRises) {
    // 15 fps for frames 0-44, then 30 fps: no one rate times the time finds the frame.
    std::vector<std::int64_t> table = FakeDecoder::Every(2 * FakeDecoder::kPeriod, 45);
    for (int n = 45; n < 90; ++n) table.push_back((n + 45) * FakeDecoder::kPeriod);
    for (bool known : {false, true})
        for (bool keyFrames : {true, false}) {
            FakeDecoder decoder(table, 30, FakeDecoder::kPeriod, keyFrames);
            FrameSeeker seeker(decoder, true, known ? table : std::vector<std::int64_t>{});
            ASSERT_EQ(seeker.Length(), 90);
            for (long frame : {60L, 50L, 10L, 80L, 44L, 45L, 89L, 30L}) {
                const int reads = decoder.reads;
                ASSERT_TRUE(seeker.Reach(frame));
                EXPECT_EQ(decoder.current, frame);
                // From where the seek landed, not read from the start.
                EXPECT_LE(decoder.reads - reads, keyFrames ? 1 + frame % 30 : 1) << "frame " << frame;
            }
        }
}

TEST(FrameSeeking, ReadsOnWithoutSeekingForTheNextFrames) {
    FakeDecoder decoder(90, 30, 0, true);
    FrameSeeker seeker(decoder, true);
    ASSERT_TRUE(seeker.Reach(40));
    const int seeks = decoder.seeks;
    for (long frame = 41; frame < 60; ++frame) ASSERT_TRUE(seeker.Reach(frame));
    EXPECT_EQ(decoder.seeks, seeks);
    EXPECT_EQ(decoder.current, 59);
}

TEST(FrameSeeking, ClipsWithRepeatedTimeStampsAreReadFromTheStart) {
    // Like an AVI with B-frames: frames 10 and 11 carry one time stamp.
    class Repeating final : public SampleReader {
    public:
        bool Seek(std::int64_t time) override {
            next = time == 0 ? 0 : static_cast<int>(time / 333333) + 2;  // lands two frames late
            return true;
        }
        std::optional<std::int64_t> Read() override {
            if (next >= 30) return std::nullopt;
            current = next++;
            return std::int64_t{current == 11 ? 10 : current} * 333333;
        }
        int next = 0, current = -1;
    } decoder;
    FrameSeeker seeker(decoder, true);
    EXPECT_FALSE(seeker.SeeksExact());
    ASSERT_EQ(seeker.Length(), 30);
    for (long frame : {20L, 5L, 6L, 29L}) {
        ASSERT_TRUE(seeker.Reach(frame));
        EXPECT_EQ(decoder.current, frame);
    }
}

// A store over the fake decoder whose fitted pictures are 16x16 (1 KB), each
// pixel the number of the frame the decoder fitted.
struct FakeStore {
    FakeStore(int frames, std::size_t maxBytes)
        : decoder(frames, 30, 0, true), seeker(decoder, true, FakeDecoder::Every(FakeDecoder::kPeriod, frames)),
          store(seeker,
                [this](Picture& out) {
                    out.width = out.height = 16;
                    out.px.assign(256, static_cast<std::uint32_t>(decoder.current));
                    return true;
                },
                maxBytes) {}
    // The frame a shown picture was fitted from; -1 for none.
    long Shown(long frame) {
        const Picture* p = store.Show(frame);
        return p ? static_cast<long>(p->px[0]) : -1;
    }
    FakeDecoder decoder;
    FrameSeeker seeker;
    FrameStore store;
};

TEST(FrameSeeking, FramesDecodedOnTheWayToASeekAreThenShownFromMemory) {
    FakeStore clip(300, 64u << 10);
    ASSERT_EQ(clip.Shown(75), 75);  // from the key frame at 60
    EXPECT_EQ(clip.decoder.current, 75);
    const int reads = clip.decoder.reads, seeks = clip.decoder.seeks;
    for (long frame = 74; frame >= 60; --frame) EXPECT_EQ(clip.Shown(frame), frame);
    EXPECT_EQ(clip.decoder.reads, reads);
    EXPECT_EQ(clip.decoder.seeks, seeks);
    // Read on ten frames at a time (as PageDown does), then back over them.
    ASSERT_EQ(clip.Shown(85), 85);
    ASSERT_EQ(clip.Shown(95), 95);
    const int onward = clip.decoder.reads;
    for (long frame = 94; frame >= 76; --frame) EXPECT_EQ(clip.Shown(frame), frame);
    EXPECT_EQ(clip.decoder.reads, onward);
}

TEST(FrameSeeking, TheFramesKeptStayWithinTheirBoundAndNearestTheOneShown) {
    // Room for 40 pictures of a 3000-frame clip, its key frames 30 apart.
    const std::size_t bound = 40 * 1024;
    FakeStore clip(3000, bound);
    for (long frame : {2999L, 15L, 1234L, 1789L, 40L, 2500L, 1000L, 999L, 1029L, 2039L}) {
        ASSERT_EQ(clip.Shown(frame), frame);
        EXPECT_LE(clip.store.Kept().Bytes(), bound) << "at frame " << frame;
        EXPECT_LE(clip.store.Kept().Count(), 40u);
    }
    // Shown 2039, reached from the key frame at 2010: the frames before it are kept,
    // the farthest of the jumps before are gone.
    EXPECT_EQ(clip.store.Kept().Count(), 40u);
    for (long frame = 2010; frame <= 2039; ++frame) EXPECT_TRUE(clip.store.Holds(frame)) << frame;
    for (long frame : {2999L, 15L, 40L}) EXPECT_FALSE(clip.store.Holds(frame)) << frame;
    // Stepping back then reads nothing.
    const int reads = clip.decoder.reads;
    for (long frame = 2038; frame >= 2010; --frame) ASSERT_EQ(clip.Shown(frame), frame);
    EXPECT_EQ(clip.decoder.reads, reads);
}

TEST(FittedPictures, ScaleDownNeverUpKeepingTheAspect) {
    EXPECT_EQ(FitWithin(1920, 1080).width, 320);
    EXPECT_EQ(FitWithin(1920, 1080).height, 180);
    EXPECT_EQ(FitWithin(1080, 1920).width, 135);
    EXPECT_EQ(FitWithin(1080, 1920).height, 240);
    EXPECT_EQ(FitWithin(160, 120).width, 160);
    EXPECT_EQ(FitWithin(160, 120).height, 120);
}

TEST(FittedPictures, ScaledFromTheDecodersPlanesAsFromTheWholePicture) {
    // NV12 and I420 buffers of random samples, cropped, padded, some bottom-up.
    std::uint32_t seed = 7;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u, seed >> 8; };
    int cases = 0;
    for (auto kind : {PixelLayout::Nv12, PixelLayout::I420})
        for (int trial = 0; trial < 60; ++trial) {
            PixelLayout l;
            l.kind = kind;
            l.planeWidth = static_cast<int>(8 + next() % 120) & ~1;
            l.planeHeight = static_cast<int>(8 + next() % 90);
            l.left = static_cast<int>(next() % 4);
            l.top = static_cast<int>(next() % 4);
            l.width = l.planeWidth - l.left - static_cast<int>(next() % 3);
            l.height = l.planeHeight - l.top - static_cast<int>(next() % 3);
            l.stride = (l.planeWidth + static_cast<int>(next() % 8 & ~1u)) * (trial % 5 ? 1 : -1);
            const std::size_t stride = static_cast<std::size_t>(std::abs(l.stride)), rows = l.planeHeight;
            std::vector<std::uint8_t> buffer(stride * rows + 2 * (stride / 2) * ((rows + 1) / 2));
            for (auto& b : buffer) b = static_cast<std::uint8_t>(next());
            const int width = 1 + static_cast<int>(next() % l.width), height = 1 + static_cast<int>(next() % l.height);
            Picture whole, scaled;
            ASSERT_TRUE(UnpackPicture(buffer.data(), buffer.size(), l, whole));
            ASSERT_TRUE(UnpackScaled(buffer.data(), buffer.size(), l, width, height, scaled));
            const Picture expected = ScaleByAreaAveraging(whole, width, height);
            ASSERT_EQ(scaled.width, expected.width);
            ASSERT_EQ(scaled.height, expected.height);
            EXPECT_EQ(scaled.px, expected.px) << (kind == PixelLayout::Nv12 ? "NV12 " : "I420 ") << l.width << "x"
                                              << l.height << " to " << width << "x" << height;
            ++cases;
        }
    EXPECT_EQ(cases, 120);
    // A buffer too small for its layout gives nothing.
    PixelLayout l;
    l.planeWidth = l.width = 64;
    l.planeHeight = l.height = 48;
    std::vector<std::uint8_t> shortBuffer(64 * 48);
    Picture none;
    EXPECT_FALSE(UnpackScaled(shortBuffer.data(), shortBuffer.size(), l, 16, 12, none));
}

// A decoder on Windows pads its rows to a pitch of its own: a frame kept as it
// decoded it is copied at the stride its memory is counted at, and gives the
// same pixels.
TEST(FittedPictures, APictureCopiedFromPaddedRowsHoldsTheBytesCountedForItAndTheSamePixels) {
    std::uint32_t seed = 11;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u, seed >> 8; };
    for (auto kind : {PixelLayout::Nv12, PixelLayout::I420, PixelLayout::Yuy2, PixelLayout::Rgb32})
        for (int nominal : {0, 1}) {  // the media type names no stride, or the packed one
            PixelLayout l;
            l.kind = kind;
            l.planeWidth = 70;
            l.planeHeight = 45;
            l.left = 2;
            l.top = 1;
            l.width = 66;
            l.height = 42;
            const int bytesPerPixel = kind == PixelLayout::Rgb32 ? 4 : kind == PixelLayout::Yuy2 ? 2 : 1;
            l.stride = nominal * l.planeWidth * bytesPerPixel;
            const std::size_t counted = PictureBytes(l);
            const std::size_t pitch = std::size_t(l.planeWidth * bytesPerPixel + 58) & ~std::size_t(63);
            PixelLayout atPitch = l;
            atPitch.stride = static_cast<int>(pitch);
            std::vector<std::uint8_t> buffer(PictureBytes(atPitch));
            for (auto& b : buffer) b = static_cast<std::uint8_t>(next());
            std::vector<std::uint8_t> copy;
            const std::optional<PixelLayout> copied = CopyAtOwnStride(buffer.data(), buffer.size(), pitch, l, copy);
            ASSERT_TRUE(copied) << kind;
            EXPECT_EQ(copy.size(), counted) << kind << " at a pitch of " << pitch;
            Picture fromBuffer, fromCopy;
            ASSERT_TRUE(UnpackPicture(buffer.data(), buffer.size(), atPitch, fromBuffer));
            ASSERT_TRUE(UnpackPicture(copy.data(), copy.size(), *copied, fromCopy));
            EXPECT_EQ(fromCopy.px, fromBuffer.px) << kind;
            // Too short a buffer for that pitch: nothing.
            EXPECT_FALSE(CopyAtOwnStride(buffer.data(), buffer.size() - 1, pitch, l, copy)) << kind;
            EXPECT_TRUE(copy.empty());
        }
}

TEST(FittedPictures, OnePixelLinesAverageToGreyInsteadOfAliasing) {
    Picture lines;
    lines.width = 960;
    lines.height = 540;
    for (int y = 0; y < lines.height; ++y)
        for (int x = 0; x < lines.width; ++x) lines.px.push_back(x % 2 ? 0xFFFFFFu : 0u);
    Picture fitted = ScaleByAreaAveraging(lines, 320, 180);
    ASSERT_EQ(fitted.px.size(), 320u * 180u);
    for (std::uint32_t p : fitted.px) {
        const int grey = static_cast<int>(p & 255);
        ASSERT_NEAR(grey, 128, 43);  // a third of white or two thirds: never black or white
    }
}

}  // namespace
}  // namespace mt::test
