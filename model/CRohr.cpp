#include "model/CRohr.h"

#include "model/CAufBauE.h"
#include "model/CaseArray.h"
#include "model/CaseRecords.h"
#include "model/ChainHelpers.h"
#include "model/CrossSectionTables.h"
#include "model/FuelTable.h"
#include "model/ModelText.h"
#include "platform/Archive.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "values/ArchiveFormat.h"
#include "platform/StringTable.h"
#include "values/CMEinheitListe.h"
#include "values/RangeMessages.h"
#include "values/RecordText.h"
#include "values/Rounding.h"

#include <algorithm>
#include <cmath>

namespace {

enum : uint16_t {
    IdName = 1, IdLength, IdHeight, IdFurtherLength, IdShape, IdDiameter, IdArea, IdPerimeter, IdSideA, IdSideB,
    IdGroup, IdWallThickness, IdOuterDiameter, IdWallResistance, IdShareOutside, IdLengthOutside, IdShareUnheated,
    IdLengthUnheated, IdRoughness, IdZetaSum, IdAlphaOuter, IdSurrounding, IdFurtherValue, IdAddedLength, IdShell1,
    IdShell2, IdText, IdWallWord, IdJunctionValue, IdDuctMode, IdJunctionText, IdSecondGroup, IdValueAfterGroup,
    IdDuctOuterArea, IdDuctOuterPerimeter, IdDuctSideA, IdDuctSideB, IdDuctDiameter, IdDuctValue1, IdDuctValue2,
    IdDuctRoughness
};

// The gas description of one calculation case in the flow state.
struct GasBlock {
    double co2, h2o, gasConstant, temperature, cpA, cpB, cpC, cpF;
};

GasBlock BlockOf(const AbgasZustand& s, bool temperatureCase) {
    if (temperatureCase)
        return {s.co2T, s.h2oT, s.gasConstantT, s.temperatureT, s.cpCoeffAT, s.cpCoeffBT, s.cpCoeffCT, s.cpCoeffFT};
    return {s.co2P, s.h2oP, s.gasConstantP, s.temperatureP, s.cpCoeffAP, s.cpCoeffBP, s.cpCoeffCP, s.cpCoeffFP};
}

double Round3(double x) { return RoundToStep(x, 1000); }

} // namespace

CRohr::CRohr() {
    AcquireCrossSectionTables();
    const uint16_t m = IDS_WERTEBEREICH;
    name.Init(IdName, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, false);
    length.Init(IdLength, 0, 0, 0, 8, kUnitMetre, kUnitMetre, 0, 0, m, 0.01, 200, false);
    height.Init(IdHeight, 0, 0, 0, 8, kUnitMetre, kUnitMetre, 0, 0, m, 0, 200, false);
    furtherLength.Init(IdFurtherLength, 0, 0, 0, 8, kUnitMetre, kUnitMetre, 0, 0, 0, 0, 0, false);
    shape.Init(IdShape, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 4, false);
    diameter.Init(IdDiameter, 0, 0, 0, 8, kUnitMetre, kUnitMetre, 0, 0, m, 0.05, 2.0, false);
    area.Init(IdArea, 0, 0, 0, 4, 0, 0, 0, 2, 0, 0, 0, false);
    perimeter.Init(IdPerimeter, 0, 0, 0, 4, kUnitMetre, kUnitMetre, 0, 2, 0, 0, 0, false);
    sideA.Init(IdSideA, 0, 0, 0, 8, kUnitMetre, kUnitMetre, 0, 0, m, 0.05, 2.0, false);
    sideB.Init(IdSideB, 0, 0, 0, 8, kUnitMetre, kUnitMetre, 0, 0, m, 0.05, 2.0, false);
    resistanceGroup.Init(IdGroup, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 6, false);
    wallThickness.Init(IdWallThickness, 0, 0, 0, 8, kUnitMetre, kUnitMetre, 0, 0, m, 0.0001, 1.0, false);
    outerDiameter.Init(IdOuterDiameter, 0, 0, 0, 4, kUnitMetre, kUnitMetre, 0, 2, 0, 0, 0, false);
    wallResistance.Init(IdWallResistance, 0, 0, 0, 8, 0, 0, 0, 0, m, 0, 10, false);
    shareOutside.Init(IdShareOutside, 0, 0, 0, 8, 0, 0, 0, 0, m, 0, 100, false);
    lengthOutside.Init(IdLengthOutside, 0, 0, 0, 8, kUnitMetre, kUnitMetre, 0, 0, m, 0, 200, false);
    shareUnheated.Init(IdShareUnheated, 0, 0, 0, 8, 0, 0, 0, 0, m, 0, 100, false);
    lengthUnheated.Init(IdLengthUnheated, 0, 0, 0, 8, kUnitMetre, kUnitMetre, 0, 0, m, 0, 200, false);
    roughness.Init(IdRoughness, 0, 0, 0, 8, kUnitMetre, kUnitMetre, 0, 0, m, 0.0005, 0.005, false);
    zetaSum.Init(IdZetaSum, 0, 0, 0, 4, 0, 0, 0, 3, 0, 0, 0, false);
    alphaOuter.Init(IdAlphaOuter, 0, 0, 0, 4, 0, 0, 0, 3, 0, 0, 0, false);
    surroundingTemperature.Init(IdSurrounding, 0, 0, 0, 4, 0, 0, 0, 3, 0, 0, 0, false);
    furtherValue.Init(IdFurtherValue, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, false);
    addedLength.Init(IdAddedLength, 0, 0, 0, 8, kUnitMetre, kUnitMetre, 0, 0, m, 0, 200, false);
    shellThickness1.Init(IdShell1, 0, 0, 0, 8, kUnitMetre, kUnitMetre, 0, 0, 0, 0, 0, false);
    shellThickness2.Init(IdShell2, 0, 0, 0, 8, kUnitMetre, kUnitMetre, 0, 0, 0, 0, 0, false);
    text.Init(IdText, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, false);
    wallWord.Init(IdWallWord, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, false);
    junctionValue.Init(IdJunctionValue, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, false);
    ductMode.Init(IdDuctMode, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, false);
    junctionText.Init(IdJunctionText, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, false);
    secondGroup.Init(IdSecondGroup, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, false);
    valueAfterGroup.Init(IdValueAfterGroup, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, false);
    ductOuterArea.Init(IdDuctOuterArea, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, false);
    ductOuterPerimeter.Init(IdDuctOuterPerimeter, 0, 0, 0, 8, kUnitMetre, kUnitMetre, 0, 0, 0, 0, 0, false);
    ductSideA.Init(IdDuctSideA, 0, 0, 0, 8, kUnitMetre, kUnitMetre, 0, 0, m, 0.05, 5.0, false);
    ductSideB.Init(IdDuctSideB, 0, 0, 0, 8, kUnitMetre, kUnitMetre, 0, 0, m, 0.05, 5.0, false);
    ductDiameter.Init(IdDuctDiameter, 0, 0, 0, 8, kUnitMetre, kUnitMetre, 0, 0, m, 0.05, 5.0, false);
    ductValue1.Init(IdDuctValue1, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, false);
    ductValue2.Init(IdDuctValue2, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, false);
    ductRoughness.Init(IdDuctRoughness, 0, 0, 0, 8, kUnitMetre, kUnitMetre, 0, 0, m, 0.0005, 0.005, false);
}

