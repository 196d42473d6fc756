#include "model/CWaerme.h"

#include "model/CAufBauE.h"
#include "model/CaseArray.h"
#include "model/CaseRecords.h"
#include "model/ChainHelpers.h"
#include "model/FuelTable.h"
#include "model/ModelText.h"
#include "platform/Archive.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "values/ArchiveFormat.h"
#include "values/CMEinheitListe.h"
#include "values/RangeMessages.h"
#include "values/RecordText.h"
#include "values/Rounding.h"

#include <algorithm>
#include <cmath>

namespace {

struct GeneratorLimits {
    double qnMin, qnMax, qfMin, qfMax, etaMin, etaMax, volMin, volMax, co2Min, co2Max, o2Min, o2Max, mMin, mMax,
        twMin, twMax, pwMin, pwMax, pwuMin, pwuMax, geoMin, geoMax;
};

const GeneratorLimits& Limits() {
    static const GeneratorLimits limits = [] {
        auto read = [](const char* key, const char* def) {
            return vx::ParseDouble(vx::Profile().GetString("WRZ", key, def));
        };
        return GeneratorLimits{read("Qnmin", "0.5"),   read("Qnmax", "99999.0"), read("Qfmin", "0.5"),
                               read("Qfmax", "99999.0"), read("Etamin", "1.0"),  read("Etamax", "130.0"),
                               read("Volmin", "1.0"),  read("Volmax", "150000.0"), read("CO2min", "0.5"),
                               read("CO2max", "25.0"), read("O2min", "1.0"),     read("O2max", "21.0"),
                               read("Mmin", "0.00001"), read("Mmax", "50.0"),    read("Twmin", "20.0"),
                               read("Twmax", "999.0"), read("Pwmin", "0.0"),     read("Pwmax", "500.0"),
                               read("Pwumin", "0.0"),  read("Pwumax", "500.0"),  read("Geomin", "0.05"),
                               read("Geomax", "2.0")};
    }();
    return limits;
}

double Round(double x, int decimals) { return RoundToStep(x, std::pow(10.0, decimals)); }

void SetRange(CWDouble& c, double lo, double hi) {
    c.minimum = lo;
    c.maximum = hi;
    c.rangeMessageId = IDS_WERTEBEREICH;
}

// The part value's twin of a full-load value, or nullptr.
struct Twin {
    CWDouble* full;
    CWDouble* part;
};

} // namespace

std::vector<CWerte*> CWaerme::Cells() {
    return {&manufacturerName, &typeDesignation, &typeText3, &typeText4, &flueMassFlow, &fullLoadExtra, &co2,
            &gasTemperature, &requiredDraught, &positivePressure, &flueMassFlowPart, &co2Part, &gasTemperaturePart,
            &requiredDraughtPart, &positivePressurePart, &fuel, &output, &heatInput, &efficiency, &volumeFlow, &o2,
            &outputPart, &heatInputPart, &efficiencyPart, &volumeFlowPart, &o2Part, &interpolate, &outputSel,
            &heatInputSel, &efficiencySel, &volumeFlowSel, &o2Sel, &flueMassFlowSel, &co2Sel, &gasTemperatureSel,
            &requiredDraughtSel, &positivePressureSel, &outletShape, &outletDiameter, &outletArea, &outletPerimeter,
            &outletSideA, &outletSideB, &outletLength, &outletExtra, &outletZeta, &outletCheckValue, &openingSideA,
            &openingSideB, &openingArea, &partLoadAvailable, &recalcAll, &connectorArea};
}

CWaerme::CWaerme() {
    Limits();
    uint16_t id = 1;
    for (CWerte* c : Cells()) c->Init(id++, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, false);
    // Values that follow the others until the user types them.
    for (CWDouble* c : {&efficiency, &heatInput, &co2, &flueMassFlow, &requiredDraught, &efficiencyPart,
                        &heatInputPart, &co2Part, &flueMassFlowPart, &requiredDraughtPart})
        c->marker = CWerte::MarkerDerived;
    fuel.value = 1;
    // Each group shows its values in one unit, kept in the profile under the group's first value.
    struct UnitGroup {
        std::vector<CWDouble*> cells;
        uint16_t unit;
        const char* choice;
    };
    const UnitGroup groups[] = {
        {{&output, &outputPart, &outputSel, &heatInput, &heatInputPart, &heatInputSel}, kUnitKilowatt, "256 # 0x0100"},
        {{&flueMassFlow, &flueMassFlowPart, &flueMassFlowSel}, kUnitKilogramPerSecond, "1024 # 0x0400"},
        {{&gasTemperature, &gasTemperaturePart, &gasTemperatureSel}, kUnitCelsius, "512 # 0x0200"},
        {{&requiredDraught, &requiredDraughtPart, &requiredDraughtSel}, kUnitPascal, "768 # 0x0300"},
        {{&outletDiameter}, kUnitMetre, "1280 # 0x0500"},
        {{&outletSideA, &outletSideB, &outletLength}, kUnitMetre, "1280 # 0x0500"},
        {{&positivePressure, &positivePressurePart, &positivePressureSel}, kUnitPascal, "768 # 0x0300"},
    };
    for (const UnitGroup& g : groups) {
        const uint16_t shown = LoadUnitChoice(g.cells.front()->valueId, g.choice);
        for (CWDouble* c : g.cells) {
            c->internalUnit = g.unit;
            c->displayUnit = shown;
        }
    }
    UpdateLimits();
}

