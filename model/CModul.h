// The calculation module and the chain the document links from the chimney
// head (top) down to the heat generator. The links own nothing: the modules
// are members of the document.
#pragma once

#include "model/AbgasZustand.h"
#include "model/CAusgabeZeile.h"
#include "platform/ArchiveFwd.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

// Mode bits of every Calculate.
constexpr uint16_t kModeFullLoad = 1;
constexpr uint16_t kModePartLoad = 2;
// Takes the second set of outside-air values of the site.
constexpr uint16_t kModeSecondAirSet = 8;
// The mode the document sets before a run: kModeFullLoad, then kModePartLoad.
extern uint16_t CalculationMode;
// -1 resets the per-case arrays and calculates case 0; a larger index than
// a module has adds a case; otherwise an existing case.
extern int16_t CaseIndex;

class CModul {
public:
    CModul() = default;
    // A copy takes the ordinal and the connector flag, never the links.
    CModul(const CModul& other) { CModul::operator=(other); }
    CModul& operator=(const CModul& other);
    virtual ~CModul() = default;

    // The run-time class name, as the chain operations ask for it.
    virtual const char* ClassName() const = 0;
    // True for the module's own class and the classes it derives from.
    virtual bool IsKindOf(std::string_view className) const { return className == ClassName(); }

    virtual void Serialize(vx::Archive& ar) { (void)ar; }
    // The last two arguments are always 0; no module reads them.
    virtual AbgasZustand* Calculate(AbgasZustand* in, uint16_t mode, int16_t caseIndex, int unused1, int unused2) = 0;
    virtual void SetInletValue(double x) = 0;
    virtual double GetOutletValue() = 0;
    virtual double GetSurroundingTemperature(vx::Archive* ar) { (void)ar; return 20.0; }
    virtual void BroadcastValue(int what, double x);
    virtual void CollectBranchValue(double& x, int& n, int what);
    virtual void WriteRecord(std::string& text, int what);
    // CollectResults and DistributeValues only hand their values along the
    // chain; no module gives them a meaning of its own.
    virtual void CollectResults(double a, double b, double c);
    virtual void WriteResistances(std::string& text) { (void)text; }
    virtual void DistributeValues(double a, double b, double c, double d);
    virtual void Notify(double* x) { (void)x; }
    virtual void SetRunLength(double length) = 0;
    virtual void AddRunLength(double length) = 0;
    virtual double GetRunLength() = 0;
    virtual void ResetRunLength() = 0;
    virtual bool FindJunctionResistance(int& index) { index = 0; return false; }
    virtual void AppendResults(OutputLines& lines, int& lineCounter) { (void)lines, (void)lineCounter; }
    virtual void OnCollectResults(double a, double b, double c) { (void)a, (void)b, (void)c; }
    virtual void RemoveLastCase() {}
    virtual void RemoveCase(int caseIndex) { (void)caseIndex; }
    virtual double GetConnectionArea() { return 0.0; }
    virtual AbgasZustand* CalcForChain(AbgasZustand* in, uint16_t mode, int16_t caseIndex, int flag) {
        (void)in, (void)mode, (void)caseIndex, (void)flag;
        return nullptr;
    }
    // Hands an enlargement resistance (mode, coefficient, angle) to the module
    // and takes one of the module's back in the same arguments.
    virtual void SwapCaseValues(double& mode, double& zetaValue, double& angle) {
        (void)mode, (void)zetaValue, (void)angle;
    }
    // The newest case's mass flow (of the temperature case when temperatureCase
    // is set) and the module's cross-section area.
    virtual void GetResult(double& massFlow, double& sectionArea, int temperatureCase) {
        (void)temperatureCase;
        massFlow = sectionArea = 0.0;
    }
    // The junction-aware run of this module and everything below it.
    virtual AbgasZustand* CalculateChain(AbgasZustand* state, int v);

    // Resets the run lengths, then gives neighbours of one class their summed length.
    static void ExchangeChainValues(CModul* head);
    // Notify on every module: branch, then next, then the module itself.
    static void NotifyChain(CModul* head, double* x);

    int32_t ordinal = 0;        // 1 for the document's chimney section and connector
    int32_t connectorFlag = 0;  // 1 on the document's connector
    int32_t attribute3 = 0;     // free for the kinds; none uses it, a copy leaves it
    int32_t attribute4 = 0;     // likewise
    CModul* branch = nullptr;
    CModul* next = nullptr;     // towards the heat generator
    uint16_t branchComplete = 0;

protected:
    // The incoming state (a cleared one for null) in the process-wide spare record.
    static AbgasZustand* HandOnUnchanged(const AbgasZustand* state);
};

// Appends module to the chain hanging from anchor, starting the walk at start.
void InsertModule(CModul* start, CModul*& anchor, CModul* module);
// Takes every junction module out of the chain.
void RemoveModules(CModul* start);
// Clears every link, next before branch.
void UnlinkChain(CModul* start);
// Runs the chain below head, then head itself; the state at head's outlet.
// Null, with nothing calculated, when a message of the pump asks for it.
AbgasZustand* PropagateChainValues(CModul* head);

// The application lets one window message through per module of a
// junction-aware run, so that a progress window can cancel.
// A message handled by the pump runs while the chain is half calculated: the
// pump is not entered again from there, and no chain run starts there.
void SetCalculationMessagePump(std::function<void()> pump);
// False when called from inside the pump's own message handling.
bool PumpCalculationMessages();
bool CalculationMessagePumpRunning();

// Modules made by class name (calculation files name the kind they hold).
using ModuleFactory = std::function<std::unique_ptr<CModul>()>;
void RegisterModuleKind(const std::string& className, ModuleFactory factory);
// Null for a name no kind registered.
std::unique_ptr<CModul> CreateModule(const std::string& className);