CRohr::CRohr(const CRohr& other) : CRohr() { CopyFrom(other); }

CRohr::~CRohr() { ReleaseCrossSectionTables(); }

CRohr& CRohr::operator=(const CRohr& other) {
    if (this != &other) CopyFrom(other);
    return *this;
}

void CRohr::CopyFrom(const CRohr& o) {
    CModul::operator=(o);
    CWerte* const mine[] = {&name, &length, &height, &furtherLength, &shape, &diameter, &area, &perimeter, &sideA,
                            &sideB, &resistanceGroup, &wallThickness, &outerDiameter, &wallResistance, &shareOutside,
                            &lengthOutside, &shareUnheated, &lengthUnheated, &roughness, &zetaSum, &alphaOuter,
                            &surroundingTemperature, &furtherValue, &addedLength, &shellThickness1, &shellThickness2,
                            &text, &wallWord, &junctionValue, &ductMode, &junctionText, &secondGroup,
                            &valueAfterGroup, &ductOuterArea, &ductOuterPerimeter, &ductSideA, &ductSideB,
                            &ductDiameter, &ductValue1, &ductValue2, &ductRoughness};
    const CWerte* const theirs[] = {&o.name, &o.length, &o.height, &o.furtherLength, &o.shape, &o.diameter, &o.area,
                                    &o.perimeter, &o.sideA, &o.sideB, &o.resistanceGroup, &o.wallThickness,
                                    &o.outerDiameter, &o.wallResistance, &o.shareOutside, &o.lengthOutside,
                                    &o.shareUnheated, &o.lengthUnheated, &o.roughness, &o.zetaSum, &o.alphaOuter,
                                    &o.surroundingTemperature, &o.furtherValue, &o.addedLength, &o.shellThickness1,
                                    &o.shellThickness2, &o.text, &o.wallWord, &o.junctionValue, &o.ductMode,
                                    &o.junctionText, &o.secondGroup, &o.valueAfterGroup, &o.ductOuterArea,
                                    &o.ductOuterPerimeter, &o.ductSideA, &o.ductSideB, &o.ductDiameter, &o.ductValue1,
                                    &o.ductValue2, &o.ductRoughness};
    for (size_t i = 0; i < std::size(mine); ++i) {
        // Each cell copies through its own type.
        if (auto* d = dynamic_cast<CWDouble*>(mine[i])) *d = *static_cast<const CWDouble*>(theirs[i]);
        else if (auto* s = dynamic_cast<CWShort*>(mine[i])) *s = *static_cast<const CWShort*>(theirs[i]);
        else *static_cast<CWString*>(mine[i]) = *static_cast<const CWString*>(theirs[i]);
    }
    zeta = o.zeta;
    junctionZeta = o.junctionZeta;
    wall = o.wall;
    areaAbove = o.areaAbove;
    runLength = o.runLength;
    caseCount = o.caseCount;
    currentCase = o.currentCase;
    temperatureCases.clear();
    pressureCases.clear();
    for (const auto& r : o.temperatureCases) temperatureCases.push_back(std::make_unique<CRechnen>(*r));
    for (const auto& r : o.pressureCases) pressureCases.push_back(std::make_unique<CRechnen>(*r));
    for (int k = 0; k < 3; ++k) {
        types[k].clear();
        for (const auto& b : o.types[k]) types[k].push_back(std::make_unique<CBauart>(*b));
    }
    airDuct = o.airDuct ? std::make_unique<CVerbLuft>(*o.airDuct) : nullptr;
    arrangement = o.arrangement;
    outState = o.outState;
    setting1 = o.setting1;
    for (int k = 0; k < 3; ++k) selectedType[k] = o.selectedType[k];
    stateWord = o.stateWord;
    junctionFlag = o.junctionFlag;
    junctionMode = o.junctionMode;
    modeWord2 = o.modeWord2;
    modeWord3 = o.modeWord3;
    zoneLengthsGiven = o.zoneLengthsGiven;
    checkFlag = o.checkFlag;
    attachmentFlag = o.attachmentFlag;
    surroundingsFlag = o.surroundingsFlag;
    pendingFlag = o.pendingFlag;
}

void CRohr::LoadCrossSectionTables() { ::LoadCrossSectionTables(); }

