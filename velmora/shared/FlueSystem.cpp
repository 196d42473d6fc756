#include "velmora/shared/FlueSystem.h"

#include "model/ChainHelpers.h"
#include "model/CrossSectionTables.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"

#include <cmath>

namespace {

// Removes every entry of kind, so that an entry is put in place, never added twice.
void RemoveAllOfKind(CZeta& zeta, int kind) {
    for (int i = 0; i < CZeta::FreeElements; ++i)
        if (zeta.elements[i].kind == kind) zeta.ClearElement(i);
}

void PutResistanceInPlace(CZeta& zeta, int kind) {
    RemoveAllOfKind(zeta, kind);
    zeta.AddResistance(kind, 90, 0, 0, 1);
}

// The site values that follow their defaults in a new system.
void MarkSiteDefaults(CGrunddaten& site) {
    for (CWDouble* c : {&site.airTemperature, &site.airTemperature2, &site.surroundingOutlet, &site.surroundingOutside,
                        &site.surroundingUnheated, &site.surroundingHeated, &site.surroundingOther, &site.geoHeight})
        c->marker = CWerte::MarkerDerived;
}

// A check that reported nothing marks the module checked; the presets then
// leave it alone.
template <class Module>
bool CheckAndMark(Module& module) {
    std::string message;
    if (module.CheckInputs(message, nullptr) != 0) return false;
    module.checkFlag = 1;
    return true;
}

} // namespace

const FlueSystemVariant& FlueSystemVariant::Diagram() {
    static const FlueSystemVariant v{};
    return v;
}

const FlueSystemVariant& FlueSystemVariant::Assignment() {
    static const FlueSystemVariant v{true, 6, true, false, false, true};
    return v;
}

FlueSystem::FlueSystem(const FlueSystemVariant& variant) : variant_(variant) {
    MarkSiteDefaults(construction.site);
    MarkModules();
}

FlueSystem::~FlueSystem() { UnlinkModuleChain(); }

void FlueSystem::MarkModules() {
    connector.ordinal = 1;
    connector.connectorFlag = 1;
    chimney.ordinal = 1;
}

void FlueSystem::UnlinkModuleChain() {
    UnlinkChain(&head);
    chainCursor = nullptr;
}

void FlueSystem::SetResistanceDefaults(double roughness, double resistance, int wallKind, double wallValue,
                                       double outerValue, int resistanceVariant) {
    chimney.roughness.value = roughness;
    chimney.wallResistance.value = resistance;
    chimney.resistanceGroup.value = int16_t(wallKind);
    chimney.wallThickness.value = wallValue;
    chimney.shareOutside.value = outerValue;
    chimney.SyncZoneLengths();
    if (variant_.emptyFittingsFirst) {
        chimney.zeta.ResetAll();
    } else {
        RemoveAllOfKind(chimney.zeta, 12);
        RemoveAllOfKind(chimney.zeta, variant_.positivePressureFitting);
    }
    chimney.zeta.AddResistance(resistanceVariant == 2 ? variant_.positivePressureFitting : 12, 90, 0, 0, 1);
}

