// The assessment of one cross-section and height for one calculation case:
// the criteria flags and the values they were decided on.
#pragma once

#include "platform/ArchiveFwd.h"

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
    // Further values only Tarsilo fills, for criteria 3 to 5:
    double extra1 = 0;  // minimum draught for the connecting piece's gas temperature, Pa
    double extra2 = 0;  // minimum flue-gas velocity at the outlet, m/s
    double extra3 = 0;  // flue-gas velocity in the last chimney section, m/s
    double extra4 = 0;  // largest height-to-diameter ratio the wall's roughness allows
    double extra5 = 0;  // ratio of the chimney's height to its hydraulic diameter
    double limitTemperature = 0;      // °C
    double airSupplyPressure = 0;     // Pa
    double airDensity = 0;            // kg/m³
    int32_t loadMode = 0;             // draught correction applied: 1 first rule, 2 second; 0 none
    double chimneyResistance = 0;     // Pa
    double presetValue = 30.0;
    int32_t caseFlags = 0;            // the mode bits of the calculation
    int32_t ok = 1;                   // 1 when every criterion holds
    // Each criterion is 1 when it holds, 0 when it fails.
    int32_t criterion1 = 1;  // pressure: draught against the required draught
    int32_t criterion2 = 1;  // temperature: inner wall temperature against the limit
    int32_t criterion3 = 1;  // Tarsilo: draught against extra1
    int32_t criterion4 = 1;  // Tarsilo: velocity against the minimum velocity
    int32_t criterion5 = 1;  // Tarsilo: height-to-diameter ratio against extra4
    int32_t criterion6 = 1;  // stored with the others; neither program tests it
    int32_t criterion7 = 1;  // air supply: draught against the air-supply pressure
    std::string texts[5];
    int16_t shape = 0;
    double sizes[5] = {};  // kept with the diagram's results, never stored
    std::string text;
};
