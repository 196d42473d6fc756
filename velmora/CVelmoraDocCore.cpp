#include "velmora/CVelmoraDocCore.h"

#include "model/ChainHelpers.h"
#include "model/CrossSectionTables.h"
#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "platform/System.h"
#include "values/Helpers.h"
#include "velmora/DialogRules.h"

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

bool Passed(int checkResult) { return checkResult != 0; }

const char* const kHandOverFile = "~uebergabe.kfx";
const char* const kAureliaProgram = "AURELIA.EXE";

} // namespace

const char* const kNoHeatGeneratorMessage =
    "Es ist keine Feuerstätte gewählt.\nBitte wählen Sie zuerst Brennstoff, Hersteller und Typ der Feuerstätte.";

CVelmoraDocCore::CVelmoraDocCore() {
    const HeightRange heights = StoredHeightRange();
    hStart = heights.start;
    hStep = heights.step;
    hEnd = heights.end;
    yAxisTitle = vx::LoadString(IDS_Y_AXIS_ROUND);
    SetAxes();
    MarkSiteDefaults(construction.site);
    connector.ordinal = 1;
    connector.connectorFlag = 1;
    chimney.ordinal = 1;
    diagram.SetCrossSectionLookup([this](double cm) { return TableSizeAtLeast(cm); });
    diagram.SetCursorMovedHandler([this](double height, double size) { SetChosenPoint(height, size); });
}

CVelmoraDocCore::~CVelmoraDocCore() { UnlinkModuleChain(); }

void CVelmoraDocCore::SetAxes() {
    AxisSettings x;
    x.minimum = hStart;
    x.maximum = hEnd;
    x.step = hStep;
    x.title = vx::LoadString(IDS_X_AXIS_TITLE);
    diagram.SetX(x);
    AxisSettings y;
    y.minimum = 10;
    y.maximum = 50;
    y.step = 5;
    y.title = yAxisTitle;
    diagram.SetY(y);
}

void CVelmoraDocCore::SetHeightRange(double start, double step, double end) {
    hStart = start;
    hStep = step;
    hEnd = end;
    SetAxes();
    ShowDiagram(false);
}

void CVelmoraDocCore::SetGeodeticHeight(double height) {
    CWDouble& z = construction.site.geoHeight;
    z.value = height;
    const double preset = vx::ParseDouble(vx::Profile().GetString("Grunddaten", "GeoHoehe", "325"));
    z.marker = height == preset ? CWerte::MarkerDerived : CWerte::MarkerPlain;
    resultValid = 0;
    g_ResultsValid = 0;
    ShowDiagram(false);
}

void CVelmoraDocCore::ReloadCrossSectionTables() { CRohr::LoadCrossSectionTables(); }

void CVelmoraDocCore::UnlinkModuleChain() {
    UnlinkChain(&head);
    chainCursor = nullptr;
}

void CVelmoraDocCore::ResetDocument() {
    UnlinkModuleChain();
    projectLine1.clear();
    projectLine2.clear();
    thirdText.clear();
    moistureText.clear();
    construction = CAufBauE();
    room = CAufRaum();
    heatGenerator = CWaerme();
    connector = CVerb();
    chimney = CSchorn();
    project = CProjekt();
    head = CSKopf();
    connector.ordinal = 1;
    connector.connectorFlag = 1;
    chimney.ordinal = 1;
    remarks.text.clear();
    runFlag = 0;
    resultValid = 0;
    ClearResults();
    points.clear();
    diagram.SetPoints({});
}

void CVelmoraDocCore::ClearResults() { results.clear(); }

void CVelmoraDocCore::SetResistanceDefaults(double roughness, double resistance, int wallKind, double wallValue,
                                            double outerValue, int resistanceVariant) {
    chimney.roughness.value = roughness;
    chimney.wallResistance.value = resistance;
    chimney.resistanceGroup.value = int16_t(wallKind);
    chimney.wallThickness.value = wallValue;
    chimney.shareOutside.value = outerValue;
    RemoveAllOfKind(chimney.zeta, 12);
    RemoveAllOfKind(chimney.zeta, 5);
    chimney.zeta.AddResistance(resistanceVariant == 2 ? 5 : 12, 90, 0, 0, 1);
}

