// The flow state that travels up the module chain: each module takes the
// state of the module below and returns the state at its own outlet.
#pragma once

#include <cstdint>
#include <type_traits>

struct AbgasZustand {
    // Temperature case.
    double co2T = 0, h2oT = 0, gasConstantT = 0, temperatureT = 0, specificHeatT = 0;
    double cpCoeffAT = 0, cpCoeffBT = 0, cpCoeffCT = 0, cpCoeffFT = 0, massFlowT = 0;
    // Pressure case.
    double co2P = 0, h2oP = 0, gasConstantP = 0, temperatureP = 0, specificHeatP = 0;
    double cpCoeffAP = 0, cpCoeffBP = 0, cpCoeffCP = 0, cpCoeffFP = 0, massFlowP = 0;

    double pressureLoss = 0;
    double draught = 0;
    double alphaInner = 0;
    double wallResistance = 0;
    double hydraulicDiameter = 0;
    double wallThickness = 0;
    double alphaOuter = 0;
    double connectorOutletTemperature = 0;
    double roughness = 0;
    double heightSum = 0;
    double dewPoint = 0;
    double dewPointIncrement = 0;
    double velocity = 0;
    double resistanceSum = 0;
    double airSideLoss = 0;
    double areaBelow = 0;
    double massFlow = 0;
    double massFlowAdded = 0;
    double airTemperature = 0;
    double airDensity = 0;
    int32_t fuelIndex = 0;
    int32_t wetState = 0;
    double junctionValue = 0;
    int32_t junctionKind = 0;
    double junctionFlow = 0;
    double junctionParamA = 0;
    double junctionArea = 0;
    double junctionParamB = 0;
    double junctionVelocity = 0;
    double junctionDensity = 0;
    int32_t caseSelect = 0;
    int32_t useFuelCoefficients = 0;
    uint32_t criteria = 0;

    // The record is always cleared as a whole.
    void Clear() { *this = AbgasZustand{}; }
};

static_assert(std::is_trivially_copyable_v<AbgasZustand>, "the flow state is copied as a whole");
