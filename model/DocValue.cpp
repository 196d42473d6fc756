#include "model/DocValue.h"

namespace {
DocValueSource* g_Source = nullptr;
}

void SetDocValueSource(DocValueSource* source) { g_Source = source; }
DocValueSource* GetDocValueSource() { return g_Source; }

int32_t GetDocValue(int code, int index) { return g_Source ? g_Source->GetDocValue(code, index) : -1; }
CSKopf* GetDocChimneyHead() { return g_Source ? g_Source->GetChimneyHead() : nullptr; }
double* GetDocAirSupplyPressure() { return g_Source ? g_Source->GetAirSupplyPressure() : nullptr; }
double* GetDocFlueMassFlow() { return g_Source ? g_Source->GetFlueMassFlow() : nullptr; }
CAufBauE* GetDocConstruction() { return g_Source ? g_Source->GetConstruction() : nullptr; }
