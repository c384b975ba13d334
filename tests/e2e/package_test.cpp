// The release zip: made by the package target, unpacked into a fresh folder,
// its program starts under Wine with nothing beside it but what the zip holds,
// opens the demo clip from its own folder and exits with code 0.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/text.h"
#include "common/program_session.h"
#include "common/pump.h"
#include "e2e/picture_read.h"

namespace mt::test {
namespace {

// The Unix path of a folder on Wine's Z: drive; empty for any other.
std::string UnixPath(const std::wstring& windows) {
    if (windows.size() < 3 || (windows[0] != L'Z' && windows[0] != L'z') || windows[1] != L':') return "";
    std::string out;
    for (wchar_t c : windows.substr(2)) out.push_back(c == L'\\' ? '/' : static_cast<char>(c));
    return out;
}

// Runs a Unix shell script to its end (Wine starts Unix programs itself); its
// exit status, or -1 when it did not finish within the bound.
int RunUnix(const std::string& script, const std::string& statusFile) {
    const std::wstring status = L"Z:" + AnsiToWide(statusFile);
    ::DeleteFileW(status.c_str());
    std::string line = "/bin/sh -c \"(" + script + "); echo $? > '" + statusFile + ".part' && mv '" + statusFile +
                       ".part' '" + statusFile + "'\"";
    std::wstring wline = AnsiToWide(line);
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(L"Z:\\bin\\sh", wline.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    if (!PumpUntil([&] { return ::GetFileAttributesW(status.c_str()) != INVALID_FILE_ATTRIBUTES; }, 600000)) return -1;
    std::vector<std::uint8_t> bytes = FileBytes(WideToAnsi(status));
    return std::atoi(std::string(bytes.begin(), bytes.end()).c_str());
}

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
                      build + "/package-check.status"),
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
