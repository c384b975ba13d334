// Soak: the program's own start-up run on this process's main thread, and a
// second thread that drives it only through its windows, as a user would: many
// trace events, picture save/load cycles, prints and video loads. Prints the
// program's GDI and USER object counts and private memory after a warm-up, after
// each kind of action and at the end. In one process so that the GDI handle
// table can be read where GetGuiResources answers 0 (Wine). Then, as a baseline,
// the same video loads and prints made with bare MCI and GDI calls in a fresh
// process. Not a test: run it with bench/run.sh.
//   soak [traceEvents pictureCycles prints videoLoads]   (default 10000 200 50 100)
#include <windows.h>
#include <mmsystem.h>
#include <digitalv.h>
#include <winspool.h>
#define PSAPI_VERSION 2
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "base/application.h"
#include "base/failure.h"
#include "base/text.h"
#include "common/media.h"
#include "common/program_session.h"
#include "print/print_job.h"

using namespace mt;
using namespace mt::test;

namespace {

struct Figures {
    DWORD gdi, user;
    SIZE_T priv;
};

class Soak {
public:
    Soak() : app(ProgramSession::InThisProcess{}) {}
    ProgramSession app;
    MediaFolder folder;
    int barrier = 0;
    bool failed = false;

    void Fail(const char* what) {
        if (!failed) std::printf("FAILED: %s %s\n", what, WideToUtf8(app.OpenDialogs()).c_str());
        failed = true;
    }
    // Waits until the program has handled everything posted before: a move over
    // the video pane (no button) is answered in the readout after them.
    void Sync() {
        int x = (++barrier % 2) ? 1 : 2;
        app.Mouse(app.Panel1(), WM_MOUSEMOVE, 0, x, 3);
        wchar_t expected[64];
        std::swprintf(expected, 64, L"X=%4d, Y=", x);
        auto answered = [&](const std::wstring& t) { return t.rfind(expected, 0) == 0; };
        if (!app.WaitText(app.Label(12, 56), answered, 60000)) {
            std::printf("readout %s\n", WideToUtf8(ProgramSession::Text(app.Label(12, 56))).c_str());
            Fail("no answer");
        }
    }
    void Dialog(const wchar_t* button, const std::string& name) {
        if (failed) return;
        app.Click(app.Button(button));
        HWND dlg = app.WaitFileDialog(60000);
        if (!dlg || !app.AnswerFileDialog(dlg, AnsiToWide(name))) return Fail("file dialog");
        Sync();
    }
    void Trace(int events) {
        for (int done = 0; done < events && !failed;) {
            int y = 10 + (done / 100) % 100;
            app.Mouse(app.Panel1(), WM_LBUTTONDOWN, MK_LBUTTON, 2, y);
            int moves = 1;
            for (int x = 4; x < 158 && done + moves + 1 < events && moves < 98; x += 2, ++moves)
                app.Mouse(app.Panel1(), WM_MOUSEMOVE, MK_LBUTTON, x, y);
            app.Mouse(app.Panel1(), WM_LBUTTONUP, 0, 100, y);
            done += moves + 1;
            Sync();
        }
    }
    void Pictures(int cycles) {
        const std::string bmp = folder.File("soak.bmp"), jpg = folder.File("soak.jpg");
        for (int i = 0; i < cycles && !failed; ++i) {
            Dialog(L"保存", bmp);
            Dialog(L"画像読込", bmp);
            Dialog(L"保存", jpg);
            Dialog(L"画像読込", jpg);
        }
    }
    void Prints(int count) {
        for (int i = 0; i < count && !failed; ++i) {
            ForgetLastJob();
            app.Click(app.Button(L"印刷"));
            if (WaitForJob().empty()) return Fail("no printed job");
            Sync();
        }
    }
    void Videos(int count) {
        const std::string clip = WideToAnsi(BuildFolder() + L"\\demo.avi");
        for (int i = 0; i < count && !failed; ++i) Dialog(L"動画読込", clip);
    }
    Figures Now() const { return {app.GdiObjects(), app.UserObjects(), app.PrivateBytes()}; }
};

void Show(const char* when, const Figures& f) {
    std::printf("%-7s GDI objects %5lu  USER objects %5lu  private memory %8lu KiB\n", when,
                static_cast<unsigned long>(f.gdi), static_cast<unsigned long>(f.user),
                static_cast<unsigned long>(f.priv / 1024));
}

// The platform's own share, measured in the same process after the program's
// run: the same number of video loads and prints made with bare MCI and GDI
// calls and no program code, so the program's growth can be set beside them.
void PumpFor(DWORD ms) {
    const DWORD start = ::GetTickCount();
    MSG msg;
    while (::GetTickCount() - start < ms) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(5);
    }
}

