// movetrail.exe started with a file on its command line, as "Open with" and
// file associations start it.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/text.h"
#include "common/media.h"
#include "common/program_session.h"
#include "common/pump.h"
#include "e2e/picture_read.h"

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
    const std::string saved = folder.File("saved.bmp");
    app.Click(app.Button(L"保存"));
    HWND dialog = app.WaitFileDialog();
    ASSERT_NE(dialog, nullptr) << WideToUtf8(app.OpenDialogs());
    ASSERT_TRUE(app.AnswerFileDialog(dialog, AnsiToWide(saved)));
    ASSERT_TRUE(PumpUntil([&] { return ReadBmp(saved).width == 40; }, 20000)) << WideToUtf8(app.OpenDialogs());
    Picture still = ReadBmp(saved);
    EXPECT_EQ(still.height, 30);
    EXPECT_EQ(still.At(20, 15), 0xFF0000u);
    EXPECT_EQ(app.Close(), 0u);
}

TEST_F(CommandLine, AMissingClipGivesTheVideoMessageAndTheProgramStaysOpen) {
    ProgramSession app(Exe(), Quoted(AnsiToWide(folder.File("missing.avi"))));
    ASSERT_NE(app.Main(), nullptr);
    HWND message = app.WaitDialog([](HWND w) {
        for (HWND c : Descendants(w))
            if (WindowText(c) == L"そのファイルは開けません") return true;
        return false;
    });
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
    HWND report = app.WaitDialog([&](HWND w) {
        for (HWND c : Descendants(w))
            if (WindowText(c) == expected) return true;
        return false;
    });
    ASSERT_NE(report, nullptr) << WideToUtf8(app.OpenDialogs());
    EXPECT_TRUE(app.Press(report, IDOK));
    EXPECT_EQ(app.Close(), 0u);
}

}  // namespace
}  // namespace mt::test
