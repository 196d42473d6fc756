#include "model/CVerbLuft.h"

#include "model/CAufBauE.h"
#include "model/CaseArray.h"
#include "model/ModelText.h"
#include "platform/Archive.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "values/ArchiveFormat.h"
#include "values/CMEinheitListe.h"
#include "values/RangeMessages.h"
#include "values/Rounding.h"

#include <cmath>

namespace {

struct DuctLimits {
    double lMin, lMax, dhMin, dhMax, rMin, rMax, tMin, tMax;
};

const DuctLimits& Limits() {
    static const DuctLimits limits = [] {
        auto read = [](const char* key, const char* def) {
            return vx::ParseDouble(vx::Profile().GetString("VerbLuft", key, def));
        };
        return DuctLimits{read("Lmin", ".1"),     read("Lmax", "50.0"), read("Dhmin", "0.05"), read("Dhmax", "2.0"),
                          read("rmin", "0.0005"), read("rmax", "0.005"), read("Tlmin", "0.0"),  read("Tlmax", "30.0")};
    }();
    return limits;
}

enum : uint16_t { IdLength = 1, IdDiameter, IdSideA, IdSideB, IdShape, IdArea, IdGeometry, IdRoughness, IdSupplyTemp,
                  IdSafety, IdZetaSum };

} // namespace

CVerbLuft::CVerbLuft() {
    const DuctLimits& l = Limits();
    const uint16_t msg = IDS_WERTEBEREICH;
    airDuctLength.Init(IdLength, 0, 0, 0, 8, kUnitMetre, kUnitMetre, 0, 0, msg, l.lMin, l.lMax, false);
    airDuctDiameter.Init(IdDiameter, 0, 0, 0, 8, kUnitMetre, kUnitMetre, 0, 0, msg, l.dhMin, l.dhMax, false);
    airDuctSideA.Init(IdSideA, 0, 0, 0, 8, kUnitMetre, kUnitMetre, 0, 0, msg, l.dhMin, l.dhMax, false);
    airDuctSideB.Init(IdSideB, 0, 0, 0, 8, kUnitMetre, kUnitMetre, 0, 0, msg, l.dhMin, l.dhMax, false);
    airDuctShape.Init(IdShape, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, false);
    airDuctArea.Init(IdArea, 0, 0, 0, 4, 0, 0, 0, 2, 0, 0, 0, false);
    airDuctGeometryValue.Init(IdGeometry, 0, 0, 0, 4, 0, 0, 0, 2, 0, 0, 0, false);
    airDuctRoughness.Init(IdRoughness, 0, 0, 0, 8, kUnitMetre, kUnitMetre, 0, 0, msg, l.rMin, l.rMax, false);
    supplyAirTemperature.Init(IdSupplyTemp, 0, 0, 0, 8, 0, 0, 0, 2, msg, l.tMin, l.tMax, false);
    supplyAirTemperature.value = 15.0;
    airDuctSafetyFactor.Init(IdSafety, 0, 0, 0, 4, 0, 0, 0, 3, 0, 0, 0, false);
    airDuctSafetyFactor.value = 1.0;
    airDuctZetaSum.Init(IdZetaSum, 0, 0, 0, 4, 0, 0, 0, 3, 0, 0, 0, false);
}

CVerbLuft& CVerbLuft::operator=(const CVerbLuft& other) {
    if (this == &other) return *this;
    airDuctLength = other.airDuctLength;
    airDuctDiameter = other.airDuctDiameter;
    airDuctSideA = other.airDuctSideA;
    airDuctSideB = other.airDuctSideB;
    airDuctShape = other.airDuctShape;
    airDuctArea = other.airDuctArea;
    airDuctGeometryValue = other.airDuctGeometryValue;
    airDuctRoughness = other.airDuctRoughness;
    supplyAirTemperature = other.supplyAirTemperature;
    airDuctSafetyFactor = other.airDuctSafetyFactor;
    airDuctZetaSum = other.airDuctZetaSum;
    airDuctZetas = other.airDuctZetas;
    SetArrangement(other.airDuctArrangement);
    return *this;
}

void CVerbLuft::SetArrangement(CAufBauE* arrangement) {
    airDuctArrangement = arrangement;
    airDuctSite = arrangement ? &arrangement->site : nullptr;
}

double CVerbLuft::Colebrook(double re) const {
    const double r = airDuctRoughness.value, dh = airDuctDiameter.value;
    double lambda = 0.00002;
    for (int round = 0; round < 50; ++round) {
        const double next = std::pow(1 / (-2 * std::log10(2.51 / (re * std::sqrt(lambda)) + r / (3.71 * dh))), 2);
        const bool settled = RoundToStep(next, 100000) == RoundToStep(lambda, 100000);
        lambda = next;
        if (settled) break;
    }
    return lambda;
}