// Open, show in a window, play briefly, hand the window back, close.
bool BareVideoLoad(HWND wnd, const std::string& clip) {
    MCI_OPEN_PARMSA open{};
    open.lpstrElementName = clip.c_str();
    if (::mciSendCommandA(0, MCI_OPEN, MCI_OPEN_ELEMENT | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&open))) return false;
    MCI_DGV_WINDOW_PARMSA window{};
    window.hWnd = wnd;
    ::mciSendCommandA(open.wDeviceID, MCI_WINDOW, MCI_DGV_WINDOW_HWND, reinterpret_cast<DWORD_PTR>(&window));
    MCI_PLAY_PARMS play{};
    play.dwCallback = reinterpret_cast<DWORD_PTR>(wnd);
    ::mciSendCommandA(open.wDeviceID, MCI_PLAY, MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&play));
    PumpFor(300);
    window.hWnd = nullptr;
    ::mciSendCommandA(open.wDeviceID, MCI_WINDOW, MCI_DGV_WINDOW_HWND, reinterpret_cast<DWORD_PTR>(&window));
    MCI_GENERIC_PARMS close{};
    ::mciSendCommandA(open.wDeviceID, MCI_CLOSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&close));
    return true;
}

// What printing asks of the platform, once: the printer opened for its device
// mode, an information context for its resolution, then one page with a
// 320 x 240 picture, waited for in the queue.
bool BarePrint() {
    wchar_t name[256];
    DWORD size = 256;
    if (!::GetDefaultPrinterW(name, &size)) return false;
    HANDLE printer = nullptr;
    if (!::OpenPrinterW(name, &printer, nullptr)) return false;
    std::vector<char> devMode(std::max<LONG>(0, ::DocumentPropertiesW(nullptr, printer, name, nullptr, nullptr, 0)));
    if (!devMode.empty())
        ::DocumentPropertiesW(nullptr, printer, name, reinterpret_cast<DEVMODEW*>(devMode.data()), nullptr,
                              DM_OUT_BUFFER);
    ::ClosePrinter(printer);
    if (HDC info = ::CreateICW(L"WINSPOOL", name, nullptr, nullptr)) {
        ::GetDeviceCaps(info, LOGPIXELSX);
        ::DeleteDC(info);
    }
    HDC dc = ::CreateDCW(L"WINSPOOL", name, nullptr, nullptr);
    if (!dc) return false;
    ForgetLastJob();
    std::string pixels(320 * 240 * 3, '\x80');
    BITMAPINFO bits{};
    bits.bmiHeader = {sizeof(BITMAPINFOHEADER), 320, 240, 1, 24, BI_RGB};
    DOCINFOW doc{sizeof doc, L"baseline"};
    bool ok = ::StartDocW(dc, &doc) > 0 && ::StartPage(dc) > 0 &&
              ::StretchDIBits(dc, 100, 100, 1200, 900, 0, 0, 320, 240, pixels.data(), &bits, DIB_RGB_COLORS,
                              SRCCOPY) > 0 &&
              ::EndPage(dc) > 0 && ::EndDoc(dc) > 0;
    ::DeleteDC(dc);
    return ok && !WaitForJob().empty();
}

// Private bytes of this process.
SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof pmc;
    if (!::K32GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc))
        return 0;
    return pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage;
}

