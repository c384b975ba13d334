#include "common/program_session.h"

#define PSAPI_VERSION 2
#include <psapi.h>

#include <winternl.h>

#include <algorithm>
#include <cstring>

namespace mt::test {

std::wstring BuildFolder() {
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    path.resize(path.find_last_of(L'\\'));  // ...\tests
    path.resize(path.find_last_of(L'\\'));
    return path;
}

ProgramSession::ProgramSession(const std::wstring& exe, const std::wstring& arguments) {
    STARTUPINFOW si{sizeof si};
    std::wstring cmd = L"\"" + exe + L"\"";
    if (!arguments.empty()) cmd += L" " + arguments;
    if (!::CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_)) return;
    main_ = WaitShown(DialogMatch(L"", nullptr, L"TForm1"), 60000);
}

ProgramSession::ProgramSession(InThisProcess, DWORD ms) : inThisProcess_(true) {
    pi_.dwProcessId = ::GetCurrentProcessId();
    main_ = WaitShown(DialogMatch(L"", nullptr, L"TForm1"), ms);
}

ProgramSession::~ProgramSession() {
    if (pi_.hProcess) {
        if (::WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(pi_.hProcess, 99);
            ::WaitForSingleObject(pi_.hProcess, 30000);
        }
        ::CloseHandle(pi_.hProcess);
    }
    if (pi_.hThread) ::CloseHandle(pi_.hThread);
}

HWND ProgramSession::Button(const std::wstring& caption) const {
    return main_ ? ::FindWindowExW(main_, nullptr, L"Button", caption.c_str()) : nullptr;
}

