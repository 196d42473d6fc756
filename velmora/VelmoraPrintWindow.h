// The mail menu item, which leaves the menu when there is no mail program.
#pragma once

class wxMenuBar;

// Removes the menu item id from the menu bar; when both neighbours of the
// item were separators, one of them goes too. False when there was no item.
bool RemoveMenuItemWithSeparator(wxMenuBar* bar, int id);
