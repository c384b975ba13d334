// Picture load and save speed against bare libjpeg-turbo and plain file
// reads and writes of the same bytes, and the peak memory of a JPEG load.
// Prints ratios (baseline time / program time: 1.0 is as fast as the baseline).
//   picture_bench.exe [folder]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "app/form1.h"
#include "base/application.h"
#include "imagefiles/bmp_io.h"
#include "imagefiles/jpeg_image.h"
#include "imagefiles/picture_files.h"

namespace {

constexpr int kWidth = 3600, kHeight = 2400;  // 8.64 megapixels

double Seconds(const std::function<void()>& f, int runs = 3) {
    LARGE_INTEGER freq, a, b;
    ::QueryPerformanceFrequency(&freq);
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        ::QueryPerformanceCounter(&a);
        f();
        ::QueryPerformanceCounter(&b);
        best = std::min(best, double(b.QuadPart - a.QuadPart) / double(freq.QuadPart));
    }
    return best;
}

// A photograph-like picture: smooth shading, edges and fine noise, as BGR rows top-down.
std::vector<unsigned char> Photo() {
    std::vector<unsigned char> px(size_t(kWidth) * kHeight * 3);
    unsigned seed = 12345;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            seed = seed * 1103515245 + 12345;
            int noise = int(seed >> 27) - 16;
            bool disc = (x - 1800) * (x - 1800) + (y - 1200) * (y - 1200) < 700 * 700;
            unsigned char* p = &px[(size_t(y) * kWidth + x) * 3];
            p[0] = (unsigned char)std::clamp(x * 255 / kWidth + noise, 0, 255);
            p[1] = (unsigned char)std::clamp((disc ? 200 : 60) + noise, 0, 255);
            p[2] = (unsigned char)std::clamp(y * 255 / kHeight + noise, 0, 255);
        }
    return px;
}

std::vector<unsigned char> BareEncode(const std::vector<unsigned char>& px, int quality) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = kWidth;
    c.image_height = kHeight;
    c.input_components = 3;
    c.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(&px[size_t(c.next_scanline) * kWidth * 3]);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    std::vector<unsigned char> data(out, out + size);
    jpeg_destroy_compress(&c);
    std::free(out);
    return data;
}

void BareDecode(const std::vector<unsigned char>& file, std::vector<unsigned char>& px) {
    jpeg_decompress_struct d{};
    jpeg_error_mgr err{};
    d.err = jpeg_std_error(&err);
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, file.data(), file.size());
    jpeg_read_header(&d, TRUE);
    d.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&d);
    size_t stride = (size_t(d.output_width) * 3 + 3) & ~size_t(3);
    px.resize(stride * d.output_height);
    while (d.output_scanline < d.output_height) {
        JSAMPROW row = &px[size_t(d.output_height - 1 - d.output_scanline) * stride];
        jpeg_read_scanlines(&d, &row, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
}

std::vector<unsigned char> ReadAll(const std::string& path) {
    HANDLE f = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD size = ::GetFileSize(f, nullptr), got = 0;
    std::vector<unsigned char> data(size);
    ::ReadFile(f, data.data(), size, &got, nullptr);
    ::CloseHandle(f);
    return data;
}

void WriteAllTo(const std::string& path, const std::vector<unsigned char>& data) {
    HANDLE f = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD put = 0;
    ::WriteFile(f, data.data(), DWORD(data.size()), &put, nullptr);
    ::CloseHandle(f);
}

SIZE_T PeakPrivate() {
    PROCESS_MEMORY_COUNTERS c{};
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &c, sizeof c);
    return c.PeakPagefileUsage;
}
SIZE_T PrivateNow() {
    PROCESS_MEMORY_COUNTERS c{};
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &c, sizeof c);
    return c.PagefileUsage;
}

