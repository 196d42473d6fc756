#include "velmora/DocumentValues.h"

#include "velmora/CVelmoraDoc.h"

#include <wx/docview.h>

CVelmoraDoc* DocumentValues::ActiveDocument() const {
    if (!manager_) return nullptr;
    return wxDynamicCast(manager_->GetCurrentDocument(), CVelmoraDoc);
}

int32_t DocumentValues::GetDocValue(int code, int index) {
    CVelmoraDoc* doc = ActiveDocument();
    if (!doc) return -1;
    if (code > 52) return 0;
    return doc->GetDocValue(code, index);
}

CSKopf* DocumentValues::GetChimneyHead() {
    CVelmoraDoc* doc = ActiveDocument();
    return doc ? doc->GetChimneyHead() : nullptr;
}

double* DocumentValues::GetAirSupplyPressure() {
    CVelmoraDoc* doc = ActiveDocument();
    return doc ? doc->GetAirSupplyPressure() : nullptr;
}

double* DocumentValues::GetFlueMassFlow() {
    CVelmoraDoc* doc = ActiveDocument();
    return doc ? doc->GetFlueMassFlow() : nullptr;
}

CAufBauE* DocumentValues::GetConstruction() {
    CVelmoraDoc* doc = ActiveDocument();
    return doc ? doc->GetConstruction() : nullptr;
}
