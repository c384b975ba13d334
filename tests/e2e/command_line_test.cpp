// movetrail.exe started with a file on its command line, as "Open with" and
// file associations start it.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "base/file_exists.h"
#include "base/text.h"
#include "common/marker_clips.h"
#include "common/media.h"
#include "common/program_session.h"
#include "common/pump.h"
#include "e2e/picture_read.h"
#include "video/frame_source.h"

namespace mt::test {
namespace {

class CommandLine : public ::testing::Test {
protected:
    void SetUp() override { ::SetCursorPos(0, 0); }
    static std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }
    static std::wstring Exe() { return BuildFolder() + L"\\movetrail.exe"; }
    // The clip plays in panes of its size and the counter shows its length.
    static void ExpectClipPlaying(ProgramSession& app) {
        ASSERT_NE(app.Main(), nullptr);
        EXPECT_TRUE(PumpUntil([&] { return ProgramSession::ClientSize(app.Image1()).cx == 160; }, 30000))
            << WideToUtf8(app.OpenDialogs());
        EXPECT_TRUE(app.WaitText(app.Counter(), [](const std::wstring& t) { return t.ends_with(L" / 00012"); }, 30000))
            << WideToUtf8(ProgramSession::Text(app.Counter()));
        EXPECT_EQ(app.OpenDialogs(), L"");
        EXPECT_EQ(app.Close(), 0u);
    }

    // Saves the still image through 保存 and its dialog; what the file then holds.
    Picture SaveStill(ProgramSession& app, const std::string& path) {
        app.Click(app.Button(L"保存"));
        HWND dialog = app.WaitFileDialog();
        EXPECT_NE(dialog, nullptr) << WideToUtf8(app.OpenDialogs());
        if (!dialog || !app.AnswerFileDialog(dialog, AnsiToWide(path))) return {};
        PumpUntil([&] { return ReadBmp(path).width > 0; }, 20000);
        return ReadBmp(path);
    }