void CRohr::NextCrossSection(int direction, int shape, double& d, double& b, double& a) {
    const CrossSectionTables& t = SharedCrossSectionTables();
    if (shape == 0 || shape == 4 || shape == 1) {
        const std::vector<double>& table = shape == 1 ? t.square : t.round;
        double& current = shape == 1 ? a : d;
        if (direction == 1) {
            for (auto it = table.rbegin(); it != table.rend(); ++it)
                if (*it < current) {
                    current = *it;
                    return;
                }
        } else {
            for (double v : table)
                if (v > current) {
                    current = v;
                    return;
                }
        }
        return;
    }
    const std::pair<double, double> now{a, b};
    if (direction == 1) {
        for (auto it = t.oval.rbegin(); it != t.oval.rend(); ++it)
            if (OvalPairBefore(*it, now)) {
                a = it->first;
                b = it->second;
                return;
            }
    } else {
        for (const auto& p : t.oval)
            if (OvalPairBefore(now, p)) {
                a = p.first;
                b = p.second;
                return;
            }
    }
}

double CRohr::TableSectionAtLeast(double v) const {
    const double b = v / 100;
    const CrossSectionTables& t = SharedCrossSectionTables();
    const std::vector<double>* table = shape.value == 0 ? &t.round : shape.value == 1 ? &t.square : nullptr;
    if (!table) return 0;
    double result = 0;
    for (auto it = table->rbegin(); it != table->rend(); ++it) {
        if (*it < b) break;
        result = *it;
    }
    return result * 100;
}

void CRohr::ComputeGeometry() {
    double dh = diameter.value;
    CrossSectionGeometry(diameter.value, sideA.value, sideB.value, shape.value == 4 ? 0 : shape.value, area.value,
                         perimeter.value, dh);
    diameter.value = dh;
    outerDiameter.value = diameter.value + 2 * wallThickness.value;
}

void CRohr::LoadLengthUnits() {
    for (CWDouble* c : {&length, &height, &furtherLength, &diameter, &sideA, &sideB, &wallThickness, &lengthOutside,
                        &lengthUnheated, &roughness, &addedLength})
        c->displayUnit = LoadUnitChoice(c->valueId, "1280 # 0x0500");
}

void CRohr::SetInletValue(double x) { areaAbove = x == -1 ? area.value : x; }

void CRohr::AddRunLength(double x) {
    if (runLength == 0) runLength = length.value + addedLength.value;
    runLength += x;
}

void CRohr::Notify(double* p) {
    if (*p != 0 && junctionFlag) {
        junctionValue.value = *p;
        *p = 0;
    } else if (pendingFlag) {
        pendingFlag = 0;
        *p = 60;
    }
}

bool CRohr::FindJunctionResistance(int& index) {
    for (int i = 0; i < CZeta::ElementCount; ++i)
        if (zeta.elements[i].kind == 12) {
            index = i;
            return true;
        }
    index = CZeta::ElementCount;
    return false;
}

void CRohr::AddCaseRecords() {
    AddFreshCases(temperatureCases, pressureCases, spareRecords, arrangement ? &arrangement->site : nullptr);
}

void CRohr::RemoveLastCase() { RemoveLastCaseOf(temperatureCases, pressureCases, caseCount); }

void CRohr::RemoveCase(int i) { RemoveCaseOf(temperatureCases, pressureCases, caseCount, i); }

void CRohr::SwapCaseValues(double& mode, double& zetaValue, double& angle) {
    const double m = zeta.enlargementMode.value, z = zeta.enlargementZeta.value, a = zeta.enlargementAngle.value;
    zeta.enlargementMode.value = int32_t(mode);
    zeta.enlargementZeta.value = zetaValue;
    zeta.enlargementAngle.value = angle;
    mode = m;
    zetaValue = z;
    angle = a;
}

void CRohr::GetResult(double& massFlow, double& sectionArea, int temperatureCase) {
    massFlow = 0;
    if (caseCount >= 0 && !temperatureCases.empty())
        massFlow = (temperatureCase ? *temperatureCases.back() : *pressureCases.back()).massFlow;
    sectionArea = area.value;
}

double CRohr::GetSurroundingTemperature(vx::Archive* p) {
    if (p) return -1.0;
    const CAufBauE* arr = arrangement;
    const CGrunddaten* site = arr ? &arr->site : nullptr;
    const double p1 = shareOutside.value, p2 = shareUnheated.value;
    const double tuf = site ? site->surroundingOutside.value : 0.0;
    const double tuk = site ? site->surroundingUnheated.value : 0.0;
    const double tuw = site ? site->surroundingHeated.value : 20.0;
    double tu = ((100 - p1 - p2) * tuw + p2 * tuk + p1 * tuf) / 100;
    const int positions = arr ? arr->positionCount.value : 0;
    if (tu > 15 && positions == 0) tu = 15.0;
    if (!arr || arr->Regime() != CAufBauE::Positive) return tu;
    const double exposed = lengthOutside.value + lengthUnheated.value;
    const bool chimney = IsKindChimney() != 0;
    switch (arr->Kind()) {
    case 0:
        if (exposed <= 5) tu = positions ? 20.0 : 15.0;
        break;
    case 1:
        if (exposed <= 5) tu = 0.0;
        break;
    case 2:
    case 5:
        if (exposed / length.value <= 0.25) tu = 15.0;
        break;
    case 3:
        if (chimney) {
            if (exposed / length.value <= 0.25) tu = 15.0;
        } else if (exposed <= 5) {
            tu = 0.0;
        }
        break;
    case 4:
        if (chimney) {
            if (exposed <= 5) tu = 0.0;
        } else if (exposed / length.value <= 0.25) {
            tu = 15.0;
        }
        break;
    default:
        break;
    }
    return tu;
}

int CRohr::GetSectionKind(const CAufBauE* arr) const {
    if (!arr) return 0;
    const int regime = arr->Regime(), kind = arr->Kind();
    if (IsConnector()) return regime == 2 && (kind == 1 || kind == 3) ? 2 : 0;
    if (attachmentFlag) return 0;
    if (regime <= 1 && kind == 4) return 2;
    if (arr->renovation.value) return 1;
    if (regime == 2) return kind == 0 || kind == 1 || kind == 4 ? 2 : 0;
    return 0;
}

int CRohr::ApplyGeometryDefaults() {
    if (GetSectionKind(arrangement)) ApplyGeometryDefaultsOfKind();
    return 1;
}

