#include "model/CRechnen.h"

#include "model/ModelText.h"
#include "platform/StringTable.h"
#include "values/Helpers.h"

CRechnen& CRechnen::operator=(const CRechnen& other) {
    if (this == &other) return *this;
    CStoff::operator=(other);
    dewPointIncrement = other.dewPointIncrement;
    k = other.k;
    kb = other.kb;
    coolingNumber = other.coolingNumber;
    tm = other.tm;
    to = other.to;
    te = other.te;
    innerWallOutlet = other.innerWallOutlet;
    Rf = other.Rf;
    PR = other.PR;
    PH = other.PH;
    PG = other.PG;
    junctionPressure1 = other.junctionPressure1;
    junctionPressure2 = other.junctionPressure2;
    junctionCoeff1 = other.junctionCoeff1;
    junctionCoeff2 = other.junctionCoeff2;
    for (int i = 0; i < 5; ++i) {
        layerMean[i] = other.layerMean[i];
        layerInlet[i] = other.layerInlet[i];
        layerOutlet[i] = other.layerOutlet[i];
    }
    innerWallInletB = other.innerWallInletB;
    innerWallOutletB = other.innerWallOutletB;
    referenceMassFlow = other.referenceMassFlow;
    massFlow = other.massFlow;
    generatorCo2 = other.generatorCo2;
    generatorTemperature = other.generatorTemperature;
    generatorFurther = other.generatorFurther;
    junctionCollected = other.junctionCollected;
    copyCo2 = other.copyCo2;
    copyTemperature = other.copyTemperature;
    copyFurther = other.copyFurther;
    coefficientFlag = other.coefficientFlag;
    pressureLoss = other.pressureLoss;
    draught = other.draught;
    airSideLoss = other.airSideLoss;
    extraAlpha = other.extraAlpha;
    spareZero = other.spareZero;
    spareWord = other.spareWord;
    wetDryText = other.wetDryText;
    return *this;
}

void CRechnen::Serialize(vx::Archive& ar) {
    const int v = ArchiveFormat(ar);
    for (CWDouble* c : {&k, &coolingNumber, &tm, &to, &Rf, &PR, &PH, &PG}) c->Serialize(ar);
    if (v > 1) innerWallOutlet.Serialize(ar);
    if (ar.IsStoring()) ar << wetDryText;
    else ar >> wetDryText;
    if (v > 4) {
        kb.Serialize(ar);
        // The mass flow is written twice; the second copy is read over the first.
        ar.Exchange(massFlow);
        ar.Exchange(massFlow);
        for (double* x : {&generatorCo2, &generatorTemperature, &generatorFurther, &junctionCollected}) ar.Exchange(*x);
        ar.Exchange(coefficientFlag);
        for (double* x : {&copyCo2, &copyTemperature, &copyFurther}) ar.Exchange(*x);
        if (v > 11)
            for (double* x : {&pressureLoss, &draught, &airSideLoss, &extraAlpha}) ar.Exchange(*x);
        junctionPressure1.Serialize(ar);
        junctionPressure2.Serialize(ar);
        if (v > 11) te.Serialize(ar);
        if (v > 33) {
            innerWallInletB.Serialize(ar);
            innerWallOutletB.Serialize(ar);
            for (int i = 0; i < 5; ++i) {
                layerMean[i].Serialize(ar);
                layerInlet[i].Serialize(ar);
                layerOutlet[i].Serialize(ar);
            }
        }
    }
    CStoff::Serialize(ar);
}

void CRechnen::BuildWetDryText(uint16_t mode) {
    std::string parts;
    auto join = [&parts](const std::string& text) {
        if (!parts.empty()) parts += ", ";
        parts += text;
    };
    if (state == 2) join(vx::LoadString(IDS_MIT_KONDENSATION));
    if (mode & 8) join(vx::LoadString(IDS_NL_AKTIV));
    wetDryText = " (" + parts + ")";
}
