// The earlier entries of a field, newest first; the chosen one goes back
// into the field.
#pragma once

#include "quorvel/fields/FieldsDeliverable.h"

#include <wx/dialog.h>

#include <string>

class CWerte;

class CDlgHistorie : public wxDialog {
public:
    CDlgHistorie(wxWindow* parent, CWerte* value, const FieldsDeliverable& fields = ActiveFields());
    // Cancel at once without a value cell.
    int ShowModal() override;

    CWerte* value;
    std::string chosen;

private:
    void OnOK(wxCommandEvent& event);
};
