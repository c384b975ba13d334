// The picture open and save dialogs: the file dialog extended by a preview
// column (the selected picture's size, a scaled preview and a button for the
// full-size preview) from the "DLGTEMPLATE" template.
#pragma once
#include <memory>
#include <string>

#include "base/file_dialog.h"
#include "imagefiles/picture_container.h"

namespace mt {

class TPreviewColumn;

class TOpenPictureDialog : public TOpenDialog {
public:
    TOpenPictureDialog();
    ~TOpenPictureDialog() override;

    bool Execute(HWND owner) override;

    // The preview state, kept between runs.
    const TPicture& PreviewPicture() const noexcept { return picture_; }
    const std::wstring& PictureLabelText() const noexcept { return labelText_; }
    bool PreviewButtonEnabled() const noexcept { return buttonEnabled_; }
    // The preview column's controls while the dialog is shown (else nullptr).
    TPreviewColumn* Column() const noexcept { return column_.get(); }

    // Opens the picture at full size in the "プレビュー" window.
    void PreviewClick();

protected:
    void DoShow() override;
    void DoSelectionChange() override;
    void DoClose() override;

private:
    void ShowSelection();
    TPicture picture_;
    std::wstring labelText_;
    bool buttonEnabled_ = false;
    std::unique_ptr<TPreviewColumn> column_;
};

class TSavePictureDialog : public TOpenPictureDialog {
protected:
    BOOL RunSystemDialog(OPENFILENAMEA& ofn) override { return ::GetSaveFileNameA(&ofn); }
};

}  // namespace mt
