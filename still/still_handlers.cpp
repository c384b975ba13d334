// The main window's still-image handlers: copying from the video pane and measuring.
#include "app/form1.h"

namespace mt {

void TForm1::SpeedButton1Click() {}
void TForm1::Panel1MouseDown(TMouseButton, TShiftState, int, int) {}
void TForm1::Panel1MouseMove(TShiftState, int, int) {}
void TForm1::Panel1MouseUp(TMouseButton, TShiftState, int, int) {}
void TForm1::Image1MouseDown(TMouseButton, TShiftState, int, int) {}
void TForm1::Image1MouseMove(TShiftState, int, int) {}
void TForm1::Image1MouseUp(TMouseButton, TShiftState, int, int) {}

}  // namespace mt
