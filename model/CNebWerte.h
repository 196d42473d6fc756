// The results of one secondary-air or exhaust-air device calculation: the
// mixture of flue gas and added air and the device's pressure loss.
#pragma once

#include "platform/ArchiveFwd.h"

#include <cstdint>
#include <string>

struct CNebWerte {
    double airSpecificHeat = 0;   // cp of the air, J/(kg K)
    double temperature = 0;       // mixed, °C
    double waterVapour = 0;       // mixed, % by volume
    double co2 = 0;               // mixed, % by volume
    double gasConstant = 0;       // mixed, J/(kg K)
    double density = 0;           // mixed, kg/m³
    double velocity = 0;          // m/s
    double airSideValue = 0;      // Pa
    // Secondary air: the larger of a0 and the pressure loss below the device, Pa;
    // exhaust air: the air volume flow, m³/h.
    double baseValue = 0;
    double pressureLoss = 0;      // Pa
    double addedMassFlow = 0;     // kg/s
    double deviceCoefficient = 0; // zeta of the device
    int32_t mode = 0;             // mode bits of the calculation
    std::string text;

    void Serialize(vx::Archive& ar);
    // Stored size of a record with an empty text, for checking counts read from files.
    static constexpr size_t kMinStoredBytes = 12 * 8 + 4 + 1;
};
