// The calculation record of one section and case: the flue-gas properties
// plus heat transmission, temperatures, wall temperatures and pressures.
#pragma once

#include "model/CStoff.h"

#include <string>

class CRechnen : public CStoff {
public:
    // A record's cells are never edited: they keep no undo texts, so that
    // resetting a record costs the same whatever the undo size.
    explicit CRechnen(CGrunddaten* site = nullptr);
    CRechnen(const CRechnen& other) : CRechnen(other.site) { *this = other; }
    CRechnen& operator=(const CRechnen& other);
    // As operator= from a fresh record: the values, and the cells'
    // attributes only when a file or a copy may have changed them.
    void ResetTo(const CRechnen& fresh);

    void Serialize(vx::Archive& ar);
    // " (mit Kondensation, NL aktiv)" as far as they apply; "" when neither does.
    void BuildWetDryText(uint16_t mode);

    CWDouble k;               // heat-transmission coefficient, W/(m² K)
    CWDouble kb;              // k for the outlet wall temperature
    CWDouble coolingNumber;   // K
    CWDouble tm, to, te;      // mean, outlet, inlet temperature, °C
    CWDouble innerWallOutlet; // °C
    CWDouble Rf;              // friction and single resistances, Pa
    CWDouble PR;              // pressure resistance, Pa
    CWDouble PH;              // theoretical draught, Pa
    CWDouble PG;              // velocity change, Pa
    CWDouble junctionPressure1, junctionPressure2;
    CWDouble junctionCoeff1, junctionCoeff2;
    CWDouble layerMean[5], layerInlet[5], layerOutlet[5];  // wall-layer temperatures, °C
    CWDouble innerWallInletB, innerWallOutletB;

    double referenceMassFlow = 0;
    double massFlow = 0;                 // kg/s
    double generatorCo2 = 0, generatorTemperature = 0, generatorFurther = 0;
    double junctionCollected = 0;
    double copyCo2 = 0, copyTemperature = 0, copyFurther = 0;
    int32_t coefficientFlag = 1;
    double pressureLoss = 0, draught = 0, airSideLoss = 0;
    double extraAlpha = 0;
    double spareZero = 0;
    int32_t spareWord = 0;
    std::string wetDryText;

private:
    // The cells' attributes may differ from a fresh record's.
    bool attributesChanged_ = false;
};