CWaerme& CWaerme::operator=(const CWaerme& o) {
    if (this == &o) return *this;
    CModul::operator=(o);
    std::vector<CWerte*> mine = Cells();
    std::vector<CWerte*> theirs = const_cast<CWaerme&>(o).Cells();
    for (size_t i = 0; i < mine.size(); ++i) {
        if (auto* d = dynamic_cast<CWDouble*>(mine[i])) *d = *static_cast<CWDouble*>(theirs[i]);
        else if (auto* s = dynamic_cast<CWShort*>(mine[i])) *s = *static_cast<CWShort*>(theirs[i]);
        else *static_cast<CWString*>(mine[i]) = *static_cast<CWString*>(theirs[i]);
    }
    zeta = o.zeta;
    outletState = o.outletState;
    volumeMode = o.volumeMode;
    heatInputGiven = o.heatInputGiven;
    noPartDerive = o.noPartDerive;
    draughtFixed = o.draughtFixed;
    useFuelCoefficients = o.useFuelCoefficients;
    arrangement = o.arrangement;
    caseCount = o.caseCount;
    // The records go to the spares: a fresh record would cost more to build.
    for (auto* list : {&pressureCases, &temperatureCases}) {
        for (auto& r : *list) spareRecords.push_back(std::move(r));
        list->clear();
    }
    for (const auto& r : o.pressureCases) pressureCases.push_back(std::make_unique<CRechnen>(*r));
    for (const auto& r : o.temperatureCases) temperatureCases.push_back(std::make_unique<CRechnen>(*r));
    condensing = o.condensing;
    ownFuel = o.ownFuel;
    openOperation = o.openOperation;
    checkFlag = o.checkFlag;
    suppressPartLoad = o.suppressPartLoad;
    stateWord = o.stateWord;
    return *this;
}

int CWaerme::FuelKind() const { return FuelRowAt(fuel.value).kind; }

double CWaerme::CalcDefaultEfficiency(double q, uint16_t& marker) const {
    marker = CWerte::MarkerDerived;
    double e;
    switch (FuelKind()) {
    case 1:
        if (q > 1000) { marker = CWerte::MarkerDefault; e = 76.8; }
        else e = 51.6 + 8.4 * std::log10(q);
        break;
    case 2:
        if (q > 2000) { marker = CWerte::MarkerDefault; e = 83.0; }
        else e = 68.65 + 4.35 * std::log10(q);
        break;
    default:
        e = q > 1000 ? 88.0 : 85 + std::log10(q);
        break;
    }
    return Round(e, 2);
}

double CWaerme::CalcDefaultCo2(double q, uint16_t& marker) const {
    const FuelRow& row = FuelRowAt(fuel.value);
    marker = CWerte::MarkerDerived;
    double c;
    switch (FuelKind()) {
    case 1:
        if (q > 1000) { marker = CWerte::MarkerDefault; c = 12.0; }
        else c = q > 10 ? row.k1 + row.k2 * std::log10(q) : 8.0;
        break;
    case 2:
        if (q > 2000) { marker = CWerte::MarkerDefault; c = 13.0; }
        else c = q > 100 ? row.k1 + row.k2 * std::log10(q) : 9.5;
        break;
    default:
        c = q > 100 ? row.k3 : row.k1 / (1 - row.k2 * std::log10(q));
        break;
    }
    return Round(c, 2);
}

double CWaerme::CalcDefaultDraught(double q, uint16_t& marker, int) const {
    marker = CWerte::MarkerDerived;
    double p;
    switch (FuelKind()) {
    case 1:
        if (q > 50) { marker = CWerte::MarkerDefault; p = 25.5; }
        else p = 15 * std::log10(q);
        break;
    case 2:
        p = q > 1000 ? 80.0 : q > 100 ? 50 * std::log10(q) - 70 : 15 * std::log10(q);
        break;
    default:
        p = q > 100 ? 38.5 * std::log10(q) - 47 : 15 * std::log10(q);
        break;
    }
    return Round(p, 2);
}

double CWaerme::CalcMassFlowFromHeatInput(double qf, double c) const {
    const FuelRow& row = FuelRowAt(fuel.value);
    return Round((row.fm1 / c + row.fm2) * qf / 1000, 5);
}

double CWaerme::CalcHeatInputFromMassFlow(double m, double c) const {
    const FuelRow& row = FuelRowAt(fuel.value);
    return Round(m / (row.fm1 / c + row.fm2) * 1000, 2);
}

