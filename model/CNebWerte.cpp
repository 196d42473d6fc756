#include "model/CNebWerte.h"

#include "platform/Archive.h"

void CNebWerte::Serialize(vx::Archive& ar) {
    double* const values[] = {&airSpecificHeat, &temperature, &waterVapour, &co2,           &gasConstant,
                              &density,         &velocity,    &airSideValue, &baseValue,    &pressureLoss,
                              &addedMassFlow,   &deviceCoefficient};
    if (ar.IsStoring()) {
        for (double* v : values) ar << *v;
        ar << mode << text;
    } else {
        for (double* v : values) ar >> *v;
        ar >> mode >> text;
    }
}
