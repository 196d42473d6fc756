// Asks for the short name under which a remark text is stored.
#pragma once

#include <wx/dialog.h>

#include <string>

class wxTextCtrl;

class CDlgMatchCode : public wxDialog {
public:
    explicit CDlgMatchCode(wxWindow* parent);

    // The entered match code (code page 1252); empty at first.
    std::string match;

    enum : int { IDD = 1543, IDC_MATCH = 1547 };

private:
    bool TransferDataFromWindow() override;
    wxTextCtrl* edit_ = nullptr;
};