double CWaerme::CalcMassFlowFromVolume(double v, double c, double t) {
    double p = 101320, vv = v;
    if (arrangement && arrangement->Regime() == CAufBauE::Positive) {
        arrangement->site.CalcAirPressure();
        p = arrangement->site.airPressure.value;
        vv = v * 273.15 / (t + 273.15);
    }
    flueMassFlow.marker = CWerte::MarkerDerived;
    const FuelRow& row = FuelRowAt(fuel.value);
    return Round(p * vv / 983340 / ((row.fRDry * c + 1) * 288), 5);
}

double CWaerme::CalcFireplaceMassFlow() {
    openingArea.value = openingSideA.value * openingSideB.value;
    return openingArea.value * (openingSideA.value < openingSideB.value ? 0.6 : 0.5) / 3.6;
}

double CWaerme::CalcFireplaceDraught() const {
    const double m = flueMassFlow.value;
    const double a = outletArea.value != 0 ? outletArea.value : 0.0314;
    double rho = 0.9167;
    if (!pressureCases.empty() && pressureCases[0]->rho.value != 0) rho = pressureCases[0]->rho.value;
    return 1.5 * 0.5 * m * m / (a * a) / rho;
}

double CWaerme::Interpolate(double partValue, double fullValue) const {
    const double q = output.value, qp = outputPart.value, qs = outputSel.value;
    if (q == qp) return partValue;
    if (qs > q || qp > qs) return 0;
    return partValue + (qs - qp) * (fullValue - partValue) / (q - qp);
}

void CWaerme::InterpolateSelected() {
    heatInputSel.value = Interpolate(heatInputPart.value, heatInput.value);
    efficiencySel.value = Interpolate(efficiencyPart.value, efficiency.value);
    volumeFlowSel.value = Interpolate(volumeFlowPart.value, volumeFlow.value);
    o2Sel.value = Interpolate(o2Part.value, o2.value);
    flueMassFlowSel.value = Interpolate(flueMassFlowPart.value, flueMassFlow.value);
    co2Sel.value = Interpolate(co2Part.value, co2.value);
    gasTemperatureSel.value = Interpolate(gasTemperaturePart.value, gasTemperature.value);
    requiredDraughtSel.value = Interpolate(requiredDraughtPart.value, requiredDraught.value);
    positivePressureSel.value = Interpolate(positivePressurePart.value, positivePressure.value);
}

void CWaerme::IterateFromMassFlow(int which) {
    const bool full = which == 1;
    CWDouble& eff = full ? efficiency : efficiencyPart;
    CWDouble& qf = full ? heatInput : heatInputPart;
    CWDouble& q = full ? output : outputPart;
    CWDouble& c = full ? co2 : co2Part;
    CWDouble& m = full ? flueMassFlow : flueMassFlowPart;
    CWDouble& pw = full ? requiredDraught : requiredDraughtPart;
    uint16_t marker = 0;
    eff.value /= 100;
    for (int round = 0; round < 26; ++round) {
        const double previous = q.value;
        qf.value = CalcHeatInputFromMassFlow(m.value, c.value);
        q.value = qf.value * eff.value;
        if (eff.marker) eff.value = CalcDefaultEfficiency(q.value, marker) / 100;
        if (c.marker) c.value = CalcDefaultCo2(q.value, marker);
        if (std::trunc(100 * q.value - 100 * previous) == 0) break;
    }
    eff.value = Round(eff.value, 4) * 100;
    m.marker = CWerte::MarkerDerived;
    if ((pw.marker || recalcAll.value) && !draughtFixed) pw.value = CalcDefaultDraught(q.value, marker);
}

void CWaerme::RecalcDependents() {
    uint16_t marker = 0;
    if (volumeMode) {
        if (flueMassFlow.marker) flueMassFlow.value = CalcMassFlowFromVolume(volumeFlow.value, co2.value, gasTemperature.value);
        if (volumeFlowPart.value != 0 && flueMassFlowPart.marker)
            flueMassFlowPart.value = CalcMassFlowFromVolume(volumeFlowPart.value, co2Part.value, gasTemperaturePart.value);
        return;
    }
    if (arrangement && arrangement->Kind() == 1) {
        openingArea.value = openingSideA.value * openingSideB.value;
        if (flueMassFlow.marker) flueMassFlow.value = CalcFireplaceMassFlow();
        if (requiredDraught.marker) requiredDraught.value = CalcFireplaceDraught();
        if (co2.marker) co2.value = 1;
        if (gasTemperature.value == 0) gasTemperature.value = 80;
        return;
    }
    auto derive = [&](CWDouble& q, CWDouble& eff, CWDouble& qf, CWDouble& c, CWDouble& m, CWDouble& pw) {
        if (eff.marker || recalcAll.value) eff.value = CalcDefaultEfficiency(q.value, marker);
        if (!heatInputGiven || qf.value == 0 || qf.marker) qf.value = q.value * 100 / eff.value;
        else eff.value = q.value / qf.value * 100;
        if (c.marker || recalcAll.value) c.value = CalcDefaultCo2(q.value, marker);
        if (m.marker || recalcAll.value) m.value = CalcMassFlowFromHeatInput(qf.value, c.value);
        if (pw.marker && !draughtFixed) pw.value = CalcDefaultDraught(q.value, marker);
    };
    if (output.value == 0) return;
    derive(output, efficiency, heatInput, co2, flueMassFlow, requiredDraught);
    if (outputPart.value != 0)
        derive(outputPart, efficiencyPart, heatInputPart, co2Part, flueMassFlowPart, requiredDraughtPart);
}

