// The heat generator at the lower end of the chain: its full-load and
// part-load data, the defaults derived from the fuel, and the flow state it
// fills for every run.
#pragma once

#include "model/CModul.h"
#include "model/CRechnen.h"
#include "model/CZeta.h"
#include "values/CVxtBase.h"
#include "values/CWDouble.h"
#include "values/CWShort.h"
#include "values/CWString.h"

#include <memory>
#include <vector>

class CAufBauE;

class CWaerme : public CModul, public CVxtBase {
public:
    CWaerme();
    CWaerme(const CWaerme& other) : CWaerme() { *this = other; }
    CWaerme& operator=(const CWaerme& other);

    const char* ClassName() const override { return "CWaerme"; }

    void Serialize(vx::Archive& ar) override;
    AbgasZustand* Calculate(AbgasZustand* in, uint16_t mode, int16_t caseIndex, int unused1, int unused2) override;
    void SetInletValue(double x) override { connectorArea.value = x; }
    double GetOutletValue() override { return outletArea.value; }
    void SetRunLength(double) override {}
    void AddRunLength(double) override {}
    double GetRunLength() override { return 0; }
    void ResetRunLength() override {}
    void RemoveLastCase() override;
    void RemoveCase(int caseIndex) override;
    // Takes the caller's values as the outlet's enlargement and hands back its contraction.
    void SwapCaseValues(double& mode, double& zetaValue, double& angle) override;
    void WriteResistances(std::string& text) override;

    void LoadDefault(CWerte& value) override;
    void SaveDefaults() override {}
    void OnUnitChanged(CWerte& value) override;
    int OnValueChanged(CWerte& value) override;
    void UpdateDependentValues() override { UpdateLimits(); }
    std::string GetName() override { return "WRZ"; }
    // Non-zero when a check failed.
    int CheckInputs(std::string& message, std::vector<int>* ids) override;
    void UpdateLimits();

    // The fuel kind of the table: 1 wood and pellets, 2 coke and coal, 3 oil and gas.
    int FuelKind() const;
    double CalcDefaultEfficiency(double q, uint16_t& marker) const;
    double CalcDefaultCo2(double q, uint16_t& marker) const;
    double CalcDefaultDraught(double q, uint16_t& marker, int variant = 0) const;
    double CalcMassFlowFromHeatInput(double qf, double co2) const;
    double CalcHeatInputFromMassFlow(double m, double co2) const;
    double CalcMassFlowFromVolume(double v, double co2, double t);
    double CalcFireplaceMassFlow();
    double CalcFireplaceDraught() const;
    double Interpolate(double partValue, double fullValue) const;
    void IterateFromMassFlow(int which);
    void DerivePartLoad();
    void RecalcDependents();
    void InterpolateSelected();
    // The amount by which the heat generator's own pressure covers a missing draught.
    double CapShortfall(int caseIndex, uint16_t mode, double difference);
    std::string GetFuelText() const;

    CWString manufacturerName, typeDesignation, typeText3, typeText4;
    CWDouble flueMassFlow;     // kg/s
    CWDouble fullLoadExtra;
    CWDouble co2;              // %
    CWDouble gasTemperature;   // °C
    CWDouble requiredDraught;  // Pa
    CWDouble positivePressure; // Pa
    CWDouble flueMassFlowPart, co2Part, gasTemperaturePart, requiredDraughtPart, positivePressurePart;
    CWShort fuel;
    CWDouble output;           // kW
    CWDouble heatInput;        // kW
    CWDouble efficiency;       // %
    CWDouble volumeFlow;       // m³/h
    CWDouble o2;               // %
    CWDouble outputPart, heatInputPart, efficiencyPart, volumeFlowPart, o2Part;
    CWShort interpolate;
    CWDouble outputSel, heatInputSel, efficiencySel, volumeFlowSel, o2Sel, flueMassFlowSel, co2Sel,
        gasTemperatureSel, requiredDraughtSel, positivePressureSel;
    CWShort outletShape;
    CWDouble outletDiameter, outletArea, outletPerimeter, outletSideA, outletSideB, outletLength, outletExtra,
        outletZeta, outletCheckValue;
    CZeta zeta;
    CWDouble openingSideA, openingSideB, openingArea;
    AbgasZustand outletState;
    CWShort partLoadAvailable;
    int32_t volumeMode = 0;
    int32_t heatInputGiven = 0;
    int32_t noPartDerive = 0;
    int32_t draughtFixed = 0;
    CWShort recalcAll;
    int32_t useFuelCoefficients = 1;
    CAufBauE* arrangement = nullptr;
    std::vector<std::unique_ptr<CRechnen>> pressureCases, temperatureCases;
    int16_t caseCount = -1;
    CWDouble connectorArea;    // m²

    // Set by the document and the catalogue.
    int32_t condensing = 0;          // catalogue column 3; also the second draught rule
    int32_t ownFuel = 0;             // the fuel's values are the generator's own
    int32_t openOperation = 0;       // an open-or-closed fireplace calculated open
    int32_t checkFlag = 0;           // 1: an input check reported nothing
    int32_t suppressPartLoad = 0;    // no part-load pass

private:
    // The cells of one load, full or part, that take defaults alike.
    struct LoadCells {
        CWDouble &output, &efficiency, &heatInput, &co2, &flueMassFlow, &volumeFlow, &gasTemperature;
    };
    // The default of v when it is one of the load's cells and the load allows one.
    bool LoadDefaultOf(CWerte& v, const LoadCells& load, uint16_t& marker);
    void AddCaseRecords();
    std::vector<std::unique_ptr<CRechnen>> spareRecords;  // storage of earlier cases, reused
    void FillBlock(CRechnen& rec, bool temperatureCase, uint16_t mode);
    std::vector<CWerte*> Cells();
};