void CRohr::SetAirDuct(CAufBauE* arr) {
    if (!airDuct) airDuct = std::make_unique<CVerbLuft>();
    CVerbLuft& d = *airDuct;
    d.SetArrangement(arr);
    const double c = 2 * (shellThickness1.value + shellThickness2.value);
    double innerArea = 0, innerPerimeter = 0, innerDh = 0;
    CrossSectionGeometry(diameter.value + c, sideA.value + c, sideB.value + c, shape.value == 4 ? 0 : shape.value,
                         innerArea, innerPerimeter, innerDh);
    d.airDuctLength.value = length.value;
    // A chimney keeps its duct's two wall roughnesses in the duct values, a connector in the
    // roughness cell; the cells a kind does not use stay 0.
    d.airDuctRoughness.value = std::max({ductRoughness.value, ductValue1.value, ductValue2.value});
    d.airDuctShape.value = shape.value;
    d.airDuctArea.value = ductOuterArea.value - innerArea;
    const double duPerimeter = ductOuterPerimeter.value + innerPerimeter;
    d.airDuctDiameter.value = duPerimeter > 0 ? 4 * d.airDuctArea.value / duPerimeter : 0.0;
    d.airDuctZetas = zeta;
}

double CRohr::PressureResistance(const CRechnen& rec) const {
    const double se = arrangement ? arrangement->site.safetyFactor.value : 1.5;
    double pr = se * rec.Rf.value + (rec.PG.value > 0 ? se : 1.0) * rec.PG.value;
    for (double j : {rec.junctionPressure1.value, rec.junctionPressure2.value}) pr += j > 0 ? se * j : j;
    return pr;
}

AbgasZustand* CRohr::Calculate(AbgasZustand* inPtr, uint16_t mode, int16_t caseIndex, int, int) {
    AbgasZustand in;
    if (inPtr) in = *inPtr;
    outState.Clear();

    if (caseIndex < 0) {
        CGrunddaten* site = arrangement ? &arrangement->site : nullptr;
        RestartCaseRecords(temperatureCases, spareRecords, site);
        RestartCaseRecords(pressureCases, spareRecords, site);
        caseCount = 0;
    } else if (caseIndex > caseCount) {
        while (caseCount < caseIndex) {
            ++caseCount;
            AddCaseRecords();
        }
    }
    currentCase = caseIndex < 0 ? 0 : caseIndex;
    for (auto* list : {&temperatureCases, &pressureCases})
        for (auto& r : *list) r->site = arrangement ? &arrangement->site : nullptr;

    const CAufBauE* arr = arrangement;
    const int regime = arr ? arr->Regime() : 0, kind = arr ? arr->Kind() : 0;
    // The diagram sets L for each height; the zones move with it.
    SyncZoneLengths();
    surroundingTemperature.value = GetSurroundingTemperature(nullptr);

    alphaOuter.value = 0.15 * shareOutside.value + 8;
    if (regime == 2 && (kind == 0 || kind == 1 || kind == 4)) {
        alphaOuter.value = 0.15 * addedLength.value / length.value + 8;
        if (addedLength.value <= 3 * diameter.value) alphaOuter.value = 8;
    }
    outerDiameter.value = 2 * wallThickness.value + diameter.value;

    // The whole flow enters a junction element of the section itself.
    zetaSum.value = zeta.Calculate(area.value, in.areaBelow, areaAbove, 1.0, 1.0, false);
    if (junctionMode == 2 || junctionMode == 3)
        zetaSum.value += junctionZeta.Calculate(area.value, in.areaBelow, areaAbove, 1.0, 1.0, true);

    if (in.massFlow == 0) {
        outState = in;
        outState.areaBelow = area.value;
        return &outState;
    }

    CRechnen& t = *temperatureCases[size_t(currentCase)];
    CRechnen& p = *pressureCases[size_t(currentCase)];
    const CGrunddaten* site = arr ? &arr->site : nullptr;
    CalcSectionPair(t, surroundingTemperature.value, p, in.airTemperature,
                    site ? site->heatTransferFactor.value : 0.5, in);
    t.massFlow = p.massFlow = in.massFlow;

    outState = in;
    if (AbgasZustand* r = CalcForChain(&in, mode, caseIndex, 0)) outState = *r;
    outState.temperatureT = t.to.value;
    outState.temperatureP = p.to.value;
    outState.gasConstantT = t.gasConstant.value;
    outState.gasConstantP = p.gasConstant.value;
    outState.specificHeatT = t.cp.value;
    outState.specificHeatP = p.cp.value;
    outState.wetState = t.state;
    outState.areaBelow = area.value;
    t.BuildWetDryText(mode);
    p.BuildWetDryText(mode);
    return &outState;
}

// One record's calculation over a section: its inputs and what its passes carry.
struct CRohr::SectionPass {
    CRechnen& c;
    GasBlock g;
    double ts, factor, te, m;
    double dha, invLambda;
    double layerOut[5] = {};
    bool layered = false;
    double previous = 0;
    int passes = 0;
    bool done = false;
};

CRohr::SectionPass CRohr::BeginSection(CRechnen& c, const AbgasZustand& in, bool temperatureCase, double ts,
                                       double factor) {
    const CAufBauE* arr = arrangement;
    SectionPass s{c, BlockOf(in, temperatureCase), ts, factor, 0, in.massFlow + in.massFlowAdded, 0, 0};
    const GasBlock& g = s.g;
    c.h2o.value = g.h2o;
    c.CalcDewPoint();
    s.te = g.temperature;
    c.te.value = s.te;
    c.tm.value = s.te;
    c.gasConstant.value = g.gasConstant;
    c.dryLength.value = length.value + addedLength.value;
    c.extraAlpha = 0;
    if (temperatureCase) {
        c.state = ClassifyAgainstLimit(arr ? arr->Regime() : 0, s.te, c.dewPoint.value);
        c.CalcGasConstant(in.fuelIndex, g.co2);
    }
    s.dha = 2 * wallThickness.value + diameter.value;
    s.invLambda = wallResistance.value;
    return s;
}