void CWaerme::DerivePartLoad() {
    if (flueMassFlow.value == 0 || output.value == 0 || co2.value == 0 || efficiency.value == 0 || volumeMode ||
        noPartDerive)
        return;
    uint16_t marker = 0;
    flueMassFlowPart.value = flueMassFlow.value / 3;
    efficiencyPart.value = efficiency.value / 100;
    co2Part.value = co2.value;
    outputPart.value = output.value * 0.25;
    for (int round = 0; round < 26; ++round) {
        const double previous = outputPart.value;
        heatInputPart.value = CalcHeatInputFromMassFlow(flueMassFlowPart.value, co2Part.value);
        outputPart.value = heatInputPart.value * efficiencyPart.value;
        efficiencyPart.value = CalcDefaultEfficiency(outputPart.value, marker) / 100;
        co2Part.value = CalcDefaultCo2(outputPart.value, marker);
        if (std::trunc(100 * outputPart.value - 100 * previous) == 0) break;
    }
    gasTemperaturePart.value = gasTemperature.value * 2 / 3;
    efficiencyPart.value *= 100;
    LoadDefault(requiredDraughtPart);
}

double CWaerme::CapShortfall(int caseIndex, uint16_t mode, double difference) {
    if (difference >= 0) return 0;
    double amount = -difference;
    if (mode & kModeFullLoad) amount = std::min(amount, positivePressureSel.value);
    else if (mode & kModePartLoad) amount = std::min(amount, positivePressurePart.value);
    else amount = 0;
    // A case the generator never calculated has no record to keep the amount in.
    if (caseIndex < 0 || size_t(caseIndex) >= pressureCases.size()) return 0;
    pressureCases[size_t(caseIndex)]->generatorFurther = amount;
    return amount;
}

void CWaerme::AddCaseRecords() {
    AddFreshCases(pressureCases, temperatureCases, spareRecords, arrangement ? &arrangement->site : nullptr);
}

void CWaerme::RemoveLastCase() { RemoveLastCaseOf(pressureCases, temperatureCases, caseCount); }

void CWaerme::RemoveCase(int i) { RemoveCaseOf(pressureCases, temperatureCases, caseCount, i); }

void CWaerme::SwapCaseValues(double& mode, double& zetaValue, double& angle) {
    zeta.enlargementMode.value = int32_t(mode);
    zeta.enlargementZeta.value = zetaValue;
    zeta.enlargementAngle.value = angle;
    mode = zeta.contractionMode.value;
    zetaValue = zeta.contractionZeta.value;
    angle = zeta.contractionAngle.value;
}

void CWaerme::WriteResistances(std::string& out) {
    for (const ZetaElement& el : zeta.elements) {
        if (el.count.value == 0) continue;
        out += vx::Format("<WIDERSTAND ANZAHL=%d TYP=\"UEBERG\" BEZEICHNUNG=\"%s\" WINKEL=0 DURCHM=0>",
                          int(el.count.value), QuoteForRecord(el.text.text).c_str());
    }
}

