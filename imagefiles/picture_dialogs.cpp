#include "imagefiles/picture_dialogs.h"

#include <dlgs.h>

#include "base/application.h"
#include "base/file_exists.h"
#include "base/format.h"
#include "imagefiles/preview_column.h"
#include "imagefiles/preview_form.h"

namespace mt {
namespace {
constexpr char kTemplateName[] = "DLGTEMPLATE";

// The template window: the child of the dialog that holds the placeholder control.
HWND TemplateWindowOf(HWND dialog) {
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (::GetDlgItem(child, stc32)) return child;
    return nullptr;
}

bool IsPreviewableFile(const std::string& path) {
    return !path.empty() && FileExists(path) && ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
}  // namespace

TOpenPictureDialog::TOpenPictureDialog() = default;
TOpenPictureDialog::~TOpenPictureDialog() = default;

bool TOpenPictureDialog::Execute(HWND owner) {
    Template = NewStyleDialogs() ? kTemplateName : "";
    return TOpenDialog::Execute(owner);
}

// Runs when the dialog has initialised: the preview column goes right of the
// standard controls.
void TOpenPictureDialog::DoShow() {
    column_.reset();
    if (HWND templateWindow = TemplateWindowOf(Handle())) {
        column_ = std::make_unique<TPreviewColumn>(templateWindow, picture_);
        picture_.Clear();
        column_->SetState(labelText_, buttonEnabled_);
        column_->PreviewButton->OnClick = [this] { PreviewClick(); };
        column_->PaintBox->OnDblClick = [this] { PreviewClick(); };
    } else {
        picture_.Clear();
    }
    TOpenDialog::DoShow();
}

// Runs when the selection in the dialog's list changes.
void TOpenPictureDialog::DoSelectionChange() {
    ShowSelection();
    TOpenDialog::DoSelectionChange();
}

void TOpenPictureDialog::ShowSelection() {
    std::string path = CurrentFileName();
    bool valid = IsPreviewableFile(path);
    if (valid) {
        try {
            picture_.LoadFromFile(path);
            labelText_ = Format(L" (%dx%d)", {static_cast<long long>(picture_.Width()),
                                              static_cast<long long>(picture_.Height())});
            buttonEnabled_ = true;
        } catch (...) {
            valid = false;  // a file that cannot be previewed is no message
        }
    }
    if (!valid) {
        labelText_ = L"画像:";
        buttonEnabled_ = false;
        picture_.Clear();
    }
    if (column_) {
        column_->SetState(labelText_, buttonEnabled_);
        column_->RepaintPreview();
    }
}

// Runs when the dialog window goes away.
void TOpenPictureDialog::DoClose() {
    TOpenDialog::DoClose();
    Application.HideHint();
    column_.reset();
}

// Runs on a click of the preview button or a double-click on the preview.
void TOpenPictureDialog::PreviewClick() {
    Application.HideHint();
    ShowPreviewForm(Handle(), picture_);
}

}  // namespace mt
