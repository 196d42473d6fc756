// The model's only way to the application: a query of the active document's
// values by code. Numbers come back as numbers; the codes that name objects
// have typed accessors, so that no pointer travels in an integer.
#pragma once

#include <cstdint>

class CSKopf;
class CAufBauE;

class DocValueSource {
public:
    virtual ~DocValueSource() = default;
    // -1 when there is no active document; 0 for codes without an answer.
    virtual int32_t GetDocValue(int code, int index) = 0;
    // Code 9: the document's chimney head.
    virtual CSKopf* GetChimneyHead() { return nullptr; }
    // Code 17: the air supply pressure of the first result of the last run.
    virtual double* GetAirSupplyPressure() { return nullptr; }
    // Code 42: the heat generator's flue-gas mass flow.
    virtual double* GetFlueMassFlow() { return nullptr; }
    // Code 51: the document's construction.
    virtual CAufBauE* GetConstruction() { return nullptr; }
};

// The application installs its source (not owned); nullptr removes it.
void SetDocValueSource(DocValueSource* source);

// -1 when no application answers.
int32_t GetDocValue(int code, int index = 0);
