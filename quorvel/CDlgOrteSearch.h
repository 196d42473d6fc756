// The place search: a list of the places whose town (or postcode) begins
// with the typed letter, narrowed as the user types.
#pragma once

#include "quorvel/fields/CVxtDialog.h"

class wxListBox;
class wxRadioButton;
class wxStaticText;
class wxTextCtrl;

class CDlgOrteSearch : public CVxtDialog {
public:
    // heightWarning: say so when the chosen place has no height (-99).
    explicit CDlgOrteSearch(wxWindow* parent, bool heightWarning = false);

    // After OK: the chosen place's record number, 0 for none.
    long recNo = 0;
    bool heightWarning;
    // The order of the list: postcodes, else town names (the start).
    bool byPostcode = false;

    enum : int {
        IDD = 1542,
        IDC_SEARCH = 1551,
        IDC_LIST = 1539,
        IDC_BY_POSTCODE = 1540,
        IDC_BY_TOWN = 1541,
        IDC_NO_HEIGHT = 1552,
    };

protected:
    bool OnInitDialog() override;

private:
    void OnSearchText();
    void OnOrder(bool postcodes);
    // The selected line becomes the choice.
    void TakeLine();
    void Rebuild(char first);

    wxTextCtrl* search_ = nullptr;
    wxListBox* list_ = nullptr;
    wxRadioButton* byPostcodeButton_ = nullptr;
    wxRadioButton* byTownButton_ = nullptr;
    wxStaticText* noHeight_ = nullptr;
    // The character the list was built for; 0 while it is empty.
    char builtFor_ = 0;
    bool usable_ = false;
};