void CWaerme::FillBlock(CRechnen& rec, bool temperatureCase, uint16_t mode) {
    AbgasZustand& s = outletState;
    const bool positive = arrangement && arrangement->Regime() == CAufBauE::Positive;
    // The load point.
    double m, c, t, draught, pressure;
    if ((mode & kModePartLoad) && partLoadAvailable.value && !interpolate.value) {
        m = flueMassFlowPart.value;
        c = co2Part.value;
        t = gasTemperaturePart.value;
        draught = requiredDraughtPart.value;
        pressure = positivePressurePart.value;
    } else {
        if (interpolate.value) {
            InterpolateSelected();
        } else {
            outputSel.value = output.value;
            heatInputSel.value = heatInput.value;
            efficiencySel.value = efficiency.value;
            volumeFlowSel.value = volumeFlow.value;
            o2Sel.value = o2.value;
            flueMassFlowSel.value = flueMassFlow.value;
            co2Sel.value = co2.value;
            gasTemperatureSel.value = gasTemperature.value;
            requiredDraughtSel.value = requiredDraught.value;
            positivePressureSel.value = positivePressure.value;
        }
        m = flueMassFlowSel.value;
        c = co2Sel.value;
        t = gasTemperatureSel.value;
        draught = requiredDraughtSel.value;
        pressure = positivePressureSel.value;
    }
    rec.massFlow = m;
    rec.generatorCo2 = c;
    rec.generatorTemperature = t;

    // A fixed draught stands for a heat generator that asks nothing of the chimney.
    const double own = positive ? pressure : (draughtFixed ? 0.0 : draught);
    s.pressureLoss = own;
    s.resistanceSum = own;
    rec.generatorFurther = draught;

    const int f = fuel.value;
    const FuelRow& row = FuelRowAt(f);
    rec.CalcWaterVapour(f, c);
    rec.CalcDewPoint();
    if (temperatureCase) rec.state = ClassifyAgainstLimit(arrangement ? arrangement->Regime() : 0, t, rec.dewPoint.value);
    else rec.state = positive ? 2 : 1;
    rec.CalcGasConstant(f, c);
    rec.CalcDensity(t);
    rec.CalcVelocity(m, outletArea.value);
    if (useFuelCoefficients) rec.CalcSpecificHeat(t, c, row.cp0, row.cp1, row.cp2, row.cpF);
    else rec.CalcSpecificHeat(t, c, 0, 0, 0, 0);
    rec.CalcFromFuelTable(f);

    if (arrangement && arrangement->Kind() == 1 && requiredDraught.marker) requiredDraught.value = CalcFireplaceDraught();

    if (temperatureCase) {
        s.co2T = c;
        s.h2oT = rec.h2o.value;
        s.gasConstantT = rec.gasConstant.value;
        s.temperatureT = t;
        s.specificHeatT = rec.cp.value;
        s.massFlowT = m;
    } else {
        s.co2P = c;
        s.h2oP = rec.h2o.value;
        s.gasConstantP = rec.gasConstant.value;
        s.temperatureP = t;
        s.specificHeatP = rec.cp.value;
        s.massFlowP = m;
    }
    s.massFlow = m;
    s.connectorOutletTemperature = t;
    s.dewPointIncrement = rec.dewPointIncrement.value;
    s.fuelIndex = f;
    s.wetState = rec.state;
}

AbgasZustand* CWaerme::Calculate(AbgasZustand*, uint16_t mode, int16_t caseIndex, int, int) {
    if ((mode & kModePartLoad) && !interpolate.value && !partLoadAvailable.value)
        mode = uint16_t((mode & ~kModePartLoad) | kModeFullLoad);
    outletState.Clear();

    // The outlet's transition into a larger connecting piece.
    ZetaElement& up = zeta.elements[CZeta::Enlargement];
    if (zeta.enlargementMode.value == 2) {
        outletZeta.value = zeta.enlargementZeta.value;
        up.zeta.value = zeta.enlargementZeta.value;
        up.zeta.marker = 0;
        up.count.value = 1;
        up.kind = 17;
    } else if (zeta.enlargementMode.value < 2) {
        const double ratio = connectorArea.value > 0 ? outletArea.value / connectorArea.value : 1.0;
        double z = 0;
        if (ratio < 1) {
            if (zeta.enlargementMode.value == 1) {
                up.kind = 18;
                up.byAngle = 1;
                up.angle.value = zeta.enlargementAngle.value;
                z = CZeta::ConicalEnlargement(zeta.enlargementAngle.value, ratio);
            } else {
                up.kind = 17;
                z = CZeta::EnlargementByRatio(ratio);
            }
        }
        outletZeta.value = RoundToStep(z, 100);
        up.zeta.value = outletZeta.value;
        up.zeta.marker = CWerte::MarkerDerived;
        up.count.value = outletZeta.value != 0 ? 1 : 0;
        zeta.enlargementZeta.value = outletZeta.value;
        zeta.enlargementZeta.marker = CWerte::MarkerDerived;
    }

    if (caseIndex < 0) {
        CGrunddaten* site = arrangement ? &arrangement->site : nullptr;
        RestartCaseRecords(pressureCases, spareRecords, site);
        RestartCaseRecords(temperatureCases, spareRecords, site);
        caseCount = 0;
    } else {
        while (caseCount < caseIndex) {
            ++caseCount;
            AddCaseRecords();
        }
    }
    for (auto* list : {&pressureCases, &temperatureCases})
        for (auto& r : *list) r->site = arrangement ? &arrangement->site : nullptr;
    const int c = caseIndex < 0 ? 0 : caseIndex;
    CRechnen& p = *pressureCases[size_t(c)];
    CRechnen& t = *temperatureCases[size_t(c)];
    FillBlock(p, false, mode);
    FillBlock(t, true, mode);

    AbgasZustand& s = outletState;
    const bool positive = arrangement && arrangement->Regime() == CAufBauE::Positive;
    const CGrunddaten* site = arrangement ? &arrangement->site : nullptr;
    if (connectorArea.value > outletArea.value && outletDiameter.value > 0) {
        // Friction and transition of the outlet stub, with the pressure case's safety.
        p.CalcViscosity(p.generatorTemperature);
        p.CalcReynolds(outletDiameter.value, outletArea.value);
        p.Colebrook(outletDiameter.value, 0);
        const double w = p.w.value;
        const double loss = w * ((p.psiSmooth.value * outletLength.value / outletDiameter.value + outletZeta.value) *
                                 p.rho.value * 0.5 * w);
        const double se = site ? site->safetyFactor.value : 1.5;
        s.pressureLoss += positive ? -se * loss : se * loss;
    }
    s.areaBelow = outletArea.value;
    if (site) {
        s.airDensity = (mode & kModeSecondAirSet) ? site->airDensity2.value : site->airDensity.value;
        s.airTemperature = (mode & kModeSecondAirSet) ? site->airTemperature2.value : site->airTemperature.value;
    }
    p.BuildWetDryText(mode);
    t.BuildWetDryText(mode);

    if (useFuelCoefficients) {
        const FuelRow& row = FuelRowAt(fuel.value);
        s.cpCoeffAT = s.cpCoeffAP = row.cp0;
        s.cpCoeffBT = s.cpCoeffBP = row.cp1;
        s.cpCoeffCT = s.cpCoeffCP = row.cp2;
        s.cpCoeffFT = s.cpCoeffFP = row.cpF;
        s.useFuelCoefficients = 1;
    } else {
        s.useFuelCoefficients = 0;
        s.h2oT = s.h2oP = 1.1;
    }
    return &outletState;
}

