#include "app/file_dialog.h"

#include <commdlg.h>

#include <vector>

#include "app/application.h"
#include "app/text.h"

namespace mt {

bool TOpenDialog::Execute(HWND owner) {
    std::string filter = WideToAnsi(Filter);
    for (char& c : filter)
        if (c == '|') c = '\0';
    filter.push_back('\0');
    std::vector<char> name(MAX_PATH, '\0');
    FileName.copy(name.data(), name.size() - 1);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(FilterIndex);
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.lpstrInitialDir = InitialDir.empty() ? nullptr : InitialDir.c_str();
    ofn.lpstrDefExt = DefaultExt.empty() ? nullptr : DefaultExt.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING;
    BOOL ok;
    {
        TaskModalScope modal;
        ok = ::GetOpenFileNameA(&ofn);
    }
    if (ok) {
        FileName = name.data();
        FilterIndex = static_cast<int>(ofn.nFilterIndex);
    }
    if (OnClose) OnClose();
    return ok != FALSE;
}

}  // namespace mt
