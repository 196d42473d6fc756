// Puts a field window in the place of a control that a layout created:
// same parent, position, size, sizer slot and tab order.
#pragma once

#include <wx/window.h>

struct ControlPlace {
    wxWindow* parent = nullptr;
    wxWindow* old = nullptr;  // the control to replace, or nullptr
    wxPoint pos = wxDefaultPosition;
    wxSize size = wxDefaultSize;
    long style = 0;
};

// Where control id of host stands (parent host when there is none).
ControlPlace FindControlPlace(wxWindow* host, int id);
// Moves replacement into the old control's place and destroys the old one.
void TakeControlPlace(const ControlPlace& place, wxWindow* replacement);