bool CWaerme::LoadDefaultOf(CWerte& v, const LoadCells& load, uint16_t& marker) {
    if (&v == &load.efficiency && load.output.value != 0) {
        load.efficiency.value = CalcDefaultEfficiency(load.output.value, marker);
        load.efficiency.marker = marker;
    } else if (&v == &load.heatInput && load.output.value != 0) {
        load.efficiency.value = CalcDefaultEfficiency(load.output.value, marker);
        load.heatInput.value = load.output.value * 100 / load.efficiency.value;
        load.heatInput.marker = CWerte::MarkerDerived;
    } else if (&v == &load.co2 && load.output.value != 0) {
        load.co2.value = CalcDefaultCo2(load.output.value, marker);
        load.co2.marker = marker;
    } else if (&v == &load.flueMassFlow && (load.co2.value != 0 || volumeMode)) {
        load.flueMassFlow.value =
            volumeMode ? CalcMassFlowFromVolume(load.volumeFlow.value, load.co2.value, load.gasTemperature.value)
                       : CalcMassFlowFromHeatInput(load.heatInput.value, load.co2.value);
        load.flueMassFlow.marker = CWerte::MarkerDerived;
    } else {
        return false;
    }
    RecalcDependents();
    InterpolateSelected();
    return true;
}

void CWaerme::LoadDefault(CWerte& v) {
    uint16_t marker = 0;
    const LoadCells full{output, efficiency, heatInput, co2, flueMassFlow, volumeFlow, gasTemperature};
    const LoadCells part{outputPart,       efficiencyPart, heatInputPart,      co2Part,
                         flueMassFlowPart, volumeFlowPart, gasTemperaturePart};
    if (LoadDefaultOf(v, full, marker) || LoadDefaultOf(v, part, marker)) return;
    if (&v == &requiredDraught) {
        if (output.value != 0) {
            requiredDraught.value = CalcDefaultDraught(output.value, marker);
            requiredDraught.marker = marker;
        } else if (arrangement && arrangement->Kind() == 1) {
            requiredDraught.value = CalcFireplaceDraught();
            requiredDraught.marker = CWerte::MarkerDerived;
        }
    } else if (&v == &outputPart) {
        DerivePartLoad();
    } else if (&v == &gasTemperaturePart) {
        gasTemperaturePart.value = gasTemperature.value * 2 / 3;
    } else if (&v == &requiredDraughtPart && outputPart.value != 0) {
        requiredDraughtPart.value = CalcDefaultDraught(outputPart.value, marker);
        requiredDraughtPart.marker = marker;
        if (requiredDraughtPart.value > requiredDraught.value) {
            requiredDraughtPart.value = requiredDraught.value;
            requiredDraughtPart.marker = 0;
        }
    }
}

void CWaerme::OnUnitChanged(CWerte& value) {
    CWDouble* const groups[][3] = {{&output, &outputPart, &outputSel},
                                   {&heatInput, &heatInputPart, &heatInputSel},
                                   {&volumeFlow, &volumeFlowPart, &volumeFlowSel},
                                   {&flueMassFlow, &flueMassFlowPart, &flueMassFlowSel},
                                   {&gasTemperature, &gasTemperaturePart, &gasTemperatureSel},
                                   {&requiredDraught, &requiredDraughtPart, &requiredDraughtSel},
                                   {&positivePressure, &positivePressurePart, &positivePressureSel}};
    for (auto& g : groups)
        for (CWDouble* c : g)
            if (c == &value) {
                for (CWDouble* o : g) o->displayUnit = c->displayUnit;
                SaveUnitChoice(*g[0]);  // the group's choice is kept under its first value
                return;
            }
}

