// The model's queries as the application answers them: forwarded to the
// active document; -1 without one, 0 for the codes above 52.
#pragma once

#include "model/DocValue.h"

class ActiveDocumentValues : public DocValueSource {
public:
    int32_t GetDocValue(int code, int index) override;
    CSKopf* GetChimneyHead() override;
    double* GetAirSupplyPressure() override;
    double* GetFlueMassFlow() override;
    CAufBauE* GetConstruction() override;

protected:
    // The active document's own answers; nullptr without a document.
    virtual DocValueSource* ActiveSource() const = 0;
};
