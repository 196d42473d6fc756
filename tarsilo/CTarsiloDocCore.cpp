#include "tarsilo/CTarsiloDocCore.h"

#include "model/ChainHelpers.h"
#include "model/ModelText.h"
#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/StringTable.h"
#include "tarsilo/TarsiloCommandIds.h"
#include "tarsilo/TarsiloText.h"
#include "values/CMEinheitListe.h"
#include "values/Directories.h"
#include "velmora/shared/CWrzKatalogWaerme.h"

#include <algorithm>

namespace {

// Without a display nothing shows and nothing cancels.
class SilentProgress : public AssignmentProgress {
public:
    void Show() override {}
    void Hide() override {}
    void SetStatusText(const std::string&) override {}
    bool ShowsText() const override { return false; }
    bool IsCancelled() const override { return false; }
    void ClearCancel() override {}
};

// The second program's fuel rows: c15 and c16 stay 0 in every row.
constexpr FuelRow kTarsiloRows[] = {
    {20.6, 7.05, 0.032, -0.0034, -0.0034, 3.3, 0.014, -1.4e-05, 0.0046, 1240, 2, 4.1, 2.7, 0, 0, 0},
    {15.4, 4.92, 0.046, -0.0001, -0.0018, 13, 0.014, -1.1e-05, 0.0093, 111, 3, 11.2, 0.076, 13.2, 0, 0},
    {12, 3.73, 0.053, 0.0033, 0.0002, 23.1, 0.015, -7e-06, 0.0142, 57, 3, 8.6, 0.078, 10.2, 0, 0},
    {12, 3.73, 0.053, 0.0033, 0.0002, 23.1, 0.015, -7e-06, 0.0142, 57, 3, 5.1, 0.075, 6, 0, 0},
    {11.8, 3.51, 0.065, 0.0055, 0.00013, 31.1, 0.017, -5e-06, 0.0185, 41, 3, 8.5, 0.079, 10.1, 0, 0},
    {11.8, 3.51, 0.065, 0.0055, 0.00013, 31.1, 0.017, -5e-06, 0.0185, 41, 3, 4.9, 0.078, 5.8, 0, 0},
    {12.1, 3.83, 0.057, 0.0036, 0.0004, 24.4, 0.015, -7e-06, 0.015, 53, 3, 8.9, 0.075, 10.5, 0, 0},
    {12.1, 3.83, 0.057, 0.0036, 0.0004, 24.4, 0.015, -7e-06, 0.015, 53, 3, 5.2, 0.074, 6.1, 0, 0},
    {13.8, 4.2, 0.049, 0.0014, -0.001, 17.6, 0.015, -9e-06, 0.0115, 77, 3, 10, 0.08, 11.9, 0, 0},
    {13.8, 4.2, 0.049, 0.0014, -0.001, 17.6, 0.015, -9e-06, 0.0115, 77, 3, 5.9, 0.079, 7, 0, 0},
    {20.5, 6.93, 0.077, 0.0001, 0.0001, 15.4, 0.016, -1.1e-05, 0.0111, 91, 1, 6, 2, 0, 0, 0},
    {19.1, 6.23, 0.036, -0.0028, -0.0028, 5.6, 0.013, 1.4e-05, 0.0057, 370, 2, 4.1, 2.7, 0, 0, 0},
    {19.5, 6.61, 0.055, -0.0013, -0.0013, 10.3, 0.014, -1.2e-05, 0.0083, 149, 2, 4.1, 2.7, 0, 0, 0},
    {20.31, 6.65, 0.061, -0.001, -0.0024, 11.6, 0.015, -1.2e-05, 0.0091, 127, 1, 6, 2, 0, 0, 0},
};

// Every entry of a kind goes, so that the preset is in place once, never added twice.
void PutFittingInPlace(CZeta& zeta, int kind, int tag, int count) {
    for (int i = 0; i < CZeta::FreeElements; ++i)
        if (zeta.elements[i].kind == kind) zeta.ClearElement(i);
    zeta.AddResistance(kind, 90, tag, 1, count);
}

// The table's end: the next section is the current one.
bool SameSection(int shape, const FlueSystem::Sizes& a, const FlueSystem::Sizes& b) {
    if (shape == 0 || shape == 4) return a.d == b.d;
    if (shape == 1) return a.a == b.a;
    return a.a == b.a && a.b == b.b;
}

} // namespace