// A pass up to the friction factors.
void CRohr::PassBeforeFriction(SectionPass& s, double floor) {
    CRechnen& c = s.c;
    const GasBlock& g = s.g;
    ++s.passes;
    s.previous = Round3(c.tm.value);
    const double tm = c.tm.value;
    c.CalcDensity(tm);
    c.CalcVelocity(s.m, area.value);
    c.CalcViscosity(tm);
    c.CalcReynoldsAbove(diameter.value, floor);
    c.CalcSpecificHeat(tm, g.co2, g.cpA, g.cpB, g.cpC, g.cpF);
    c.CalcConductivity(tm);
    c.CalcPrandtl();
}

// The rest of a pass; done when t_m settled.
void CRohr::PassAfterFriction(SectionPass& s, double entrance, int kind) {
    CRechnen& c = s.c;
    const CAufBauE* arr = arrangement;
    const CGrunddaten* site = arr ? &arr->site : nullptr;
    const double dh = diameter.value, lengthTotal = length.value + addedLength.value;
    const double ts = s.ts, factor = s.factor, te = s.te;
    const double tm = c.tm.value;
    if (roughness.value == 0) c.psi.value = c.psiSmooth.value;  // a smooth wall has no rough factor of its own
    c.CalcNusseltWith(entrance);
    c.CalcInnerAlpha(dh);
    c.alphaInner.value += c.extraAlpha;
    const double ai = c.alphaInner.value;
    if (resistanceGroup.value == 6) {
        // The layers start from the inner wall temperature at the mean, with the k of the last pass.
        s.layered = true;
        const double innerMean = tm - c.k.value / ai * (tm - ts);
        wall.CalculateWall(dh, dh, kind, tm, c.k.value, ts, innerMean, factor, 0, s.layerOut);
        s.invLambda = wall.totalResistance.value;
        s.dha = dh + 2 * wall.totalThickness.value;
    }
    const double invLambda = s.invLambda, dha = s.dha;
    const double aa = alphaOuter.value;
    c.k.value = 1 / (1 / ai + (dh / (dha * aa) + invLambda) * factor);
    c.coolingNumber.value = c.k.value * perimeter.value * lengthTotal / (s.m * c.cp.value);
    const double K = c.coolingNumber.value;
    const double decay = std::exp(-K);
    c.tm.value = ts + (1 - decay) * (te - ts) / K;
    c.to.value = ts + decay * (te - ts);
    const double ab = lengthOutside.value != 0 ? 23 : 8;
    c.kb.value = 1 / (1 / ai + factor * (invLambda + 0 + dh / (dha * ab)));
    const double tr = surroundingsFlag ? ts : (site ? site->surroundingOutlet.value : 0.0);
    c.innerWallOutlet.value = c.to.value - c.kb.value / ai * (c.to.value - tr);
    c.layerMean[0].value = c.tm.value - c.k.value / ai * (c.tm.value - ts);
    c.layerMean[1].value = c.layerMean[0].value - (c.tm.value - ts) * invLambda * c.k.value;
    if (Round3(c.tm.value) == s.previous || s.passes >= 26) s.done = true;
}

void CRohr::EndSection(SectionPass& s, const AbgasZustand& in, int kind) {
    CRechnen& c = s.c;
    const CAufBauE* arr = arrangement;
    const CGrunddaten* site = arr ? &arr->site : nullptr;
    const double pL = site ? site->airPressure.value : 0.0;
    const double dh = diameter.value, a = area.value;
    const double ts = s.ts, te = s.te, m = s.m, invLambda = s.invLambda, factor = s.factor;
    c.wallResistance.value = invLambda;

    const double ai = c.alphaInner.value, k = c.k.value;
    c.rhoInlet.value = pL / (c.gasConstant.value * (te + 273.15));
    c.wInlet.value = m / in.areaBelow / c.rhoInlet.value;
    c.innerWallInletB.value = te - (te - ts) * k / ai;
    c.layerInlet[0].value = c.innerWallInletB.value;
    c.layerInlet[1].value = c.innerWallInletB.value - (te - ts) * k * invLambda;
    const double to = c.to.value;
    c.rhoOutlet.value = pL / (c.gasConstant.value * (to + 273.15));
    c.wOutlet.value = m / a / c.rhoOutlet.value;
    c.innerWallOutletB.value = to - (to - ts) * k / ai;
    c.layerOutlet[0].value = c.innerWallOutletB.value;
    c.layerOutlet[1].value = c.innerWallOutletB.value - (to - ts) * k * invLambda;
    if (s.layered) {
        // Place 0 keeps the inner wall temperature; the outer temperatures of the layers follow it.
        // Inlet and outlet go through a copy, so that the layers keep the state of the mean.
        double inletOut[5] = {}, outletOut[5] = {};
        CWdw probe = wall;
        const bool stepped = probe.CalculateWall(dh, dh, kind, te, k, ts, c.innerWallInletB.value, factor, 0, inletOut);
        probe = wall;
        probe.CalculateWall(dh, dh, kind, to, k, ts, c.innerWallOutletB.value, factor, 0, outletOut);
        if (stepped) {
            for (int i = 0; i < 4; ++i) {
                c.layerMean[i + 1].value = s.layerOut[i];
                c.layerInlet[i + 1].value = inletOut[i];
                c.layerOutlet[i + 1].value = outletOut[i];
            }
        }
    }
}

void CRohr::CalcSection(CRechnen& c, const AbgasZustand& in, bool temperatureCase, double ts, double factor) {
    const int kind = GetSectionKind(arrangement);
    // What the passes share.
    const double floor = CStoff::VelocityFloor(area.value);
    const double entrance = CStoff::EntranceFactor(diameter.value, runLength != 0 ? runLength
                                                                                  : length.value + addedLength.value);
    SectionPass s = BeginSection(c, in, temperatureCase, ts, factor);
    while (!s.done) {
        PassBeforeFriction(s, floor);
        c.ColebrookRoughAndSmooth(diameter.value, roughness.value);
        PassAfterFriction(s, entrance, kind);
    }
    lastPasses = s.passes;
    EndSection(s, in, kind);
}

