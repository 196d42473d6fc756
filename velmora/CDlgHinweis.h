// The hint after a computation: how to point into the diagram.
#pragma once

#include <wx/dialog.h>

class CDlgHinweis : public wxDialog {
public:
    explicit CDlgHinweis(wxWindow* parent);

    enum : int { IDC_TEXT = 1025, IDC_DONT_SHOW = 1026 };

private:
    void OnOK(wxCommandEvent&);
};