void CVelmoraDocCore::NewSystemType(int& systemIndex, int shape, int moistureInsensitive) {
    // Regime, kind and renovation follow from the system alone; a system
    // chosen before must not leave its positive pressure behind.
    const CAufBauE keptConstruction = construction;
    construction = keptConstruction;
    construction.regime.value = CAufBauE::NegativeDry;
    construction.kind.value = 0;
    construction.renovation.value = 0;
    construction.site.airRatio.value = 0.9;
    chimney.length.value = chimney.height.value = 8;
    MarkSiteDefaults(construction.site);

    chimney.shape.value = int16_t(shape);
    if (shape == 0) {
        chimney.diameter.value = 0.13;
        yAxisTitle = vx::LoadString(IDS_Y_AXIS_ROUND);
    } else {
        chimney.sideA.value = 0.13;
        yAxisTitle = vx::LoadString(IDS_Y_AXIS_SQUARE);
    }
    SetAxes();

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
            if (systemIndex >= 11) construction.renovation.value = 1;
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

    if (construction.Regime() == CAufBauE::Positive) moistureText.assign(1, '-');
    else if (construction.Regime() == CAufBauE::NegativeWet) moistureText = vx::LoadString(IDS_MOISTURE_YES);
    else moistureText = vx::LoadString(IDS_MOISTURE_NO);

    chimney.modeWord2 = 1;
    chimney.ductValue1.value = 0.003;
    chimney.junctionValue.value = 1.0;

    LinkModuleChain();
    std::string message;
    if (!Passed(chimney.CheckInputs(message, nullptr))) chimney.checkFlag = 1;
    StartCrossSection();
}

void CVelmoraDocCore::ClearHeatGenerator() {
    // Assignment keeps the heat generator's place in the chain.
    heatGenerator = CWaerme();
    limitCrossSection = 0;
    resultValid = 0;
}

void CVelmoraDocCore::SetChosenPoint(double height, double size) {
    if (chosenHeight == height && chosenSize == size) return;
    chosenHeight = height;
    chosenSize = size;
    MarkModified();
}

void CVelmoraDocCore::StartCrossSection() {
    limitCrossSection = ::StartCrossSection(heatGenerator.flueMassFlow.value, chimney.shape.value);
}

