// The assessment of one cross-section and height for one calculation case:
// the criteria flags and the values they were decided on.
#pragma once

#include "platform/Archive.h"

#include <cstdint>
#include <string>

class CErgebnis {
public:
    void Serialize(vx::Archive& ar);

    double draught = 0;               // available draught at the outlet, Pa
    double required = 0;              // draught required by the connecting side, Pa
    double kOutlet = 0;               // W/(m² K)
    double innerWallTemperature = 0;  // °C
    double outletTemperature = 0;     // °C
    double extra1 = 0, extra2 = 0, extra3 = 0, extra4 = 0, extra5 = 0;
    double limitTemperature = 0;      // °C
    double airSupplyPressure = 0;     // Pa
    double airDensity = 0;            // kg/m³
    int32_t loadMode = 0;
    double chimneyResistance = 0;     // Pa
    double presetValue = 30.0;
    int32_t caseFlags = 0;
    int32_t ok = 1;
    int32_t criterion1 = 1, criterion2 = 1, criterion3 = 1, criterion4 = 1, criterion5 = 1, criterion6 = 1,
            criterion7 = 1;
    std::string texts[5];
    int16_t shape = 0;
    double sizes[5] = {};  // kept with the diagram's results, never stored
    std::string text;
};
