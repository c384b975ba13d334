// Drives movetrail.exe through a short session for the README's screenshot: the
// demo clip opened from the command line, stopped and stepped from its first
// frame with the ball traced into the still image every few frames, stepped back
// one frame, a position read out on the video and a drag measured on the still
// image. Creates READY when the window shows all of it, then waits (bounded)
// for DONE to exist before ending the program. With "trail" after them, the
// session shows a trail instead: the textured marker clip's frame 0 copied, then
// the square of frames 10 to 70, every 10th, laid over it with Ctrl+T. With
// "table", the same trail with 番号を付ける checked, and the table of positions
// it fills beside the main window, its graph showing X with a line fitted and
// the fifth row chosen. With "fit", CLIP is a thrown ball: a trail of frames 0
// to 30, every 2nd, a drag of 100 pixels on the still image given as 2 m, and
// the graph of Y with a parabola fitted, the row at the top of the throw chosen.
//   screenshot_session PROGRAM.exe CLIP READY DONE [trail|table|fit]   (Windows paths)
#include <windows.h>

#include <cstdio>
#include <string>

#include "base/format.h"
#include "base/text.h"
#include "common/program_session.h"
#include "common/pump.h"
#include "measure/position_table.h"
#include "measure/scale_dialog.h"

using namespace mt;
using namespace mt::test;

