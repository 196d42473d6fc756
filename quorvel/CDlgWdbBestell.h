// The notice of the heat-generator catalogue's age, with the order form
// for an update and the switch to stop the notice.
#pragma once

#include <wx/dialog.h>

class wxCheckBox;

class CDlgWdbBestell : public wxDialog {
public:
    explicit CDlgWdbBestell(wxWindow* parent);

    enum : int {
        IDD = 427,
        IDC_NOT_AGAIN = 1008,
        IDC_ORDER = 1564,
        IDC_CATALOGUE = 1565,
        IDC_ORDER_HINT = 1567,
        IDC_ADDRESS = 1568,
    };

private:
    void OnOrder();

    wxCheckBox* notAgain_ = nullptr;
};
