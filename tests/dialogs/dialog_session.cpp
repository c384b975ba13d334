#include "dialog_session.h"

#include <commctrl.h>
#include <dlgs.h>

#include "base/bitmap.h"
#include "base/handles.h"
#include "base/text.h"
#include "common/file_dialog_driver.h"
#include "common/media.h"
#include "common/pump.h"
#include "imagefiles/jpeg_image.h"

namespace mt::test {
namespace {

struct Session {
    DWORD threadId;
    const std::function<void(HWND)>* script;
    DialogRun* run;
};

HWND FileList(HWND dialog) { return FindDescendant(dialog, L"SysListView32"); }

// Message boxes (or any other dialog) of the thread besides the file dialog.
struct StraySearch {
    DWORD threadId;
    HWND fileDialog;
    std::vector<HWND> found;
};
BOOL CALLBACK FindStray(HWND wnd, LPARAM lp) {
    auto* s = reinterpret_cast<StraySearch*>(lp);
    if (wnd != s->fileDialog && ::IsWindowVisible(wnd) && ClassName(wnd) == L"#32770") s->found.push_back(wnd);
    return TRUE;
}

DWORD WINAPI RunScript(void* p) {
    auto* s = static_cast<Session*>(p);
    HWND dialog = nullptr;
    if (!WaitUntil([&] { return (dialog = FindFileDialog(s->threadId)) != nullptr; }, 20000)) return 0;
    s->run->seen = true;
    // The list is filled once the dialog has initialised.
    WaitUntil([&] {
        HWND list = FileList(dialog);
        return list && ::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) > 0;
    }, 10000);
    (*s->script)(dialog);
    // Whatever the script left open is closed, so the run always returns.
    if (!WaitUntil([&] { return !::IsWindow(dialog); }, 3000)) {
        StraySearch stray{s->threadId, dialog};
        ::EnumThreadWindows(s->threadId, &FindStray, reinterpret_cast<LPARAM>(&stray));
        for (HWND box : stray.found) {
            ++s->run->strayBoxes;
            ::PostMessageW(box, WM_COMMAND, IDNO, 0);
            ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
        }
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
    return 0;
}

}  // namespace

DialogRun RunDialog(const std::function<bool()>& show, const std::function<void(HWND)>& script) {
    DialogRun run;
    Session session{::GetCurrentThreadId(), &script, &run};
    HANDLE thread = ::CreateThread(nullptr, 0, &RunScript, &session, 0, nullptr);
    run.result = show();
    while (::MsgWaitForMultipleObjects(1, &thread, FALSE, 50, QS_ALLINPUT) != WAIT_OBJECT_0) Pump();
    ::CloseHandle(thread);
    return run;
}

bool WaitUntil(const std::function<bool()>& cond, DWORD timeoutMs) {
    DWORD start = ::GetTickCount();
    while (!cond()) {
        if (::GetTickCount() - start > timeoutMs) return false;
        ::Sleep(20);  // polling from the script's thread; the dialog's thread runs freely
    }
    return true;
}

HWND FindDescendant(HWND parent, const std::wstring& className) {
    for (HWND wnd : Descendants(parent))
        if (ClassName(wnd) == className) return wnd;
    return nullptr;
}

namespace {
// The list's index of a name (or its stem, when extensions are hidden),
// waiting for the dialog to list it; -1 when it never does.
int ListIndex(HWND list, const std::wstring& name) {
    std::wstring stem = name.substr(0, name.rfind(L'.'));
    int found = -1;
    WaitUntil([&] {
        int n = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < n && found < 0; ++i) {
            wchar_t text[MAX_PATH] = {};
            LVITEMW item{};
            item.iSubItem = 0;
            item.pszText = text;
            item.cchTextMax = MAX_PATH;
            ::SendMessageW(list, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
            if (_wcsicmp(text, name.c_str()) == 0 || _wcsicmp(text, stem.c_str()) == 0) found = i;
        }
        return found >= 0;
    }, 5000);
    return found;
}
}  // namespace

bool WaitListed(HWND dialog, const std::wstring& name) {
    HWND list = FileList(dialog);
    return list && ListIndex(list, name) >= 0;
}

bool SelectInList(HWND dialog, const std::wstring& name) {
    HWND list = FileList(dialog);
    if (!list) return false;
    int found = ListIndex(list, name);
    if (found < 0) return false;
    LVITEMW clear{};
    clear.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
    LVITEMW select{};
    select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    select.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list, LVM_SETITEMSTATE, found, reinterpret_cast<LPARAM>(&select));
    return true;
}

