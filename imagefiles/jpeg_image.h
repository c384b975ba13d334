// The JPEG image object: a JPEG file's data in memory, its header facts, the
// decoded bitmap made on demand, and the coding settings.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/bitmap.h"

namespace mt {

enum class TJPEGPerformance { jpBestQuality, jpBestSpeed };
enum class TJPEGPixelFormat { jf24Bit, jf8Bit };

struct TJPEGSettings {
    int CompressionQuality = 90;
    bool Grayscale = false;
    TJPEGPerformance Performance = TJPEGPerformance::jpBestQuality;
    TJPEGPixelFormat PixelFormat = TJPEGPixelFormat::jf24Bit;
    bool ProgressiveDisplay = false;
    bool ProgressiveEncoding = false;
    int Scale = 0;  // decode at 1 / 2^Scale
    bool Smoothing = true;
};

class TJPEGImage : public TJPEGSettings {
public:
    // Copies the process-wide defaults.
    TJPEGImage();
    TJPEGImage(const TJPEGImage&) = delete;
    TJPEGImage& operator=(const TJPEGImage&) = delete;

    // The process-wide defaults; the output depth is 8-bit when the display has
    // 8 bits per pixel or fewer, decided once.
    static TJPEGSettings& Defaults();

    // Reads the whole file and its header; throws EFOpenError, EReadError or EJPEG.
    void LoadFromFile(const std::string& path);
    void LoadFromData(std::vector<std::uint8_t> data);

    // The decoded bitmap, decoding on the first request (throws EJPEG).
    TBitmap& Bitmap();
    // Hands the decoded bitmap over (decoding first when needed).
    TBitmap TakeBitmap();

    // Takes the pixels to compress from source, which must outlive the
    // compression; nullptr throws the assignment message.
    void Assign(TBitmap* source);
    // Compresses the assigned pixels into the object's data.
    void Compress();
    // Writes the data in one write (through a temporary file, replacing path).
    void SaveToFile(const std::string& path) const;

    const std::vector<std::uint8_t>& Data() const noexcept { return data_; }
    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    bool IsGrayscale() const noexcept { return grayscale_; }
    bool IsProgressive() const noexcept { return progressive_; }

private:
    void Decode();
    std::vector<std::uint8_t> data_;
    std::unique_ptr<TBitmap> bitmap_;
    TBitmap* source_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    bool grayscale_ = false;
    bool progressive_ = false;
};

}  // namespace mt