int CWaerme::OnValueChanged(CWerte& v) {
    auto recalc = [this] {
        RecalcDependents();
        InterpolateSelected();
    };
    CWDouble* const plain[] = {&output, &outputPart, &volumeFlow, &volumeFlowPart, &co2, &co2Part, &openingSideA,
                               &openingSideB};
    for (CWDouble* c : plain)
        if (&v == c) {
            if (c->value != 0) {
                c->marker = 0;
                if (c == &volumeFlow) co2.marker = co2Part.marker = requiredDraught.marker = requiredDraughtPart.marker = 0;
                recalc();
            }
            return 1;
        }
    if (&v == &efficiency || &v == &heatInput || &v == &efficiencyPart || &v == &heatInputPart) {
        CWDouble& e = (&v == &efficiency || &v == &heatInput) ? efficiency : efficiencyPart;
        CWDouble& h = (&v == &efficiency || &v == &heatInput) ? heatInput : heatInputPart;
        if (static_cast<CWDouble&>(v).value != 0) {
            e.marker = h.marker = 0;
            recalc();
        }
        return 1;
    }
    if (&v == &flueMassFlow || &v == &flueMassFlowPart) {
        CWDouble& m = static_cast<CWDouble&>(v);
        if (m.value != 0) {
            m.marker = 0;
            if (recalcAll.value && (!arrangement || arrangement->Kind() == 0))
                IterateFromMassFlow(&v == &flueMassFlow ? 1 : 2);
            InterpolateSelected();
        }
        return 1;
    }
    if (&v == &requiredDraught || &v == &positivePressure || &v == &requiredDraughtPart || &v == &positivePressurePart) {
        CWDouble& a = static_cast<CWDouble&>(v);
        CWDouble& b = &v == &requiredDraught        ? positivePressure
                      : &v == &positivePressure     ? requiredDraught
                      : &v == &requiredDraughtPart  ? positivePressurePart
                                                    : requiredDraughtPart;
        b.value = -a.value;
        a.marker = b.marker = 0;
        InterpolateSelected();
        return 1;
    }
    if (&v == &gasTemperature) {
        if (volumeMode) RecalcDependents();
        return 1;
    }
    if (&v == &outletDiameter || &v == &outletSideA || &v == &outletSideB) {
        double dh = outletDiameter.value;
        CrossSectionGeometry(outletDiameter.value, outletSideA.value, outletSideB.value, outletShape.value,
                             outletArea.value, outletPerimeter.value, dh);
        outletDiameter.value = dh;
        if (arrangement && arrangement->Kind() == 1) RecalcDependents();
        return 1;
    }
    if (&v == &o2 || &v == &o2Part || &v == &gasTemperaturePart || &v == &outputSel) return 1;
    return 0;
}

void CWaerme::UpdateLimits() {
    const GeneratorLimits& l = Limits();
    SetRange(co2, l.co2Min, FuelRowAt(fuel.value).largestCo2);
    SetRange(flueMassFlow, l.mMin, l.mMax);
    if (arrangement && arrangement->Kind() == 1) return;
    SetRange(volumeFlow, l.volMin, l.volMax);
    SetRange(output, l.qnMin, l.qnMax);
    SetRange(gasTemperature, arrangement && arrangement->Kind() == 2 ? 0.0 : l.twMin, l.twMax);
    SetRange(requiredDraught, l.pwMin, l.pwMax);
    SetRange(positivePressure, l.pwuMin, l.pwuMax);
    if (!partLoadAvailable.value) return;
    auto given = [](double v, double limit) { return v != 0 ? v : limit; };
    if (volumeMode) {
        SetRange(volumeFlowPart, l.volMin, given(volumeFlow.value, l.volMax));
        volumeFlow.minimum = given(volumeFlowPart.value, l.volMin);
    } else {
        SetRange(outputPart, l.qnMin, given(output.value, l.qnMax));
        output.minimum = given(outputPart.value, l.qnMin);
    }
    SetRange(flueMassFlowPart, l.mMin, l.mMax);
    SetRange(gasTemperaturePart, l.twMin, given(gasTemperature.value, l.twMax));
    gasTemperature.minimum = given(gasTemperaturePart.value, gasTemperature.minimum);
    SetRange(requiredDraughtPart, l.pwMin,
             requiredDraught.value != 0 ? std::min(requiredDraught.value, l.pwMax) : requiredDraught.maximum);
    requiredDraught.minimum = requiredDraughtPart.value != 0 ? std::min(requiredDraughtPart.value, l.pwMax) : 0.0;
    positivePressure.minimum = positivePressurePart.value != 0 ? std::min(positivePressurePart.value, l.pwuMax) : 0.0;
    SetRange(positivePressurePart, l.pwuMin,
             positivePressure.value != 0 ? std::min(positivePressure.value, l.pwuMax) : l.pwuMax);
    if (interpolate.value) SetRange(outputSel, outputPart.value, output.value);
}

