// Test media: JPEG files of four inks (cyan, magenta, yellow, black) as print
// workflows and scanners write them, beside the same picture as an RGB JPEG.
//
// The picture is smooth gradients of all four inks. The RGB file holds what the
// inks show, R = (255 - C)(255 - K) / 255 and so on, rounded. The ink files
// store the inks plainly (255 is full ink) without an Adobe segment, or, as
// Adobe's writers do, inverted (0 is full ink) with the Adobe APP14 segment,
// either as CMYK or transformed to YCCK. Written at quality 100 without
// subsampling, so each decodes within a step or two of its samples.
//
// Linked into the test programs (library movetrail_media) and the fuzz seed
// writer. Needs no Windows header.
#pragma once
#include <cstdint>
#include <vector>

namespace mt::media {

enum class InkJpeg { Rgb, Cmyk, AdobeCmyk, AdobeYcck };

std::vector<std::uint8_t> WriteInkJpeg(int width, int height, InkJpeg kind);

}  // namespace mt::media
