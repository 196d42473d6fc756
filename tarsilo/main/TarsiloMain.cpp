// The program's entry: wxWidgets' main with the application object.
#include "tarsilo/CTarsiloApp.h"

wxIMPLEMENT_APP(CTarsiloApp);
