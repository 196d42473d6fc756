#include "velmora/shared/ActiveDocumentValues.h"

int32_t ActiveDocumentValues::GetDocValue(int code, int index) {
    DocValueSource* doc = ActiveSource();
    if (!doc) return -1;
    if (code > 52) return 0;
    return doc->GetDocValue(code, index);
}

CSKopf* ActiveDocumentValues::GetChimneyHead() {
    DocValueSource* doc = ActiveSource();
    return doc ? doc->GetChimneyHead() : nullptr;
}

double* ActiveDocumentValues::GetAirSupplyPressure() {
    DocValueSource* doc = ActiveSource();
    return doc ? doc->GetAirSupplyPressure() : nullptr;
}

double* ActiveDocumentValues::GetFlueMassFlow() {
    DocValueSource* doc = ActiveSource();
    return doc ? doc->GetFlueMassFlow() : nullptr;
}

CAufBauE* ActiveDocumentValues::GetConstruction() {
    DocValueSource* doc = ActiveSource();
    return doc ? doc->GetConstruction() : nullptr;
}
