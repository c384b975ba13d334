#include "print/print_job.h"

#include <filesystem>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "common/pump.h"

namespace mt::test {

namespace {

std::string ReadAll(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool EndsWithEof(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == '\x04')) s.pop_back();
    return s.size() >= 5 && s.compare(s.size() - 5, 5, "%%EOF") == 0;
}

}  // namespace

std::string PrintOutputPath() {
    const char* p = std::getenv("MOVETRAIL_PRINT_OUTPUT");
    return p ? p : "";
}

namespace {

// How much of the scheduler's error log was there when the last job was forgotten.
std::size_t logSeen = 0;

std::string SchedulerLog() {
    const char* log = std::getenv("MOVETRAIL_CUPS_LOG");
    return log ? ReadAll(WindowsPath(log)) : std::string();
}

// The scheduler's error line about a job since the last job was forgotten ("" when none).
std::string JobFailure() {
    std::string log = SchedulerLog();
    std::istringstream lines(log.size() > logSeen ? log.substr(logSeen) : std::string());
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("E [", 0) == 0 && line.find("[Job ") != std::string::npos) return line;
    return "";
}

}  // namespace

void ForgetLastJob() {
    ::DeleteFileW(WindowsPath(PrintOutputPath()).c_str());
    logSeen = SchedulerLog().size();
}

std::string WaitForJob() {
    const std::wstring path = WindowsPath(PrintOutputPath());
    std::string ps, failure;
    PumpUntil([&] { return EndsWithEof(ps = ReadAll(path)) || !(failure = JobFailure()).empty(); }, 120000);
    // A job the scheduler gave up on fails the test at once, with its reason.
    if (!failure.empty()) ADD_FAILURE() << "the print job failed in the scheduler: " << failure;
    return EndsWithEof(ps) ? ps : std::string();
}

bool SchedulerHasJobNamed(const std::string& name) {
    const char* spool = std::getenv("MOVETRAIL_CUPS_SPOOL");
    if (!spool) return false;
    // Control files c00001, c00002, ... hold each job's attributes.
    std::string newest;
    WIN32_FIND_DATAW fd;
    HANDLE find = ::FindFirstFileW((WindowsPath(spool) + L"\\c*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return false;
    std::wstring best;
    do {
        if (best.empty() || wcscmp(fd.cFileName, best.c_str()) > 0) best = fd.cFileName;
    } while (::FindNextFileW(find, &fd));
    ::FindClose(find);
    std::string control = ReadAll(WindowsPath(spool) + L"\\" + best);
    size_t at = control.find("job-name");
    // The attribute's value follows its name after a two-byte length.
    return at != std::string::npos && control.compare(at + 10, name.size(), name) == 0;
}

COLORREF RenderedPage::Pixel(int x, int y) const {
    const std::uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
    return RGB(p[0], p[1], p[2]);
}

RenderedPage RenderLastJob(int dpi) {
    RenderedPage page;
    const std::string ps = PrintOutputPath();
    const std::string ppm = ps + ".ppm";
    ::DeleteFileW(WindowsPath(ppm).c_str());
    std::string cmd = "gs -q -dSAFER -dBATCH -dNOPAUSE -dFirstPage=1 -dLastPage=1 -sDEVICE=ppmraw -r" +
                      std::to_string(dpi) + " -sOutputFile='" + ppm + "' '" + ps + "' >/dev/null 2>&1";
    if (RunUnix(cmd, ppm + ".done") == -1) return page;
    std::string data = ReadAll(WindowsPath(ppm));
    std::istringstream in(data);
    std::string magic;
    in >> magic;
    auto next = [&in] {
        in >> std::ws;
        while (in.peek() == '#') {
            std::string comment;
            std::getline(in, comment);
            in >> std::ws;
        }
        int v = 0;
        in >> v;
        return v;
    };
    int w = next(), h = next(), maxval = next();
    if (magic != "P6" || maxval != 255 || w <= 0 || h <= 0) return page;
    in.get();
    size_t offset = static_cast<size_t>(in.tellg());
    if (data.size() < offset + static_cast<size_t>(w) * h * 3) return page;
    page.width = w;
    page.height = h;
    page.dpi = dpi;
    page.rgb.assign(data.begin() + offset, data.begin() + offset + static_cast<size_t>(w) * h * 3);
    return page;
}

RenderedPage Turned(const RenderedPage& page, bool clockwise) {
    RenderedPage out;
    out.width = page.height;
    out.height = page.width;
    out.dpi = page.dpi;
    out.rgb.resize(page.rgb.size());
    for (int y = 0; y < page.height; ++y)
        for (int x = 0; x < page.width; ++x) {
            int nx = clockwise ? page.height - 1 - y : y;
            int ny = clockwise ? x : page.width - 1 - x;
            const std::uint8_t* from = &page.rgb[(static_cast<size_t>(y) * page.width + x) * 3];
            std::uint8_t* to = &out.rgb[(static_cast<size_t>(ny) * out.width + nx) * 3];
            to[0] = from[0], to[1] = from[1], to[2] = from[2];
        }
    return out;
}

RECT InkBox(const RenderedPage& page) {
    RECT box{page.width, page.height, 0, 0};
    for (int y = 0; y < page.height; ++y) {
        const std::uint8_t* row = &page.rgb[static_cast<size_t>(y) * page.width * 3];
        for (int x = 0; x < page.width; ++x) {
            const std::uint8_t* p = row + x * 3;
            if (p[0] < 200 || p[1] < 200 || p[2] < 200) {
                if (x < box.left) box.left = x;
                if (y < box.top) box.top = y;
                if (x + 1 > box.right) box.right = x + 1;
                if (y + 1 > box.bottom) box.bottom = y + 1;
            }
        }
    }
    if (box.right <= box.left) return RECT{};
    return box;
}

}  // namespace mt::test