    MediaFolder folder;
    media::BallClip clip{.frames = 12};
};

TEST_F(CommandLine, AClipArgumentOpensOnceTheWindowIsShown) {
    ProgramSession app(Exe(), Quoted(AnsiToWide(folder.WriteClip("clip.avi", clip))));
    ExpectClipPlaying(app);
}

TEST_F(CommandLine, AClipNamedOutsideTheAnsiCodePageOpensToo) {
    const std::wstring name = AnsiToWide(folder.Path()) + L"\\café.avi";
    ASSERT_TRUE(::MoveFileW(AnsiToWide(folder.WriteClip("clip.avi", clip)).c_str(), name.c_str()));
    ProgramSession app(Exe(), Quoted(name));
    ExpectClipPlaying(app);
}

TEST_F(CommandLine, APictureArgumentLoadsTheStillImage) {
    const std::string picture = folder.Write("picture.bmp", SolidBmp(40, 30, {255, 0, 0}));
    ProgramSession app(Exe(), Quoted(AnsiToWide(picture)));
    ASSERT_NE(app.Main(), nullptr);
    // Saved again through 保存, the still image is the picture.
    Picture still = SaveStill(app, folder.File("saved.bmp"));
    ASSERT_EQ(still.width, 40) << WideToUtf8(app.OpenDialogs());
    EXPECT_EQ(still.height, 30);
    EXPECT_EQ(still.At(20, 15), 0xFF0000u);
    EXPECT_EQ(app.Close(), 0u);
}

TEST_F(CommandLine, AMissingClipGivesTheVideoMessageAndTheProgramStaysOpen) {
    ProgramSession app(Exe(), Quoted(AnsiToWide(folder.File("missing.avi"))));
    ASSERT_NE(app.Main(), nullptr);
    HWND message = app.WaitDialog([](HWND w) { return DialogView::Of(w).Shows(L"そのファイルは開けません"); });
    ASSERT_NE(message, nullptr) << WideToUtf8(app.OpenDialogs());
    EXPECT_TRUE(app.Press(message, IDOK));
    EXPECT_EQ(ProgramSession::Text(app.Main()), L"Movetrail");
    EXPECT_EQ(app.Close(), 0u);
}

TEST_F(CommandLine, AMissingPictureNamedInTheCurrentFolderIsReportedByItsFullPath) {
    wchar_t current[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, current);
    std::wstring folder = current;
    if (folder.back() != L'\\') folder += L'\\';
    const std::wstring expected = L"ファイル " + folder + L"no-such-picture.bmp は開けません.";
    ProgramSession app(Exe(), L"no-such-picture.bmp");
    ASSERT_NE(app.Main(), nullptr);
    HWND report = app.WaitDialog([&](HWND w) { return DialogView::Of(w).Shows(expected); });
    ASSERT_NE(report, nullptr) << WideToUtf8(app.OpenDialogs());
    EXPECT_TRUE(app.Press(report, IDOK));
    EXPECT_EQ(app.Close(), 0u);
}

TEST_F(CommandLine, A1080pPhoneClipStepsFrameByFrameAndItsTracedMarkerIsSaved) {
    const MarkerClip& clip = kMarkerClips[std::size(kMarkerClips) - 1];
    ASSERT_EQ(clip.width, 1920);
    if (!FileExists(clip.Path())) GTEST_SKIP() << "not made at build time: " << clip.file;
    if (!OpenMediaFoundationFrames(clip.Path())) GTEST_SKIP() << "no Media Foundation decoder here";
    ProgramSession app(Exe(), Quoted(AnsiToWide(clip.Path())));
    ASSERT_NE(app.Main(), nullptr);
    // The panes start at 320 x 240 and take the clip's fitted size.
    ASSERT_TRUE(PumpUntil([&] {
        SIZE pane = ProgramSession::ClientSize(app.Image1());
        return pane.cx == clip.fittedWidth && pane.cy == clip.fittedHeight;
    }, 30000)) << WideToUtf8(app.OpenDialogs());
    app.Click(app.Button(L"停止"));
    app.Click(app.Button(L"最初のフレーム"));
    // The marker's middle at frames 0, 20 and 40, traced once each.
    const int y = static_cast<int>((clip.FittedTop() + clip.FittedBottom()) / 2);
    std::vector<int> traced;
    for (long frame : {0L, 20L, 40L}) {
        if (frame > 0)
            for (int i = 0; i < 20; ++i) app.Click(app.Button(L"+１フレーム"));
        wchar_t counter[16];
        ::swprintf(counter, 16, L"%05ld / 00090", frame);
        ASSERT_TRUE(app.WaitText(app.Counter(), counter, 20000)) << WideToUtf8(ProgramSession::Text(app.Counter()));
        int x = static_cast<int>((clip.FittedLeft(frame) + clip.FittedRight(frame)) / 2);
        app.Mouse(app.Panel1(), WM_LBUTTONDOWN, MK_LBUTTON, x, y);
        app.Mouse(app.Panel1(), WM_LBUTTONUP, 0, x, y);
        traced.push_back(x);
    }
    Picture still = SaveStill(app, folder.File("trace.bmp"));
    ASSERT_EQ(still.width, clip.fittedWidth) << WideToUtf8(app.OpenDialogs());
    ASSERT_EQ(still.height, clip.fittedHeight);
    auto isMarker = [](std::uint32_t px) {
        return std::abs(int(px >> 16 & 0xFF) - kMarkerColour.r) <= 24 &&
               std::abs(int(px >> 8 & 0xFF) - kMarkerColour.g) <= 24 && std::abs(int(px & 0xFF) - kMarkerColour.b) <= 24;
    };
    for (int x : traced) EXPECT_TRUE(isMarker(still.At(x, y))) << "x " << x << std::hex << " " << still.At(x, y);
    EXPECT_EQ(still.At(traced[0] + 30, y), 0xFFFFFFu) << "nothing traced between";
    EXPECT_EQ(app.Close(), 0u);
}

}  // namespace
}  // namespace mt::test
