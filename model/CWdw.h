// A wall of up to five concentric layers and its thermal resistance 1/Lambda.
// Layers are given by conductivity or resistance, constant or from a table
// over temperature (or over gap width and temperature).
#pragma once

#include "values/CVxtBase.h"
#include "values/CWDouble.h"
#include "values/CWString.h"

struct WallLayer {
    CWString material;
    CWDouble thickness;     // m; 0 = layer not used
    CWDouble conductivity;  // W/(m K)
    CWDouble resistance;    // m² K/W
    int32_t tableKind = 0;  // non-zero: the values come from the table
    int32_t skipInMode2 = 0;
    int32_t extra1 = 0;
    int32_t extra2 = 0;
    // Rows of thickness key w (m), resistance R, conductivity lambda, temperature key T (°C).
    double table[20][4] = {};
};

class CWdw : public CVxtBase {
public:
    enum { W = 0, R = 1, Lambda = 2, T = 3 };  // table columns

    CWdw();
    CWdw(const CWdw& other) : CWdw() { *this = other; }
    CWdw& operator=(const CWdw& other);

    // Sums the layers into totalResistance and totalThickness; true when a
    // layer depends on temperature (the caller then iterates). out receives
    // the outside temperature of each layer calculated.
    bool CalculateWall(double dh, double startDiameter, int kind, double t, double k, double tu, double tWall,
                       double factor, int mode, double* layerTemperaturesOut);
    // The layer's conductivity and resistance at a temperature, from its table.
    void LookupLayerTable(WallLayer& layer, double temperature);

    void Serialize(vx::Archive& ar);

    void LoadDefault(CWerte& value) override;
    void SaveDefaults() override {}
    void OnUnitChanged(CWerte& value) override;
    int OnValueChanged(CWerte&) override { return 0; }
    void UpdateDependentValues() override {}
    std::string GetName() override { return "WDW"; }
    // Non-zero when a check failed.
    int CheckInputs(std::string& message, std::vector<int>* ids) override;

    WallLayer layers[5];
    CWDouble totalResistance;  // m² K/W
    CWDouble totalThickness;   // m

    // The limits of section "WDW", read with the first wall of the process.
    struct Limits {
        double thicknessMin, thicknessMax, conductivityMin, conductivityMax, resistanceMin, resistanceMax;
        uint16_t thicknessUnit;
    };
    static const Limits& ProfileLimits();
};
