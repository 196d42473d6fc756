// The program's entry: wxWidgets' main with the application object.
#include "velmora/CVelmoraApp.h"

wxIMPLEMENT_APP(CVelmoraApp);
