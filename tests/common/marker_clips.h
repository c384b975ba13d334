// The marker clips the build writes beside the test programs when ffmpeg is there
// (tools/CMakeLists.txt): 90 frames at 30 fps (89 shown of one) in the formats
// phones and cameras write, each a yellow block on a plain blue ground whose left
// edge moves a fixed number of pixels per frame, so the frame a pane shows can be
// told from where the block is.
#pragma once
#include <windows.h>

#include <cstdio>
#include <string>

#include "base/paths.h"
#include "tools/avi_writer.h"

namespace mt::test {

inline constexpr int kMarkerClipFrames = 90;

struct MarkerClip {
    const char* file;                // beside the test programs
    int width, height;               // the picture as written
    int fittedWidth, fittedHeight;   // scaled down to fit 320x240
    int step;                        // marker pixels per frame, in the picture
    int markerTop, markerWidth, markerHeight;
    int frames = kMarkerClipFrames;  // the frames a player shows

    // The frame count as the counter shows it ("00090").
    std::wstring CountText() const {
        wchar_t text[16];
        std::swprintf(text, std::size(text), L"%05d", frames);
        return text;
    }

    // The marker's left edge, top, right and bottom in fitted pixels (not rounded).
    double FittedLeft(long frame) const { return double(step) * frame * fittedWidth / width; }
    double FittedTop() const { return double(markerTop) * fittedHeight / height; }
    double FittedRight(long frame) const { return FittedLeft(frame) + double(markerWidth) * fittedWidth / width; }
    double FittedBottom() const { return double(markerTop + markerHeight) * fittedHeight / height; }
    std::string Path() const {
        char exe[MAX_PATH + 1] = {};
        ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
        return FolderOfPath(exe) + "\\" + file;
    }
};

inline constexpr media::Rgb kMarkerColour{250, 200, 20}, kMarkerGround{40, 60, 160};

inline constexpr MarkerClip kMarkerClips[] = {
    {"marker-h264.mp4", 400, 300, 320, 240, 4, 40, 16, 100},   // B-frames
    {"marker-cut-end.mp4", 400, 300, 320, 240, 4, 40, 16, 100, 89},  // its edit ends where frame 89 starts
    {"marker-h264.mov", 400, 300, 320, 240, 4, 40, 16, 100},
    {"marker-hevc.mp4", 400, 300, 320, 240, 4, 40, 16, 100},
    {"marker-mjpeg.avi", 400, 300, 320, 240, 4, 40, 16, 100},  // full range
    {"marker-xvid.avi", 400, 300, 320, 240, 4, 40, 16, 100},  // MPEG-4 part 2, B-frames
    {"marker.mpg", 400, 300, 320, 240, 4, 40, 16, 100},       // MPEG-1 system stream
    {"marker-vfr.mp4", 400, 300, 320, 240, 4, 40, 16, 100},    // frames 45-89 at 15 fps
    {"marker-sar.mp4", 200, 300, 320, 240, 2, 40, 8, 100},     // pixels 2:1, shown at 400x300
    {"marker-1080p.mp4", 1920, 1080, 320, 180, 18, 180, 96, 420},  // BT.709, key frame every 60
};

}  // namespace mt::test
