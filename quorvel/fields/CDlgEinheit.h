// The choice of another unit of the same quantity.
#pragma once

#include "quorvel/fields/CVxtDialog.h"

#include <cstdint>

class CDlgEinheit : public CVxtDialog {
public:
    CDlgEinheit(wxWindow* parent, uint16_t unitCode, const FieldsDeliverable& fields = ActiveFields());

    // The low byte takes the chosen list position; the quantity stays.
    void Finish() override;

    uint16_t unitCode;
    std::string text;

protected:
    bool OnInitDialog() override;
};
