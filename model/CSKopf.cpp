#include "model/CSKopf.h"

#include "model/CAufBauE.h"
#include "model/CAufRaum.h"
#include "model/CRohr.h"
#include "model/CWaerme.h"
#include "model/ModelText.h"
#include "platform/Archive.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "values/CMEinheitListe.h"
#include "values/RangeMessages.h"
#include "values/Rounding.h"

#include <cmath>

namespace {

struct HeadLimits {
    double wdw, thicknessMin, thicknessMax;
};

const HeadLimits& Limits() {
    static const HeadLimits limits = [] {
        auto read = [](const char* key, const char* def) {
            return vx::ParseDouble(vx::Profile().GetString("SKOPF", key, def));
        };
        return HeadLimits{read("Wdw", "10"), read("Dicke_min", "0.001"), read("Dicke_max", "0.5")};
    }();
    return limits;
}

// Minimum draught per metre of chimney height and kelvin by which the
// connecting piece's gas is warmer than the outside air, Pa/(m K).
constexpr double kMinimumDraughtPerMetreKelvin = 0.005714285714285714;

// A criterion fails when the rounded difference is negative; a quantity that
// is not a number fails as well.
bool Fails(double difference, double step) {
    return !std::isfinite(difference) || RoundToStep(difference, step) < 0;
}

} // namespace

CSKopf::CSKopf() {
    const HeadLimits& l = Limits();
    gapKind.Init(1, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, false);
    gapResistance.Init(2, 0, 0, 0, 8, 0, 0, 0, 0, IDS_WERTEBEREICH, 0, l.wdw, false);
    gapResistance.value = 0.1;
    gapWidth.Init(3, 0, 0, 0, 8, kUnitMetre, kUnitMetre, 0, 0, IDS_WERTEBEREICH, l.thicknessMin, l.thicknessMax, false);
    gapWidth.value = 0.05;
    gapWidth.displayUnit = LoadUnitChoice(gapWidth.valueId, "1280 # 0x0500");
    effectiveGapResistance.Init(4, 0, 0, 0, 4, 0, 0, 0, 3, 0, 0, 0, false);
    alphaOutlet.Init(5, 0, 0, 0, 4, 0, 0, 0, 3, 0, 0, 0, false);
    outerDiameterOutlet.Init(6, 0, 0, 0, 4, kUnitMetre, kUnitMetre, 0, 3, 0, 0, 0, false);
}

CSKopf& CSKopf::operator=(const CSKopf& o) {
    if (this == &o) return *this;
    CModul::operator=(o);
    gapKind = o.gapKind;
    gapResistance = o.gapResistance;
    gapWidth = o.gapWidth;
    effectiveGapResistance = o.effectiveGapResistance;
    alphaOutlet = o.alphaOutlet;
    outerDiameterOutlet = o.outerDiameterOutlet;
    wall = o.wall;
    iterateOutletWall = o.iterateOutletWall;
    exposedLength = o.exposedLength;
    outletArea = o.outletArea;
    wallSetting = o.wallSetting;
    caseSelector = o.caseSelector;
    arrangement = o.arrangement;
    room = o.room;
    chimney = o.chimney;
    connector = o.connector;
    generator = o.generator;
    results.clear();
    for (const auto& r : o.results) results.push_back(std::make_unique<CErgebnis>(*r));
    caseCount = o.caseCount;
    state = o.state;
    stateWord = o.stateWord;
    return *this;
}

void CSKopf::CollectResults(double a, double b, double c) {
    if (branch) branch->CollectResults(a, b, c);
    if (next) next->CollectResults(a, b, c);
}

void CSKopf::RemoveLastCase() {
    if (results.empty()) return;
    results.pop_back();
    --caseCount;
}

void CSKopf::RemoveCase(int i) {
    if (i < 0 || i > caseCount || size_t(i) >= results.size()) return;
    results[size_t(i)] = std::move(results.back());
    results.pop_back();
    --caseCount;
}

