// A straight pipe section of the flue path: one cross-section with its
// wall, single resistances and surroundings. It calculates temperatures,
// pressure resistance and theoretical draught for the temperature and the
// pressure case and hands the state at its outlet up the chain.
#pragma once

#include "model/CBauart.h"
#include "model/CModul.h"
#include "model/CRechnen.h"
#include "model/CVerbLuft.h"
#include "model/CWdw.h"
#include "model/CZeta.h"
#include "values/CVxtBase.h"
#include "values/CWDouble.h"
#include "values/CWShort.h"
#include "values/CWString.h"

#include <memory>
#include <vector>

class CAufBauE;

class CRohr : public CModul, public CVxtBase {
public:
    CRohr();
    CRohr(const CRohr& other);
    CRohr& operator=(const CRohr& other);
    ~CRohr() override;

    bool IsKindOf(std::string_view className) const override {
        return className == "CRohr" || CModul::IsKindOf(className);
    }

    void Serialize(vx::Archive& ar) override;
    AbgasZustand* Calculate(AbgasZustand* in, uint16_t mode, int16_t caseIndex, int unused1, int unused2) override;
    void SetInletValue(double x) override;
    double GetOutletValue() override { return area.value; }
    double GetConnectionArea() override { return area.value; }
    double GetSurroundingTemperature(vx::Archive* ar) override;
    void SetRunLength(double length) override { runLength = length; }
    void AddRunLength(double length) override;
    double GetRunLength() override { return runLength; }
    void ResetRunLength() override { runLength = length.value + addedLength.value; }
    void Notify(double* x) override;
    bool FindJunctionResistance(int& index) override;
    void RemoveLastCase() override;
    void RemoveCase(int caseIndex) override;
    // The caller's transition values become the section's own; the caller gets the old ones.
    void SwapCaseValues(double& mode, double& zetaValue, double& angle) override;
    void GetResult(double& massFlow, double& sectionArea, int temperatureCase) override;
    AbgasZustand* CalcForChain(AbgasZustand* in, uint16_t mode, int16_t caseIndex, int flag) override;
    void WriteResistances(std::string& text) override;

    // Text of the section's class number; none for a plain section.
    virtual std::string GetClassText(int which) { (void)which; return {}; }
    virtual int IsKindChimney() const { return 0; }
    virtual std::string BuildFilter(bool withShaft, long manufacturer, long secondManufacturer) {
        (void)withShaft, (void)manufacturer, (void)secondManufacturer;
        return {};
    }
    virtual void ApplyGeometryDefaultsOfKind() {}

    // Steps to the next table section (direction 1 smaller, 0 larger) of the shape's table.
    static void NextCrossSection(int direction, int shape, double& diameter, double& sideB, double& sideA);
    // The smallest table size (cm) not below v cm, for this section's shape.
    double TableSectionAtLeast(double v) const;
    static void LoadCrossSectionTables();
    void SetAirDuct(CAufBauE* arrangement);
    int GetSectionKind(const CAufBauE* arrangement) const;
    int ApplyGeometryDefaults();
    // The zone lengths follow the shares of L (100 % is the whole length), or,
    // when the zone lengths are given as lengths, the shares follow them.
    void SyncZoneLengths();
    // The display units of the eleven length cells, from the subclass's section.
    void LoadLengthUnits();

    // Input limits of a section kind, read once from its profile section.
    struct SectionLimits {
        double lMin, lMax, hMin, hMax, dhMin, dhMax, wdwMax, waMin, waMax, rMin, rMax, rDefault;
        int rDefaultIndex;
    };
    static SectionLimits ReadSectionLimits(const char* section, const char* lMax, const char* hMin,
                                           const char* hMax);
    void ApplySectionLimits(const SectionLimits& l);
    // Area, perimeter and hydraulic diameter from the shape and sizes.
    void ComputeGeometry();
    // "Innenrohr paßt nicht in den Schacht !!" and a line break when the
    // pipe does not fit its shaft; sets failed and lists the size then.
    std::string FitCheck(int& failed, std::vector<double>* sizes);

    bool IsConnector() const { return std::string_view(ClassName()) == "CVerb"; }
    // The double-walled stainless systems: the wall counts twice in the outer size.
    bool DoubleWalled() const { return setting1 == 5 || setting1 == 6; }
    CRechnen& TemperatureRecord(int c) { return *temperatureCases[size_t(c)]; }
    CRechnen& PressureRecord(int c) { return *pressureCases[size_t(c)]; }
    int CurrentCase() const { return currentCase; }
    // P_R of a pressure record again from its parts (after P_G was taken out).
    double PressureResistance(const CRechnen& rec) const;

