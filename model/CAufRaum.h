// The heat generator's installation room: the pressure of its
// combustion-air supply, given or calculated through its duct.
#pragma once

#include "model/CVerbLuft.h"

class CAufBauE;

class CAufRaum : public CVxtBase {
public:
    enum { RoomModeDuct = 3 };

    CAufRaum();
    CAufRaum(const CAufRaum& other) : CAufRaum() { *this = other; }
    CAufRaum& operator=(const CAufRaum& other);

    // The air-supply pressure, Pa; in duct mode the duct's loss, kept as the new pressure.
    double GetAirValue(const AbgasZustand* state, CAufBauE* arrangement, int caseIndex);

    void Serialize(vx::Archive& ar);

    void LoadDefault(CWerte&) override {}
    void SaveDefaults() override {}
    void OnUnitChanged(CWerte&) override {}
    int OnValueChanged(CWerte&) override { return 0; }
    void UpdateDependentValues() override {}
    std::string GetName() override { return "AufRaum"; }
    // Non-zero when a check failed.
    int CheckInputs(std::string& message, std::vector<int>* ids) override;

    int32_t airSupplyMode = 0;
    CWDouble airSupplyPressure;  // Pa
    CWShort roomMode;
    CVerbLuft duct;
};