int64_t AssignmentRow::CatalogueOffset() const { return vx::ParseLong(columns[Offset]); }

std::span<const FuelRow> TarsiloFuelRows() { return kTarsiloRows; }

void UseTarsiloModel() {
    SetModelProgram(ModelProgram::Tarsilo);
    FillFuelTable(TarsiloFuelRows());
}

CTarsiloDocCore::CTarsiloDocCore() : FlueSystem(FlueSystemVariant::Assignment()), catalogue(GetDataDir()) {
    // A row needs both loads passed, and the walk and the result store look
    // at the full load only.
    partLoadOnlyAfterPass = true;
    // Typed as decimals (input kind 8); outputs in kW, lengths in m. Zero is
    // allowed for the outputs and sizes: "bis" 0 and size 0 have their meaning.
    constexpr uint16_t decimal = 8;
    outputFrom.Init(IDC_OUTPUT_FROM, 0, 0, 0, decimal, kUnitKilowatt, kUnitKilowatt, 0, 0, IDS_WERTEBEREICH, 0, 5000,
                    false);
    outputTo.Init(IDC_OUTPUT_TO, 0, 0, 0, decimal, kUnitKilowatt, kUnitKilowatt, 0, 0, IDS_WERTEBEREICH, 0, 5000,
                  false);
    effectiveHeight.Init(IDC_EFFECTIVE_HEIGHT, 0, 0, 0, decimal, kUnitMetre, kUnitMetre, 0, 0, IDS_WERTEBEREICH, 0, 200,
                         false);
    // The height is the chimney's length and height at once: the field takes
    // what both take, so that it and "Mach Et" name one range.
    effectiveHeight.minimum = std::max(chimney.length.minimum, chimney.height.minimum);
    effectiveHeight.maximum = std::min(chimney.length.maximum, chimney.height.maximum);
    sectionSize.Init(IDC_SECTION_SIZE, 0, 0, 0, decimal, kUnitMetre, kUnitMetre, 0, 0, IDS_WERTEBEREICH, 0, 2, false);
    secondSide.Init(IDC_SECOND_SIDE, 0, 0, 0, decimal, kUnitMetre, kUnitMetre, 0, 0, IDS_WERTEBEREICH, 0, 2, false);
}

CTarsiloDocCore::~CTarsiloDocCore() = default;

std::unique_ptr<AssignmentProgress> CTarsiloDocCore::CreateProgress() { return std::make_unique<SilentProgress>(); }

int CTarsiloDocCore::FuelIndexOfKind(int fuelKind, int condensing) {
    const bool c = condensing != 0;
    switch (fuelKind) {
    case 0: return 0;
    case 1: return c ? 10 : 1;
    case 2: return c ? 11 : 2;
    case 3: return 3;
    case 8: return c ? 12 : 4;
    case 9: return 5;
    case 10: return 6;
    case 11: return 7;
    case 12: return 8;
    case 13: return 9;
    default: return -1;
    }
}

bool CTarsiloDocCore::MatchesSelectedFuel() const {
    const int index = FuelIndexOfKind(heatGenerator.fuel.value, heatGenerator.condensing);
    return index >= 0 && index == fuelIndex;
}

void CTarsiloDocCore::ApplySystem() {
    // A fresh arrangement would lose the height set through its dialog.
    const CWDouble height = construction.site.geoHeight;
    int index = system;
    NewSystemType(index, shape, fu);
    system = index;
    // The positive-pressure systems print as one material group.
    chimney.name.text = vx::LoadString(index > 16 ? IDS_SYSTEM_ABOVE_16 : IDS_FIRST_SYSTEM + unsigned(index));
    construction.site.geoHeight.value = height.value;
    construction.site.geoHeight.marker = height.marker;
}

