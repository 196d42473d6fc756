// The user's own firm data: name lines, street, town, telephone, fax,
// e-mail and web address, saved to the user file on "&Weiter".
#pragma once

#include "quorvel/fields/CVxtDialog.h"
#include "values/CAnwender.h"
#include "values/CWString.h"

class CDlgAnwender : public CVxtDialog {
public:
    // flags: LockName1 and ShowHint, as the host asks.
    CDlgAnwender(wxWindow* parent, const CAnwender& record, int flags);

    void Finish() override;

    // After OK: the record with the fields taken over.
    CAnwender record;

    enum : int { LockName1 = 4, ShowHint = 8 };
    enum : int {
        IDD = 178,
        IDC_NAME1 = 1038,
        IDC_NAME2 = 1039,
        IDC_STREET = 1040,
        IDC_PLZ_ORT = 1041,
        IDC_TEL = 1042,
        IDC_FAX = 1043,
        IDC_EMAIL = 1047,
        IDC_WWW = 1048,
        IDC_HINT = 1601,
    };

protected:
    bool OnInitDialog() override;

private:
    struct Binding {
        CWString cell;
        std::string* member;
    };
    Binding fields_[8];
    int flags_;
};
