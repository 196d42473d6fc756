// The second address form: match code, mobile, e-mail, web address and the
// hidden rebate group besides the first form's fields, the town as a combo
// box of the places of the postcode, and the place and address look-ups.
#pragma once

#include "quorvel/CDlgAdr.h"

class CMyComboBox;

class CDlgAdrV2 : public CDlgAdr {
public:
    explicit CDlgAdrV2(wxWindow* parent);

    void RecordToDialog() override;
    void DialogToRecord() override;

    // The postcode field changed: the town list follows, and an empty town
    // takes the first place of the postcode with its country.
    void OnPostcodeChanged();
    // A town was chosen: the country of that place.
    void OnTownChosen();
    // F4 on postcode or town: the place search.
    void OnPlaceSearch();
    // "..." beside the town: the places editor.
    void OnPlaces();
    // "..." beside the match code and F4 on it: the address list.
    void OnAddressList();

    CMyComboBox* TownCombo() const;

    CWString match, handy, email, url, dummy;

protected:
    bool OnFieldMessage(FieldEvent& event) override;

private:
    // Postcode, town and country of the place table's current record.
    void TakePlace();
};