void CVelmoraDocCore::LinkModuleChain() {
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
    head.arrangement = &construction;
    head.room = &room;
    head.chimney = &chimney;
    head.connector = &connector;
    head.generator = &heatGenerator;
    connector.ResetRunLength();
    chimney.ResetRunLength();

    head.results.clear();
    head.caseCount = -1;
    chainCursor = &head;
    CModul* cursor = &head;
    InsertModule(&head, cursor, &chimney);
    InsertModule(&head, cursor, &connector);
    InsertModule(&head, cursor, &heatGenerator);
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

void CVelmoraDocCore::RunCalculation() {
    RemoveModules(&head);
    construction.site.CalcAirPressure();
    construction.site.safetyFactor.value = heatGenerator.positivePressure.value > 0 ? 1.2 : 1.5;
    CModul::ExchangeChainValues(&head);
    head.exposedLength = -1;
    if (construction.Regime() == CAufBauE::Positive && construction.Kind() == 0)
        head.exposedLength = chimney.lengthOutside.value + chimney.lengthUnheated.value + chimney.addedLength.value;
    head.outletArea = chimney.area.value;
    CalculationMode = 1;
    CaseIndex = -1;
    PropagateChainValues(&head);
    CaseIndex = 0;
    if (heatGenerator.partLoadAvailable.value && !heatGenerator.suppressPartLoad && partLoad != 0) {
        CalculationMode = 2;
        CaseIndex = 1;
        PropagateChainValues(&head);
    }
    CalculationMode = 1;
    CaseIndex = -1;
}

// The connecting piece's presets: the document has no input for them, so
// they are put in place at every run, never added.
void CVelmoraDocCore::PrepareConnector() {
    connector.shape.value = heatGenerator.outletShape.value;
    connector.diameter.value = heatGenerator.outletDiameter.value;
    connector.sideA.value = heatGenerator.outletSideA.value;
    connector.sideB.value = heatGenerator.outletSideB.value;
    connector.ComputeGeometry();
    if (connector.checkFlag != 1) {
        connector.length.value = 1.5;
        PutResistanceInPlace(connector.zeta, 6);
        connector.height.value = 0;
        connector.wallThickness.value = 0.001;
        connector.roughness.value = 0.001;
        connector.shellThickness1.value = 0.001;
        connector.shellThickness2.value = 0.001;
    }
    std::string message;
    if (!Passed(connector.CheckInputs(message, nullptr))) connector.checkFlag = 1;
}

// The chimney's presets stand in only for a chimney that no system has set
// up yet; a chosen system's wall values are the user's choice and survive.
void CVelmoraDocCore::PrepareChimney() {
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
    std::string message;
    if (!Passed(chimney.CheckInputs(message, nullptr))) chimney.checkFlag = 1;
}

bool CVelmoraDocCore::OnCalculate() {
    if (IsBusy() || CalculationMessagePumpRunning()) return false;
    if (!HasHeatGenerator()) {
        vx::ShowMessage(kNoHeatGeneratorMessage);
        return false;
    }
    BusyScope busy(*this);
    MarkModified();
    LinkModuleChain();

    double dh = 0;
    CrossSectionGeometry(heatGenerator.outletDiameter.value, heatGenerator.outletSideA.value,
                         heatGenerator.outletSideB.value, heatGenerator.outletShape.value,
                         heatGenerator.outletArea.value, heatGenerator.outletPerimeter.value, dh);
    std::string message;
    if (!Passed(heatGenerator.CheckInputs(message, nullptr))) heatGenerator.checkFlag = 1;
    PrepareConnector();
    PrepareChimney();

    CGrunddaten::ReloadProfile();
    if (!Passed(construction.site.CheckInputs(message, nullptr))) {
        // The site's message stands for itself; the run goes on as the program always did.
    }
    if (heatGenerator.output.value < 30) {
        room.airSupplyPressure.value = 4;
        room.airSupplyMode = 1;
    } else {
        room.airSupplyPressure.value = 3;
        room.airSupplyMode = 0;
    }
    room.CheckInputs(message, nullptr);

    BeginWait();
    const bool ok = ComputeDiagram();
    EndWait();
    return ok;
}

void CVelmoraDocCore::PutChimneySizes(const Sizes& s) {
    chimney.diameter.value = s.d;
    chimney.sideA.value = s.a;
    chimney.sideB.value = s.b;
    chimney.ComputeGeometry();
    chimney.ApplyGeometryDefaults();
    if (construction.Regime() == CAufBauE::Positive) {
        connector.shape.value = chimney.shape.value;
        connector.diameter.value = s.d;
        connector.sideA.value = s.a;
        connector.sideB.value = s.b;
        connector.ComputeGeometry();
        connector.ApplyGeometryDefaults();
    }
}

bool CVelmoraDocCore::ComputeDiagram() {
    // An unusable range would never end or compute sizes of 0.
    if (!(hStep > 0) || !(hStart <= hEnd) || !std::isfinite(hStart) || !std::isfinite(hEnd)) {
        vx::ShowMessage(vx::LoadString(IDS_NO_CROSS_SECTION));
        return false;
    }
    const int shape = chimney.shape.value;
    {
        Sizes first;
        CRohr::NextCrossSection(0, shape, first.d, first.b, first.a);
        if (first.d == 0 && first.a == 0 && first.b == 0) {
            vx::ShowMessage(vx::LoadString(IDS_NO_CROSS_SECTION));
            return false;
        }
    }
    BusyScope busy(*this);
    if (!head.next) LinkModuleChain();
    if (vx::Profile().GetInt("Global", "AllQuer", 1) != 0) limitCrossSection = 0;
    runFlag = 1;
    points.clear();
    ClearResults();

    // The heights are counted, not summed, so that rounding never drops the last one.
    const int heights = int(std::floor((hEnd - hStart) / hStep + 1e-9)) + 1;
    for (int i = 0; i < heights && runFlag; ++i) {
        const double h = hStart + i * hStep;
        DiagramPoint point;
        bool found = false;
        chimney.length.value = chimney.height.value = h;
        Sizes s;
        CRohr::NextCrossSection(0, shape, s.d, s.b, s.a);
        if (s.d == 0 && s.a == 0 && s.b == 0) {
            runFlag = 0;
            break;
        }
        PutChimneySizes(s);
        for (;;) {
            // The window stays responsive; the busy mark holds back its commands.
            PumpCalculationMessages();
            RunCalculation();
            if (head.results.empty()) break;
            const Sizes previous = s;
            auto rec = std::make_unique<CErgebnis>(*head.results[0]);
            rec->sizes[0] = chimney.diameter.value;
            rec->sizes[1] = chimney.sideA.value;
            rec->sizes[2] = chimney.sideB.value;
            rec->sizes[3] = chimney.area.value;
            rec->sizes[4] = chimney.perimeter.value;
            rec->shape = int16_t(shape);
            std::vector<std::unique_ptr<CErgebnis>> inner;
            inner.push_back(std::move(rec));
            results.push_back(std::move(inner));

            bool admissible = head.results[0]->ok != 0;
            if (head.results.size() > 1 && head.caseCount >= 1) admissible = admissible && head.results[1]->ok != 0;
            if (admissible) {
                if (!found) {
                    point = DiagramPoint();
                    point.height = h;
                    point.smallest = chimney.diameter.value * 100;
                    found = true;
                } else {
                    point.largest = chimney.diameter.value * 100;
                }
            } else if (found) {
                break;
            }

            CRohr::NextCrossSection(0, shape, s.d, s.b, s.a);
            bool end;
            if (shape == 0 || shape == 4)
                end = s.d == previous.d || (limitCrossSection > 0 && s.d > limitCrossSection);
            else if (shape == 1)
                end = s.a == previous.a || (limitCrossSection > 0 && s.a > limitCrossSection);
            else
                end = s.a == previous.a && s.b == previous.b;
            if (end) break;
            PutChimneySizes(s);
        }
        if (point.smallest != -1.0) points.push_back(point);
    }

    yRange = -1.0;
    resultValid = 1;
    diagramShape = shape;
    drawn = 1;
    diagram.SetPoints(points);
    diagram.SetShape(diagramShape);
    diagram.SetSizeCeiling(yRange);
    // The crosshair starts again at the chosen point (the start point unless
    // a file was just read), before the diagram shows under the hint.
    if (!keepDiagramRange) {
        chosenSize = heatGenerator.outletDiameter.value * 100;
        chosenHeight = 10;
    }
    diagram.SetCursor(chosenHeight, chosenSize);
    keepDiagramRange = 0;
    ShowDiagram(true);
    diagram.Redraw();
    if (points.size() < 2) {
        vx::ShowMessage(vx::LoadString(IDS_NO_CROSS_SECTION));
    } else if (vx::Profile().GetInt("Global", "Hinweis", 0) == 0) {
        ShowHint();
    }
    diagram.SetFocus();
    UpdateViews();
    return points.size() >= 2;
}

double* CVelmoraDocCore::GetAirSupplyPressure() {
    if (head.results.empty()) return nullptr;
    return &head.results[0]->airSupplyPressure;
}

int32_t CVelmoraDocCore::GetDocValue(int code, int index) {
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
    case 18:
        g_ResultsValid = 0;
        resultValid = 0;
        UpdateViews();
        return 0;
    case 19:
        return heatGenerator.condensing;
    case 21:
        if (index != 0) UpdateViews();
        MarkModified();
        return 0;
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

// Only a chosen point travels: a document saved before its first diagram
// keeps the chimney it has rather than sizes and heights of 0.
void CVelmoraDocCore::WriteChosenPointIntoChimney() {
    if (!(chosenHeight > 0)) return;
    chimney.length.value = chimney.height.value = chosenHeight;
    chimney.shape.value = int16_t(diagramShape);
    chimney.diameter.value = chosenSize / 100;
}

void CVelmoraDocCore::Serialize(vx::Archive& ar) {
    if (ar.IsStoring()) {
        vx::g_FileFormat = vx::kFileFormatCurrent;
        ar << int32_t(vx::kFileFormatCurrent) << moistureText << thirdText;
        remarks.Serialize(ar);
        construction.Serialize(ar);
        room.Serialize(ar);
        heatGenerator.Serialize(ar);
        if (construction.Regime() == CAufBauE::Positive && chosenHeight > 0) connector.diameter.value = chosenSize / 100;
        connector.Serialize(ar);
        WriteChosenPointIntoChimney();
        chimney.Serialize(ar);
        project.Serialize(ar);
        head.Serialize(ar);
        ar << int32_t(2) << partLoad;
        return;
    }
    auto items = std::make_unique<CalculationFileItems>();
    int32_t format = 0;
    ar >> format;
    vx::g_FileFormat = format;
    ar >> items->moistureText >> items->thirdText;
    items->remarks.Serialize(ar);
    items->construction.Serialize(ar);
    items->room.Serialize(ar);
    items->heatGenerator.Serialize(ar);
    items->connector.Serialize(ar);
    items->chimney.Serialize(ar);
    items->project.Serialize(ar);
    items->head.Serialize(ar);
    items->partLoad = 1;
    if (!ar.AtEnd()) {
        // Older files end before these.
        try {
            int32_t two = 0, part = 1;
            ar >> two >> part;
            items->partLoad = part;
        } catch (const vx::ArchiveEndOfFile&) {
            items->partLoad = 1;
        }
    }
    TakeItems(*items);
}

void CVelmoraDocCore::TakeItems(CalculationFileItems& items) {
    UnlinkModuleChain();
    moistureText = items.moistureText;
    thirdText = items.thirdText;
    remarks = items.remarks;
    construction = items.construction;
    room = items.room;
    heatGenerator = items.heatGenerator;
    connector = items.connector;
    chimney = items.chimney;
    project = items.project;
    head = items.head;
    partLoad = items.partLoad;
    chosenHeight = chimney.height.value;
    diagramShape = chimney.shape.value;
    chosenSize = chimney.diameter.value * 100;
    keepDiagramRange = 1;
    ++filesRead;
    resultValid = 0;
    points.clear();
    ClearResults();
    diagram.SetPoints({});
    diagram.SetShape(diagramShape);
    diagram.SetCursor(chosenHeight, chosenSize);
    yAxisTitle = vx::LoadString(diagramShape == 0 ? IDS_Y_AXIS_ROUND : IDS_Y_AXIS_SQUARE);
    SetAxes();
}

bool CVelmoraDocCore::LoadCalculation(const std::vector<uint8_t>& bytes) {
    if (IsBusy()) return false;
    const int previousFormat = vx::g_FileFormat;
    vx::Archive ar = vx::Archive::ForLoading(bytes);
    try {
        Serialize(ar);
    } catch (const std::exception&) {
        // Archive errors, and the lengths and counts of a corrupt file that no memory can hold.
        vx::g_FileFormat = previousFormat;
        vx::ShowMessage("Die Datei ist beschädigt oder unvollständig und kann nicht gelesen werden.",
                        vx::MB_OK | vx::MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

bool CVelmoraDocCore::LoadCalculationFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (!vx::LoadArchiveFile(path, bytes)) {
        vx::ShowMessage(vx::Format("Die Datei %s kann nicht geöffnet werden.", path.c_str()),
                        vx::MB_OK | vx::MB_ICONEXCLAMATION);
        return false;
    }
    return LoadCalculation(bytes);
}

std::vector<uint8_t> CVelmoraDocCore::StoreCalculation() {
    vx::Archive ar = vx::Archive::ForStoring();
    Serialize(ar);
    return ar.Bytes();
}

bool CVelmoraDocCore::SaveCalculationFile(const std::string& path) {
    // Writing puts the chosen point into the chimney, which a running calculation uses.
    if (IsBusy()) return false;
    vx::Archive ar = vx::Archive::ForStoring();
    Serialize(ar);
    if (!vx::SaveArchiveFile(path, ar)) {
        vx::ShowMessage(vx::Format("Die Datei %s kann nicht geschrieben werden.", path.c_str()),
                        vx::MB_OK | vx::MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

bool CVelmoraDocCore::HandOverEnabled() { return !vx::Profile().GetString("Aurelia", "INI", "").empty(); }

std::string CVelmoraDocCore::HandOverRecord(const std::string& filePath) {
    return vx::Format("<AURELIA FORMAT=2 ERZEUGER=\"Velmora\"><BERECHNUNG DATEI=\"%s\"></AURELIA>", filePath.c_str());
}

bool CVelmoraDocCore::HandOverToAurelia() {
    if (IsBusy()) return false;
    const std::string dir = vx::NormalizeSlashes(vx::Profile().GetString("Aurelia", "INI", ""));
    if (dir.empty()) return false;
    const std::string file = vx::JoinPath(dir, kHandOverFile);
    if (!SaveCalculationFile(file)) return false;
    const std::string program = vx::ResolveNoCase(vx::JoinPath(dir, kAureliaProgram));
    const int error = vx::StartProgram(program, dir, HandOverRecord(file));
    if (error != 0) {
        vx::ShowMessage(vx::Format("Aurelia kann nicht gestartet werden (Fehler %0X).\n Installieren Sie die "
                                   "komplette Software neu.",
                                   unsigned(error)),
                        vx::MB_OK | vx::MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}
