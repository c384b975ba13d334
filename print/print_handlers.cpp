// The main window's printing handlers.
#include "app/form1.h"

namespace mt {

void TForm1::Button9Click() {}
void TForm1::Button10Click() {}

}  // namespace mt