double CVerbLuft::Calculate(const AbgasZustand* state, int caseIndex) {
    if (caseIndex < 0) airDuctCaseCount = 0;
    else if (caseIndex > airDuctCaseCount) airDuctCaseCount = caseIndex;
    CVerbLuftWerte& rec = CaseAt(airDuctCases, caseIndex < 0 ? -1 : airDuctCaseCount);
    rec = CVerbLuftWerte{};

    const CAufBauE* arr = airDuctArrangement;
    double m = state ? state->massFlow : 0.0;
    if (arr && arr->generatorCount.value == 2) m *= 2;
    const double t = supplyAirTemperature.value;
    rec.eta = 0.000015 + 4.7e-8 * t - 2e-11 * t * t;
    const double pL = airDuctSite ? airDuctSite->airPressure.value : 0.0;
    rec.rho = pL / 288 / (t + 273.15);
    const double airMass = airDuctSite ? airDuctSite->airRatio.value : 1.0;
    rec.w = m * airMass / airDuctArea.value / rec.rho;
    rec.reynolds = rec.w * airDuctDiameter.value * rec.rho / rec.eta;
    rec.lambda = Colebrook(rec.reynolds);
    const bool positive = arr && arr->Regime() == CAufBauE::Positive &&
                          (arr->Kind() == 1 || arr->Kind() == 3 || arr->Kind() == 4);
    airDuctSafetyFactor.value = positive ? 1.2 : 1.0;
    airDuctZetaSum.value = airDuctZetas.Calculate(1, 1, 1, 1, 1, false);
    rec.pressureLoss = RoundToStep(rec.w * rec.w *
                                       ((airDuctZetaSum.value + airDuctLength.value * rec.lambda / airDuctDiameter.value) *
                                        airDuctSafetyFactor.value * 0.5 * rec.rho),
                                   100);
    return rec.pressureLoss;
}

void CVerbLuft::Serialize(vx::Archive& ar) {
    const int v = ArchiveFormat(ar);
    airDuctLength.Serialize(ar);
    airDuctDiameter.Serialize(ar);
    airDuctSideA.Serialize(ar);
    airDuctSideB.Serialize(ar);
    airDuctShape.Serialize(ar);
    airDuctArea.Serialize(ar);
    airDuctGeometryValue.Serialize(ar);
    airDuctRoughness.Serialize(ar);
    supplyAirTemperature.Serialize(ar);
    airDuctSafetyFactor.Serialize(ar);
    airDuctZetaSum.Serialize(ar);
    airDuctZetas.Serialize(ar);
    if (ar.IsStoring() || v >= 18) SerializeStateWord(ar);
    if (ar.IsStoring()) {
        ar << int32_t(airDuctCases.empty() ? -1 : int32_t(airDuctCases.size()) - 1);
        for (const CVerbLuftWerte& r : airDuctCases) ar << r.eta << r.reynolds << r.lambda << r.rho << r.w << r.pressureLoss;
        return;
    }
    const int32_t count = ar.ReadInt32();
    airDuctCases.clear();
    if (count < -1 || (count >= 0 && size_t(count) + 1 > ar.Remaining() / 48)) throw vx::ArchiveEndOfFile();
    airDuctCaseCount = count;
    for (int32_t i = 0; i <= count; ++i) {
        CVerbLuftWerte r;
        ar >> r.eta >> r.reynolds >> r.lambda >> r.rho >> r.w >> r.pressureLoss;
        airDuctCases.push_back(r);
    }
}

void CVerbLuft::LoadDefault(CWerte& value) {
    if (&value == &supplyAirTemperature) {
        supplyAirTemperature.value = 15.0;
        supplyAirTemperature.marker = CWerte::MarkerDerived;
    }
}

void CVerbLuft::OnUnitChanged(CWerte& value) {
    CWDouble* group[] = {&airDuctDiameter, &airDuctSideA, &airDuctSideB};
    for (CWDouble* c : group)
        if (&value == c) {
            for (CWDouble* o : group)
                if (o != c && o->displayUnit != c->displayUnit) {
                    o->displayUnit = c->displayUnit;
                    SaveUnitChoice(*o);
                }
            SaveUnitChoice(*c);
            return;
        }
    if (&value == &airDuctRoughness || &value == &supplyAirTemperature) SaveUnitChoice(value);
}

int CVerbLuft::OnValueChanged(CWerte& value) {
    if (&value != &supplyAirTemperature) return 0;
    supplyAirTemperature.marker = 0;
    return 1;
}

int CVerbLuft::CheckInputs(std::string& message, std::vector<int>* ids) {
    int failed = 0;
    auto check = [&](CWerte& c) { CheckCell(c, message, ids, failed); };
    check(airDuctLength);
    if (airDuctShape.value == 2) {
        check(airDuctSideA);
        check(airDuctSideB);
    } else {
        check(airDuctDiameter);
    }
    check(airDuctRoughness);
    check(supplyAirTemperature);
    return failed ? 1 : 0;
}