void CTarsiloDocCore::ComputeAssignmentTable() {
    // The progress dialog lets messages through: a second "Mach Et" waits.
    if (running_) return;
    BeginWait();
    MarkModified();
    double start = sectionSize.value;
    if (start == 0) {
        start = 0.13;
        searchMode = 1;
    } else {
        searchMode = 0;
    }
    rows.clear();
    counts = RunCounts();
    failedInput = 0;
    // An output range upside down lists nothing: say so at its field.
    if (outputTo.value != 0 && outputFrom.value > outputTo.value) {
        EndWait();
        failedInput = IDC_OUTPUT_FROM;
        vx::ShowMessage(InputName(IDC_OUTPUT_FROM) + vx::LoadString(IDS_OUTPUT_RANGE_REVERSED));
        return;
    }

    std::vector<const ManufacturerItem*> selected;
    for (const ManufacturerItem& m : manufacturers)
        if (m.selected) selected.push_back(&m);
    if (selected.empty()) {
        EndWait();
        vx::ShowMessage(vx::LoadString(IDS_NO_MANUFACTURER));
        return;
    }
    // Without a system the chimney has no walls to compute.
    if (system < 0) {
        EndWait();
        failedInput = IDC_SYSTEM;
        vx::ShowMessage(vx::LoadString(IDS_NO_SYSTEM));
        return;
    }

    LinkModuleChain();
    connector.length.value = 1.5;
    connector.height.value = 0;
    connector.wallThickness.value = 0.001;
    connector.roughness.value = 0.001;
    if (connector.checkFlag != 1) PutFittingInPlace(connector.zeta, 6, 1, 2);

    chimney.shape.value = int16_t(shape);
    chimney.length.value = chimney.height.value = effectiveHeight.value;
    chimney.diameter.value = chimney.sideA.value = start;
    chimney.sideB.value = secondSide.value;
    chimney.ComputeGeometry();
    // The shaft every section gets, so that the check sees it.
    chimney.ApplyGeometryDefaults();
    // A chimney that fails its own check would fail at every section: say why
    // instead of an empty table.
    std::string message;
    std::vector<int> failedIds;
    if (chimney.CheckInputs(message, &failedIds) != 0) {
        chimney.checkFlag = 0;
        EndWait();
        failedInput = failedIds.empty() ? 0 : FieldOfChimneyValue(failedIds.front());
        if (message.empty()) message = vx::LoadString(IDS_CHIMNEY_INCOMPLETE);
        vx::ShowMessage(NameEachLine(message, failedIds));
        return;
    }
    chimney.checkFlag = 1;

    if (!progress_) progress_ = CreateProgress();
    freshGenerator_ = std::make_unique<CWaerme>();
    progress_->ClearCancel();
    progress_->Show();
    running_ = true;
    lines_ = std::make_unique<WrzLineReader>(catalogue);
    bool cancelled = false;
    for (const ManufacturerItem* m : selected) {
        cancelled = !ComputeManufacturer(m->name, m->offset) || progress_->IsCancelled();
        if (cancelled) break;
    }
    lines_.reset();
    running_ = false;
    long index = 0;
    for (AssignmentRow& row : rows) row.itemData = index++;
    progress_->Hide();
    EndWait();
    // An empty table says why.
    if (rows.empty() && !cancelled) vx::ShowMessage(EmptyTableReason());
}

std::string CTarsiloDocCore::EmptyTableReason() const {
    if (counts.heatGenerators == 0)
        return vx::LoadString(IDS_NO_OUTPUT_IN_RANGE);
    return vx::Format(vx::LoadString(IDS_CHIMNEY_FITS_NONE), counts.heatGenerators);
}

