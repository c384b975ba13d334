// Writes a ball clip (tools/avi_writer.h): make_clip OUT.avi [width height frames fps]
// The ball, 16 pixels square, crosses the frame from left to right, 4 pixels a frame.
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "tools/avi_writer.h"

int main(int argc, char** argv) {
    if (argc != 2 && argc != 6) {
        std::fprintf(stderr, "usage: make_clip OUT.avi [width height frames fps]\n");
        return 2;
    }
    mt::media::BallClip clip;
    if (argc == 6) {
        clip.width = std::atoi(argv[2]);
        clip.height = std::atoi(argv[3]);
        clip.frames = std::atoi(argv[4]);
        clip.framesPerSecond = std::atoi(argv[5]);
    }
    clip.startY = (clip.height / 2 - clip.ballSize / 2) / 4 * 4;
    try {
        if (!mt::media::WriteBytes(argv[1], clip.Encode())) {
            std::fprintf(stderr, "make_clip: cannot write %s\n", argv[1]);
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_clip: %s\n", e.what());
        return 1;
    }
    return 0;
}