namespace {

constexpr int kBall = 16, kBallTop = 52, kStepPerFrame = 4, kWidth = 160, kFramesBetweenTraces = 6;

bool Fail(const char* what, const ProgramSession& app) {
    std::fprintf(stderr, "screenshot_session: %s %s\n", what, WideToUtf8(app.OpenDialogs()).c_str());
    return false;
}

// Holds the left button down over the ball of the frame shown: one 4x4 copy for
// each block of it, in rows.
void TraceBall(const ProgramSession& app, HWND panel, int frame) {
    const int left = frame * kStepPerFrame, right = left + kBall;
    app.Mouse(panel, WM_LBUTTONDOWN, MK_LBUTTON, left + 2, kBallTop + 2);
    for (int y = kBallTop + 2; y < kBallTop + kBall; y += 4)
        for (int x = left + 2; x < right; x += 4) app.Mouse(panel, WM_MOUSEMOVE, MK_LBUTTON, x, y);
    app.Mouse(panel, WM_LBUTTONUP, 0, right - 2, kBallTop + kBall - 2);
}

// Waits until the counter shows the position.
bool CounterShows(const ProgramSession& app, HWND counter, int position) {
    const std::wstring text = Format(L"%.5d", {static_cast<long long>(position)}) + L" / ";
    return app.WaitText(counter, [&](const std::wstring& t) { return t.starts_with(text); }, 20000);
}

// Ctrl+T typed at the program (its window is in front), the trail dialog answered;
// with table, the table of positions waited for.
bool MakeTrail(const ProgramSession& app, bool marks, bool table, const wchar_t* first = L"10",
               const wchar_t* last = L"70", const wchar_t* every = L"10") {
    HWND panel1 = app.Panel1(), counter = app.Counter();
    if (!PumpUntil([&] { return ProgramSession::ClientSize(panel1).cx == 320; }, 60000)) return Fail("no clip", app);
    app.Click(app.Button(L"停止"));
    app.Click(app.Button(L"最初のフレーム"));
    if (!CounterShows(app, counter, 0)) return Fail("no first frame", app);
    // Frame 0 drawn (the device draws a stepped frame soon after the counter moves).
    PumpUntil([] { return false; }, 3000);
    app.ClickSpeedButton(app.SpeedButton1());
    ::SetForegroundWindow(app.Main());
    INPUT keys[4] = {};
    const WORD codes[4] = {VK_CONTROL, 'T', 'T', VK_CONTROL};
    for (int i = 0; i < 4; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = codes[i];
        keys[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
    }
    ::SendInput(4, keys, sizeof(INPUT));
    HWND dialog = app.WaitDialog([](HWND d) { return ProgramSession::Text(d) == L"軌跡の合成"; });
    if (!dialog) return Fail("no trail dialog", app);
    for (auto [id, text] : {std::pair{102, first}, std::pair{104, last}, std::pair{106, every}})
        ::SendMessageW(::GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    if (marks) ::SendMessageW(::GetDlgItem(dialog, 110), BM_SETCHECK, BST_CHECKED, 0);
    if (!app.Press(dialog, IDOK, 120000)) return Fail("the trail was not built", app);
    if (table && !app.WaitDialog([](HWND d) { return ProgramSession::Text(d) == L"位置の表"; }))
        return Fail("no table of positions", app);
    ::RedrawWindow(app.Main(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpUntil([] { return false; }, 3000);
    return true;
}

// A choice in one of the table's drop-down lists, as a user makes it.
void Choose(HWND table, int id, int index) {
    HWND box = ::GetDlgItem(table, id);
    ::SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::SendMessageW(table, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
}

// Row `row` of the table chosen with Home and the down arrow in its list.
void ChooseRow(HWND table, int row) {
    HWND list = ::GetDlgItem(table, PositionTableIds::kList);
    for (int i = -1; i < row; ++i) {
        const WPARAM key = i < 0 ? VK_HOME : VK_DOWN;
        ::PostMessageW(list, WM_KEYDOWN, key, 1);
        ::PostMessageW(list, WM_KEYUP, key, 0xC0000001);
    }
}

// The thrown ball's table: its scale set from a drag of 100 pixels taken as
// 2 m, then the graph of Y with a parabola.
bool FitTheThrow(const ProgramSession& app, HWND table) {
    HWND image1 = app.Image1();
    app.Mouse(image1, WM_LBUTTONDOWN, MK_LBUTTON, 20, 230);
    app.Mouse(image1, WM_MOUSEMOVE, MK_LBUTTON, 120, 230);
    app.Mouse(image1, WM_LBUTTONUP, 0, 120, 230);
    PumpUntil([] { return false; }, 500);
    app.Click(::GetDlgItem(table, PositionTableIds::kScale));
    HWND scale = app.WaitDialog([](HWND d) { return ProgramSession::Text(d) == L"尺度"; });
    if (!scale) return Fail("no scale dialog", app);
    ::SendMessageW(::GetDlgItem(scale, ScaleDialogIds::kLength), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"2"));
    if (!app.Press(scale, IDOK)) return Fail("the scale was not taken", app);
    Choose(table, PositionTableIds::kFitKind, 2);
    return true;
}

bool Run(const std::wstring& exe, const std::wstring& clip, const std::wstring& ready, const std::wstring& done,
         const std::string& mode) {
    ProgramSession app(exe, L"\"" + clip + L"\"");
    if (!app.Main()) return Fail("no main window", app);
    if (!mode.empty()) {
        // The main window high on the screen, so the table below it leaves it whole.
        if (mode != "trail") ::SetWindowPos(app.Main(), nullptr, 60, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        const bool fit = mode == "fit";
        if (!(fit ? MakeTrail(app, false, true, L"0", L"30", L"2") : MakeTrail(app, mode == "table", mode == "table")))
            return false;
        if (mode != "trail") {
            HWND table = app.WaitDialog([](HWND d) { return ProgramSession::Text(d) == L"位置の表"; });
            if (!table) return Fail("no table of positions", app);
            if (fit) {
                if (!FitTheThrow(app, table)) return false;
            } else {
                Choose(table, PositionTableIds::kGraphColumn, 0);
                Choose(table, PositionTableIds::kFitKind, 1);
            }
            ChooseRow(table, fit ? 8 : 4);
            PumpUntil([] { return false; }, 3000);
        }
        ::CloseHandle(::CreateFileW(ready.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        PumpUntil([&] { return ::GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES; }, 120000);
        return true;
    }
    HWND panel1 = app.Panel1(), image1 = app.Image1(), counter = app.Counter();
    if (!PumpUntil([&] { return ProgramSession::ClientSize(image1).cx == kWidth; }, 30000)) return Fail("no clip", app);
    // From the first frame on, trace the ball, then step on a few frames.
    app.Click(app.Button(L"停止"));
    app.Click(app.Button(L"最初のフレーム"));
    int position = 0;
    for (int frame = 0; frame * kStepPerFrame + kBall < kWidth; frame += kFramesBetweenTraces) {
        for (; position < frame; ++position) app.Click(app.Button(L"+１フレーム"));
        if (!CounterShows(app, counter, frame))
            return Fail(WideToUtf8(L"the clip does not step: " + ProgramSession::Text(counter)).c_str(), app);
        TraceBall(app, panel1, frame);
    }
    app.Click(app.Button(L"-1フレーム"));
    if (!CounterShows(app, counter, --position)) return Fail("the clip does not step back", app);
    // A drag along the trace on the still image, then the pointer on the ball.
    app.Mouse(image1, WM_LBUTTONDOWN, MK_LBUTTON, 8, 60);
    app.Mouse(image1, WM_MOUSEMOVE, MK_LBUTTON, 128, 60);
    app.Mouse(image1, WM_LBUTTONUP, 0, 128, 60);
    const int pointerX = position * kStepPerFrame + kBall / 2;
    app.Mouse(panel1, WM_MOUSEMOVE, 0, pointerX, kBallTop + kBall / 2);
    const std::wstring readout = Format(L"X=%4d", {static_cast<long long>(pointerX)});
    if (!app.WaitText(app.Label(12, 56), [&](const std::wstring& t) { return t.starts_with(readout); }))
        return Fail("no readout", app);
    ::CloseHandle(::CreateFileW(ready.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    PumpUntil([&] { return ::GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES; }, 120000);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc == 6 ? argv[5] : "";
    if ((argc != 5 && argc != 6) || (argc == 6 && mode != "trail" && mode != "table" && mode != "fit")) {
        std::fprintf(stderr, "usage: screenshot_session PROGRAM.exe CLIP READY DONE [trail|table|fit]\n");
        return 2;
    }
    return Run(AnsiToWide(argv[1]), AnsiToWide(argv[2]), AnsiToWide(argv[3]), AnsiToWide(argv[4]), mode) ? 0 : 1;
}