std::string CTarsiloDocCore::NameEachLine(const std::string& message, const std::vector<int>& ids) const {
    // Each failed cell gave one line and one id, in the same order.
    std::string named;
    size_t begin = 0;
    for (size_t i = 0; begin < message.size(); ++i) {
        size_t end = message.find("\r\n", begin);
        end = end == std::string::npos ? message.size() : end + 2;
        const int field = i < ids.size() ? FieldOfChimneyValue(ids[i]) : 0;
        if (field) named += InputName(field) + ": ";
        named.append(message, begin, end - begin);
        begin = end;
    }
    return named;
}

int CTarsiloDocCore::FieldOfChimneyValue(int valueId) const {
    if (valueId == chimney.length.valueId || valueId == chimney.height.valueId) return IDC_EFFECTIVE_HEIGHT;
    if (valueId == chimney.diameter.valueId || valueId == chimney.sideA.valueId) return IDC_SECTION_SIZE;
    if (valueId == chimney.sideB.valueId) return IDC_SECOND_SIDE;
    return 0;
}

std::string CTarsiloDocCore::InputName(int field) const {
    switch (field) {
    case IDC_OUTPUT_FROM: return vx::LoadString(IDS_NAME_OUTPUT_FROM);
    case IDC_OUTPUT_TO: return vx::LoadString(IDS_NAME_OUTPUT_TO);
    case IDC_EFFECTIVE_HEIGHT: return vx::LoadString(IDS_NAME_HEIGHT);
    case IDC_SECTION_SIZE:
        return vx::LoadString(shape == 0   ? IDS_NAME_DIAMETER
                              : shape == 1 ? IDS_NAME_INNER_WIDTH
                                           : IDS_NAME_INNER_LENGTH);
    case IDC_SECOND_SIDE: return vx::LoadString(IDS_NAME_INNER_BREADTH);
    default: return {};
    }
}

bool CTarsiloDocCore::ComputeManufacturer(const std::string& name, int64_t offset) {
    results.clear();
    if (!progress_) progress_ = CreateProgress();
    if (!freshGenerator_) freshGenerator_ = std::make_unique<CWaerme>();
    // Outside a table's computation the manufacturer opens the file for itself.
    std::unique_ptr<WrzLineReader> own;
    WrzLineReader& lines = lines_ ? *lines_ : *(own = std::make_unique<WrzLineReader>(catalogue));
    lines.Start(offset, name);
    // The lines skipped are shown once the manufacturer is done, however it ends.
    struct ShowSkipped {
        WrzLineReader& lines;
        ~ShowSkipped() { lines.ReportSkipped(); }
    } showSkipped{lines};
    const double from = outputFrom.value, to = outputTo.value;
    WrzEntry entry;
    for (;;) {
        const int64_t lineOffset = lines.Offset();
        const int rc = lines.Next(entry);
        if (rc == CWrzKatalog::kBadLine) continue;
        if (rc != CWrzKatalog::kLoaded) break;
        heatGenerator = *freshGenerator_;
        StoreInHeatGenerator(entry, heatGenerator);
        if (!MatchesSelectedFuel()) break;

        const double p = heatGenerator.output.value;
        if (!(from == 0 && to == 0) && (to == 0 ? p != from : (p < from || p > to))) continue;
        if (PrepareAndSize(Preparation::InLinkedChain) != Prepared::Ready) continue;

        if (progress_->ShowsText())
            progress_->SetStatusText(vx::Format("\r\n\r\n%s\r\n\r\n%s", heatGenerator.manufacturerName.text,
                                                heatGenerator.typeDesignation.text));
        if (progress_->IsCancelled()) {
            resultValid = 1;
            UpdateViews(0);
            return false;
        }
        ++counts.heatGenerators;
        SearchSections(lineOffset);
    }
    resultValid = 1;
    UpdateViews(0);
    return true;
}

bool CTarsiloDocCore::RunAndJudge() {
    // Records of an earlier run must not stand for a run that made none.
    head.results.clear();
    head.caseCount = -1;
    const int before = partLoadPasses;
    RunCalculation();
    ++counts.chainRuns;
    counts.partLoadPasses += partLoadPasses - before;
    return RunPassed();
}

