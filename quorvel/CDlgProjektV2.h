// The project dialog as the library's export shows it: the postcodes with
// their town lists and the place search, the arrow copies and the tooltips.
#pragma once

#include "quorvel/CDlgProjekt.h"

class CDlgProjektV2 : public CDlgProjekt {
public:
    CDlgProjektV2(wxWindow* parent, const CProjekt& record);

    // A postcode changed: its town list follows; an empty town takes the first.
    void OnPostcodeChanged(bool recipient);
    // F4 on a postcode: the place search sets that town and postcode.
    void OnPlaceSearch(bool recipient);
    // The arrows: name lines, street, town and postcode across.
    void CopyAddress(bool toSite);

protected:
    bool OnFieldMessage(FieldEvent& event) override;
};
