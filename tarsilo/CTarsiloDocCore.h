// The assignment table's document without its window side: the inputs, the
// flue-gas system, the manufacturers to compute, the result rows and the
// result store, and the computation that fills them.
//
// The wxDocument of the second program derives from this class; what only a
// window can do (mark the framework document modified, update the views,
// the wait cursor) reaches it through the virtual hooks at the end, and the
// progress dialog through AssignmentProgress. Here they do nothing.
#pragma once

#include "model/CErgebnis.h"
#include "model/DocValue.h"
#include "model/FuelTable.h"
#include "values/CProjekt.h"
#include "values/CWDouble.h"
#include "values/CWString.h"
#include "velmora/shared/ActiveDocumentValues.h"
#include "velmora/shared/CWrzKatalog.h"
#include "velmora/shared/FlueSystem.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <span>
#include <string>
#include <vector>

// Field ids of the inputs.
enum : int {
    IDC_OUTPUT_FROM = 1001,
    IDC_OUTPUT_TO = 1002,
    IDC_EFFECTIVE_HEIGHT = 1003,
    IDC_SYSTEM = 1006,
    IDC_SECTION_SIZE = 1019,
    IDC_SECOND_SIDE = 1020,
};

// The progress of a running computation: the window side's progress dialog. The text
// update lets one pending window message through, so that its cancel button
// works while the computation runs on the GUI thread.
class AssignmentProgress {
public:
    virtual ~AssignmentProgress() = default;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual void SetStatusText(const std::string& text) = 0;
    // False when no text is shown: the computation then makes none.
    virtual bool ShowsText() const { return true; }
    virtual bool IsCancelled() const = 0;
    virtual void ClearCancel() = 0;
};

// One row of the result list, in the list's five text columns.
struct AssignmentRow {
    enum Column { Section, Manufacturer, Type, Output, Offset, ColumnCount };
    std::string columns[ColumnCount];
    long itemData = 0;  // the row's index after a computation, for sorting

    // The catalogue offset of column 4; -1 for a row read from a file.
    int64_t CatalogueOffset() const;
};

// One entry of the manufacturer list: its name and the byte offset of its
// first heat generator of the chosen fuel.
struct ManufacturerItem {
    std::string name;
    int64_t offset = -1;
    bool selected = false;
};

class CTarsiloDocCore : public DocValueSource, public FlueSystem {
public:
    CTarsiloDocCore();
    ~CTarsiloDocCore() override;
    CTarsiloDocCore(const CTarsiloDocCore&) = delete;
    CTarsiloDocCore& operator=(const CTarsiloDocCore&) = delete;

    // The computation of the whole table for the inputs and the selected
    // manufacturers ("Mach Et").
    void ComputeAssignmentTable();
    // One manufacturer from its offset; false when cancelled.
    bool ComputeManufacturer(const std::string& name, int64_t offset);
    // The heat generator just read belongs to the chosen fuel.
    bool MatchesSelectedFuel() const;
    // The fuel index of a catalogue fuel kind; -1 for none.
    static int FuelIndexOfKind(int fuelKind, int condensing);
    // The system's defaults for the chosen system, shape and FU box; the
    // site's geodetic height stays.
    void ApplySystem();
    // The name of an input field in messages, as the form labels it.
    std::string InputName(int field) const;

    // The model's queries.
    int32_t GetDocValue(int code, int index) override;
    CSKopf* GetChimneyHead() override { return &head; }
    double* GetAirSupplyPressure() override;
    double* GetFlueMassFlow() override { return &heatGenerator.flueMassFlow.value; }
    CAufBauE* GetConstruction() override { return &construction; }
    // Code 46: the progress of the running computation; null outside one.
    AssignmentProgress* RunningProgress() const { return running_ ? progress_.get() : nullptr; }
    bool IsComputing() const { return running_; }

    // The document's members. The arrangement, the installation room, the
    // heat generator, the connecting piece, the chimney, the chimney head,
    // the chain and the part-load flag are the FlueSystem's.
    CWDouble outputFrom;     // 1001, kW
    CWDouble outputTo;       // 1002, kW
    CWDouble effectiveHeight;  // 1003, m
    CWDouble sectionSize;    // 1019, m; 0 = search the table
    CWDouble secondSide;     // 1020, m
    int32_t fuelIndex = -1;  // position in the fuel list; -1 none
    std::string fuelName;
    int32_t shape = 0;
    int32_t system = -1;     // -1 none
    int32_t fu = 0;          // the FU box
    CWrzKatalog catalogue;
    CProjekt project;
    CWString remarks;
    int searchMode = 0;
    int resultValid = 0;
    // The input field the last computation stopped at, for the focus; 0 none.
    int failedInput = 0;
    // One inner array per heat generator searched, one record per tried section.
    std::vector<std::vector<std::unique_ptr<CErgebnis>>> results;
    // The result list, top row first, and the manufacturer list.
    std::deque<AssignmentRow> rows;
    std::vector<ManufacturerItem> manufacturers;

    // What the last computation did, for its caller and the benchmark.
    struct RunCounts {
        long heatGenerators = 0;  // computed through the chain
        long chainRuns = 0;       // runs of the chain (RunCalculation)
        long partLoadPasses = 0;  // of which also ran the part-load pass
    };
    RunCounts counts;

protected:
    // The window side's part; nothing here.
    virtual void MarkModified() {}
    virtual void UpdateViews(int hint) { (void)hint; }
    virtual void BeginWait() {}
    virtual void EndWait() {}
    // The progress dialog, made at the first computation; here one without display.
    virtual std::unique_ptr<AssignmentProgress> CreateProgress();

private:
    struct ManufacturerRun;
    bool SearchSections(int64_t lineOffset);
    bool RunAndJudge();
    void AddRow(int64_t lineOffset);
    void KeepResult();
    // Why a computation that ran to its end listed nothing, in one line.
    std::string EmptyTableReason() const;
    // The form's field of a chimney value that failed its check; 0 for others.
    int FieldOfChimneyValue(int valueId) const;
    // The chimney check's message with each line led by the name of the
    // field it is about, where the user has one.
    std::string NameEachLine(const std::string& message, const std::vector<int>& ids) const;

    std::unique_ptr<AssignmentProgress> progress_;
    bool running_ = false;
    // A newly constructed heat generator, copied for every catalogue line:
    // the constructor reads the profile.
    std::unique_ptr<CWaerme> freshGenerator_;
    // "velmora.wrz", open while a table is computed, for every manufacturer.
    std::unique_ptr<WrzLineReader> lines_;
};

// The model's queries of the active document: -1 without one, codes above 52 give 0.
class TarsiloDocValues : public ActiveDocumentValues {
public:
    explicit TarsiloDocValues(CTarsiloDocCore* (*active)(void*) = nullptr, void* context = nullptr)
        : active_(active), context_(context) {}
    AssignmentProgress* GetProgress();

protected:
    DocValueSource* ActiveSource() const override { return Active(); }

private:
    CTarsiloDocCore* Active() const { return active_ ? active_(context_) : nullptr; }
    CTarsiloDocCore* (*active_)(void*);
    void* context_;
};

// The second program's fuel table rows and its criteria in the model.
std::span<const FuelRow> TarsiloFuelRows();
void UseTarsiloModel();
