// The main program's document without its window side: the flue-gas system
// it owns, the chain it links, the diagram it computes, its calculation file
// and the hand-over to AURELIA.
//
// The wxDocument CVelmoraDoc derives from this class and from wxDocument, so
// that the form and the print call these operations on the document itself,
// while everything here is built and tested without a display. What only a
// window can do (mark the framework document modified, update the views,
// show the diagram, the hint dialog and the wait cursor) reaches the
// document through the virtual hooks at the end; here they do nothing.
#pragma once

#include "model/CErgebnis.h"
#include "model/DocValue.h"
#include "values/CProjekt.h"
#include "values/CWDouble.h"
#include "values/CWString.h"
#include "velmora/CVelmoraDiag.h"
#include "velmora/VelmoraText.h"
#include "velmora/shared/FlueSystem.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CWrzKatalog;

// The items of a calculation file, as one value: a file is read into one of
// these first, so that a broken file leaves the open document as it was.
struct CalculationFileItems {
    std::string moistureText;
    std::string thirdText;
    CWString remarks;
    CAufBauE construction;
    CAufRaum room;
    CWaerme heatGenerator;
    CVerb connector;
    CSchorn chimney;
    CProjekt project;
    CSKopf head;
    int32_t partLoad = 1;
};

class CVelmoraDocCore : public DocValueSource, public FlueSystem {
public:
    CVelmoraDocCore();
    ~CVelmoraDocCore() override;
    CVelmoraDocCore(const CVelmoraDocCore&) = delete;
    CVelmoraDocCore& operator=(const CVelmoraDocCore&) = delete;

    // Fresh system, project and remarks; results cleared.
    void ResetDocument();
    void ClearResults();

    // No heat generator chosen: a fresh one, no limit cross-section, results invalid.
    void ClearHeatGenerator();
    // The heat generator chosen in the form: the catalogue's line at offset
    // (asking the open-operation question), and the limit cross-section for
    // it; false when no line was read.
    bool ChooseHeatGenerator(CWrzKatalog& catalogue, int64_t offset);
    // A catalogue line or a file gave the heat generator its name or its flue-gas mass flow.
    bool HasHeatGenerator() const {
        return !heatGenerator.typeDesignation.text.empty() || heatGenerator.flueMassFlow.value > 0;
    }
    // The crosshair's point (height m, size cm) becomes the document's chosen point.
    void SetChosenPoint(double height, double size);
    // "Mach Et": defaults, checks and the diagram. False when refused (a
    // calculation runs already) or when the height range is unusable.
    bool OnCalculate();
    // The band over the height range; false (with a message, nothing
    // computed) for an unusable range or an empty cross-section table.
    bool ComputeDiagram();

    // The height range; a change hides the diagram.
    void SetHeightRange(double start, double step, double end);
    // The site's geodetic height from its dialog: marked as the default when it
    // equals "Grunddaten"/"GeoHoehe"; results become invalid, the diagram hides.
    void SetGeodeticHeight(double height);
    // After the cross-section tables were edited.
    void ReloadCrossSectionTables();

    // The calculation file.
    void Serialize(vx::Archive& ar);
    // Reads the file's bytes into the document; false with a message when
    // the file is broken, the document then unchanged.
    bool LoadCalculation(const std::vector<uint8_t>& bytes);
    bool LoadCalculationFile(const std::string& path);
    std::vector<uint8_t> StoreCalculation();
    // Written to a temporary name beside path, then renamed.
    bool SaveCalculationFile(const std::string& path);
    // Whether what a save would write differs from what the document last
    // read, wrote or was told is its file's (TakeFileImage).
    bool DiffersFromFile();
    void TakeFileImage();

    // Writes "~uebergabe.kfx" into the directory of "Aurelia"/"INI" and
    // starts AURELIA from there. False with a message on failure.
    bool HandOverToAurelia();
    static bool HandOverEnabled();

    // A calculation is running: no command may start another or change the document.
    bool IsBusy() const { return busy_ > 0; }

    // The model's queries.
    int32_t GetDocValue(int code, int index) override;
    CSKopf* GetChimneyHead() override { return &head; }
    double* GetAirSupplyPressure() override;
    double* GetFlueMassFlow() override { return &heatGenerator.flueMassFlow.value; }
    CAufBauE* GetConstruction() override { return &construction; }

    // The chimney's table size (cm) at or above a size (cm); for the diagram.
    double TableSizeAtLeast(double sizeCm) const { return chimney.TableSectionAtLeast(sizeCm); }

    // The document's members.
    // The flue system, the chain, the moisture text, the limit cross-section
    // and the part-load switch are the FlueSystem's.
    std::string projectLine2, projectLine1, thirdText;
    CWDouble extraValue;
    uint8_t keepDiagramRange = 0;
    int filesRead = 0;  // counts the calculation files read into the document
    CProjekt project;
    CWString remarks;
    int runFlag = 1;
    int resultValid = 0;
    std::vector<std::vector<std::unique_ptr<CErgebnis>>> results;
    CVelmoraDiag diagram;
    std::string yAxisTitle;
    std::vector<DiagramPoint> points;
    int diagramShape = 0;
    double chosenSize = 0;    // cm
    double chosenHeight = 0;  // m
    double yRange = -1.0;
    uint8_t drawn = 0;
    double hStart = 4.0, hStep = 2.0, hEnd = 30.0;

protected:
    // The window side's part; nothing here.
    virtual void MarkModified() {}
    virtual void UpdateViews() {}
    virtual void ShowDiagram(bool show) { (void)show; }
    virtual void ShowHint() {}
    virtual void BeginWait() {}
    virtual void EndWait() {}
    // The Y axis follows the chosen system's shape.
    void OnShapeChosen(int shape) override;

private:
    void SetAxes();
    void WriteChosenPointIntoChimney();
    void TakeItems(CalculationFileItems& items);
    // What a save would write, leaving the document as it is.
    std::vector<uint8_t> FileImage();

    std::vector<uint8_t> fileImage_;
    bool differs_ = false;  // the last answer, kept while a calculation runs

    int busy_ = 0;
    friend class BusyScope;
};

// Marks the document busy for a scope.
class BusyScope {
public:
    explicit BusyScope(CVelmoraDocCore& doc) : doc_(doc) { ++doc_.busy_; }
    ~BusyScope() { --doc_.busy_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    CVelmoraDocCore& doc_;
};