void TypeAndConfirm(HWND dialog, const std::wstring& text) {
    HWND box = ::GetDlgItem(dialog, cmb13);
    if (!box) box = ::GetDlgItem(dialog, edt1);
    ::SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
}

namespace {
struct CaptionSearch {
    const std::wstring* caption;
    HWND found = nullptr;
};
BOOL CALLBACK FindCaption(HWND wnd, LPARAM lp) {
    auto* s = reinterpret_cast<CaptionSearch*>(lp);
    if (::IsWindowVisible(wnd) && WindowText(wnd) == *s->caption) {
        s->found = wnd;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

HWND WaitForThreadWindow(DWORD threadId, const std::wstring& caption, DWORD timeoutMs) {
    CaptionSearch s{&caption};
    WaitUntil([&] {
        ::EnumThreadWindows(threadId, &FindCaption, reinterpret_cast<LPARAM>(&s));
        return s.found != nullptr;
    }, timeoutMs);
    return s.found;
}

std::uint32_t Rgb(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

bool Near(std::uint32_t rgb, std::uint32_t expected, int tolerance) {
    for (int shift = 0; shift < 24; shift += 8) {
        int a = static_cast<int>((rgb >> shift) & 0xFF), b = static_cast<int>((expected >> shift) & 0xFF);
        if (a - b > tolerance || b - a > tolerance) return false;
    }
    return true;
}

Capture CaptureClient(HWND wnd) {
    Capture c;
    RECT r{};
    if (!wnd || !::GetClientRect(wnd, &r)) return c;
    c.width = r.right;
    c.height = r.bottom;
    if (c.width <= 0 || c.height <= 0) return c;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), c.width, -c.height, 1, 32, BI_RGB};
    void* bits = nullptr;
    WindowDC source(wnd);
    OwnedBitmap dib(::CreateDIBSection(source.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    OwnedMemDC mem(::CreateCompatibleDC(source.get()));
    {
        SelectGuard sel(mem.get(), dib.get());
        ::BitBlt(mem.get(), 0, 0, c.width, c.height, source.get(), 0, 0, SRCCOPY);
        ::GdiFlush();
    }
    auto* p = static_cast<const std::uint32_t*>(bits);
    c.pixels.assign(p, p + static_cast<size_t>(c.width) * c.height);
    for (auto& px : c.pixels) px &= 0xFFFFFF;
    return c;
}

void WriteText(const std::string& path, const std::string& bytes) {
    OwnedFile f(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ::WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void WriteBmp(const std::string& path, int width, int height, std::uint32_t left, std::uint32_t right) {
    std::vector<std::uint8_t> b = HalvesBmp(width, height, left, right);
    WriteText(path, std::string(b.begin(), b.end()));
}

void WriteJpeg(const std::string& path, int width, int height, std::uint32_t left, std::uint32_t right) {
    TBitmap picture = TBitmap::CreateWhiteScreenCompatible(width, height);
    auto brush = [](std::uint32_t c) { return OwnedBrush(::CreateSolidBrush(RGB(c >> 16, (c >> 8) & 0xFF, c & 0xFF))); };
    OwnedBrush l = brush(left), r = brush(right);
    RECT lr{0, 0, width / 2, height}, rr{width / 2, 0, width, height};
    ::FillRect(picture.Canvas(), &lr, l.get());
    ::FillRect(picture.Canvas(), &rr, r.get());
    picture.ReleaseCanvas();
    TJPEGImage jpeg;
    jpeg.Assign(&picture);
    jpeg.Compress();
    jpeg.SaveToFile(path);
}

void PictureDialogTest::SetUp() {
    FormTest::SetUp();
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    folder = std::string(temp) + "mt_dialogs_" + std::to_string(::GetCurrentProcessId()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name();
    ::CreateDirectoryA(folder.c_str(), nullptr);
    form->OpenPictureDialog1->InitialDir = folder;
    form->SavePictureDialog1->InitialDir = folder;
}

void PictureDialogTest::TearDown() {
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..") continue;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ::RemoveDirectoryA(Path(name).c_str());
            else ::DeleteFileA(Path(name).c_str());
        } while (::FindNextFileA(h, &fd));
        ::FindClose(h);
    }
    ::RemoveDirectoryA(folder.c_str());
    FormTest::TearDown();
}

}  // namespace mt::test
