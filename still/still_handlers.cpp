// The main window's still-image handlers: copying from the video pane and measuring.
#include <unordered_map>

#include "app/form1.h"
#include "base/form_font.h"
#include "still/readouts.h"
#include "still/still_image.h"

namespace mt {
namespace {

// The width of a text in the form's font, as GetTextExtentPoint32W gives it:
// the sum of its characters' advance widths, each asked of the font once, since
// readouts measure on every mouse move.
int FormTextWidth(const std::wstring& text) {
    static OwnedMemDC measure(::CreateCompatibleDC(nullptr));
    static SelectGuard font(measure.get(), FormFont());
    static std::unordered_map<wchar_t, int> advance;
    int width = 0;
    for (wchar_t c : text) {
        auto [it, added] = advance.try_emplace(c, 0);
        if (added && !::GetCharWidth32W(measure.get(), c, c, &it->second)) it->second = 0;
        width += it->second;
    }
    return width;
}

// Shows a readout, growing the label when the text is wider than it, so no
// digit is cut off.
void ShowReadout(TLabel& label, const std::wstring& text) {
    label.SetCaption(text);
    int width = FormTextWidth(text);
    if (width > label.Width())
        ::SetWindowPos(label.Handle(), nullptr, 0, 0, width, label.Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Copies the patch under (x, y) of the video pane to the same place in the
// still image. A copy that fails ends the trace, so the moves after the report
// do not repeat the failing copy.
void CopyPatch(TForm1& form, int x, int y) {
    RECT dest = PatchRect(x, y);
    RECT source = dest;
    ::OffsetRect(&source, form.Pane1Left, form.Pane1Top);
    try {
        CopyWindowToStill(form.Handle(), *form.Image1, source, dest);
    } catch (...) {
        form.Panel1Dragging = 0;
        form.StillHistory.EndStroke();
        throw;
    }
}

}  // namespace

// Runs when SpeedButton1 is clicked: the whole video pane into the still image.
void TForm1::SpeedButton1Click() {
    RECT source{Pane1Left, Pane1Top, Pane1Left + Pane1Width, Pane1Top + Pane1Height};
    RECT dest{0, 0, Pane1Width, Pane1Height};
    CopyWindowToStill(Handle(), *Image1, source, dest);
}

// Runs when a mouse button is pressed on the video pane: the trace starts with one patch.
// The patches from here to the release are one step of the still image's history.
void TForm1::Panel1MouseDown(TMouseButton, TShiftState, int x, int y) {
    if (PositionTable && PositionTable->Recording()) {
        RecordHandPosition(x, y);
        return;
    }
    StillHistory.BeginStroke();
    CopyPatch(*this, x, y);
    Panel1Dragging = -1;
}

// Runs when the mouse moves over the video pane (or anywhere while the pane holds it).
void TForm1::Panel1MouseMove(TShiftState, int x, int y) {
    ShowReadout(*Label1, PositionReadout(x, y, Pane1Height));
    if (Panel1Dragging) CopyPatch(*this, x, y);
}

// Runs when a mouse button is released on the video pane.
void TForm1::Panel1MouseUp(TMouseButton, TShiftState, int, int) {
    Panel1Dragging = 0;
    StillHistory.EndStroke();
}

// Runs when a mouse button is pressed on the still image: a measuring drag starts.
void TForm1::Image1MouseDown(TMouseButton, TShiftState, int x, int y) {
    ShowReadout(*Label3, DistanceReadout(0));
    DragStartX = x;
    DragStartY = y;
    Image1Dragging = -1;
}

// Runs when the mouse moves over the still image (or anywhere while it holds the mouse).
void TForm1::Image1MouseMove(TShiftState, int x, int y) {
    ShowReadout(*Label2, PositionReadout(x, y, Pane2Height));
    if (Image1Dragging) ShowReadout(*Label3, DistanceReadout(DragDistance(DragStartX, DragStartY, x, y)));
}

// Runs when a mouse button is released on the still image, dragging or not.
void TForm1::Image1MouseUp(TMouseButton button, TShiftState, int x, int y) {
    const long double distance = DragDistance(DragStartX, DragStartY, x, y);
    ShowReadout(*Label3, DistanceReadout(distance));
    // The drag a scale of the table of positions is set from.
    if (Image1Dragging && distance > 0) LastDragLength = distance;
    const bool clicked = Image1Dragging && distance == 0;
    Image1Dragging = 0;
    // A right-click where it was pressed: the still image's menu.
    if (clicked && button == TMouseButton::mbRight) Image1ContextPopup(x, y);
}

// Runs for Ctrl+Z: nothing when there is nothing to undo or a stroke is on.
void TForm1::UndoStill() {
    if (StillHistory.Undo(Image1->Picture)) Image1->Invalidate();
}

// Runs for Ctrl+Y and Ctrl+Shift+Z.
void TForm1::RedoStill() {
    if (StillHistory.Redo(Image1->Picture)) Image1->Invalidate();
}

}  // namespace mt
