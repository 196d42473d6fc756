// One complete flue-gas system as both programs' documents own it: the
// arrangement, the installation room, the heat generator, the connecting
// piece, the chimney and the chimney head, linked into the calculation chain.
// Here are the steps both documents share: linking the chain, one run of it,
// the defaults of a chosen chimney system, the preparation for a heat
// generator with the presets of the connecting piece and the chimney, the
// sizes of a cross-section, and the limit cross-section. Where the programs
// differ, a FlueSystemVariant says how.
#pragma once

#include "model/CAufBauE.h"
#include "model/CAufRaum.h"
#include "model/CSKopf.h"
#include "model/CSchorn.h"
#include "model/CVerb.h"
#include "model/CWaerme.h"
#include "velmora/shared/SharedText.h"

#include <memory>
#include <string>

// What sets one program's flue system apart from the other's.
struct FlueSystemVariant {
    // A new chimney system starts from a freshly built chimney and
    // arrangement, not from the ones in hand.
    bool freshOnNewSystem = false;
    // The chimney fitting of the positive-pressure systems (17 to 20).
    int positivePressureFitting = 5;
    // The system defaults empty the chimney's fitting list before they put theirs.
    bool emptyFittingsFirst = false;
    // The renovation systems (11 to 15) set the arrangement's renovation flag.
    bool marksRenovation = true;
    // The system choice writes the moisture text ("-", "ja", "nein").
    bool writesMoistureText = true;
    // The part-load pass needs the document's switch to be exactly 1 (else not 0).
    bool partLoadSwitchIsOne = false;

    // The dimensioning diagram's system and the assignment table's.
    static const FlueSystemVariant& Diagram();
    static const FlueSystemVariant& Assignment();
};

class FlueSystem {
public:
    explicit FlueSystem(const FlueSystemVariant& variant);
    virtual ~FlueSystem();
    FlueSystem(const FlueSystem&) = delete;
    FlueSystem& operator=(const FlueSystem&) = delete;

    // The three sizes of a cross-section: diameter, side a, side b (m).
    struct Sizes {
        double d = 0, a = 0, b = 0;
    };

    // The chosen chimney system; index moves off a heading (0, 10, 16) to
    // the first system after it. moistureInsensitive (the form's moisture
    // option, the assignment table's FU box) makes systems 1 to 15 wet.
    void NewSystemType(int& systemIndex, int shape, int moistureInsensitive);
    // The chimney's wall values and its one fitting: kind 12 (variant 1) or
    // the variant's positive-pressure fitting (variant 2).
    void SetResistanceDefaults(double roughness, double resistance, int wallKind, double wallValue,
                               double outerValue, int resistanceVariant);
    // The limit cross-section from the heat generator's mass flow and the chimney's shape.
    void StartCrossSection();
    void LinkModuleChain();
    void UnlinkModuleChain();
    // One full-load pass and, when the heat generator and the switch allow
    // it, a part-load pass of the linked chain.
    void RunCalculation();
    // The last run passed: its first result and, with a part-load case, its second.
    bool RunPassed() const;
    // The model's queries that the system answers alike in both programs;
    // 0 for the others.
    int32_t SystemDocValue(int code, int index);

    // How the system is prepared for the heat generator in hand.
    enum class Preparation {
        // The chain linked anew; the heat generator's outlet, the connecting
        // piece with its presets, the chimney (presets only while no system
        // set it up), the site data and the installation room by output. A
        // module that fails its check stays unchecked and the steps go on.
        Full,
        // In the chain a table's computation linked once: the outlet, the
        // connecting piece on it with its geometry defaults and the
        // installation room. A heat generator or connecting piece that fails
        // its check ends the preparation there.
        InLinkedChain,
    };
    // What a preparation came to: ready to run, or the first step that failed.
    enum class Prepared { Ready, HeatGeneratorFails, ConnectorFails, ChimneyFails, SizesRefused };
    // Prepares the system for the heat generator in hand before the
    // cross-sections are walked and, with sizes, puts them in (PutChimneySizes).
    Prepared PrepareAndSize(Preparation how, const Sizes* sizes = nullptr);
    // The sizes go into the chimney and, under positive pressure, into the
    // connecting piece, with geometry and defaults; false when a module's
    // defaults refused them (nothing is put after that).
    bool PutChimneySizes(const Sizes& s);

    CAufBauE construction;
    CAufRaum room;
    CWaerme heatGenerator;
    CVerb connector;
    CSchorn chimney;
    CSKopf head;
    std::string moistureText;
    double limitCrossSection = 0;  // m; 0 = no limit
    int32_t partLoad = 1;          // 1 = also compute part load
    // The part-load pass is left out when the full load failed: for a
    // caller that needs both passed, it could change nothing.
    bool partLoadOnlyAfterPass = false;
    int partLoadPasses = 0;        // counts the part-load passes run
    CModul* chainCursor = nullptr;
    int linkMode = 0;

protected:
    // The chimney's shape was set by a system choice.
    virtual void OnShapeChosen(int shape) { (void)shape; }
    // Fresh modules in their places in the system (ordinals, connector flag).
    void MarkModules();
    // The heat generator's outlet area and perimeter from its sizes.
    void PrepareOutlet();
    // The connecting piece in the heat generator's outlet section.
    void PutConnectorOnOutlet();
    // False when the module failed its check.
    bool PrepareConnector();
    bool PrepareChimney();
    // The installation room's air supply by the heat generator's output
    // (below 30 kW 4 Pa, else 3 Pa), then the room's own check.
    void PresetAirSupply();
    // The last run's first result with the chimney's sizes and the given shape.
    std::unique_ptr<CErgebnis> SizedFirstResult(int shape) const;

    const FlueSystemVariant& variant_;
};
