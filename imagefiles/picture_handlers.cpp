// The main window's picture-file handlers: loading and saving the still image.
#include "app/form1.h"

namespace mt {

void TForm1::Button7Click() {}
void TForm1::Button8Click() {}

}  // namespace mt
