// The chimney head: the top of the chain. It assesses the system for one
// height and cross-section: the inner wall temperature at the outlet and
// the pressure and temperature criteria, one result record per case.
#pragma once

#include "model/CErgebnis.h"
#include "model/CModul.h"
#include "model/CWdw.h"
#include "values/CVxtBase.h"
#include "values/CWDouble.h"
#include "values/CWShort.h"

#include <memory>
#include <vector>

class CAufBauE;
class CAufRaum;
class CRohr;
class CWaerme;

class CSKopf : public CModul, public CVxtBase {
public:
    CSKopf();
    CSKopf(const CSKopf& other) : CSKopf() { *this = other; }
    CSKopf& operator=(const CSKopf& other);

    const char* ClassName() const override { return "CSKopf"; }

    void Serialize(vx::Archive& ar) override;
    AbgasZustand* Calculate(AbgasZustand* in, uint16_t mode, int16_t caseIndex, int, int) override {
        return Assess(in, mode, caseIndex);
    }
    void SetInletValue(double x) override { outletArea = x; }
    double GetOutletValue() override { return outletArea; }
    void CollectResults(double a, double b, double c) override;
    void RemoveLastCase() override;
    void RemoveCase(int caseIndex) override;
    AbgasZustand* CalcForChain(AbgasZustand* in, uint16_t mode, int16_t caseIndex, int flag) override;
    void SetRunLength(double) override {}
    void AddRunLength(double) override {}
    double GetRunLength() override { return 0; }
    void ResetRunLength() override {}

    AbgasZustand* Assess(AbgasZustand* in, uint16_t mode, int16_t caseIndex);
    void IterateOutletWall(double dh, double dha, double to, double alphaA, double invLambda, double alphaI);
    // The gap resistance that counts, from the state's wall resistance.
    double EffectiveGapResistance(double x) const;

    void LoadDefault(CWerte& value) override;
    void SaveDefaults() override {}
    void OnUnitChanged(CWerte&) override {}
    int OnValueChanged(CWerte& value) override;
    void UpdateDependentValues() override {}
    std::string GetName() override { return "SKOPF"; }
    // Non-zero when a check failed.
    int CheckInputs(std::string& message, std::vector<int>* ids) override;

    CWShort gapKind;          // 1: the outlet has an air gap
    CWDouble gapResistance;   // m² K/W
    CWDouble gapWidth;        // m
    CWDouble effectiveGapResistance;
    CWDouble alphaOutlet;     // W/(m² K)
    CWDouble outerDiameterOutlet;  // m
    CWdw wall;
    int32_t iterateOutletWall = 0;
    double exposedLength = -1;  // F, m
    double outletArea = 0;      // m²
    int32_t wallSetting = 0;
    int32_t caseSelector = 0;

    // Not owned: the document's modules the assessment consults.
    CAufBauE* arrangement = nullptr;
    CAufRaum* room = nullptr;
    CRohr* chimney = nullptr;
    CRohr* connector = nullptr;
    CWaerme* generator = nullptr;
    // Points the head at these modules and hangs chimney, connecting piece and
    // heat generator below it, in that order.
    void LinkChain(CAufBauE& arrangementOf, CAufRaum& roomOf, CRohr& chimneyOf, CRohr& connectorOf,
                   CWaerme& generatorOf);
    // Readies the linked chain for a computation and runs its full-load pass;
    // CaseIndex is left at 0, where a part-load pass may follow.
    void RunFullLoadPass();

    std::vector<std::unique_ptr<CErgebnis>> results;
    int32_t caseCount = -1;
    AbgasZustand state;
};