    void LoadDefault(CWerte& value) override;
    void SaveDefaults() override {}
    void OnUnitChanged(CWerte&) override {}
    int OnValueChanged(CWerte& value) override;
    void UpdateDependentValues() override {}
    std::string GetName() override { return "ROHR"; }
    // Non-zero when a check failed.
    int CheckInputs(std::string& message, std::vector<int>* ids) override;
    // The fit check for the two shaft sizes, nothing for other cells.
    std::string GetExtraText(std::string& out, int id) override;

    CWString name;
    CWDouble length;          // L, m
    CWDouble height;          // H, m
    CWDouble furtherLength;   // m
    CWShort shape;            // 0 round, 1 square, 2 rectangle, 3 oval
    CWDouble diameter;        // Dh, m
    CWDouble area;            // A, m²
    CWDouble perimeter;       // U, m
    CWDouble sideA, sideB;    // m
    CWShort resistanceGroup;  // 0 "I" .. 4 "IV"; 6 from the wall layers
    CWDouble wallThickness;   // m
    CWDouble outerDiameter;   // Dha, m
    CWDouble wallResistance;  // 1/Lambda, m² K/W
    CWDouble shareOutside;    // %
    CWDouble lengthOutside;   // m
    CWDouble shareUnheated;   // %
    CWDouble lengthUnheated;  // m
    CWDouble roughness;       // r, m
    CWDouble zetaSum;
    CWDouble alphaOuter;      // W/(m² K)
    CWDouble surroundingTemperature;  // °C
    CWDouble furtherValue;
    CWDouble addedLength;     // m, counts in length and height
    CWDouble shellThickness1, shellThickness2;  // concentric combustion-air duct, m
    CWString text;            // insulation text
    CWShort wallWord;
    CWDouble junctionValue;
    CWShort ductMode;         // 1: a chimney in a shaft
    CWString junctionText;
    CWShort secondGroup;
    CWDouble valueAfterGroup;
    CWDouble ductOuterArea, ductOuterPerimeter;  // shaft or outer duct, m², m
    CWDouble ductSideA, ductSideB, ductDiameter; // m
    CWDouble ductValue1, ductValue2;
    CWDouble ductRoughness;   // m
    CZeta zeta;               // the section's single resistances
    CZeta junctionZeta;       // the resistances of its junction
    CWdw wall;
    double areaAbove = 0;     // m², from the module above

    double runLength = 0;
    int16_t caseCount = -1;
    std::vector<std::unique_ptr<CRechnen>> temperatureCases, pressureCases;
    std::vector<std::unique_ptr<CBauart>> types[3];
    std::unique_ptr<CVerbLuft> airDuct;
    CAufBauE* arrangement = nullptr;
    AbgasZustand outState;

    int32_t setting1 = 0;
    int32_t selectedType[3] = {-1, -1, -1};
    int32_t junctionFlag = 0;
    int32_t junctionMode = 1;
    int32_t modeWord2 = 1, modeWord3 = 1;
    int32_t zoneLengthsGiven = 0;  // zone lengths typed as lengths, not shares
    int32_t checkFlag = 0;         // 1: an input check reported nothing (presets then keep off)
    int32_t attachmentFlag = 0;    // a chimney-top attachment
    int32_t surroundingsFlag = 0;  // the wall's reference temperature is the surroundings
    int32_t pendingFlag = 0;
    int lastPasses = 0;            // passes of the last section calculation

protected:
    void CalcSection(CRechnen& rec, const AbgasZustand& in, bool temperatureCase, double ts, double factor);
    // The temperature record t and the pressure record p, as CalcSection each.
    void CalcSectionPair(CRechnen& t, double tsT, CRechnen& p, double tsP, double factorP, const AbgasZustand& in);
    int currentCase = 0;

private:
    struct SectionPass;
    SectionPass BeginSection(CRechnen& c, const AbgasZustand& in, bool temperatureCase, double ts, double factor);
    void PassBeforeFriction(SectionPass& s, double floor);
    void PassAfterFriction(SectionPass& s, double entrance, int kind);
    void EndSection(SectionPass& s, const AbgasZustand& in, int kind);
    void AddCaseRecords();
    std::vector<std::unique_ptr<CRechnen>> spareRecords;  // storage of earlier cases, reused
    void CopyFrom(const CRohr& other);
};