void FlueSystem::NewSystemType(int& systemIndex, int shape, int moistureInsensitive) {
    if (variant_.freshOnNewSystem) {
        UnlinkModuleChain();
        construction = CAufBauE();
        chimney = CSchorn();
        MarkModules();
    } else {
        // Regime, kind and renovation follow from the system alone; a system
        // chosen before must not leave its positive pressure behind.
        construction.regime.value = CAufBauE::NegativeDry;
        construction.kind.value = 0;
        construction.renovation.value = 0;
    }
    construction.site.airRatio.value = 0.9;
    chimney.length.value = chimney.height.value = 8;
    MarkSiteDefaults(construction.site);

    chimney.shape.value = int16_t(shape);
    if (shape == 0) chimney.diameter.value = 0.13;
    else chimney.sideA.value = 0.13;
    OnShapeChosen(shape);

    if (systemIndex == 0 || systemIndex == 10 || systemIndex == 16) ++systemIndex;
    struct Row {
        double roughness, resistance;
        int wallKind;
        double wallValue, outerValue;
        int variant;
    };
    static const Row rows[21] = {
        {},
        {0.0015, 0.65, 0, 0.1, 0, 1},   {0.0015, 0.4, 1, 0.1, 0, 1},   {0.001, 0.65, 0, 0.1, 0, 1},
        {0.001, 0.4, 1, 0.1, 0, 1},     {0.001, 0.4, 1, 0.03, 10, 1},  {0.001, 0.4, 1, 0.03, 100, 1},
        {0.0015, 0.22, 2, 0.1, 0, 1},   {0.003, 0.12, 3, 0.1, 0, 1},   {0.005, 0.12, 3, 0.115, 10, 1},
        {},
        {0.001, 0.12, 3, 0.125, 0, 1},  {0.0015, 0.12, 3, 0.125, 0, 1}, {0.005, 0.12, 3, 0.125, 0, 1},
        {0.001, 0.22, 2, 0.125, 0, 1},  {0.0015, 0.22, 2, 0.125, 0, 1}, {},
        {0.001, 0, 4, 0.001, 0, 2},     {0.001, 0, 4, 0.001, 0, 2},     {0.001, 0.4, 1, 0.03, 100, 2},
        {0.001, 0.4, 1, 0.03, 100, 2},
    };
    if (systemIndex >= 1 && systemIndex <= 20) {
        const Row& r = rows[systemIndex];
        SetResistanceDefaults(r.roughness, r.resistance, r.wallKind, r.wallValue, r.outerValue, r.variant);
        if (systemIndex <= 15) {
            if (moistureInsensitive) construction.regime.value = CAufBauE::NegativeWet;
            if (systemIndex >= 11 && variant_.marksRenovation) construction.renovation.value = 1;
        } else {
            construction.regime.value = CAufBauE::Positive;
            if (systemIndex == 18) construction.kind.value = 1;
            if (systemIndex == 19) construction.kind.value = 2;
            if (systemIndex == 20) construction.kind.value = 3;
        }
    }

    // Copies and the system index for the form and the print.
    chimney.furtherValue.value = chimney.wallThickness.value;
    chimney.valueAfterGroup.value = chimney.roughness.value;
    chimney.setting1 = systemIndex;
    chimney.wallWord.value = int16_t(systemIndex);

    if (variant_.writesMoistureText) {
        if (construction.Regime() == CAufBauE::Positive) moistureText.assign(1, '-');
        else if (construction.Regime() == CAufBauE::NegativeWet) moistureText = vx::LoadString(IDS_MOISTURE_YES);
        else moistureText = vx::LoadString(IDS_MOISTURE_NO);
    }

    chimney.modeWord2 = 1;
    chimney.ductValue1.value = 0.003;
    chimney.junctionValue.value = 1.0;

    LinkModuleChain();
    CheckAndMark(chimney);
    StartCrossSection();
}

void FlueSystem::StartCrossSection() {
    limitCrossSection = ::StartCrossSection(heatGenerator.flueMassFlow.value, chimney.shape.value);
}

void FlueSystem::LinkModuleChain() {
    const int regime = construction.Regime();
    const int kind = construction.Kind();
    const bool caseA = regime == CAufBauE::Positive && (kind == 1 || kind == 3);
    const bool caseB = regime == CAufBauE::Positive && (kind == 1 || kind == 4);
    UnlinkModuleChain();

    auto set = [](CWShort& v) {
        if (v.value == 0) v.value = 1;
    };
    if (construction.breechesPiece.value == 2 && construction.setting8.value == 0) set(construction.chimneyShutOff);
    if (construction.breechesPiece.value == 1) set(construction.connectorShutOff);
    if (construction.secondaryAir.value != 0) {
        if (construction.secondaryAirPlace.value == 5) set(construction.chimneyShutOff);
        if (construction.secondaryAirPlace.value == 1) set(construction.connectorShutOff);
    }
    if (construction.setting16.value == 2) set(construction.chimneyShutOff);
    if (construction.setting16.value == 1) set(construction.connectorShutOff);

    heatGenerator.arrangement = &construction;
    connector.arrangement = &construction;
    chimney.arrangement = &construction;
    if (regime == CAufBauE::Positive) {
        heatGenerator.condensing = 1;
        if (construction.ductSetting.value == 2) {
            heatGenerator.fuel.value = 14;
            heatGenerator.ownFuel = 1;
        }
    }
    if (caseA) connector.SetAirDuct(&construction);
    if (caseB) chimney.SetAirDuct(&construction);
    connector.ResetRunLength();
    chimney.ResetRunLength();

    head.results.clear();
    head.caseCount = -1;
    chainCursor = &head;
    head.LinkChain(construction, room, chimney, connector, heatGenerator);
    construction.ApplyRegime();
    construction.site.SelectDesignTemperatures(regime, kind);
    RemoveModules(&head);

    linkMode = regime == CAufBauE::Positive && kind == 1 ? 2 : regime == CAufBauE::Positive && kind == 3 ? 3 : 0;
    if (vx::Profile().GetInt("ZETAVorEin", "RSpalt", 1) != 0 && linkMode != 0) {
        chimney.zeta.ResetAll();
        connector.zeta.ResetAll();
        if (linkMode == 2) {
            chimney.zeta.AddResistance(1, 90, 0, 0, 1);
            chimney.zeta.AddResistance(24, 90, 0, 0, 1);
            connector.zeta.AddResistance(2, 90, 0, 0, 1);
        } else {
            connector.zeta.AddResistance(24, 90, 0, 0, 1);
            RemoveAllOfKind(connector.zeta, 2);
        }
        linkMode = 0;
    }
}