int CWaerme::CheckInputs(std::string& message, std::vector<int>* ids) {
    UpdateLimits();
    int failed = 0;
    auto check = [&](CWerte& c) { CheckCell(c, message, ids, failed); };
    check(co2);
    check(flueMassFlow);
    if (!arrangement || arrangement->Kind() != 1) {
        if (volumeMode) check(volumeFlow);
        else check(output);
        check(gasTemperature);
        check(requiredDraught);
        check(positivePressure);
        if (partLoadAvailable.value) {
            check(volumeMode ? volumeFlowPart : outputPart);
            check(flueMassFlowPart);
            check(gasTemperaturePart);
            check(requiredDraughtPart);
            check(positivePressurePart);
        }
    }
    return failed ? 1 : 0;
}

std::string CWaerme::GetFuelText() const {
    const int f = fuel.value;
    auto name = [f] {
        return vx::LoadString(IDS_BRENNSTOFF_KURZ_ERSTER + unsigned(f >= 0 && f <= 14 ? f : 0));
    };
    const int kind = arrangement ? arrangement->Kind() : 0;
    if (kind == 2) return vx::LoadString(10584);
    if (kind == 1) return vx::Format(vx::LoadString(174).c_str(), name());
    if (kind == 3) return f == 1 ? vx::LoadString(10621) : name();
    return vx::LoadString(IDS_BRENNSTOFF_ERSTER + unsigned(f));
}

void CWaerme::Serialize(vx::Archive& ar) {
    const int v = ArchiveFormat(ar);
    manufacturerName.Serialize(ar);
    typeDesignation.Serialize(ar);
    typeText3.Serialize(ar);
    if (v >= 37) typeText4.Serialize(ar);
    for (CWerte* c : std::initializer_list<CWerte*>{&flueMassFlow, &co2, &gasTemperature, &requiredDraught,
                                                   &positivePressure, &flueMassFlowPart, &co2Part, &gasTemperaturePart,
                                                   &requiredDraughtPart, &positivePressurePart, &fuel, &output,
                                                   &heatInput, &efficiency, &volumeFlow, &o2, &outputPart,
                                                   &heatInputPart, &efficiencyPart, &volumeFlowPart, &o2Part,
                                                   &outletShape, &outletDiameter, &outletArea, &outletPerimeter,
                                                   &outletSideA, &outletSideB, &outletLength, &outletExtra, &outletZeta})
        c->Serialize(ar);
    if (v >= 33) outletCheckValue.Serialize(ar);
    zeta.Serialize(ar);
    for (CWerte* c : std::initializer_list<CWerte*>{&openingSideA, &openingSideB, &openingArea, &recalcAll,
                                                   &partLoadAvailable, &connectorArea})
        c->Serialize(ar);
    if (v >= 2)
        for (CWerte* c : std::initializer_list<CWerte*>{&interpolate, &outputSel, &heatInputSel, &efficiencySel,
                                                       &volumeFlowSel, &o2Sel, &flueMassFlowSel, &co2Sel,
                                                       &gasTemperatureSel, &requiredDraughtSel, &positivePressureSel})
            c->Serialize(ar);
    if (ar.IsLoading() && v >= 4 && v <= 9) {
        CWShort dropShort;
        CWDouble dropDouble;
        dropShort.Serialize(ar);
        for (int i = 0; i < 3; ++i) dropDouble.Serialize(ar);
    }
    if (v >= 5) fullLoadExtra.Serialize(ar);
    if (ar.IsStoring()) {
        ar << volumeMode << heatInputGiven << noPartDerive << draughtFixed << int32_t(caseCount) << stateWord;
        for (int i = 0; i <= caseCount && size_t(i) < pressureCases.size(); ++i) {
            pressureCases[size_t(i)]->Serialize(ar);
            temperatureCases[size_t(i)]->Serialize(ar);
        }
        return;
    }
    int32_t count = 0;
    ar >> volumeMode >> heatInputGiven >> noPartDerive >> draughtFixed >> count >> stateWord;
    if (count < -1 || (count >= 0 && size_t(count) + 1 > ar.Remaining() / 200)) throw vx::ArchiveEndOfFile();
    caseCount = int16_t(count);
    pressureCases.clear();
    temperatureCases.clear();
    for (int32_t i = 0; i <= count; ++i) {
        AddCaseRecords();
        pressureCases.back()->Serialize(ar);
        // Files before format 5 carry no temperature-case records: a default one takes their place.
        if (v >= 5) temperatureCases.back()->Serialize(ar);
    }
}
