// Site and climate values of one calculation: geodetic height, outside air
// pressure and densities, design temperatures, safety and heat-transfer
// factors, gas constant of air and the minimum Reynolds number.
#pragma once

#include "values/CVxtBase.h"
#include "values/CWDouble.h"

class CGrunddaten : public CVxtBase {
public:
    // Value ids of the cells, in their order.
    enum : uint16_t {
        IdAirPressure = 1, IdAirTemperature, IdAirTemperature2, IdSurroundingOutlet, IdSafetyFactor,
        IdHeatTransferFactor, IdGasConstantAir, IdAirRatio, IdGeoHeight, IdSurroundingOutside,
        IdSurroundingUnheated, IdSurroundingHeated, IdSurroundingOther, IdAirDensity, IdAirDensity2,
        IdMinReynolds
    };

    CGrunddaten();
    CGrunddaten(const CGrunddaten& other);
    CGrunddaten& operator=(const CGrunddaten& other);

    // p_L from the geodetic height, then the densities of both air sets.
    void CalcAirPressure();
    // Chooses the design column of regime and kind and gives its values to
    // the temperature cells that still follow their defaults; returns the column.
    int SelectDesignTemperatures(int regime, int kind);
    // Reads limits, design table and defaults from the profile again.
    static void ReloadProfile();

    void Serialize(vx::Archive& ar);

    void LoadDefault(CWerte& value) override;
    void SaveDefaults() override;
    void OnUnitChanged(CWerte&) override {}
    int OnValueChanged(CWerte& value) override;
    void UpdateDependentValues() override {}
    std::string GetName() override { return "Grunddaten"; }
    // Non-zero when a check failed.
    int CheckInputs(std::string& message, std::vector<int>* ids) override;

    CWDouble airPressure;          // p_L, Pa
    CWDouble airTemperature;       // T_L, first set, °C
    CWDouble airTemperature2;      // second set (secondary-air operation), °C
    CWDouble surroundingOutlet;    // T_uo, °C
    CWDouble safetyFactor;         // S_E
    CWDouble heatTransferFactor;   // S_H
    CWDouble gasConstantAir;       // R_L, J/(kg K)
    CWDouble airRatio;
    CWDouble geoHeight;            // z, m
    CWDouble surroundingOutside;   // T_uf, °C
    CWDouble surroundingUnheated;  // T_uk, °C
    CWDouble surroundingHeated;    // T_uw, °C
    CWDouble surroundingOther;     // T_ud, °C
    CWDouble airDensity;           // first set, kg/m³
    CWDouble airDensity2;          // second set, kg/m³
    CWDouble minReynolds;

    // Current defaults of the input cells.
    double geoHeightDefault = 0, safetyDefault = 1.5, heatTransferDefault = 0.5, airRatioDefault = 0.9;
    // T_L, second set, T_uo, T_uf, T_uk, T_uw, T_ud of the selected column.
    double designDefaults[7] = {};

private:
    CWDouble* DesignCell(int i);
    CWDouble* DefaultCell(const CWerte& value, double*& def);
    std::vector<CWDouble*> Cells();
};
