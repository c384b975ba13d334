// The preview column of the picture dialogs: PicturePanel with PictureLabel,
// PreviewButton, and PaintPanel holding PaintBox.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>

#include "base/controls.h"
#include "imagefiles/paint_box.h"
#include "imagefiles/picture_container.h"

namespace mt {

class TPreviewColumn {
public:
    // Creates the column in the template window, right of the placeholder
    // control where the system put the standard controls.
    TPreviewColumn(HWND templateWindow, const TPicture& picture);
    TPreviewColumn(const TPreviewColumn&) = delete;
    TPreviewColumn& operator=(const TPreviewColumn&) = delete;
    ~TPreviewColumn();

    std::unique_ptr<TPanel> PicturePanel;
    std::unique_ptr<TLabel> PictureLabel;
    std::unique_ptr<TSpeedButton> PreviewButton;
    std::unique_ptr<TPanel> PaintPanel;
    std::unique_ptr<TPaintBox> PaintBox;

    void SetState(const std::wstring& label, bool buttonEnabled);
    // Invalidates and redraws the paint box at once.
    void RepaintPreview() const;

private:
    const TPicture& picture_;
};

// Draws the preview of picture into rect of dc: "(なし)" when it is empty,
// else unscaled and centred when it fits, else scaled anchored top-left.
void PaintPreview(HDC dc, const RECT& rect, const TPicture& picture);

}  // namespace mt
