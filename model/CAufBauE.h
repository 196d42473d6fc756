// The arrangement of the flue-gas system: operating regime, arrangement
// kind, options, the heat-generator positions and the site data.
#pragma once

#include "model/CGrunddaten.h"
#include "values/CVxtBase.h"
#include "values/CWShort.h"

class CAufBauE : public CVxtBase {
public:
    enum Regime { NegativeDry = 0, NegativeWet = 1, Positive = 2 };

    CAufBauE();
    CAufBauE(const CAufBauE& other) : CAufBauE() { *this = other; }
    CAufBauE& operator=(const CAufBauE& other);

    void Serialize(vx::Archive& ar);
    // The site's safety factors and design temperatures of the regime and kind.
    void ApplyRegime();

    void LoadDefault(CWerte& value) override;
    void SaveDefaults() override;
    void OnUnitChanged(CWerte&) override {}
    int OnValueChanged(CWerte&) override { return 0; }
    void UpdateDependentValues() override {}
    std::string GetName() override { return "INIT-EINFACH"; }
    // Non-zero when a check failed.
    int CheckInputs(std::string& message, std::vector<int>* ids) override;

    int Regime() const { return regime.value; }
    int Kind() const { return kind.value; }

    CWShort regime;              // "Anordnung", a Regime
    // The arrangement kind, 0 to 5, read together with the regime. Under
    // positive pressure it says where the combustion air comes from: kind 1
    // through ducts along the chimney and the connecting piece, 3 along the
    // connecting piece, 4 along the chimney and from the room, the others
    // from the room. The heat generator takes kind 1 for an open fireplace
    // and kind 2 for an exhaust-air system.
    CWShort kind;
    CWShort chimneyShutOff;      // "AbsSchorn"
    CWShort renovation;          // "Sanierung"; sections other than connecting pieces count as outside
    CWShort setting5, setting6;
    CWShort breechesPiece;       // "Hosenstueck"
    CWShort setting8, setting9;
    CWShort connectorShutOff;    // "AbsVerb": the second draught rule
    CWShort generatorCount;      // "AnzWrz"; 2 doubles the combustion-air flow
    CWShort ductSetting;         // 2 switches the draught corrections off
    CWShort airSupply;           // "Zuluft"
    CWShort secondaryAir;        // "Nebenluft"
    CWShort secondaryAirPlace;   // "Nebenluft-Ort"
    CWShort setting16;
    CWShort positionCount;       // non-zero lifts the 15 °C cap of the surroundings

    CWShort generatorsPerPosition[5], generatorsPerPosition2[5];
    CWShort positionTables[5][50];
    CWShort lastTable[5];
    CGrunddaten site;

private:
    CWShort* Setting(int number);  // 1-based
};
