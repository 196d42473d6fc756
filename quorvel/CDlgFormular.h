// The form print settings: which form is printed, letterhead and sender,
// and the top and left margins kept in the form's layout file.
#pragma once

#include "quorvel/fields/CVxtDialog.h"
#include "values/CWDouble.h"

#include <string>

class wxCheckBox;
class wxRadioButton;

class CDlgFormular : public CVxtDialog {
public:
    explicit CDlgFormular(wxWindow* parent);

    void Finish() override;

    enum : int {
        IDD = 163,
        IDC_MARGINS = 1310,
        IDC_FORM_GROUP = 1311,
        IDC_TOP = 1039,
        IDC_LEFT = 1040,
        IDC_LETTERHEAD = 1041,
        IDC_SENDER = 1042,
        IDC_SHORT_FORM = 1292,
        IDC_STANDARD_FORM = 1293,
    };

protected:
    bool OnInitDialog() override;

private:
    // Reads the layout file of the chosen form and shows its margins.
    void ReadForm(int index);

    CWDouble top_, left_;
    int form_ = 0;
    std::string layoutPath_;
    wxCheckBox* letterhead_ = nullptr;
    wxCheckBox* sender_ = nullptr;
    wxRadioButton* forms_[2] = {};
};