void FlueSystem::RunCalculation() {
    RemoveModules(&head);
    head.RunFullLoadPass();
    const bool switchOn = variant_.partLoadSwitchIsOne ? partLoad == 1 : partLoad != 0;
    const bool fullLoadFailed = head.results.empty() || head.results[0]->ok == 0;
    if (heatGenerator.partLoadAvailable.value && !heatGenerator.suppressPartLoad && switchOn &&
        !(partLoadOnlyAfterPass && fullLoadFailed)) {
        ++partLoadPasses;
        CalculationMode = kModePartLoad;
        CaseIndex = 1;
        PropagateChainValues(&head);
    }
    CalculationMode = kModeFullLoad;
    CaseIndex = -1;
}

bool FlueSystem::RunPassed() const {
    if (head.results.empty()) return false;
    bool passed = head.results[0]->ok != 0;
    if (head.results.size() > 1 && head.caseCount >= 1) passed = passed && head.results[1]->ok != 0;
    return passed;
}

int32_t FlueSystem::SystemDocValue(int code, int index) {
    const int fuel = heatGenerator.fuel.value;
    const int kind = construction.Kind();
    const int regime = construction.Regime();
    switch (code) {
    case 0:
        return fuel == 3 || fuel == 5 || fuel == 7 || fuel == 9;
    case 1:
        return kind == 2 || kind == 3 || (kind == 1 && regime != 2);
    case 11:
        return fuel >= 2 && fuel <= 9;
    case 12:
        return heatGenerator.checkFlag != 0 && (fuel < 1 || fuel > 9);
    case 15:
        return regime == 2 && (kind == 1 || kind == 3);
    case 16:
        return regime == 2 && kind == 4;
    case 19:
        return heatGenerator.condensing;
    case 22:
        return int32_t(std::trunc((chimney.addedLength.value + chimney.length.value) * 1000));
    case 23:
        return int32_t(std::trunc((chimney.addedLength.value + chimney.height.value) * 1000));
    case 32:
        return construction.chimneyShutOff.value + (construction.setting5.value != 0 ? 1 : 0);
    case 33:
        return construction.setting5.value;
    case 38:
        return construction.breechesPiece.value;
    case 39:
        return index >= 0 && index < 5 ? construction.generatorsPerPosition2[index].value : 0;
    case 43:
        return construction.ductSetting.value == 1;
    case 45:
        return connector.GetSectionKind(nullptr);
    case 47: {
        double zero = 0.0;
        CModul::NotifyChain(&head, &zero);
        return 0;
    }
    default:
        // 9, 14, 17, 37, 42, 44 and 51 name objects: the typed accessors answer them.
        return 0;
    }
}

void FlueSystem::PrepareOutlet() {
    double dh = 0;
    CrossSectionGeometry(heatGenerator.outletDiameter.value, heatGenerator.outletSideA.value,
                         heatGenerator.outletSideB.value, heatGenerator.outletShape.value,
                         heatGenerator.outletArea.value, heatGenerator.outletPerimeter.value, dh);
}