void CTarsiloDocCore::AddRow(int64_t lineOffset) {
    AssignmentRow row;
    const int s = chimney.shape.value;
    if (s == 0 || s == 1)
        row.columns[AssignmentRow::Section] = vx::Format("%.3f", s == 0 ? chimney.diameter.value : chimney.sideA.value);
    else
        row.columns[AssignmentRow::Section] = vx::Format("%.3f x %.3f", chimney.sideA.value, chimney.sideB.value);
    row.columns[AssignmentRow::Manufacturer] = heatGenerator.manufacturerName.text;
    row.columns[AssignmentRow::Type] = heatGenerator.typeDesignation.text;
    if (heatGenerator.partLoadAvailable.value)
        row.columns[AssignmentRow::Output] =
            vx::Format("%5.1f - %5.1f", heatGenerator.outputPart.value, heatGenerator.output.value);
    else
        row.columns[AssignmentRow::Output] = vx::Format("%.1f", heatGenerator.output.value);
    row.columns[AssignmentRow::Offset] = vx::Format("%ld", long(lineOffset));
    rows.push_front(std::move(row));
}

void CTarsiloDocCore::KeepResult() {
    std::vector<std::unique_ptr<CErgebnis>> inner;
    inner.push_back(SizedFirstResult(chimney.shape.value));
    results.push_back(std::move(inner));
}

bool CTarsiloDocCore::SearchSections(int64_t lineOffset) {
    const int s = chimney.shape.value;
    const bool positive = construction.Regime() == CAufBauE::Positive;
    Sizes current{chimney.diameter.value, chimney.sideA.value, chimney.sideB.value};
    if (searchMode) {
        Sizes first;
        CRohr::NextCrossSection(0, s, first.d, first.b, first.a);
        if (first.d == 0 && first.a == 0 && first.b == 0) {
            searchMode = 0;
        } else {
            current = first;
            if (!PutChimneySizes(current)) searchMode = 0;
        }
    } else if (positive) {
        // A given size under positive pressure: the connecting piece is the chimney's section too.
        PutChimneySizes(current);
    }

    bool passedBefore = false;
    for (;;) {
        const bool passed = RunAndJudge();
        if (passed) AddRow(lineOffset);
        if (!searchMode) return passed;
        // A run without a record failed; there is nothing to keep.
        const bool firstPassed = !head.results.empty() && head.results[0]->ok != 0;
        if (!head.results.empty()) KeepResult();
        if (firstPassed) passedBefore = true;
        else if (passedBefore) return true;

        Sizes next = current;
        CRohr::NextCrossSection(0, s, next.d, next.b, next.a);
        if (SameSection(s, next, current)) return passedBefore;
        if (!positive) {
            chimney.diameter.value = next.d;
            chimney.sideA.value = next.a;
            chimney.sideB.value = next.b;
            chimney.ComputeGeometry();
            current = next;
            continue;
        }
        if (PutChimneySizes(next)) {
            current = next;
            continue;
        }
        PutChimneySizes(current);
        return passedBefore;
    }
}

int32_t CTarsiloDocCore::GetDocValue(int code, int index) {
    switch (code) {
    case 18:
        g_ResultsValid = 0;
        resultValid = 0;
        UpdateViews(0);
        return 0;
    case 21:
        if (index != 0) UpdateViews(0);
        MarkModified();
        return 0;
    case 46:
        return RunningProgress() != nullptr ? 1 : 0;
    default:
        if (code > 52) return 0;
        return SystemDocValue(code, index);
    }
}

double* CTarsiloDocCore::GetAirSupplyPressure() {
    if (head.results.empty()) return nullptr;
    return &head.results[0]->airSupplyPressure;
}

AssignmentProgress* TarsiloDocValues::GetProgress() {
    CTarsiloDocCore* doc = Active();
    return doc ? doc->RunningProgress() : nullptr;
}