void CRohr::CalcSectionPair(CRechnen& t, double tsT, CRechnen& p, double tsP, double factorP, const AbgasZustand& in) {
    // The wall layers carry state from one record's passes to the other's: one after the other.
    if (resistanceGroup.value == 6) {
        CalcSection(t, in, true, tsT, 1.0);
        CalcSection(p, in, false, tsP, factorP);
        return;
    }
    // Otherwise the records' passes go side by side, each as it would alone,
    // so that their friction solves overlap.
    const int kind = GetSectionKind(arrangement);
    const double floor = CStoff::VelocityFloor(area.value);
    const double entrance = CStoff::EntranceFactor(diameter.value, runLength != 0 ? runLength
                                                                                  : length.value + addedLength.value);
    SectionPass s[2] = {BeginSection(t, in, true, tsT, 1.0), BeginSection(p, in, false, tsP, factorP)};
    while (!s[0].done || !s[1].done) {
        CStoff* busy[2];
        int n = 0;
        for (SectionPass& x : s)
            if (!x.done) {
                PassBeforeFriction(x, floor);
                busy[n++] = &x.c;
            }
        CStoff::ColebrookRoughAndSmooth(busy, n, diameter.value, roughness.value);
        for (SectionPass& x : s)
            if (!x.done) PassAfterFriction(x, entrance, kind);
    }
    lastPasses = s[1].passes;
    EndSection(s[0], in, kind);
    EndSection(s[1], in, kind);
}

AbgasZustand* CRohr::CalcForChain(AbgasZustand* in, uint16_t, int16_t, int flag) {
    if (in) outState = *in;
    if ((junctionMode > 0 && junctionValue.value >= 1000) || (junctionMode == 1 && in && in->caseSelect) || flag)
        return nullptr;
    if (!in || size_t(currentCase) >= temperatureCases.size()) return nullptr;
    AbgasZustand& s = outState;
    CRechnen& c = in->caseSelect ? *temperatureCases[size_t(currentCase)] : *pressureCases[size_t(currentCase)];
    CAufBauE* arr = arrangement;
    const double lengthTotal = length.value + addedLength.value;
    const double heightTotal = height.value + addedLength.value;
    const double rho = c.rho.value, w = c.w.value;

    c.Rf.value = (c.psi.value * lengthTotal / diameter.value + zetaSum.value) * rho / 2 * w * w;
    c.PG.value = c.rhoOutlet.value / 2 * c.wOutlet.value * c.wOutlet.value -
                 c.rhoInlet.value / 2 * c.wInlet.value * c.wInlet.value;
    c.junctionPressure1.value = c.junctionPressure2.value = 0;
    if (in->junctionKind == 1 || in->junctionKind == 2) {
        // The junction hands over the other path's mass flow and area; the section's own flow is its record's.
        const double z =
            junctionZeta.EvaluateJunctions(in->junctionKind, in->junctionParamB, area.value, in->junctionParamA, c.massFlow);
        const double pj = z * in->junctionDensity / 2 * in->junctionVelocity * in->junctionVelocity;
        (in->junctionKind == 1 ? c.junctionCoeff1 : c.junctionCoeff2).value = z;
        (in->junctionKind == 1 ? c.junctionPressure1 : c.junctionPressure2).value = pj;
    }
    c.PR.value = PressureResistance(c);
    c.PH.value = (in->airDensity - rho) * 9.81 * heightTotal;
    // The junction list's own pressure, unless its coefficients are in the section's sum already.
    double x = 0.0;
    if (junctionFlag && junctionMode == 1)
        x = junctionZeta.Calculate(area.value, in->areaBelow, areaAbove, 1.0, 1.0, true) * rho / 2 * w * w;
    s.resistanceSum += x + c.PR.value - c.PH.value;

    const int regime = arr ? arr->Regime() : 0, kind = arr ? arr->Kind() : 0;
    const bool first = ordinal == 1;
    const bool breeches = arr && arr->breechesPiece.value == 2;
    if (IsConnector()) {
        if (regime == 2 && (kind == 1 || kind == 3)) {
            c.PH.value = 0;
            SetAirDuct(arr);
            s.airSideLoss += airDuct->Calculate(in, currentCase);
        }
        if (next && next->IsKindOf("CAbzweige")) {
            if (regime == 2) {
                if (breeches && first) s.pressureLoss -= x + c.PR.value - c.PH.value;
                else s.draught += x + c.PR.value - c.PH.value;
            } else {
                if (breeches && first) s.pressureLoss += c.PH.value - c.PR.value - x;
                else s.draught += c.PH.value - c.PR.value - x;
            }
        } else {
            if (regime == 2) s.pressureLoss -= x + c.PR.value - c.PH.value;
            else s.pressureLoss += x + c.PR.value - c.PH.value;
            s.connectorOutletTemperature = c.to.value;
        }
    } else {
        if (regime == 2 && (kind == 1 || kind == 4)) {
            c.PH.value = 0;
            SetAirDuct(arr);
            s.airSideLoss += airDuct->Calculate(in, currentCase);
        }
        const bool shutOff = arr && arr->connectorShutOff.value != 0;
        if (regime == 2) {
            if (breeches && first) s.pressureLoss -= x + c.PR.value - c.PH.value;
            else s.draught += x + c.PR.value - c.PH.value;
        } else if (breeches && first && !shutOff) {
            s.pressureLoss += x + c.PR.value - c.PH.value;
        } else {
            s.draught += c.PH.value - c.PR.value - x;
        }
        s.alphaInner = c.alphaInner.value;  // the extra heat transfer is in it already
        if (!attachmentFlag) s.wallResistance = c.wallResistance.value;
        s.hydraulicDiameter = diameter.value;
        s.alphaOuter = alphaOuter.value;
        s.roughness = roughness.value;
        s.heightSum += heightTotal;
        s.wallThickness = wallThickness.value;
        s.dewPoint = c.dewPoint.value;
        s.velocity = w;
    }
    const bool junction = junctionFlag != 0;
    s.junctionValue = junction ? junctionValue.value : 0;
    s.junctionFlow = junction ? in->massFlow : 0;
    s.junctionArea = junction ? area.value : 0;
    s.junctionVelocity = w;
    s.junctionDensity = rho;
    return &s;
}

