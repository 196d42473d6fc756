// What every dialog of the library does alike: its buttons, tooltips from
// the string table, the help button (there is no help file: it is greyed), and the
// refusal to work on a table that failed to open.
#pragma once

#include "quorvel/fields/FieldsDeliverable.h"

#include <string>
#include <utility>
#include <vector>

class CQuorvelTable;
class wxSizer;
class wxString;
class wxWindow;

// A button with the library's control id added to row: 1 and 2 are OK and
// cancel, the help command is the help button.
void AddDialogButton(wxWindow* parent, wxSizer* row, int id, const std::string& label);
// A text of the library's table as a window shows it.
wxString QuorvelLabel(unsigned id);

// Gives each control its string as tooltip, unless "Global"/"ToolTip" is 0.
void AddToolTips(wxWindow* dialog, const std::vector<std::pair<int, unsigned>>& tips);
// Greys the dialog's help button.
void GreyHelpButton(wxWindow* dialog);
// False, after showing string 3 once, when the table did not open.
bool TableUsable(const CQuorvelTable* table);

// True, after naming the field and the end of its text that a column of
// `width` characters would cut, with the keyboard put into the field; the
// caller then stores nothing. False when the text fits.
bool SaysAddressWouldBeCut(wxWindow* dialog, int control, const std::string& fieldName,
                           const std::string& text, size_t width);
