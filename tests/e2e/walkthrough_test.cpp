// A user's whole session with movetrail.exe, started as its own process and
// driven only through its windows: open the demo clip, step it, trace the ball,
// copy the frame, read the labels, save and load BMP and JPEG, print, open the
// printer setup and cancel, close.
#include <gtest/gtest.h>

#include <windows.h>
#include <dlgs.h>

#include <cstdlib>
#include <string>

#include "base/text.h"
#include "common/media.h"
#include "common/program_session.h"
#include "common/pump.h"
#include "e2e/picture_read.h"
#include "print/print_job.h"

namespace mt::test {
namespace {

constexpr std::uint32_t kBlue = 0x0000FF, kYellow = 0xFFFF00, kWhite = 0xFFFFFF;

class Walkthrough : public ::testing::Test {
protected:
    void SetUp() override {
        ::SetCursorPos(0, 0);  // the real pointer stays off the window
        ASSERT_NE(app.Main(), nullptr) << "movetrail.exe shows no main window";
    }
    // Clicks a button that opens a file dialog and answers it with a name.
    void ThroughFileDialog(const wchar_t* button, const std::string& name) {
        app.Click(app.Button(button));
        HWND dlg = app.WaitFileDialog();
        ASSERT_NE(dlg, nullptr) << "no file dialog after " << WideToUtf8(button) << WideToUtf8(app.OpenDialogs());
        ASSERT_TRUE(app.AnswerFileDialog(dlg, AnsiToWide(name))) << WideToUtf8(app.OpenDialogs());
    }
    // Saves the still image under a name and waits for the file and the caption.
    void Save(const std::string& path, const std::wstring& caption) {
        ::DeleteFileA(path.c_str());
        ThroughFileDialog(L"保存", path);
        EXPECT_TRUE(app.WaitText(app.Main(), caption)) << WideToUtf8(app.OpenDialogs());
        EXPECT_TRUE(PumpUntil([&] { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }, 20000));
        // The caption is set before the file is written: the program is done
        // when it answers a message again.
        EXPECT_TRUE(app.WaitText(app.Main(), caption));
    }
    void Load(const std::string& path) { ThroughFileDialog(L"画像読込", path); }
    std::wstring Counter() { return ProgramSession::Text(app.Counter()); }
    bool WaitCounter(const std::wstring& text) { return app.WaitText(app.Counter(), text, 20000); }