AbgasZustand* CSKopf::CalcForChain(AbgasZustand*, uint16_t, int16_t, int) {
    state.Clear();
    if (arrangement) {
        const CGrunddaten& site = arrangement->site;
        state.airDensity = caseSelector ? site.airDensity2.value : site.airDensity.value;
        state.airTemperature = caseSelector ? site.airTemperature2.value : site.airTemperature.value;
    }
    state.caseSelect = caseSelector;
    state.criteria = 1;
    return &state;
}

double CSKopf::EffectiveGapResistance(double x) const {
    const int regime = arrangement ? arrangement->Regime() : CAufBauE::NegativeDry;
    if (regime == CAufBauE::NegativeDry) {
        const double v = gapKind.value == 1 ? 0.1 : x;
        return std::min(v, gapResistance.value);
    }
    return gapKind.value == 1 && 0.1 < gapResistance.value ? 0.1 : gapResistance.value;
}

void CSKopf::IterateOutletWall(double dh, double dha, double to, double alphaA, double invLambda, double alphaI) {
    const double tr = arrangement ? arrangement->site.surroundingOutlet.value : 0.0;
    double resistance = 0, width = 0;
    const double d = to - tr;
    double k = 1 / (dh / dha / alphaA + 1 / alphaI + invLambda);
    double ti = to - d * k / alphaI;
    double ta = ti - d * invLambda * k;
    for (int round = 0; round < 50; ++round) {
        // The gap's own layers give its resistance and width at the current wall temperature.
        const bool ok = wall.CalculateWall(dh, dha, wallSetting, to, k, tr, ta, 1.0, wallSetting, nullptr);
        resistance = wall.totalResistance.value;
        width = wall.totalThickness.value;
        k = 1 / (dh / (dha + 2 * width) / alphaA + invLambda + 1 / alphaI + resistance);
        const double tiNew = to - d * k / alphaI;
        if (RoundToStep(tiNew, 1000) == RoundToStep(ti, 1000) || !ok) break;
        ti = tiNew;
        ta = tiNew - d * invLambda * k;
    }
    gapResistance.value = resistance;
    gapWidth.value = width;
}