void CRohr::WriteResistances(std::string& out) {
    for (const ZetaElement& el : zeta.elements) {
        const int n = el.count.value;
        if (n == 0) continue;
        out += "<WIDERSTAND ";
        const std::string label = QuoteForRecord(el.text.text);
        switch (el.kind) {
        case 1: case 2: case 19: case 21: case 22: case 23: case 25:
            out += vx::Format("ANZAHL=%d TYP=\"KNICK\" BEZEICHNUNG=\"%s\" WINKEL=%.1f DURCHM=0>", n, label.c_str(),
                              el.angle.value);
            break;
        case 3: case 4: case 5: case 6: case 7: case 8: case 9: case 10: case 11:
            out += vx::Format("ANZAHL=%d TYP=\"BOGEN\" BEZEICHNUNG=\"\" WINKEL=%.1f DURCHM=0>", n,
                              el.angle.value > 0 ? el.angle.value : 90.0);
            break;
        case 12:
            out += vx::Format("ANZAHL=%d TYP=\"ABZWEIGE\" BEZEICHNUNG=\"\" WINKEL=%.1f DURCHM=0>", n, el.angle.value);
            break;
        case 14:
            out += vx::Format("ANZAHL=%d TYP=\"HOSE\" BEZEICHNUNG=\"\" WINKEL=%.1f DURCHM=0>", n, el.angle.value);
            break;
        case 15: case 16: case 17: case 18:
            out += vx::Format("ANZAHL=%d TYP=\"UEBERG\" BEZEICHNUNG=\"\" WINKEL=0 DURCHM=0>", n);
            break;
        case 20:
            out += vx::Format("ANZAHL=%d TYP=\"REV\" BEZEICHNUNG=\"\" WINKEL=0 DURCHM=0>", n);
            break;
        default:
            out += vx::Format("ANZAHL=%d TYP=\"UNBEKANNT\" BEZEICHNUNG=\"%s\" WINKEL=0 DURCHM=0>", n, label.c_str());
            break;
        }
    }
    if (zeta.damperKind.value != 0)
        out += vx::Format("<WIDERSTAND ANZAHL=1 TYP=\"SCHALLDAEMPFER\" BEZEICHNUNG=\"%s\" WINKEL=0 DURCHM=0>",
                          QuoteForRecord(zeta.extraText1.text).c_str());
}

std::string CRohr::FitCheck(int& failed, std::vector<double>* sizes) {
    const double t = wallThickness.value;
    double outer;
    switch (shape.value) {
    case 1: outer = std::sqrt(2 * (sideA.value + 2 * t) * (sideA.value + 2 * t)); break;
    case 2:
    case 3: outer = std::hypot(sideA.value + 2 * t, sideB.value + 2 * t); break;
    default: outer = diameter.value + (DoubleWalled() ? 4 : 2) * t; break;
    }
    const double shaft = ductSideA.value != 0 ? ductSideA.value : ductDiameter.value;
    const double gap = (shaft - outer - 2 * shellThickness2.value) / 2;
    if (gap - shellThickness1.value >= 0) return {};
    failed = 1;
    if (sizes) sizes->push_back(shape.value == 0 || shape.value == 4 ? diameter.value : sideA.value);
    return vx::LoadString(IDS_INNENROHR_PASST_NICHT);
}

std::string CRohr::GetExtraText(std::string& out, int id) {
    out.clear();
    if (id == ductSideA.valueId || id == ductSideB.valueId) {
        int failed = 0;
        out = FitCheck(failed, nullptr);
    }
    return out;
}

int CRohr::CheckInputs(std::string& message, std::vector<int>* ids) {
    int failed = 0;
    CheckCell(length, message, ids, failed);
    height.maximum = length.value;
    CheckCell(height, message, ids, failed);
    if (shape.value == 2 || shape.value == 3) {
        CheckCell(sideA, message, ids, failed);
        CheckCell(sideB, message, ids, failed);
    } else if (shape.value == 1) {
        CheckCell(sideA, message, ids, failed);
    } else {
        CheckCell(diameter, message, ids, failed);
    }
    CheckCell(wallResistance, message, ids, failed);
    CheckCell(wallThickness, message, ids, failed);
    CheckCell(roughness, message, ids, failed);
    return failed ? 1 : 0;
}

void CRohr::LoadDefault(CWerte& value) {
    const CBauart* type = selectedType[0] >= 0 && size_t(selectedType[0]) < types[0].size()
                              ? types[0][size_t(selectedType[0])].get() : nullptr;
    if (&value == &wallResistance) {
        wallResistance.value = CBauart::DefaultWallResistance(resistanceGroup.value);
        wallResistance.marker = CWerte::MarkerDerived;
    } else if (type && &value == &wallThickness) {
        wallThickness.value = type->wallThickness;
        wallThickness.marker = CWerte::MarkerDerived;
    } else if (type && &value == &resistanceGroup) {
        resistanceGroup.value = type->resistanceGroup;
    } else if (type && &value == &roughness) {
        roughness.value = type->roughness;
        roughness.marker = CWerte::MarkerDerived;
    }
}

void CRohr::SyncZoneLengths() {
    const double l = length.value;
    if (zoneLengthsGiven) {
        shareOutside.value = l > 0 ? lengthOutside.value / l * 100 : 0.0;
        shareUnheated.value = l > 0 ? lengthUnheated.value / l * 100 : 0.0;
    } else {
        lengthOutside.value = l * shareOutside.value / 100;
        lengthUnheated.value = l * shareUnheated.value / 100;
    }
}