    ProgramSession app{BuildFolder() + L"\\movetrail.exe"};
    MediaFolder folder;
};

// Every pixel outside rows [top, bottom) is white; inside, each row is blue
// with one run of 16 yellow pixels starting on a multiple of 4 (the ball).
void ExpectBallStrip(const Picture& p, int top, int bottom, int* ballLeft) {
    int whiteOutside = 0, other = 0;
    for (int y = 0; y < p.height; ++y) {
        if (y >= top && y < bottom) {
            int first = -1, yellow = 0;
            for (int x = 0; x < p.width; ++x) {
                if (p.At(x, y) == kYellow) {
                    if (first < 0) first = x;
                    ++yellow;
                } else if (p.At(x, y) != kBlue) {
                    ++other;
                }
            }
            EXPECT_EQ(yellow, 16) << "row " << y;
            EXPECT_EQ(first % 4, 0) << "row " << y;
            if (y == top) *ballLeft = first;
            EXPECT_EQ(first, *ballLeft) << "row " << y;
        } else {
            for (int x = 0; x < p.width; ++x) whiteOutside += p.At(x, y) != kWhite;
        }
    }
    EXPECT_EQ(other, 0) << "pixels neither ball nor background";
    EXPECT_EQ(whiteOutside, 0) << "pixels outside the trace that are not white";
}

TEST_F(Walkthrough, AWholeSessionFromOpeningTheDemoClipToClosingTheWindow) {
    EXPECT_EQ(ProgramSession::Text(app.Main()), L"Movetrail");
    SIZE client = ProgramSession::ClientSize(app.Main());
    EXPECT_EQ(client.cx, 680);
    EXPECT_EQ(client.cy, 366);
    HWND panel1 = app.Panel1(), panel2 = app.Panel2(), image1 = app.Image1();
    ASSERT_TRUE(panel1 && panel2 && image1 && app.SpeedButton1() && app.Counter());

    // 動画読込: the dialog starts in the program's folder, where demo.avi is.
    ThroughFileDialog(L"動画読込", "demo.avi");
    ASSERT_TRUE(PumpUntil([&] { return ProgramSession::ClientSize(image1).cx == 160; }, 30000))
        << "the panes do not take the clip's size" << WideToUtf8(app.OpenDialogs());
    for (HWND pane : {panel1, panel2, image1}) {
        RECT r;
        ::GetWindowRect(pane, &r);
        EXPECT_EQ(r.right - r.left, 160);
        EXPECT_EQ(r.bottom - r.top, 120);
    }
    EXPECT_EQ(ProgramSession::ClientSize(app.Main()).cx, 680) << "the window keeps its size";

    // It plays; the counter shows the position reached and the clip's 36 frames.
    ASSERT_TRUE(app.WaitText(app.Counter(), [](const std::wstring& t) {
        return t.size() == 13 && t.substr(5) == L" / 00036" && std::wcstol(t.c_str(), nullptr, 10) >= 3;
    }, 30000)) << WideToUtf8(Counter());
    app.Click(app.Button(L"停止"));
    app.Click(app.Button(L"最初のフレーム"));
    EXPECT_TRUE(WaitCounter(L"00000 / 00036")) << WideToUtf8(Counter());
    for (int i = 0; i < 3; ++i) app.Click(app.Button(L"+１フレーム"));
    EXPECT_TRUE(WaitCounter(L"00003 / 00036")) << WideToUtf8(Counter());
    app.Click(app.Button(L"-1フレーム"));
    EXPECT_TRUE(WaitCounter(L"00002 / 00036")) << WideToUtf8(Counter());

    // Trace along the ball's path with the left button: one stroke across the
    // pane at row 60 collects rows 58 to 61 of the frame the pane shows.
    app.Mouse(panel1, WM_LBUTTONDOWN, MK_LBUTTON, 2, 60);
    for (int x = 6; x <= 158; x += 4) app.Mouse(panel1, WM_MOUSEMOVE, MK_LBUTTON, x, 60);
    app.Mouse(panel1, WM_LBUTTONUP, 0, 158, 60);
    EXPECT_TRUE(app.WaitText(app.Label(12, 56), L"X= 158, Y=  60")) << WideToUtf8(app.Text(app.Label(12, 56)));
    app.Mouse(panel1, WM_MOUSEMOVE, 0, 0, 119);  // no button: the readout only
    EXPECT_TRUE(app.WaitText(app.Label(12, 56), L"X=   0, Y=   1"));

    const std::string traceBmp = folder.File("trace.bmp");
    Save(traceBmp, L".BMP");
    Picture trace = ReadBmp(traceBmp);
    ASSERT_EQ(trace.width, 160);
    ASSERT_EQ(trace.height, 120);
    int ballLeft = -1;
    ExpectBallStrip(trace, 58, 62, &ballLeft);

    // The whole frame, then the still image's readout and a measured drag.
    app.ClickSpeedButton(app.SpeedButton1());
    app.Mouse(image1, WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
    app.Mouse(image1, WM_MOUSEMOVE, MK_LBUTTON, 13, 14);
    app.Mouse(image1, WM_LBUTTONUP, 0, 13, 14);
    EXPECT_TRUE(app.WaitText(app.Label(352, 56), L"X=  13, Y= 106")) << WideToUtf8(app.Text(app.Label(352, 56)));
    EXPECT_TRUE(app.WaitText(app.Label(488, 56), L"ドラッグ距離=5.00")) << WideToUtf8(app.Text(app.Label(488, 56)));

    const std::string frameBmp = folder.File("frame.bmp");
    Save(frameBmp, L".BMP");
    std::vector<std::uint8_t> frameBytes = FileBytes(frameBmp);
    ASSERT_GE(frameBytes.size(), 54u);
    const int bpp = U16(frameBytes, 28);
    EXPECT_EQ(U32(frameBytes, 10), 54u);
    EXPECT_EQ(frameBytes.size(), 54u + static_cast<size_t>((160 * bpp + 31) / 32 * 4) * 120);
    Picture frame = ReadBmp(frameBmp);
    ASSERT_EQ(frame.width, 160);
    ASSERT_EQ(frame.height, 120);
    int frameBallLeft = -1, yellow = 0, other = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x) {
            yellow += frame.At(x, y) == kYellow;
            other += frame.At(x, y) != kYellow && frame.At(x, y) != kBlue;
            if (frame.At(x, y) == kYellow && frameBallLeft < 0) frameBallLeft = x;
        }
    EXPECT_EQ(yellow, 16 * 16) << "the ball, whole";
    EXPECT_EQ(other, 0);
    EXPECT_EQ(frameBallLeft, ballLeft) << "the copy shows the frame the trace was taken from";
    for (int y = 58; y < 62; ++y)
        for (int x = 0; x < 160; x += 7) EXPECT_EQ(frame.At(x, y), trace.At(x, y));

    const std::string frameJpg = folder.File("frame.jpg");
    Save(frameJpg, L".JPG");
    std::vector<std::uint8_t> jpgBytes = FileBytes(frameJpg);
    JpegFrame sof = ReadJpegFrame(jpgBytes);
    EXPECT_EQ(sof.marker, 0xC0) << "baseline";
    EXPECT_EQ(sof.width, 160);
    EXPECT_EQ(sof.height, 120);
    EXPECT_EQ(sof.components, 3);
    Picture decoded = ReadJpeg(frameJpg);
    ASSERT_EQ(decoded.width, 160);
    long long diff = 0;
    for (size_t i = 0; i < decoded.px.size(); ++i)
        for (int shift : {0, 8, 16})
            diff += std::abs(static_cast<int>((decoded.px[i] >> shift) & 0xFF) - static_cast<int>((frame.px[i] >> shift) & 0xFF));
    EXPECT_LT(diff / static_cast<long long>(decoded.px.size() * 3), 6) << "the JPEG looks like the frame";

    // Both back in: the JPEG shows its decoded pixels, the BMP its own bytes.
    Load(frameJpg);
    const std::string fromJpg = folder.File("from_jpg.bmp");
    Save(fromJpg, L".BMP");
    Picture reloaded = ReadBmp(fromJpg);
    EXPECT_EQ(U16(FileBytes(fromJpg), 28), 24);
    EXPECT_EQ(reloaded.px, decoded.px) << "the loaded JPEG is what libjpeg decodes";
    Load(frameBmp);
    const std::string again = folder.File("again.bmp");
    Save(again, L".BMP");
    EXPECT_EQ(FileBytes(again), frameBytes) << "a BMP loaded and saved again is the same file";

    // 印刷 on the test queue: the frame at 0.31 mm a pane pixel, 15 mm in.
    ASSERT_FALSE(PrintOutputPath().empty()) << "the test command sets up no print queue";
    ForgetLastJob();
    app.Click(app.Button(L"印刷"));
    ASSERT_FALSE(WaitForJob().empty()) << "no printed job" << WideToUtf8(app.OpenDialogs());
    RenderedPage page = RenderLastJob(200);
    ASSERT_GT(page.width, 0);
    RECT ink = InkBox(page);
    EXPECT_NEAR(page.Mm(ink.left), 15.0, 0.5);
    EXPECT_NEAR(page.Mm(ink.top), 15.0, 0.5);
    EXPECT_NEAR(page.Mm(ink.right - ink.left), 160 * 0.31, 0.5);
    EXPECT_NEAR(page.Mm(ink.bottom - ink.top), 120 * 0.31, 0.5);
    COLORREF corner = page.Pixel(ink.left + 5, ink.top + 5);
    EXPECT_TRUE(GetRValue(corner) < 60 && GetGValue(corner) < 60 && GetBValue(corner) > 190) << std::hex << corner;

    // 用紙設定, cancelled.
    app.Click(app.Button(L"用紙設定"));
    HWND setup = app.WaitDialog([](HWND w) { return ::GetDlgItem(w, rad2) != nullptr; });
    ASSERT_NE(setup, nullptr) << "no printer-setup dialog" << WideToUtf8(app.OpenDialogs());
    EXPECT_TRUE(app.Press(setup, IDCANCEL));

    EXPECT_EQ(app.OpenDialogs(), L"") << "no message or error report on the way";
    EXPECT_EQ(app.Close(), 0u);
}

}  // namespace
}  // namespace mt::test