HWND ProgramSession::Child(HWND parent, const wchar_t* cls, int left, int top) const {
    if (!parent) return nullptr;
    for (HWND c = ::GetWindow(parent, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        RECT r;
        ::GetWindowRect(c, &r);
        ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
        if (r.left == left && r.top == top && ClassName(c) == cls) return c;
    }
    return nullptr;
}

HWND ProgramSession::Counter() const {
    HWND panel3 = Child(main_, L"TPanel", 88, 8);
    for (HWND c = panel3 ? ::GetWindow(panel3, GW_CHILD) : nullptr; c; c = ::GetWindow(c, GW_HWNDNEXT))
        if (ClassName(c) == L"TLabel" && Text(c) != L"フレーム") return c;
    return nullptr;
}

void ProgramSession::Click(HWND button) const {
    ::PostMessageW(::GetParent(button), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
}

void ProgramSession::ClickSpeedButton(HWND button) const {
    Mouse(button, WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
    Mouse(button, WM_LBUTTONUP, 0, 5, 5);
}

void ProgramSession::Mouse(HWND wnd, UINT msg, WPARAM keys, int x, int y) const {
    ::PostMessageW(wnd, msg, keys, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
}

bool ProgramSession::WaitText(HWND wnd, const std::function<bool(const std::wstring&)>& cond, DWORD ms) {
    return PumpUntil([&] { return cond(Text(wnd)); }, ms);
}

bool ProgramSession::WaitText(HWND wnd, const std::wstring& expected, DWORD ms) {
    return WaitText(wnd, [&](const std::wstring& t) { return t == expected; }, ms);
}

SIZE ProgramSession::ClientSize(HWND wnd) {
    RECT r{};
    ::GetClientRect(wnd, &r);
    return {r.right, r.bottom};
}

HWND ProgramSession::WaitShown(const DialogMatch& match, DWORD ms) const {
    std::vector<HWND> found;
    PumpUntil([&] { return !(found = ShownWindows(match, pi_.dwProcessId)).empty(); }, ms);
    return found.empty() ? nullptr : found.front();
}

HWND ProgramSession::WaitDialog(const std::function<bool(HWND)>& pred, DWORD ms) const {
    return WaitShown(DialogMatch(L"", pred), ms);
}

HWND ProgramSession::WaitFileDialog(DWORD ms) const { return WaitShown(FileDialog(), ms); }

bool ProgramSession::Answer(HWND dialog, const DialogScript& script, DWORD ms) const {
    script(dialog);
    return PumpUntil([&] { return !::IsWindow(dialog) || !::IsWindowVisible(dialog); }, ms);
}

bool ProgramSession::Press(HWND dialog, int id, DWORD ms) const { return Answer(dialog, Pressing(id), ms); }

bool ProgramSession::AnswerFileDialog(HWND dialog, const std::wstring& name) const {
    return Answer(dialog, Typing(name), 20000);
}

std::wstring ProgramSession::OpenDialogs() const {
    std::wstring out;
    for (HWND dialog : ShownWindows(DialogMatch(), pi_.dwProcessId)) out += Describe(dialog);
    return out;
}

DWORD ProgramSession::Close(DWORD ms) {
    if (!pi_.hProcess) return ~0u;
    if (main_) ::PostMessageW(main_, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(pi_.hProcess, ms) != WAIT_OBJECT_0) return ~0u;
    DWORD code = ~0u;
    ::GetExitCodeProcess(pi_.hProcess, &code);
    return code;
}

namespace {

// Wine answers GetGuiResources with 0. There the GDI objects are counted in the
// process's handle table, which its PEB names (GdiSharedHandleTable, at 0x94 in
// a 32-bit PEB): 24-byte entries; a used one has a type, a stock one has the top
// bit of its first unique byte set. Only this process's own table is read
// (another's cannot be read where Wine runs under an emulator); 0 when there is
// none.
DWORD CountOwnGdiTable() {
    // The PEB's address is at fs:[0x30] in a 32-bit thread.
    const unsigned char* peb = nullptr;
    asm volatile("movl %%fs:0x30, %0" : "=r"(peb));
    ULONG_PTR table = 0;
    std::memcpy(&table, peb + 0x94, sizeof table);
    MEMORY_BASIC_INFORMATION region{};
    if (!table || !::VirtualQuery(reinterpret_cast<void*>(table), &region, sizeof region) ||
        region.State != MEM_COMMIT)
        return 0;
    struct Entry {
        unsigned char object[8];
        ULONG owner;
        unsigned char extType, generation, type, flags;
        unsigned char user[8];
    };
    static_assert(sizeof(Entry) == 24);
    const size_t available = region.RegionSize - (table - reinterpret_cast<ULONG_PTR>(region.BaseAddress));
    const auto* entries = reinterpret_cast<const Entry*>(table);
    DWORD used = 0;
    for (size_t i = 0; i < std::min<size_t>(0x10000, available / sizeof(Entry)); ++i)
        if (entries[i].type && !(entries[i].extType & 0x80)) ++used;
    return used;
}

struct WindowCount {
    DWORD pid;
    DWORD count = 0;
};

BOOL CALLBACK CountChild(HWND wnd, LPARAM lp) {
    auto* c = reinterpret_cast<WindowCount*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(wnd, &pid);
    if (pid == c->pid) ++c->count;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND wnd, LPARAM lp) {
    auto* c = reinterpret_cast<WindowCount*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(wnd, &pid);
    if (pid == c->pid) {
        ++c->count;
        ::EnumChildWindows(wnd, &CountChild, lp);
    }
    return TRUE;
}

}  // namespace

HANDLE ProgramSession::Process() const noexcept { return inThisProcess_ ? ::GetCurrentProcess() : pi_.hProcess; }

DWORD ProgramSession::GdiObjects() const {
    if (DWORD n = ::GetGuiResources(Process(), GR_GDIOBJECTS)) return n;
    return inThisProcess_ ? CountOwnGdiTable() : 0;
}

DWORD ProgramSession::UserObjects() const {
    if (DWORD n = ::GetGuiResources(Process(), GR_USEROBJECTS)) return n;
    WindowCount c{pi_.dwProcessId};
    ::EnumWindows(&CountTopLevel, reinterpret_cast<LPARAM>(&c));
    for (HWND w = ::FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); w;
         w = ::FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr))
        CountTopLevel(w, reinterpret_cast<LPARAM>(&c));
    return c.count;
}

SIZE_T ProgramSession::PrivateBytes() const {
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof pmc;
    if (!::K32GetProcessMemoryInfo(Process(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc)) return 0;
    return pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage;
}

}  // namespace mt::test
