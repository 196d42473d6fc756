// The duct that brings combustion air to a room-sealed heat generator and
// the pressure loss of the air flowing through it, per calculation case.
#pragma once

#include "model/AbgasZustand.h"
#include "model/CZeta.h"
#include "values/CVxtBase.h"
#include "values/CWDouble.h"
#include "values/CWShort.h"

#include <vector>

class CAufBauE;
class CGrunddaten;

struct CVerbLuftWerte {
    double eta = 0;          // kg/(m s)
    double reynolds = 0;
    double lambda = 0;       // friction factor
    double rho = 0;          // kg/m³
    double w = 0;            // m/s
    double pressureLoss = 0; // Pa
};

class CVerbLuft : public CVxtBase {
public:
    CVerbLuft();
    CVerbLuft(const CVerbLuft& other) : CVerbLuft() { *this = other; }
    CVerbLuft& operator=(const CVerbLuft& other);

    void SetArrangement(CAufBauE* arrangement);
    // The duct's pressure loss of the case, Pa.
    double Calculate(const AbgasZustand* state, int caseIndex);
    double Colebrook(double reynolds) const;

    void Serialize(vx::Archive& ar);

    void LoadDefault(CWerte& value) override;
    void SaveDefaults() override {}
    void OnUnitChanged(CWerte& value) override;
    int OnValueChanged(CWerte& value) override;
    void UpdateDependentValues() override {}
    std::string GetName() override { return "VerbLuft"; }
    // Non-zero when a check failed.
    int CheckInputs(std::string& message, std::vector<int>* ids) override;
    int GetValueInfo(int, int, std::string&, std::string&, std::string&, std::string&) override { return 1; }

    CWDouble airDuctLength;       // m
    CWDouble airDuctDiameter;     // hydraulic diameter, m
    CWDouble airDuctSideA, airDuctSideB;
    CWShort airDuctShape;
    CWDouble airDuctArea;         // m²
    CWDouble airDuctGeometryValue;
    CWDouble airDuctRoughness;    // m
    CWDouble supplyAirTemperature;  // °C
    CWDouble airDuctSafetyFactor;
    CWDouble airDuctZetaSum;
    CZeta airDuctZetas;
    std::vector<CVerbLuftWerte> airDuctCases;
    CAufBauE* airDuctArrangement = nullptr;
    CGrunddaten* airDuctSite = nullptr;
    int32_t airDuctCaseCount = -1;
};
