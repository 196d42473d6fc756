// The input errors of a dialog in one window.
#pragma once

#include "quorvel/fields/FieldsDeliverable.h"

#include <wx/dialog.h>

#include <string>

class CZeigFehler : public wxDialog {
public:
    explicit CZeigFehler(wxWindow* parent, const FieldsDeliverable& fields = ActiveFields());
    int ShowModal() override;

    std::string errorText;
};
