// The program started as its own process: its window, and its exit code on close.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "common/pump.h"

using namespace mt::test;

namespace {

std::wstring ProgramPath() {
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    path.resize(path.find_last_of(L'\\'));  // .../tests
    path.resize(path.find_last_of(L'\\'));  // the build folder
    return path + L"\\movetrail.exe";
}

struct FindData {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindMainWindow(HWND wnd, LPARAM lp) {
    auto* d = reinterpret_cast<FindData*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(wnd, &pid);
    if (pid == d->pid && ClassName(wnd) == L"TForm1" && ::IsWindowVisible(wnd)) {
        d->found = wnd;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

TEST(StartUp, ShowsTheMainWindowAndExitsWithCodeZeroWhenClosed) {
    std::wstring exe = ProgramPath();
    ASSERT_NE(::GetFileAttributesW(exe.c_str()), INVALID_FILE_ATTRIBUTES) << "movetrail.exe not built";
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    std::wstring cmd = L"\"" + exe + L"\"";
    ASSERT_TRUE(::CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    FindData data{pi.dwProcessId, nullptr};
    bool shown = PumpUntil(
        [&] {
            ::EnumWindows(&FindMainWindow, reinterpret_cast<LPARAM>(&data));
            return data.found != nullptr;
        },
        30000);
    EXPECT_TRUE(shown);
    if (shown) {
        EXPECT_EQ(WindowText(data.found), L"Movetrail");
        RECT client;
        ::GetClientRect(data.found, &client);
        EXPECT_EQ(client.right, 680);
        EXPECT_EQ(client.bottom, 366);
        ::PostMessageW(data.found, WM_CLOSE, 0, 0);
    } else {
        ::TerminateProcess(pi.hProcess, 99);
    }
    ASSERT_EQ(::WaitForSingleObject(pi.hProcess, 30000), WAIT_OBJECT_0);
    DWORD code = 1234;
    ::GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(code, 0u);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
}
