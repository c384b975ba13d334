#include "dialog_session.h"

#include <commctrl.h>
#include <dlgs.h>

#include "base/bitmap.h"
#include "base/handles.h"
#include "base/text.h"
#include "common/media.h"
#include "imagefiles/jpeg_image.h"

namespace mt::test {

DialogRun RunDialog(const std::function<bool()>& show, const std::function<void(HWND)>& script) {
    DialogDriver driver(FileDialog(), script);
    DialogRun run;
    run.result = show();
    run.seen = driver.Wait();
    run.strayBoxes = driver.strays;
    return run;
}

HWND FindDescendant(HWND parent, const std::wstring& className) {
    for (HWND wnd : Descendants(parent))
        if (ClassName(wnd) == className) return wnd;
    return nullptr;
}

namespace {
HWND FileList(HWND dialog) { return FindDescendant(dialog, L"SysListView32"); }

// The list's index of a name (or its stem, when extensions are hidden),
// waiting for the dialog to list it; -1 when it never does.
int ListIndex(HWND list, const std::wstring& name) {
    std::wstring stem = name.substr(0, name.rfind(L'.'));
    int found = -1;
    PumpUntil([&] {
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