void FlueSystem::PutConnectorOnOutlet() {
    connector.shape.value = heatGenerator.outletShape.value;
    connector.diameter.value = heatGenerator.outletDiameter.value;
    connector.sideA.value = heatGenerator.outletSideA.value;
    connector.sideB.value = heatGenerator.outletSideB.value;
    connector.ComputeGeometry();
}

// The connecting piece's presets: the document has no input for them, so
// they are put in place at every run, never added.
bool FlueSystem::PrepareConnector() {
    PutConnectorOnOutlet();
    if (connector.checkFlag != 1) {
        connector.length.value = 1.5;
        PutResistanceInPlace(connector.zeta, 6);
        connector.height.value = 0;
        connector.wallThickness.value = 0.001;
        connector.roughness.value = 0.001;
        connector.shellThickness1.value = 0.001;
        connector.shellThickness2.value = 0.001;
    }
    return CheckAndMark(connector);
}

// The chimney's presets stand in only for a chimney that no system has set
// up yet; a chosen system's wall values are the user's choice and survive.
bool FlueSystem::PrepareChimney() {
    if (chimney.checkFlag != 1 && chimney.setting1 == 0) {
        chimney.length.value = chimney.height.value = 8;
        chimney.diameter.value = 0.13;
        chimney.wallThickness.value = 0.1;
        chimney.resistanceGroup.value = 0;
        chimney.roughness.value = 0.0015;
        chimney.wallResistance.value = 0.65;
        PutResistanceInPlace(chimney.zeta, 12);
    }
    chimney.ComputeGeometry();
    return CheckAndMark(chimney);
}

FlueSystem::Prepared FlueSystem::PrepareAndSize(Preparation how, const Sizes* sizes) {
    Prepared result = Prepared::Ready;
    auto failed = [&result](Prepared step) {
        if (result == Prepared::Ready) result = step;
    };
    if (how == Preparation::Full) {
        LinkModuleChain();
        PrepareOutlet();
        if (!CheckAndMark(heatGenerator)) failed(Prepared::HeatGeneratorFails);
        if (!PrepareConnector()) failed(Prepared::ConnectorFails);
        if (!PrepareChimney()) failed(Prepared::ChimneyFails);
        // The site's own check stands for itself; the run goes on regardless.
        CGrunddaten::ReloadProfile();
        std::string message;
        construction.site.CheckInputs(message, nullptr);
    } else {
        heatGenerator.arrangement = &construction;
        PrepareOutlet();
        if (!CheckAndMark(heatGenerator)) return Prepared::HeatGeneratorFails;
        PutConnectorOnOutlet();
        connector.ApplyGeometryDefaults();
        if (!CheckAndMark(connector)) return Prepared::ConnectorFails;
    }
    PresetAirSupply();
    if (sizes && !PutChimneySizes(*sizes)) failed(Prepared::SizesRefused);
    return result;
}

void FlueSystem::PresetAirSupply() {
    if (heatGenerator.output.value < 30) {
        room.airSupplyPressure.value = 4;
        room.airSupplyMode = 1;
    } else {
        room.airSupplyPressure.value = 3;
        room.airSupplyMode = 0;
    }
    std::string message;
    room.CheckInputs(message, nullptr);
}

std::unique_ptr<CErgebnis> FlueSystem::SizedFirstResult(int shape) const {
    auto rec = std::make_unique<CErgebnis>(*head.results[0]);
    rec->sizes[0] = chimney.diameter.value;
    rec->sizes[1] = chimney.sideA.value;
    rec->sizes[2] = chimney.sideB.value;
    rec->sizes[3] = chimney.area.value;
    rec->sizes[4] = chimney.perimeter.value;
    rec->shape = int16_t(shape);
    return rec;
}

bool FlueSystem::PutChimneySizes(const Sizes& s) {
    chimney.diameter.value = s.d;
    chimney.sideA.value = s.a;
    chimney.sideB.value = s.b;
    chimney.ComputeGeometry();
    if (chimney.ApplyGeometryDefaults() == 0) return false;
    if (construction.Regime() != CAufBauE::Positive) return true;
    connector.shape.value = chimney.shape.value;
    connector.diameter.value = s.d;
    connector.sideA.value = s.a;
    connector.sideB.value = s.b;
    connector.ComputeGeometry();
    return connector.ApplyGeometryDefaults() != 0;
}
