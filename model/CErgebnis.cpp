#include "model/CErgebnis.h"

#include "platform/Archive.h"
#include "values/ArchiveFormat.h"

void CErgebnis::Serialize(vx::Archive& ar) {
    const int v = ArchiveFormat(ar);
    double* const values[] = {&draught, &required, &kOutlet, &innerWallTemperature, &outletTemperature, &extra1,
                              &extra2,  &extra3,   &extra4,  &extra5,               &limitTemperature,  &airSupplyPressure};
    int32_t* const criteria[] = {&criterion1, &criterion2, &criterion3, &criterion4,
                                 &criterion5, &criterion6, &criterion7};
    if (ar.IsStoring()) {
        for (double* x : values) ar << *x;
        ar << loadMode << chimneyResistance << presetValue << caseFlags << text << ok;
        for (int32_t* c : criteria) ar << *c;
        ar << airDensity;
        return;
    }
    for (double* x : values) ar >> *x;
    ar >> loadMode >> chimneyResistance >> presetValue >> caseFlags >> text >> ok;
    if (v > 1)
        for (int32_t* c : criteria) ar >> *c;
    if (v >= 5) ar >> airDensity;
}