AbgasZustand* CSKopf::Assess(AbgasZustand* in, uint16_t mode, int16_t caseIndex) {
    if (in) state = *in;
    else state.Clear();
    if (caseIndex < 0) {
        results.clear();
        caseCount = 0;
        results.push_back(std::make_unique<CErgebnis>());
    } else {
        while (caseCount < caseIndex) {
            ++caseCount;
            results.push_back(std::make_unique<CErgebnis>());
        }
    }
    const int current = caseIndex < 0 ? 0 : caseIndex;
    CErgebnis& r = *results[size_t(current)];
    r = CErgebnis{};
    AbgasZustand& s = state;

    const int regime = arrangement ? arrangement->Regime() : CAufBauE::NegativeDry;
    const int kind = arrangement ? arrangement->Kind() : 0;
    const bool positive = regime == CAufBauE::Positive;
    const CGrunddaten* site = arrangement ? &arrangement->site : nullptr;
    const double se = site ? site->safetyFactor.value : 1.5;
    const double tr = site ? site->surroundingOutlet.value : 0.0;
    r.airDensity = s.airDensity;

    const bool corrections = generator && generator->condensing && arrangement && arrangement->ductSetting.value != 2;
    if (!positive && corrections) {
        if (arrangement->connectorShutOff.value) {
            r.loadMode = 2;
        } else {
            r.loadMode = 1;
            if (chimney && connector && connector->area.value < chimney->area.value && chimney->caseCount >= 0 &&
                size_t(current) < chimney->pressureCases.size()) {
                // The chimney's velocity term moves to the connecting piece.
                CRechnen& c = chimney->PressureRecord(current);
                const double pg = c.PG.value;
                c.PG.value = 0;
                c.PR.value = chimney->PressureResistance(c);
                r.chimneyResistance = c.PR.value - c.PH.value;
                const double moved = pg * (pg > 0 ? se : 1.0);
                if (size_t(current) < connector->pressureCases.size()) connector->PressureRecord(current).PR.value += moved;
                s.pressureLoss += moved;
                s.draught += moved;
            }
        }
    }
    r.draught = s.draught;

    double h;
    if (positive) {
        // Kinds 1 and 3 draw all their combustion air through ducts, kind 4
        // through the duct along the chimney and from the room, the others
        // from the room alone.
        if (kind == 1 || kind == 3) h = s.airSideLoss;
        else if (kind == 4) h = (room ? room->GetAirValue(&s, arrangement, caseIndex) : 0.0) + s.airSideLoss;
        else h = room ? room->GetAirValue(&s, arrangement, caseIndex) : 0.0;
        r.airSupplyPressure = h;
        r.required = s.pressureLoss - h;
    } else {
        r.required = s.pressureLoss;
        if (mode & kModeSecondAirSet) {
            h = s.airSideLoss;
        } else {
            h = room ? room->GetAirValue(&s, arrangement, caseIndex) : 0.0;
            r.required += h;
        }
        r.airSupplyPressure = h;
        if (corrections) r.required -= generator->CapShortfall(current, mode, r.draught - r.required);
    }

    r.caseFlags = mode;
    alphaOutlet.value = s.alphaOuter > 8 ? 23 : 8;
    const double ao = alphaOutlet.value;
    if (iterateOutletWall)
        IterateOutletWall(s.hydraulicDiameter, s.hydraulicDiameter + 2 * s.wallThickness, s.temperatureT, ao,
                          s.wallResistance, s.alphaInner);
    double g = 0;
    if (gapKind.value != 0) {
        effectiveGapResistance.value = EffectiveGapResistance(s.wallResistance);
        outerDiameterOutlet.value = 2 * (gapWidth.value + s.wallThickness) + s.hydraulicDiameter;
        g = effectiveGapResistance.value;
    } else {
        outerDiameterOutlet.value = 2 * s.wallThickness + s.hydraulicDiameter;
    }
    r.kOutlet = 1 / (g + 1 / s.alphaInner + s.wallResistance + s.hydraulicDiameter / outerDiameterOutlet.value / ao);
    r.innerWallTemperature = s.temperatureT - (s.temperatureT - tr) * r.kOutlet / s.alphaInner;
    r.outletTemperature = s.temperatureT;
    // A wet or positive-pressure system may run below the dew point.
    r.limitTemperature = regime == CAufBauE::NegativeWet || positive ? 0.0 : s.dewPoint + s.dewPointIncrement;

    auto fail = [&r](int32_t& criterion) {
        criterion = 0;
        r.ok = 0;
    };
    const bool second = ActiveModelProgram() == ModelProgram::Tarsilo;
    if (second) {
        // The second program's further values: minimum draught over the
        // connector's gas temperature, minimum velocity, and the length
        // allowed for the wall's roughness.
        const bool secondAir = mode & kModeSecondAirSet;
        const double air = site ? (secondAir ? site->airTemperature2.value : site->airTemperature.value) : 0.0;
        r.extra1 = s.heightSum * kMinimumDraughtPerMetreKelvin * (s.connectorOutletTemperature - air);
        r.extra2 = 0.5 * std::pow(outletArea / 0.01, 0.25);
        r.extra3 = s.velocity;
        r.extra4 = positive ? 318 - 18750 * s.roughness : 212.5 - 12500 * s.roughness;
        r.extra5 = s.heightSum / s.hydraulicDiameter;
        auto below = [](double a, double b) {
            const double d = RoundToStep(a, 100) - RoundToStep(b, 100);
            return !std::isfinite(d) || d < 0;
        };
        if (!positive && below(r.draught, r.extra1) && !(arrangement && arrangement->ductSetting.value == 2))
            fail(r.criterion3);
        if (below(r.extra3, r.extra2)) fail(r.criterion4);
        if (below(r.extra4, r.extra5)) fail(r.criterion5);
    }
    if (positive) {
        if (Fails(r.required - r.draught, 100)) fail(r.criterion1);
        if (exposedLength <= -1) {
            const double diff = RoundToStep(r.innerWallTemperature, 10) - RoundToStep(r.limitTemperature, 10);
            if (!std::isfinite(diff) || diff < 0) fail(r.criterion2);
        } else if (exposedLength > 5) {
            if (Fails(r.innerWallTemperature - r.limitTemperature, 10)) fail(r.criterion2);
        }
    } else {
        if (Fails(r.draught - r.required, 100)) fail(r.criterion1);
        if (Fails(r.innerWallTemperature - r.limitTemperature, 10)) fail(r.criterion2);
        // The second program tests the first rule only where the generator's correction applies.
        const bool firstRule = second ? r.loadMode == 1 : r.loadMode < 2;
        if (firstRule ? Fails(r.draught - r.airSupplyPressure, 100)
                      : r.loadMode == 2 && Fails(r.draught - r.airSupplyPressure - r.chimneyResistance, 100))
            fail(r.criterion7);
    }
    return &state;
}

