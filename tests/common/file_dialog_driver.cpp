#include "common/file_dialog_driver.h"

#include <commdlg.h>
#include <dlgs.h>

#include "base/text.h"
#include "common/pump.h"

namespace mt::test {
namespace {

struct Search {
    DWORD threadId;
    HWND found = nullptr;
};

BOOL CALLBACK FindIn(HWND wnd, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    if (::GetWindowThreadProcessId(wnd, nullptr) == s->threadId && ClassName(wnd) == L"#32770" &&
        ::IsWindowVisible(wnd) && ::GetDlgItem(wnd, cmb1)) {
        s->found = wnd;
        return FALSE;
    }
    return TRUE;
}

HWND NameBox(HWND dlg) {
    HWND box = ::GetDlgItem(dlg, cmb13);
    return box ? box : ::GetDlgItem(dlg, edt1);
}

}  // namespace

HWND FindFileDialog(DWORD threadId) {
    Search s{threadId};
    ::EnumWindows(&FindIn, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

FileDialogDriver::FileDialogDriver(std::wstring name, bool confirm, DWORD timeoutMs)
    : name_(std::move(name)), confirm_(confirm), timeoutMs_(timeoutMs), thread_id_(::GetCurrentThreadId()) {
    thread_ = ::CreateThread(nullptr, 0, &FileDialogDriver::Run, this, 0, nullptr);
}

FileDialogDriver::~FileDialogDriver() { Wait(); }

bool FileDialogDriver::Wait() {
    if (thread_) {
        while (::MsgWaitForMultipleObjects(1, &thread_, FALSE, 50, QS_ALLINPUT) != WAIT_OBJECT_0) Pump();
        ::CloseHandle(thread_);
        thread_ = nullptr;
    }
    return seen_;
}

DWORD WINAPI FileDialogDriver::Run(void* p) {
    auto* self = static_cast<FileDialogDriver*>(p);
    DWORD start = ::GetTickCount();
    HWND dlg = nullptr;
    while (!dlg && ::GetTickCount() - start < self->timeoutMs_) {
        dlg = FindFileDialog(self->thread_id_);
        if (!dlg) ::Sleep(20);
    }
    if (!dlg) return 0;
    ::Sleep(300);  // the dialog finishes initialising and fills its lists
    FileDialogView& v = self->view;
    v.dialog = dlg;
    ::GetWindowRect(dlg, &v.rect);
    v.style = ::GetWindowLongW(dlg, GWL_STYLE);
    HWND types = ::GetDlgItem(dlg, cmb1);
    int n = static_cast<int>(::SendMessageW(types, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        wchar_t text[512] = {};
        ::SendMessageW(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        v.filters.push_back(text);
    }
    v.filterSelected = static_cast<int>(::SendMessageW(types, CB_GETCURSEL, 0, 0));
    v.fileName = WindowText(NameBox(dlg));
    char folder[MAX_PATH * 2] = {};  // the dialog answers in its own (ANSI) character set
    ::SendMessageA(dlg, CDM_GETFOLDERPATH, sizeof folder, reinterpret_cast<LPARAM>(folder));
    v.folder = AnsiToWide(folder);
    HWND readOnly = ::GetDlgItem(dlg, chx1);
    v.readOnlyBoxVisible = readOnly && ::IsWindowVisible(readOnly);
    if (self->confirm_) {
        ::SendMessageW(NameBox(dlg), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(self->name_.c_str()));
        ::PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dlg, IDOK)));
    } else {
        ::PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dlg, IDCANCEL)));
    }
    self->seen_ = true;
    return 0;
}

}  // namespace mt::test
