// The remark editor: one text, filled from and stored into the remark store.
#pragma once

#include <wx/dialog.h>

#include <string>

class wxTextCtrl;

class CDlgBemerk : public wxDialog {
public:
    // text in code page 1252, lines broken by "\r\n".
    CDlgBemerk(wxWindow* parent, const std::string& text);

    // After OK: the edited text, lines broken by "\r\n".
    std::string text;

    enum : int { IDD = 147, IDC_TEXT = 1031, IDC_FROM_DB = 5, IDC_TO_DB = 6 };

private:
    bool TransferDataFromWindow() override;
    void OnFromDatabase();
    void OnToDatabase();

    wxTextCtrl* edit_ = nullptr;
};
