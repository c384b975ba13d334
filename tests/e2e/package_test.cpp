// The release zip: made by the package target, unpacked into a fresh folder,
// its program starts under Wine with nothing beside it but what the zip holds,
// opens the demo clip from its own folder and exits with code 0.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/text.h"
#include "common/program_session.h"
#include "common/pump.h"
#include "common/unix_shell.h"
#include "e2e/picture_read.h"

namespace mt::test {
namespace {

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (wcscmp(fd.cFileName, L".") && wcscmp(fd.cFileName, L"..")) names.push_back(fd.cFileName);
    } while (::FindNextFileW(find, &fd));
    ::FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ReleasePackage, UnpacksIntoAFolderWhoseProgramStartsAndOpensTheDemoClip) {
    const std::string build = UnixPath(BuildFolder());
    ASSERT_FALSE(build.empty()) << "the build folder is not on Wine's Z: drive";
    const std::string unpacked = build + "/package-check";
    const std::string zip = build + "/Movetrail-1.0.0-win32.zip";
    ASSERT_EQ(RunUnix("cmake --build '" + build + "' --target package >'" + build + "/package-check.log' 2>&1 && rm -rf '" +
                          unpacked + "' && mkdir '" + unpacked + "' && cd '" + unpacked + "' && unzip -q '" + zip + "'",
                      build + "/package-check.status", 600000),
              0)
        << "see " << build << "/package-check.log";

    const std::wstring folder = L"Z:" + AnsiToWide(unpacked) + L"\\Movetrail-1.0.0-win32";
    std::wstring listed;
    for (const auto& name : FilesIn(folder)) listed += name + L" ";
    EXPECT_EQ(listed, L"demo.avi movetrail.exe quickstart-en.txt quickstart-ja.txt ");

    ProgramSession app(folder + L"\\movetrail.exe");
    ASSERT_NE(app.Main(), nullptr) << "the unpacked program shows no window";
    EXPECT_EQ(ProgramSession::Text(app.Main()), L"Movetrail");
    app.Click(app.Button(L"動画読込"));
    HWND dlg = app.WaitFileDialog();
    ASSERT_NE(dlg, nullptr);
    ASSERT_TRUE(app.AnswerFileDialog(dlg, L"demo.avi"));
    EXPECT_TRUE(PumpUntil([&] { return ProgramSession::ClientSize(app.Image1()).cx == 160; }, 30000))
        << "the demo clip beside the program does not open" << WideToUtf8(app.OpenDialogs());
    EXPECT_TRUE(app.WaitText(app.Counter(), [](const std::wstring& t) { return t.find(L" / 00036") != std::wstring::npos; },
                             20000));
    EXPECT_EQ(app.Close(), 0u);
}

}  // namespace
}  // namespace mt::test
