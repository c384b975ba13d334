#include "common/media.h"

#include <windows.h>
#include <vfw.h>

#include <stdexcept>

#include "base/handles.h"
#include "base/text.h"

namespace mt::test {

MediaFolder::MediaFolder() {
    char temp[MAX_PATH + 1] = {};
    ::GetTempPathA(MAX_PATH, temp);
    static unsigned counter = 0;
    for (;;) {
        path_ = std::string(temp) + "mtmedia" + std::to_string(::GetCurrentProcessId()) + "_" +
                std::to_string(++counter);
        if (::CreateDirectoryA(path_.c_str(), nullptr)) break;
        if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
}

MediaFolder::~MediaFolder() {
    // Wide names: a test may name files outside the ANSI code page.
    const std::wstring folder = AnsiToWide(path_) + L"\\";
    WIN32_FIND_DATAW fd;
    HANDLE find = ::FindFirstFileW((folder + L"*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ::RemoveDirectoryW((folder + name).c_str());
            else ::DeleteFileW((folder + name).c_str());
        } while (::FindNextFileW(find, &fd));
        ::FindClose(find);
    }
    ::RemoveDirectoryA(path_.c_str());
}

std::string MediaFolder::Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    std::string path = File(name);
    OwnedFile f(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!f.valid() || !::WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        throw std::runtime_error("cannot write " + path);
    return path;
}

std::string MediaFolder::Write(const std::string& name, const std::string& text) const {
    return Write(name, std::vector<std::uint8_t>(text.begin(), text.end()));
}

namespace {
// The AVIFile library for one scope.
struct AviLibrary {
    AviLibrary() { ::AVIFileInit(); }
    ~AviLibrary() { ::AVIFileExit(); }
};
struct FileRef {
    PAVIFILE p = nullptr;
    ~FileRef() {
        if (p) ::AVIFileRelease(p);
    }
};
struct StreamRef {
    PAVISTREAM p = nullptr;
    ~StreamRef() {
        if (p) ::AVIStreamRelease(p);
    }
};
struct FrameReader {
    PGETFRAME p = nullptr;
    ~FrameReader() {
        if (p) ::AVIStreamGetFrameClose(p);
    }
};
}  // namespace

long AviFrameCount(const std::string& path) {
    AviLibrary lib;
    FileRef file;
    StreamRef stream;
    if (::AVIFileOpenA(&file.p, path.c_str(), OF_READ, nullptr) != 0) return -1;
    if (::AVIFileGetStream(file.p, &stream.p, streamtypeVIDEO, 0) != 0) return -1;
    return ::AVIStreamLength(stream.p);
}

std::optional<DecodedFrame> DecodeAviFrame(const std::string& path, int frame) {
    AviLibrary lib;
    FileRef file;
    StreamRef stream;
    FrameReader reader;
    if (::AVIFileOpenA(&file.p, path.c_str(), OF_READ, nullptr) != 0) return std::nullopt;
    if (::AVIFileGetStream(file.p, &stream.p, streamtypeVIDEO, 0) != 0) return std::nullopt;
    // The codec's own output format: Wine's conversion of MS Video 1 to 24-bit rows
    // exchanges red and blue, while its 16-bit output and the AVI device's drawing are right.
    reader.p = ::AVIStreamGetFrameOpen(stream.p, nullptr);
    if (!reader.p) return std::nullopt;
    auto* bih = static_cast<BITMAPINFOHEADER*>(::AVIStreamGetFrame(reader.p, frame));
    if (!bih || bih->biCompression != BI_RGB || (bih->biBitCount != 24 && bih->biBitCount != 32 &&
                                                  bih->biBitCount != 16))
        return std::nullopt;
    DecodedFrame out;
    out.width = bih->biWidth;
    out.height = bih->biHeight < 0 ? -bih->biHeight : bih->biHeight;
    const auto* bits = reinterpret_cast<const std::uint8_t*>(bih) + bih->biSize + bih->biClrUsed * 4;
    int stride = ((out.width * bih->biBitCount + 31) / 32) * 4;
    out.pixels.resize(static_cast<size_t>(out.width) * out.height);
    for (int y = 0; y < out.height; ++y) {
        int row = bih->biHeight < 0 ? y : out.height - 1 - y;
        const std::uint8_t* p = bits + static_cast<size_t>(row) * stride;
        for (int x = 0; x < out.width; ++x) {
            media::Rgb c;
            if (bih->biBitCount == 16) {
                unsigned v = p[2 * x] | (p[2 * x + 1] << 8);
                c = {media::ExpandComponent((v >> 10) & 31), media::ExpandComponent((v >> 5) & 31),
                     media::ExpandComponent(v & 31)};
            } else {
                const std::uint8_t* q = p + x * (bih->biBitCount / 8);
                c = {q[2], q[1], q[0]};
            }
            out.pixels[static_cast<size_t>(y) * out.width + x] = c;
        }
    }
    return out;
}

std::vector<std::uint8_t> SilentWave(int milliseconds) {
    std::uint32_t samples = 8u * static_cast<std::uint32_t>(milliseconds);
    std::vector<std::uint8_t> b;
    auto put = [&](std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    auto tag = [&](const char* s) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(s[i]));
    };
    tag("RIFF");
    put(36 + samples, 4);
    tag("WAVE");
    tag("fmt ");
    put(16, 4);
    put(1, 2);     // PCM
    put(1, 2);     // mono
    put(8000, 4);  // samples per second
    put(8000, 4);  // bytes per second
    put(1, 2);     // block align
    put(8, 2);     // bits per sample
    tag("data");
    put(samples, 4);
    b.insert(b.end(), samples, 0x80);
    return b;
}

std::vector<std::uint8_t> HalvesBmp(int width, int height, std::uint32_t left, std::uint32_t right) {
    const std::uint32_t stride = (static_cast<std::uint32_t>(width) * 3 + 3) / 4 * 4, pixels = stride * height;
    std::vector<std::uint8_t> b(54 + pixels, 0);
    auto put32 = [&](size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, static_cast<std::uint32_t>(b.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(width));
    put32(22, static_cast<std::uint32_t>(height));
    b[26] = 1;   // planes
    b[28] = 24;  // bits per pixel
    put32(34, pixels);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint32_t c = x < width / 2 ? left : right;
            std::uint8_t* p = &b[54 + y * stride + x * 3];
            p[0] = static_cast<std::uint8_t>(c);
            p[1] = static_cast<std::uint8_t>(c >> 8);
            p[2] = static_cast<std::uint8_t>(c >> 16);
        }
    return b;
}

std::vector<std::uint8_t> SolidBmp(int width, int height, media::Rgb colour) {
    const std::uint32_t c = std::uint32_t{colour.r} << 16 | std::uint32_t{colour.g} << 8 | colour.b;
    return HalvesBmp(width, height, c, c);
}

}  // namespace mt::test
