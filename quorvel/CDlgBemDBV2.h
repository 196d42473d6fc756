// The store of remark texts: pick one by its match code, or delete some;
// deleted texts are packed away when the store closes.
#pragma once

#include <wx/dialog.h>

#include <string>

class CBemerkTab;
class wxComboBox;

class CDlgBemDBV2 : public wxDialog {
public:
    explicit CDlgBemDBV2(wxWindow* parent);
    ~CDlgBemDBV2() override;

    // After OK: the chosen text (the first record's without a choice).
    std::string chosen;
    // A text was deleted here.
    bool deleted = false;

    enum : int { IDD = 389, IDC_LIST = 1059, IDC_DELETE = 3 };

private:
    void OnSelect();
    void OnDelete();
    void OnOK(wxCommandEvent& event);
    long SelectedRecord() const;

    CBemerkTab* tab_ = nullptr;
    wxComboBox* list_ = nullptr;
    // A deletion emptied the field: "&Weiter" then takes nothing.
    bool cleared_ = false;
};