void CSKopf::LoadDefault(CWerte& value) {
    if (&value == &gapResistance && gapResistance.marker == 0) {
        gapResistance.value = 0.1;
        gapResistance.marker = CWerte::MarkerDerived;
        iterateOutletWall = 0;
    }
}

int CSKopf::OnValueChanged(CWerte& value) {
    if (&value != &gapResistance) return 0;
    gapResistance.marker = 0;
    gapWidth.marker = 0;
    iterateOutletWall = 0;
    return 1;
}

int CSKopf::CheckInputs(std::string& message, std::vector<int>* ids) {
    int failed = 0;
    if (gapKind.value == 0) return 0;
    for (CWerte* c : {static_cast<CWerte*>(&gapResistance), static_cast<CWerte*>(&gapWidth)}) {
        std::string m;
        c->CheckRange(m, ids, &failed);
        if (m.empty()) continue;
        AppendMessage(message, m);
    }
    return failed ? 1 : 0;
}

void CSKopf::Serialize(vx::Archive& ar) {
    gapKind.Serialize(ar);
    gapResistance.Serialize(ar);
    gapWidth.Serialize(ar);
    effectiveGapResistance.Serialize(ar);
    alphaOutlet.Serialize(ar);
    outerDiameterOutlet.Serialize(ar);
    wall.Serialize(ar);
    if (ar.IsStoring()) {
        ar << iterateOutletWall << outletArea << wallSetting << caseCount << stateWord << exposedLength;
        for (int i = 0; i <= caseCount && size_t(i) < results.size(); ++i) results[size_t(i)]->Serialize(ar);
        return;
    }
    int32_t count = 0;
    ar >> iterateOutletWall >> outletArea >> wallSetting >> count >> stateWord >> exposedLength;
    // A record takes more than 100 bytes.
    if (count < -1 || (count >= 0 && size_t(count) + 1 > ar.Remaining() / 100)) throw vx::ArchiveEndOfFile();
    caseCount = count;
    results.clear();
    for (int32_t i = 0; i <= count; ++i) {
        results.push_back(std::make_unique<CErgebnis>());
        results.back()->Serialize(ar);
    }
}

void CSKopf::LinkChain(CAufBauE& arrangementOf, CAufRaum& roomOf, CRohr& chimneyOf, CRohr& connectorOf,
                       CWaerme& generatorOf) {
    arrangement = &arrangementOf;
    room = &roomOf;
    chimney = &chimneyOf;
    connector = &connectorOf;
    generator = &generatorOf;
    CModul* cursor = this;
    InsertModule(this, cursor, &chimneyOf);
    InsertModule(this, cursor, &connectorOf);
    InsertModule(this, cursor, &generatorOf);
}

void CSKopf::RunFullLoadPass() {
    arrangement->site.CalcAirPressure();
    arrangement->site.safetyFactor.value = generator->positivePressure.value > 0 ? 1.2 : 1.5;
    CModul::ExchangeChainValues(this);
    chimney->SyncZoneLengths();
    exposedLength = -1;
    if (arrangement->Regime() == CAufBauE::Positive && arrangement->Kind() == 0)
        exposedLength = chimney->lengthOutside.value + chimney->lengthUnheated.value + chimney->addedLength.value;
    outletArea = chimney->area.value;
    CalculationMode = kModeFullLoad;
    CaseIndex = -1;
    PropagateChainValues(this);
    CaseIndex = 0;
}
