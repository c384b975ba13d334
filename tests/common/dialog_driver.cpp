#include "common/dialog_driver.h"

#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <mutex>

#include "base/text.h"
#include "common/pump.h"

namespace mt::test {
namespace {

// The drivers waiting for a window, and the windows taken (marked by this property).
std::recursive_mutex lock;
std::vector<DialogDriver*> drivers;
constexpr wchar_t kTaken[] = L"MovetrailTestDialogTaken";

struct Shown {
    const DialogMatch* match;
    DWORD processId, threadId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectShown(HWND wnd, LPARAM lp) {
    auto* s = reinterpret_cast<Shown*>(lp);
    DWORD processId = 0;
    DWORD threadId = ::GetWindowThreadProcessId(wnd, &processId);
    if (processId == s->processId && (!s->threadId || threadId == s->threadId) && ::IsWindowVisible(wnd) &&
        (*s->match)(wnd))
        s->found.push_back(wnd);
    return TRUE;
}

void Post(HWND dialog, int id) {
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

}  // namespace

bool DialogMatch::operator()(HWND wnd) const {
    return (cls.empty() || ClassName(wnd) == cls) && (caption.empty() || WindowText(wnd) == caption) &&
           (!pred || pred(wnd));
}

DialogMatch FileDialog() {
    return DialogMatch(L"", [](HWND w) { return ::GetDlgItem(w, cmb1) && NameBox(w); });
}

HWND NameBox(HWND dlg) {
    HWND box = ::GetDlgItem(dlg, cmb13);
    return box ? box : ::GetDlgItem(dlg, edt1);
}

std::vector<HWND> ShownWindows(const DialogMatch& match, DWORD processId, DWORD threadId) {
    Shown s{&match, processId, threadId};
    ::EnumWindows(&CollectShown, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

DialogView DialogView::Of(HWND dlg) {
    DialogView v;
    v.dialog = dlg;
    ::GetWindowRect(dlg, &v.rect);
    v.style = ::GetWindowLongW(dlg, GWL_STYLE);
    for (HWND child : Descendants(dlg)) {
        v.texts.push_back(WindowText(child));
        v.classes.push_back(ClassName(child));
        v.styles.push_back(::GetWindowLongW(child, GWL_STYLE));
    }
    HWND types = ::GetDlgItem(dlg, cmb1);
    if (!types || !NameBox(dlg)) return v;
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
    return v;
}

bool DialogView::Shows(const std::wstring& text) const {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

std::wstring Describe(HWND dialog) {
    std::wstring out = L"[" + WindowText(dialog) + L":";
    for (HWND c : Descendants(dialog)) out += L" " + WindowText(c);
    return out + L"]";
}

DialogScript Pressing(int id) {
    return [id](HWND dialog) { Post(dialog, id); };
}

DialogScript Typing(std::wstring name) {
    return [name = std::move(name)](HWND dialog) {
        DWORD_PTR got = 0;
        ::SendMessageTimeoutW(NameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()), SMTO_NORMAL,
                              5000, &got);
        Post(dialog, IDOK);
    };
}

DialogDriver::DialogDriver(DialogMatch match, DialogScript script, DWORD timeoutMs, DWORD threadId)
    : match_(std::move(match)), script_(std::move(script)), timeoutMs_(timeoutMs), threadId_(threadId),
      taken_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)), gone_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    {
        std::lock_guard guard(lock);
        drivers.push_back(this);
    }
    hook_.reset(::SetWindowsHookExW(WH_CBT, &DialogDriver::Hook, nullptr, threadId_));
    thread_.reset(::CreateThread(nullptr, 0, &DialogDriver::Run, this, 0, nullptr));
}

DialogDriver::~DialogDriver() { Wait(); }

bool DialogDriver::Wait() {
    if (thread_) {
        // Keep this thread's windows alive while the driver works.
        const HANDLE thread = thread_.get();
        while (::MsgWaitForMultipleObjects(1, &thread, FALSE, 50, QS_ALLINPUT) != WAIT_OBJECT_0) Pump();
        thread_.reset();
        hook_.reset();
        std::lock_guard guard(lock);
        drivers.erase(std::find(drivers.begin(), drivers.end(), this));
    }
    return answered_;
}

bool DialogDriver::TakenYet() {
    {
        std::lock_guard guard(lock);
        if (!dialog_) expired_ = true;
    }
    ::SetEvent(taken_.get());
    Wait();
    return dialog_ != nullptr;
}

// On the dialog's thread: its activation hands it to the first driver waiting
// for it, its destruction tells that driver it has gone.
LRESULT CALLBACK DialogDriver::Hook(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_ACTIVATE || code == HCBT_DESTROYWND) {
        HWND wnd = reinterpret_cast<HWND>(wp);
        std::lock_guard guard(lock);
        for (DialogDriver* d : drivers) {
            if (d->threadId_ != ::GetCurrentThreadId()) continue;
            if (code == HCBT_DESTROYWND && d->dialog_ == wnd) ::SetEvent(d->gone_.get());
            if (code == HCBT_ACTIVATE && !d->dialog_ && !d->expired_ && !::GetPropW(wnd, kTaken) && d->match_(wnd)) {
                ::SetPropW(wnd, kTaken, reinterpret_cast<HANDLE>(1));
                d->dialog_ = wnd;
                ::SetEvent(d->taken_.get());
            }
        }
    }
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

DWORD WINAPI DialogDriver::Run(void* p) {
    auto* self = static_cast<DialogDriver*>(p);
    ::WaitForSingleObject(self->taken_.get(), self->timeoutMs_);
    {
        std::lock_guard guard(lock);
        self->expired_ = !self->dialog_;
        if (self->expired_) return 0;
    }
    HWND dialog = self->dialog_;
    // Its thread answers once it has finished showing the dialog and waits in its loop.
    DWORD_PTR got = 0;
    ::SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &got);
    self->view = DialogView::Of(dialog);
    self->script_(dialog);
    self->answered_ = true;
    if (::WaitForSingleObject(self->gone_.get(), 3000) == WAIT_OBJECT_0) return 0;
    for (HWND box : ShownWindows(DialogMatch(), ::GetCurrentProcessId(), self->threadId_)) {
        if (box == dialog) continue;
        ++self->strays;
        ::PostMessageW(box, WM_COMMAND, IDNO, 0);
        ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    }
    Post(dialog, IDCANCEL);
    return 0;
}

}  // namespace mt::test
