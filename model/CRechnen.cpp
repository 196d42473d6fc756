#include "model/CRechnen.h"

#include "model/CModul.h"
#include "model/ModelText.h"
#include "platform/Archive.h"
#include "platform/StringTable.h"
#include "values/ArchiveFormat.h"

namespace {

// f(cell of a, same cell of b) for every value cell of a record.
template <class F>
void ForEachCell(CRechnen& a, const CRechnen& b, F f) {
    f(a.firstValue, b.firstValue);
    f(a.cp, b.cp);
    f(a.gasConstant, b.gasConstant);
    f(a.h2o, b.h2o);
    f(a.dewPoint, b.dewPoint);
    f(a.dryLength, b.dryLength);
    f(a.dewPointIncrement, b.dewPointIncrement);
    f(a.lambda, b.lambda);
    f(a.eta, b.eta);
    f(a.rho, b.rho);
    f(a.w, b.w);
    f(a.reynolds, b.reynolds);
    f(a.prandtl, b.prandtl);
    f(a.nusselt, b.nusselt);
    f(a.alphaInner, b.alphaInner);
    f(a.psi, b.psi);
    f(a.psiSmooth, b.psiSmooth);
    f(a.partialPressure, b.partialPressure);
    f(a.rhoInlet, b.rhoInlet);
    f(a.wInlet, b.wInlet);
    f(a.rhoOutlet, b.rhoOutlet);
    f(a.wOutlet, b.wOutlet);
    f(a.wallResistance, b.wallResistance);
    f(a.k, b.k);
    f(a.kb, b.kb);
    f(a.coolingNumber, b.coolingNumber);
    f(a.tm, b.tm);
    f(a.to, b.to);
    f(a.te, b.te);
    f(a.innerWallOutlet, b.innerWallOutlet);
    f(a.Rf, b.Rf);
    f(a.PR, b.PR);
    f(a.PH, b.PH);
    f(a.PG, b.PG);
    f(a.junctionPressure1, b.junctionPressure1);
    f(a.junctionPressure2, b.junctionPressure2);
    f(a.junctionCoeff1, b.junctionCoeff1);
    f(a.junctionCoeff2, b.junctionCoeff2);
    for (int i = 0; i < 5; ++i) {
        f(a.layerMean[i], b.layerMean[i]);
        f(a.layerInlet[i], b.layerInlet[i]);
        f(a.layerOutlet[i], b.layerOutlet[i]);
    }
    f(a.innerWallInletB, b.innerWallInletB);
    f(a.innerWallOutletB, b.innerWallOutletB);
}

} // namespace

CRechnen::CRechnen(CGrunddaten* site) : CStoff(site) {
    ForEachCell(*this, *this, [](CWDouble& c, const CWDouble&) { c.DropHistory(); });
}

void CRechnen::ResetTo(const CRechnen& fresh) {
    if (this == &fresh) return;
    if (attributesChanged_ || fresh.attributesChanged_) {
        ForEachCell(*this, fresh, [](CWDouble& c, const CWDouble& f) { c.AssignWithoutHistory(f); });
        attributesChanged_ = fresh.attributesChanged_;
    } else {
        // Only the calculation's changes: values and the shown values.
        ForEachCell(*this, fresh, [](CWDouble& c, const CWDouble& f) {
            c.value = f.value;
            c.shownValue = f.shownValue;
        });
    }
    state = fresh.state;
    reynoldsFloored = fresh.reynoldsFloored;
    site = fresh.site;
    referenceMassFlow = fresh.referenceMassFlow;
    massFlow = fresh.massFlow;
    generatorCo2 = fresh.generatorCo2;
    generatorTemperature = fresh.generatorTemperature;
    generatorFurther = fresh.generatorFurther;
    junctionCollected = fresh.junctionCollected;
    copyCo2 = fresh.copyCo2;
    copyTemperature = fresh.copyTemperature;
    copyFurther = fresh.copyFurther;
    coefficientFlag = fresh.coefficientFlag;
    pressureLoss = fresh.pressureLoss;
    draught = fresh.draught;
    airSideLoss = fresh.airSideLoss;
    extraAlpha = fresh.extraAlpha;
    spareZero = fresh.spareZero;
    spareWord = fresh.spareWord;
    wetDryText = fresh.wetDryText;
}

CRechnen& CRechnen::operator=(const CRechnen& other) {
    if (this == &other) return *this;
    attributesChanged_ = true;
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
    if (!ar.IsStoring()) attributesChanged_ = true;
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
    if (mode & kModeSecondAirSet) join(vx::LoadString(IDS_NL_AKTIV));
    wetDryText = " (" + parts + ")";
}