int CRohr::OnValueChanged(CWerte& value) {
    value.marker = 0;
    const bool shareEdited = &value == &shareOutside || &value == &shareUnheated;
    if (shareEdited || &value == &lengthOutside || &value == &lengthUnheated) {
        // The edited kind leads for this one sync: shares give the lengths, lengths the shares.
        const int given = zoneLengthsGiven;
        zoneLengthsGiven = shareEdited ? 0 : 1;
        SyncZoneLengths();
        zoneLengthsGiven = given;
        return 1;
    }
    if (&value == &diameter || &value == &sideA || &value == &sideB || &value == &shape || &value == &wallThickness) {
        ComputeGeometry();
        return 1;
    }
    if (&value == &length) {
        height.maximum = length.value;
        SyncZoneLengths();
        return 1;
    }
    return 0;
}

void CRohr::Serialize(vx::Archive& ar) {
    const int v = ArchiveFormat(ar);
    name.Serialize(ar);
    length.Serialize(ar);
    height.Serialize(ar);
    if (v > 10) furtherLength.Serialize(ar);
    CWerte* const cells[] = {&shape, &diameter, &area, &perimeter, &sideA, &sideB, &resistanceGroup, &wallThickness,
                             &outerDiameter, &wallResistance, &shareOutside, &lengthOutside, &shareUnheated,
                             &lengthUnheated, &roughness, &zetaSum, &alphaOuter, &surroundingTemperature,
                             &furtherValue, &addedLength, &shellThickness1, &shellThickness2, &text, &wallWord,
                             &junctionValue, &ductMode, &junctionText, &secondGroup, &valueAfterGroup, &ductOuterArea,
                             &ductOuterPerimeter, &ductSideA, &ductSideB, &ductDiameter, &ductValue1, &ductValue2,
                             &ductRoughness};
    for (CWerte* c : cells) c->Serialize(ar);
    zeta.Serialize(ar);
    wall.Serialize(ar);
    junctionZeta.Serialize(ar);

    if (ar.IsStoring()) {
        ar << areaAbove << int32_t(airDuct ? 1 : 0) << runLength << setting1 << selectedType[0] << selectedType[1]
           << selectedType[2] << int32_t(caseCount) << stateWord << junctionFlag << junctionMode << modeWord2
           << modeWord3 << zoneLengthsGiven << checkFlag;
        for (auto& list : types) ar << int32_t(list.size());
        for (auto& list : types)
            for (auto& b : list) b->Serialize(ar);
        if (airDuct) airDuct->Serialize(ar);
        for (int i = 0; i <= caseCount && size_t(i) < temperatureCases.size(); ++i) {
            temperatureCases[size_t(i)]->Serialize(ar);
            pressureCases[size_t(i)]->Serialize(ar);
        }
        ar << attachmentFlag;
        return;
    }
    int32_t ductFlag = 0, count = 0;
    ar >> areaAbove >> ductFlag >> runLength >> setting1 >> selectedType[0] >> selectedType[1] >> selectedType[2] >>
        count >> stateWord >> junctionFlag >> junctionMode >> modeWord2 >> modeWord3 >> zoneLengthsGiven >> checkFlag;
    int32_t typeCounts[3];
    for (int32_t& n : typeCounts) {
        n = ar.ReadInt32();
        // A construction type takes more than 100 bytes; a larger count is a damaged file.
        if (n < 0 || size_t(n) > ar.Remaining() / 100) throw vx::ArchiveEndOfFile();
    }
    for (int k = 0; k < 3; ++k) {
        types[k].clear();
        for (int32_t i = 0; i < typeCounts[k]; ++i) {
            auto b = std::make_unique<CBauart>(k + 1);
            b->Serialize(ar);
            types[k].push_back(std::move(b));
        }
    }
    if (ductFlag == 1) {
        SetAirDuct(arrangement);
        airDuct->Serialize(ar);
    }
    // Two records of some hundred bytes each per case.
    if (count < -1 || (count >= 0 && size_t(count) + 1 > ar.Remaining() / 200)) throw vx::ArchiveEndOfFile();
    caseCount = int16_t(count);
    temperatureCases.clear();
    pressureCases.clear();
    for (int32_t i = 0; i <= count; ++i) {
        AddCaseRecords();
        temperatureCases.back()->Serialize(ar);
        pressureCases.back()->Serialize(ar);
    }
    currentCase = 0;
    attachmentFlag = v >= 9 ? ar.ReadInt32() : 0;
}

CRohr::SectionLimits CRohr::ReadSectionLimits(const char* section, const char* lMax, const char* hMin,
                                             const char* hMax) {
    auto read = [section](const char* key, const char* def) {
        return vx::ParseDouble(vx::Profile().GetString(section, key, def));
    };
    return SectionLimits{read("Lmin", ".01"),    read("Lmax", lMax),     read("Hmin", hMin),      read("Hmax", hMax),
                         read("Dhmin", "0.05"),  read("Dhmax", "2.0"),   read("Wdwmax", "10.0"),  read("Wamin", "0.0001"),
                         read("Wamax", "1.0"),   read("Rmin", "0.0005"), read("Rmax", "0.005"),   read("R_VOR", "0.001"),
                         vx::Profile().GetInt(section, "R_DEFAULT", -1)};
}

void CRohr::ApplySectionLimits(const SectionLimits& l) {
    length.minimum = l.lMin;
    length.maximum = l.lMax;
    height.minimum = l.hMin;
    height.maximum = l.hMax;
    for (CWDouble* c : {&diameter, &sideA, &sideB}) {
        c->minimum = l.dhMin;
        c->maximum = l.dhMax;
    }
    wallResistance.maximum = l.wdwMax;
    wallThickness.minimum = l.waMin;
    wallThickness.maximum = l.waMax;
    roughness.minimum = l.rMin;
    roughness.maximum = l.rMax;
    roughness.value = l.rDefault;
    roughness.marker = CWerte::MarkerDerived;
}
