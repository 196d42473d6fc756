#include "velmora/CVelmoraDocCore.h"

#include "model/ChainHelpers.h"
#include "model/CrossSectionTables.h"
#include "platform/Archive.h"
#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/PlatformText.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "platform/System.h"
#include "velmora/HeightRangeRules.h"
#include "velmora/shared/CWrzKatalogWaerme.h"
#include "velmora/shared/ProgramSettings.h"
#include "velmora/shared/DialogRules.h"

#include <cmath>

namespace {

const char* const kHandOverFile = "~uebergabe.kfx";
const char* const kAureliaProgram = "AURELIA.EXE";
// The first format whose files, the second program's hand-over included,
// always end with the part-load items.
constexpr int32_t kFormatWithPartLoad = 42;

} // namespace

CVelmoraDocCore::CVelmoraDocCore() : FlueSystem(FlueSystemVariant::Diagram()) {
    const HeightRange heights = StoredHeightRange();
    hStart = heights.start;
    hStep = heights.step;
    hEnd = heights.end;
    yAxisTitle = vx::LoadString(IDS_Y_AXIS_ROUND);
    SetAxes();
    diagram.SetCrossSectionLookup([this](double cm) { return TableSizeAtLeast(cm); });
    diagram.SetCursorMovedHandler([this](double height, double size) { SetChosenPoint(height, size); });
    // A fresh document is unchanged.
    TakeFileImage();
}

CVelmoraDocCore::~CVelmoraDocCore() = default;

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
    MarkModules();
    remarks.text.clear();
    runFlag = 0;
    resultValid = 0;
    ClearResults();
    points.clear();
    diagram.SetPoints({});
}

void CVelmoraDocCore::ClearResults() { results.clear(); }

void CVelmoraDocCore::OnShapeChosen(int shape) {
    yAxisTitle = vx::LoadString(shape == 0 ? IDS_Y_AXIS_ROUND : IDS_Y_AXIS_SQUARE);
    SetAxes();
}

void CVelmoraDocCore::ClearHeatGenerator() {
    // Assignment keeps the heat generator's place in the chain.
    heatGenerator = CWaerme();
    limitCrossSection = 0;
    resultValid = 0;
}

bool CVelmoraDocCore::ChooseHeatGenerator(CWrzKatalog& catalogue, int64_t offset) {
    const bool loaded = LoadHeatGenerator(catalogue, heatGenerator, offset) == CWrzKatalog::kLoaded;
    StartCrossSection();
    return loaded;
}

void CVelmoraDocCore::SetChosenPoint(double height, double size) {
    if (chosenHeight == height && chosenSize == size) return;
    chosenHeight = height;
    chosenSize = size;
    MarkModified();
}

bool CVelmoraDocCore::OnCalculate() {
    if (IsBusy() || CalculationMessagePumpRunning()) return false;
    if (!HasHeatGenerator()) {
        vx::ShowMessage(vx::LoadString(IDS_KEINE_FEUERSTAETTE));
        return false;
    }
    BusyScope busy(*this);
    PrepareAndSize(Preparation::Full);

    BeginWait();
    const bool ok = ComputeDiagram();
    EndWait();
    return ok;
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
            // No size to walk: the user learns where the table was looked for.
            vx::ShowMessage(EmptyCrossSectionTableMessage(shape));
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
            std::vector<std::unique_ptr<CErgebnis>> inner;
            inner.push_back(SizedFirstResult(shape));
            results.push_back(std::move(inner));

            if (RunPassed()) {
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
    switch (code) {
    case 18:
        g_ResultsValid = 0;
        resultValid = 0;
        UpdateViews();
        return 0;
    case 21:
        if (index != 0) UpdateViews();
        MarkModified();
        return 0;
    default:
        return SystemDocValue(code, index);
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
    if (vx::NewerFileFormat(format)) throw vx::ArchiveNewerFormat();
    if (!vx::ReadableFileFormat(format)) throw vx::ArchiveError(vx::PlatformText(vx::IDS_DATEI_BESCHAEDIGT));
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
    // Files of older formats end before these; the current format has always
    // carried them, so a file of it that ends here is cut short.
    items->partLoad = 1;
    if (format >= kFormatWithPartLoad || !ar.AtEnd()) {
        int32_t two = 0;
        ar >> two >> items->partLoad;
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
    // The file keeps no condensing flag; a condensing catalogue line always
    // fixes the draught, and nothing else does.
    heatGenerator.condensing = heatGenerator.draughtFixed != 0 ? 1 : 0;
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
    // The diagram of the document before is not this file's.
    ShowDiagram(false);
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
    } catch (const vx::ArchiveNewerFormat&) {
        vx::g_FileFormat = previousFormat;
        vx::ShowMessage(vx::PlatformText(vx::IDS_DATEI_NEUERE_VERSION), vx::MB_OK | vx::MB_ICONEXCLAMATION);
        return false;
    } catch (const std::exception&) {
        // Archive errors, and the lengths and counts of a corrupt file that no memory can hold.
        vx::g_FileFormat = previousFormat;
        vx::ShowMessage(vx::PlatformText(vx::IDS_DATEI_BESCHAEDIGT), vx::MB_OK | vx::MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

bool CVelmoraDocCore::LoadCalculationFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    return vx::LoadDocumentFile(path, bytes) && LoadCalculation(bytes);
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
        vx::ShowMessage(vx::Format(vx::LoadString(IDS_DATEI_NICHT_GESCHRIEBEN), vx::PathForDisplay(path).c_str()),
                        vx::MB_OK | vx::MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

std::vector<uint8_t> CVelmoraDocCore::FileImage() {
    // Storing puts the chosen point into the chimney and the connector and
    // sets the format; none of that may change the document by looking.
    const int format = vx::g_FileFormat;
    const double length = chimney.length.value, height = chimney.height.value, diameter = chimney.diameter.value;
    const int16_t shape = chimney.shape.value;
    const double connectorDiameter = connector.diameter.value;
    std::vector<uint8_t> image = StoreCalculation();
    vx::g_FileFormat = format;
    chimney.length.value = length;
    chimney.height.value = height;
    chimney.diameter.value = diameter;
    chimney.shape.value = shape;
    connector.diameter.value = connectorDiameter;
    return image;
}

bool CVelmoraDocCore::DiffersFromFile() {
    // A running calculation varies the chimney: its state is no document's.
    if (!IsBusy()) differs_ = FileImage() != fileImage_;
    return differs_;
}

void CVelmoraDocCore::TakeFileImage() {
    if (IsBusy()) return;
    fileImage_ = FileImage();
    differs_ = false;
}

bool CVelmoraDocCore::HandOverEnabled() { return !vx::Profile().GetString("Aurelia", "INI", "").empty(); }

bool CVelmoraDocCore::HandOverToAurelia() {
    if (IsBusy()) return false;
    const std::string dir = vx::NormalizeSlashes(vx::Profile().GetPath("Aurelia", "INI", ""));
    if (dir.empty()) return false;
    const std::string file = vx::JoinPath(dir, kHandOverFile);
    if (!SaveCalculationFile(file)) return false;
    const std::string program = vx::ResolveNoCase(vx::JoinPath(dir, kAureliaProgram));
    const int error = vx::StartProgram(program, dir, HandOverRecord(file));
    if (error != 0) {
        vx::ShowMessage(vx::Format(vx::LoadString(IDS_AURELIA_START_FEHLER), unsigned(error)),
                        vx::MB_OK | vx::MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}
