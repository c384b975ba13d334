#include "base/file_dialog.h"

#include "base/application.h"
#include "base/failure.h"
#include "base/paths.h"
#include "base/text.h"

namespace mt {
namespace {
constexpr size_t kNameChars = 260;         // the longest name offered or taken
constexpr WPARAM kCurrentPathChars = 261;  // room asked of CDM_GETFILEPATH
constexpr wchar_t kSelfProp[] = L"Movetrail.TOpenDialog";

// The component behind a hooked window; WM_INITDIALOG brings it in lCustData.
TOpenDialog* Attach(HWND wnd, LPARAM initParam) {
    auto* self = reinterpret_cast<TOpenDialog*>(reinterpret_cast<OPENFILENAMEA*>(initParam)->lCustData);
    ::SetPropW(wnd, kSelfProp, self);
    return self;
}
TOpenDialog* Attached(HWND wnd) { return static_cast<TOpenDialog*>(::GetPropW(wnd, kSelfProp)); }
}  // namespace

bool NewStyleDialogs() { return LOBYTE(LOWORD(::GetVersion())) > 3; }

std::string TOpenDialog::SystemFilter(const std::wstring& filter) {
    // Split on the wide text: in the ANSI code page a "|" byte can be the second
    // byte of a double-byte character.
    std::wstring split = filter;
    for (wchar_t& c : split)
        if (c == L'|') c = L'\0';
    split.push_back(L'\0');
    return WideToAnsi(split);
}

std::string TOpenDialog::TrimmedFolder(const std::string& folder) {
    if (folder.size() > 1 && folder.back() == '\\' && folder[folder.size() - 2] != ':')
        return folder.substr(0, folder.size() - 1);
    return folder;
}

DWORD TOpenDialog::SystemFlags() const {
    DWORD flags = OFN_ENABLEHOOK | Options;
    if (NewStyleDialogs()) flags |= OFN_EXPLORER;
    if (!Template.empty()) flags |= OFN_ENABLETEMPLATE;
    return flags;
}

bool TOpenDialog::Execute(HWND owner) {
    Files.clear();
    explorer_ = NewStyleDialogs();
    std::string filter = SystemFilter(Filter);
    std::vector<char> name(kNameChars + 2, '\0');
    FileName.copy(name.data(), kNameChars);
    std::string folder = TrimmedFolder(InitialDir);
    std::string title = WideToAnsi(Title);
    std::string defaultExt = DefaultExt;
    if (defaultExt.empty() && !explorer_) {
        std::string ext = ExtensionOf(FileName);
        if (!ext.empty()) defaultExt = ext.substr(1);
    }

    OPENFILENAMEA ofn{};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;  // 76 bytes: without the later fields
    ofn.hwndOwner = owner;
    ofn.hInstance = Application.Instance();
    ofn.lpstrFilter = Filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(FilterIndex);
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
    ofn.Flags = SystemFlags();
    ofn.lpstrDefExt = defaultExt.empty() ? nullptr : defaultExt.c_str();
    ofn.lCustData = reinterpret_cast<LPARAM>(this);
    ofn.lpfnHook = explorer_ ? &TOpenDialog::ExplorerHook : &TOpenDialog::ClassicHook;
    ofn.lpTemplateName = Template.empty() ? nullptr : Template.c_str();

    BOOL ok;
    {
        TaskModalScope modal;
        ok = RunSystemDialog(ofn);
    }
    dialog_ = nullptr;
    if (!ok) return false;
    FileName = name.data();
    Files.push_back(FileName);
    constexpr DWORD kReturned = OFN_EXTENSIONDIFFERENT | OFN_READONLY;
    Options = (Options & ~kReturned) | (ofn.Flags & kReturned);
    FilterIndex = static_cast<int>(ofn.nFilterIndex);
    return true;
}

BOOL TOpenDialog::RunSystemDialog(OPENFILENAMEA& ofn) { return ::GetOpenFileNameA(&ofn); }

std::string TOpenDialog::CurrentFileName() const {
    if (!dialog_) return FileName;
    char path[kCurrentPathChars] = {};
    ::SendMessageA(dialog_, CDM_GETFILEPATH, kCurrentPathChars, reinterpret_cast<LPARAM>(path));
    return path;
}

void TOpenDialog::DoShow() {
    if (OnShow) OnShow();
}
void TOpenDialog::DoSelectionChange() {
    if (OnSelectionChange) OnSelectionChange();
}
void TOpenDialog::DoClose() {
    if (OnClose) OnClose();
}

UINT_PTR TOpenDialog::Notice(HWND hookWnd, const OFNOTIFYA& notice) {
    switch (notice.hdr.code) {
    case CDN_INITDONE:
        DoShow();
        PlaceSystemDialog(dialog_);
        break;
    case CDN_SELCHANGE:
        DoSelectionChange();
        break;
    case CDN_FOLDERCHANGE:
        if (OnFolderChange) OnFolderChange();
        break;
    case CDN_TYPECHANGE:
        if (notice.lpOFN && static_cast<int>(notice.lpOFN->nFilterIndex) != FilterIndex) {
            FilterIndex = static_cast<int>(notice.lpOFN->nFilterIndex);
            if (OnTypeChange) OnTypeChange();
        }
        break;
    case CDN_FILEOK: {
        FileName = CurrentFileName();
        bool canClose = OnCanClose ? OnCanClose() : true;
        if (!canClose) {
            ::SetWindowLongPtrA(hookWnd, DWLP_MSGRESULT, 1);  // refuse the OK: the dialog stays open
            return 1;
        }
        break;
    }
    }
    return 0;
}

// The hook of the Explorer-style dialog: it is the dialog procedure of a child
// of the dialog window.
UINT_PTR CALLBACK TOpenDialog::ExplorerHook(HWND wnd, UINT msg, WPARAM, LPARAM lp) {
    UINT_PTR result = 0;
    Guarded([&] {
        if (msg == WM_INITDIALOG) {
            Attach(wnd, lp)->dialog_ = ::GetParent(wnd);
            return;
        }
        TOpenDialog* self = Attached(wnd);
        if (!self) return;
        if (msg == WM_NOTIFY) {
            result = self->Notice(wnd, *reinterpret_cast<const OFNOTIFYA*>(lp));
        } else if (msg == WM_DESTROY) {
            ::RemovePropW(wnd, kSelfProp);
            self->DoClose();
        }
    });
    return result;
}

// The hook of the old-style dialog, which is the dialog window itself.
UINT_PTR CALLBACK TOpenDialog::ClassicHook(HWND wnd, UINT msg, WPARAM, LPARAM lp) {
    Guarded([&] {
        if (msg == WM_INITDIALOG) {
            TOpenDialog* self = Attach(wnd, lp);
            self->dialog_ = wnd;
            self->DoShow();
            PlaceSystemDialog(wnd);
        } else if (msg == WM_DESTROY) {
            if (TOpenDialog* self = Attached(wnd)) {
                ::RemovePropW(wnd, kSelfProp);
                self->DoClose();
            }
        }
    });
    return 0;
}

}  // namespace mt
