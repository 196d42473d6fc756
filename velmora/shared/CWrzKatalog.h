// The heat-generator catalogue: "velmora.hst" names the manufacturers with,
// per fuel-list position, the byte offset of their first line in
// "velmora.wrz"; "velmora.wrz" holds one heat generator per line.
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// One line of "velmora.wrz", field by field (the field number in brackets).
// Values a line does not hold stay 0.
struct WrzEntry {
    std::string manufacturerName;     // [0]
    std::string typeDesignation;      // [1]
    int fuel = 0;                     // [2] row of the fuel table
    int condensing = 0;               // [3] non-zero: condensing
    double output = 0;                // [4] heat output, full load, kW
    double heatInput = 0;             // [5] heat input, full load, kW
    double efficiency = 0;            // [6] %, rounded to one decimal
    double co2 = 0;                   // [7] %
    double flueMassFlow = 0;          // [8] kg/s
    double gasTemperature = 0;        // [9] degrees Celsius
    double requiredDraught = 0;       // [10] Pa
    double positivePressure = 0;      // [11] Pa
    double outletDiameter = 0;        // [12] m
    int partLoadAvailable = 0;        // [13] 0: the line has no fields 14 to 21
    double outputPart = 0;            // [14]
    double heatInputPart = 0;         // [15]
    double efficiencyPart = 0;        // [16] rounded to one decimal
    double co2Part = 0;               // [17]
    double flueMassFlowPart = 0;      // [18]
    double gasTemperaturePart = 0;    // [19]
    double requiredDraughtPart = 0;   // [20]
    double positivePressurePart = 0;  // [21]
    // Open operation of a fireplace that runs open or closed: how many of
    // fields 22 to 27 the line holds, and their values.
    int openFieldCount = 0;
    double outputOpen = 0;            // [22]
    double heatInputOpen = 0;         // [23]
    double efficiencyOpen = 0;        // [24]
    double flueMassFlowOpen = 0;      // [25]
    double gasTemperatureOpen = 0;    // [26]
    double requiredDraughtOpen = 0;   // [27]
    // 1 when the user chose open operation and the open values replaced the
    // full-load ones (CO2 then 1.0).
    int openOperation = 0;

    bool HasOpenOperation() const { return openFieldCount > 0; }
};

struct WrzManufacturer {
    std::string name;
    int64_t offset = -1;  // of its first line for the fuel position
};

struct WrzType {
    std::string typeDesignation;
    int64_t offset = -1;  // of its line
};

// A catalogue line that was skipped, and why (German, for the user).
struct CatalogueProblem {
    std::string file;     // "velmora.hst" or "velmora.wrz"
    int64_t offset = 0;   // of the line
    int field = -1;       // -1: the line as a whole
    std::string text;
};

// The outcome of parsing one line: ok, or the first bad field.
struct LineCheck {
    bool ok = true;
    int field = -1;
    std::string text;
};

// A line of "velmora.hst" without its line end.
struct HstLine {
    std::string name;
    int64_t offsets[13] = {};
};

LineCheck ParseHstLine(std::string_view line, HstLine& out);
// A line of "velmora.wrz" without its line end; out is filled only when the
// whole line is sound. Open operation is not applied here.
LineCheck ParseWrzLine(std::string_view line, WrzEntry& out);

class CWrzKatalog {
public:
    static constexpr int kFuelPositions = 13;
    // Answers of LoadEntry.
    enum : int { kBadLine = -1, kNotLoaded = 0, kLoaded = 1 };
    enum class OpenOperation { Ask, Closed };

    explicit CWrzKatalog(std::string_view dataDir);

    const std::string& HstPath() const { return hstPath_; }
    const std::string& WrzPath() const { return wrzPath_; }
    // Both files open and hold something.
    bool IsReadable() const;
    // The message for a catalogue that is not readable, naming its directory.
    std::string UnreadableMessage() const;

    // Fuel index and condensing flag of a fuel-list position; false outside 0..12.
    static bool FuelOfPosition(int position, int& fuel, int& condensing);
    // The fuel-list position of a heat generator; -1 for fuels 4 to 7 and unknown ones.
    static int PositionOfFuel(int fuel, int condensing);

    // The manufacturers with a line for the fuel position, in file order.
    std::vector<WrzManufacturer> ReadManufacturers(int fuelPosition);
    // The types of the group starting at offset: the lines with the first
    // line's manufacturer, fuel and condensing flag, up to the first that differs.
    std::vector<WrzType> ReadTypes(int64_t offset);
    // Reads the line at offset into entry and moves offset to the next line.
    // kLoaded; kNotLoaded when the file cannot be opened, at its end, or when
    // expectedName is given and the line's manufacturer differs (entry then
    // holds the line); kBadLine when the line was skipped as unsound (entry
    // fresh, offset past it). A line with open-operation values asks the
    // user, unless open is Closed.
    int LoadEntry(WrzEntry& entry, int64_t& offset, std::string_view expectedName = {},
                  OpenOperation open = OpenOperation::Ask);

    // The catalogue date in the profile lies 400 days or more before now.
    bool IsDataOld() const;
    static bool IsDataOld(std::string_view standW, int anzeigeW, std::time_t now);

    // Skipped lines are collected; while reporting is on (the default), every
    // read that skipped lines shows them to the user in one message.
    const std::vector<CatalogueProblem>& Problems() const { return problems_; }
    void ClearProblems() { problems_.clear(); }
    void SetReportProblems(bool on) { report_ = on; }

private:
    friend class WrzLineReader;
    void Report(size_t firstNew);
    void AddProblem(const std::string& file, int64_t offset, const LineCheck& check);

    std::string hstPath_;
    std::string wrzPath_;
    std::vector<CatalogueProblem> problems_;
    bool report_ = true;
};

// The lines of "velmora.wrz" one after another, through one open file: the
// second program's computation opens it once and reads each manufacturer's
// lines in one pass. The answers are LoadEntry's; skipped lines go into the
// catalogue's problems and are shown as its reads show them, once per Start.
class WrzLineReader {
public:
    explicit WrzLineReader(CWrzKatalog& catalogue);
    // Shows what the last Start skipped.
    ~WrzLineReader();
    WrzLineReader(const WrzLineReader&) = delete;
    WrzLineReader& operator=(const WrzLineReader&) = delete;

    // Reads from offset on; with a name, only that manufacturer's lines. An
    // offset that does not start a line reads nothing and is reported. What
    // the Start before skipped is shown first.
    void Start(int64_t offset, std::string_view name = {});
    // The next line, as LoadEntry reads it: kLoaded; kNotLoaded at the end,
    // when the file cannot be read or at another manufacturer's line (entry
    // then holds that line), and for every call after; kBadLine for a line
    // that was skipped as unsound.
    int Next(WrzEntry& entry, CWrzKatalog::OpenOperation open = CWrzKatalog::OpenOperation::Ask);
    // The offset of the line Next reads.
    int64_t Offset() const { return offset_; }
    // Shows the lines skipped since Start, in one message.
    void ReportSkipped();

private:
    class File;
    CWrzKatalog& catalogue_;
    std::unique_ptr<File> file_;
    std::string name_;
    int64_t offset_ = 0;
    bool ended_ = true;
    size_t firstProblem_ = 0;
};

// Puts the open-operation values in place of the full-load ones.
void ApplyOpenOperation(WrzEntry& entry);
