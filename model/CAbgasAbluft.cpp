#include "model/CAbgasAbluft.h"

#include "model/CGrunddaten.h"
#include "model/ChainHelpers.h"
#include "model/ModelText.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "values/CMEinheitListe.h"

const CAbgasAbluft::Settings& CAbgasAbluft::ProfileSettings() {
    static const Settings settings = [] {
        Settings s;
        s.dhMin = vx::ParseDouble(vx::Profile().GetString("ABGASABL", "Dh_min", "0.05"));
        s.dhMax = vx::ParseDouble(vx::Profile().GetString("ABGASABL", "Dh_max", "2.0"));
        return s;
    }();
    return settings;
}

CAbgasAbluft::CAbgasAbluft() {
    const Settings& s = ProfileSettings();
    const uint16_t msg = IDS_WERTEBEREICH;
    ductShape.Init(IdDuctShape, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, false);
    ductDiameter.Init(IdDuctDiameter, 0, 0, 0, 8, kUnitMetre, kUnitMetre, 0, 0, msg, s.dhMin, s.dhMax, false);
    ductSideA.Init(IdDuctSideA, 0, 0, 0, 8, kUnitMetre, kUnitMetre, 0, 0, msg, s.dhMin, s.dhMax, false);
    ductSideB.Init(IdDuctSideB, 0, 0, 0, 8, kUnitMetre, kUnitMetre, 0, 0, msg, s.dhMin, s.dhMax, false);
    ductArea.Init(IdDuctArea, 0, 0, 0, 4, kUnitSquareMetre, kUnitSquareMetre, 0, 2, 0, 0, 0, false);
    ductPerimeter.Init(IdDuctPerimeter, 0, 0, 0, 4, kUnitMetre, kUnitMetre, 0, 2, 0, 0, 0, false);
    ductZetaSum.Init(IdDuctZetaSum, 0, 0, 0, 4, 0, 0, 0, 2, 0, 0, 0, false);
    // The duct's own bend at its inlet and a fitting of kind 24 without a curve.
    ductZetas.AddResistance(1, 90, 0, 0, 1);
    ductZetas.AddResistance(24, 90, 0, 0, 1);
    ductZetaSum.value = ductZetas.Calculate(0, 0, 0, 0, 0, true);
}

void CAbgasAbluft::CalcAirState(CNebWerte& record, const AbgasZustand& state, bool temperatureCase) {
    if (!site) return;
    const Mixture x = MixAir(state, temperatureCase);
    const double mG = state.massFlow;
    const double mL = airMassFlow.value;
    const double tL = roomAirTemperature.value;
    deviceZeta.value = ductZetas.CalcJunctionZeta2(-1, state.areaBelow, deviceArea, mG, mG + mL, junctionAngle);

    double dh = ductDiameter.value;
    CrossSectionGeometry(ductDiameter.value, ductSideA.value, ductSideB.value, ductShape.value, ductArea.value,
                         ductPerimeter.value, dh);
    ductDiameter.value = dh;
    const double rhoL = site->airPressure.value / 288 / (tL + 273.15);
    const double wL = mL / ductArea.value / rhoL;
    ductZetaSum.value = ductZetas.Calculate(0, 0, 0, 0, 0, true);
    const double S = site->safetyFactor.value;

    StoreMixture(record, x);
    record.airSideValue = 0;
    record.baseValue = mL / rhoL * 3600;  // air volume flow, m³/h
    record.pressureLoss = (wL * (ductZetaSum.value * rhoL * 0.5 * wL) +
                           x.velocity * ((deviceZeta.value + 1) * x.density * 0.5 * x.velocity)) *
                              S +
                          savedPressureLoss;
}

void CAbgasAbluft::Serialize(vx::Archive& ar) {
    CNebenLuft::Serialize(ar);
    ductShape.Serialize(ar);
    ductDiameter.Serialize(ar);
    ductSideA.Serialize(ar);
    ductSideB.Serialize(ar);
    ductArea.Serialize(ar);
    ductPerimeter.Serialize(ar);
    ductZetas.Serialize(ar);
    ductZetaSum.Serialize(ar);
}

int CAbgasAbluft::CheckInputs(std::string& message, std::vector<int>* ids) {
    message.clear();
    int failed = 0;
    CheckInto(roomAirTemperature, message, ids, failed);
    CheckInto(relativeHumidity, message, ids, failed);
    if (ductShape.value == ShapeRound) {
        CheckInto(ductDiameter, message, ids, failed);
    } else {
        CheckInto(ductSideA, message, ids, failed);
        // A square duct has one side.
        if (ductShape.value != ShapeSquare) CheckInto(ductSideB, message, ids, failed);
    }
    return failed;
}

void CAbgasAbluft::OnUnitChanged(CWerte& value) {
    CWDouble* const group[] = {&ductDiameter, &ductSideA, &ductSideB};
    bool inGroup = false;
    for (CWDouble* c : group) inGroup = inGroup || c == &value;
    if (!inGroup) return;
    SaveUnitChoice(value);
    for (CWDouble* c : group)
        if (c->displayUnit != value.displayUnit) {
            c->displayUnit = value.displayUnit;
            SaveUnitChoice(*c);
        }
}
