// Test media on disk: clips from tools/avi_writer.h written into a folder of
// the test's own, and the platform's own decoding of a clip's frames (the
// Video for Windows file reader and the installed MS Video 1 codec).
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "tools/avi_writer.h"

namespace mt::test {

// A new empty folder under the temporary folder; removed with its files when
// the object ends. Paths are in the ANSI code page.
class MediaFolder {
public:
    MediaFolder();
    MediaFolder(const MediaFolder&) = delete;
    MediaFolder& operator=(const MediaFolder&) = delete;
    ~MediaFolder();
    const std::string& Path() const noexcept { return path_; }
    // The full path of a file in the folder (not created).
    std::string File(const std::string& name) const { return path_ + "\\" + name; }
    // Writes bytes to a file in the folder and returns its full path.
    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const;
    std::string Write(const std::string& name, const std::string& text) const;
    std::string WriteClip(const std::string& name, const media::BallClip& clip) const {
        return Write(name, clip.Encode());
    }

private:
    std::string path_;
};

// A frame as the platform decodes it, top-down.
struct DecodedFrame {
    int width = 0, height = 0;
    std::vector<media::Rgb> pixels;
    media::Rgb At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
// Decodes one frame of an AVI file through AVIFile and the system's codec;
// nothing when the platform cannot.
std::optional<DecodedFrame> DecodeAviFrame(const std::string& path, int frame);
// The number of frames the AVIFile reader finds in the clip's video stream.
long AviFrameCount(const std::string& path);

// A 24-bit bottom-up BMP file whose left and right halves have the given
// colours (0x00RRGGBB); of one colour.
std::vector<std::uint8_t> HalvesBmp(int width, int height, std::uint32_t left, std::uint32_t right);
std::vector<std::uint8_t> SolidBmp(int width, int height, media::Rgb colour);

// A PCM wave file of the given length in milliseconds (8 kHz, 8-bit mono, silence).
std::vector<std::uint8_t> SilentWave(int milliseconds);

}  // namespace mt::test
