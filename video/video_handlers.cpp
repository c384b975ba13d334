// The main window's video handlers: loading, transport and the frame counter.
#include "app/form1.h"

namespace mt {

void TForm1::Button6Click() {}
void TForm1::Button1Click() {}
void TForm1::Button5Click() {}
void TForm1::Button2Click() {}
void TForm1::Button3Click() {}
void TForm1::Button4Click() {}
void TForm1::Timer1Timer() {}

}  // namespace mt