// Run in a fresh process (soak baseline VIDEOS PRINTS), so that nothing the
// program freed is there to be reused.
int Baseline(int videos, int prints) {
    HWND wnd = ::CreateWindowW(L"STATIC", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 200, nullptr, nullptr,
                               nullptr, nullptr);
    const std::string clip = WideToAnsi(BuildFolder() + L"\\demo.avi");
    BareVideoLoad(wnd, clip);  // warm-up, as in the program's run
    const SIZE_T before = PrivateBytes();
    int loaded = 0;
    for (int i = 0; i < videos; ++i) loaded += BareVideoLoad(wnd, clip);
    const SIZE_T afterVideos = PrivateBytes();
    if (prints) BarePrint();
    const SIZE_T beforePrints = PrivateBytes();
    int printed = 0;
    for (int i = 0; i < prints; ++i) printed += BarePrint();
    const SIZE_T afterPrints = PrivateBytes();
    ::DestroyWindow(wnd);
    std::printf("baseline, no program code: %d bare MCI video loads %+ld KiB, %d bare prints %+ld KiB\n", loaded,
                (static_cast<long>(afterVideos) - static_cast<long>(before)) / 1024, printed,
                (static_cast<long>(afterPrints) - static_cast<long>(beforePrints)) / 1024);
    return loaded == videos && printed == prints ? 0 : 1;
}

// Runs this program again as the baseline and waits for it.
bool RunBaseline(int videos, int prints) {
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring cmd = L"\"" + std::wstring(self) + L"\" baseline " + std::to_wstring(videos) + L" " +
                       std::to_wstring(prints);
    STARTUPINFOW si{sizeof si};
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(self, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return false;
    ::WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 1;
    ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return code == 0;
}

struct Counts {
    int traces = 10000, pictures = 200, prints = 50, videos = 100;
    bool failed = true;
};

DWORD WINAPI Drive(void* param) {
    auto& counts = *static_cast<Counts*>(param);
    Soak soak;
    if (!soak.app.Main()) {
        std::printf("the program shows no window\n");
        return 1;
    }
    // Warm-up: one of everything, so that first-use allocations are not counted.
    soak.Videos(1);
    soak.app.Click(soak.app.Button(L"停止"));
    soak.Trace(100);
    soak.Pictures(1);
    soak.Prints(counts.prints ? 1 : 0);
    soak.Sync();
    const Figures before = soak.Now();
    Show("before", before);
    DWORD start = ::GetTickCount();
    soak.Trace(counts.traces);
    Show("traced", soak.Now());
    soak.Pictures(counts.pictures);
    Show("files", soak.Now());
    soak.Prints(counts.prints);
    Show("printed", soak.Now());
    soak.Videos(counts.videos);
    soak.app.Click(soak.app.Button(L"停止"));
    soak.Sync();
    const Figures after = soak.Now();
    Show("after", after);
    std::printf("%d trace events, %d BMP and JPEG save/load cycles, %d prints, %d video loads in %lu s\n",
                counts.traces, counts.pictures, counts.prints, counts.videos,
                static_cast<unsigned long>((::GetTickCount() - start) / 1000));
    std::printf("growth: GDI %+ld  USER %+ld  private memory %+ld KiB\n",
                static_cast<long>(after.gdi) - static_cast<long>(before.gdi),
                static_cast<long>(after.user) - static_cast<long>(before.user),
                (static_cast<long>(after.priv) - static_cast<long>(before.priv)) / 1024);
    counts.failed = soak.failed;
    ::PostMessageW(soak.app.Main(), WM_CLOSE, 0, 0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc == 4 && std::string(argv[1]) == "baseline") return Baseline(std::atoi(argv[2]), std::atoi(argv[3]));
    Counts counts;
    if (argc == 5) {
        counts.traces = std::atoi(argv[1]);
        counts.pictures = std::atoi(argv[2]);
        counts.prints = std::atoi(argv[3]);
        counts.videos = std::atoi(argv[4]);
    }
    if (PrintOutputPath().empty()) std::printf("no print queue: prints are left out\n"), counts.prints = 0;
    int exitCode = -1;
    HANDLE driver = nullptr;
    Guarded([&] {
        Application.Initialize();
        Application.SetTitle(L"Movetrail");
        auto form = std::make_unique<TForm1>();
        form->Show(SW_SHOWNORMAL);
        driver = ::CreateThread(nullptr, 0, &Drive, &counts, 0, nullptr);
        exitCode = Application.Run();
        form.reset();
    });
    if (driver) {
        ::WaitForSingleObject(driver, INFINITE);
        ::CloseHandle(driver);
    }
    std::printf("exit code %d\n", exitCode);
    const bool baseline = RunBaseline(counts.videos, counts.prints);
    return counts.failed || exitCode != 0 || !baseline;
}
