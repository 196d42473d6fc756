// The model's queries of the active document, as the application answers them.
#pragma once

#include "values/DocValue.h"

class wxDocManager;
class CVelmoraDoc;

class DocumentValues : public DocValueSource {
public:
    void SetManager(wxDocManager* manager) { manager_ = manager; }
    CVelmoraDoc* ActiveDocument() const;

    // -1 without an active document; codes above 52 give 0.
    int32_t GetDocValue(int code, int index) override;
    CSKopf* GetChimneyHead() override;
    double* GetAirSupplyPressure() override;
    double* GetFlueMassFlow() override;
    CAufBauE* GetConstruction() override;

private:
    wxDocManager* manager_ = nullptr;
};
