// The assignment table's print with the display: options dialog, printer,
// preview, printer choice and the wait cursor.
#pragma once

#include "tarsilo/CTarsiloPrint.h"

#include <memory>

class wxWindow;

// owner may be null.
std::unique_ptr<CTarsiloPrint> MakeTarsiloWindowPrint(wxWindow* owner);
