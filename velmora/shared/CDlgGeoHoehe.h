// The geodetic height of the site: for this calculation ("Übernehmen") or
// as the default of new ones ("Vorgabe").
#pragma once

#include "velmora/shared/DialogFields.h"

#include <wx/dialog.h>

class wxTextCtrl;

class CDlgGeoHoehe : public wxDialog {
public:
    CDlgGeoHoehe(wxWindow* parent, double height);

    double Height() const { return height_; }

    enum : int { IDC_HEIGHT = 1014, IDC_HELP = 1015, IDC_DEFAULT = 3 };

private:
    // Reads the text; a height outside 0..5000 m gets the message and the focus.
    bool Validate();
    void OnOK(wxCommandEvent&);
    void OnDefault(wxCommandEvent&);

    DialogFields fields_{this};
    wxTextCtrl* edit_ = nullptr;
    double height_ = 0;
};
