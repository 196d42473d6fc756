// The print helper with the display: options dialog, printer, preview,
// printer choice and the wait cursor; and the mail menu item.
#pragma once

#include "velmora/CVelmoraPrint.h"

#include <memory>

class wxWindow;
class wxMenuBar;

// owner may be null.
std::unique_ptr<CVelmoraPrint> MakeWindowPrint(wxWindow* owner);

// Removes the menu item id from the menu bar; when both neighbours of the
// item were separators, one of them goes too. False when there was no item.
bool RemoveMenuItemWithSeparator(wxMenuBar* bar, int id);