// In a fresh process: the memory a JPEG load adds at its peak.
int MeasureLoadPeak(const std::string& path) {
    mt::TForm1 form;
    SIZE_T before = PrivateNow();
    mt::LoadPicture(*form.Image1, path);
    SIZE_T peak = PeakPrivate();
    const mt::TBitmap& p = *form.Image1->Picture;
    double bitmap = double((size_t(p.Width()) * 3 + 3) / 4 * 4) * p.Height();
    std::printf("JPEG load peak memory: %.1f MB over %.1f MB before; decoded bitmap %.1f MB; ratio %.2f (target < 1.5)\n",
                (peak - before) / 1e6, before / 1e6, bitmap / 1e6, (peak - before) / bitmap);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    mt::Application.Initialize();
    mt::Application.SetTitle(L"Movetrail");
    if (argc == 3 && std::string(argv[1]) == "--load-peak") return MeasureLoadPeak(argv[2]);
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    std::string folder = argc > 1 ? argv[1] : temp;
    std::string jpg = folder + "\\bench_photo.jpg", bmp = folder + "\\bench_photo.bmp";
    std::string outJpg = folder + "\\bench_out.jpg", outBmp = folder + "\\bench_out.bmp", plain = folder + "\\bench_plain.bin";

    std::vector<unsigned char> photo = Photo();
    std::vector<unsigned char> file = BareEncode(photo, 90);
    WriteAllTo(jpg, file);
    std::printf("picture %dx%d, JPEG %.1f MB\n", kWidth, kHeight, file.size() / 1e6);

    mt::TForm1 form;
    double bareDecode = Seconds([&] {
        std::vector<unsigned char> decoded;  // a fresh buffer, as the program makes a fresh bitmap
        BareDecode(ReadAll(jpg), decoded);
    });
    double load = Seconds([&] { mt::LoadPicture(*form.Image1, jpg); });
    std::printf("JPEG load: program %.3f s, bare libjpeg-turbo %.3f s, ratio %.2f (target 0.9)\n", load, bareDecode,
                bareDecode / load);

    double bareEncode = Seconds([&] { BareEncode(photo, 70); });
    double save = Seconds([&] { mt::SavePicture(*form.Image1, outJpg); });
    std::printf("JPEG save: program %.3f s, bare libjpeg-turbo %.3f s, ratio %.2f (target 0.9)\n", save, bareEncode,
                bareEncode / save);
    // The baseline writes no file: the same save without it, and the baseline with
    // its bytes written to a file.
    double compress = Seconds([&] {
        mt::TJPEGImage jpeg;
        jpeg.Assign(form.Image1->Picture.get());
        jpeg.CompressionQuality = 70;
        jpeg.Compress();
    });
    double bareEncodeWrite = Seconds([&] { WriteAllTo(plain, BareEncode(photo, 70)); });
    std::printf("  without the file write %.3f s, ratio %.2f; bare libjpeg-turbo and a plain write %.3f s, ratio %.2f\n",
                compress, bareEncode / compress, bareEncodeWrite, bareEncodeWrite / save);

    mt::SaveBmpFile(*form.Image1->Picture, bmp);
    std::vector<unsigned char> bytes;
    double plainRead = Seconds([&] { bytes = ReadAll(bmp); });
    double bmpLoad = Seconds([&] { mt::LoadPicture(*form.Image1, bmp); });
    double plainWrite = Seconds([&] { WriteAllTo(plain, bytes); });
    double bmpSave = Seconds([&] { mt::SavePicture(*form.Image1, outBmp); });
    std::printf("BMP load: program %.3f s, plain read %.3f s, ratio %.2f (target 0.5)\n", bmpLoad, plainRead,
                plainRead / bmpLoad);
    std::printf("BMP save: program %.3f s, plain write %.3f s, ratio %.2f (target 0.5)\n", bmpSave, plainWrite,
                plainWrite / bmpSave);
    std::fflush(stdout);

    char self[MAX_PATH];
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = "\"" + std::string(self) + "\" --load-peak \"" + jpg + "\"";
    STARTUPINFOA si{sizeof si};
    PROCESS_INFORMATION pi{};
    if (::CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        ::WaitForSingleObject(pi.hProcess, INFINITE);
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
    }
    for (const std::string& f : {jpg, bmp, outJpg, outBmp, plain}) ::DeleteFileA(f.c_str());
    return 0;
}
