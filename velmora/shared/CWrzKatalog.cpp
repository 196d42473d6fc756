#include "velmora/shared/CWrzKatalog.h"

#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "velmora/shared/SharedText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

const char kHstName[] = "velmora.hst";
const char kWrzName[] = "velmora.wrz";
// Rows of the fuel table that the program fills.
constexpr int kFuelRows = 14;
// How many skipped lines one message lists.
constexpr size_t kReportLines = 10;

// Fuel index and condensing flag of each fuel-list position.
constexpr struct {
    int fuel;
    int condensing;
} kPositions[CWrzKatalog::kFuelPositions] = {
    {0, 0}, {1, 0}, {2, 0}, {3, 0}, {8, 0}, {9, 0}, {10, 0},
    {11, 0}, {12, 0}, {13, 0}, {1, 1}, {2, 1}, {8, 1},
};

bool IsBlank(std::string_view s) {
    for (char c : s)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '\f' && c != '\v') return false;
    return true;
}

// The line's fields; trailing blank fields (a ";" before the line end) are
// not fields.
std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (;;) {
        size_t k = line.find(';', start);
        if (k == std::string_view::npos) {
            fields.push_back(line.substr(start));
            break;
        }
        fields.push_back(line.substr(start, k - start));
        start = k + 1;
    }
    while (!fields.empty() && IsBlank(fields.back())) fields.pop_back();
    return fields;
}

LineCheck Bad(int field, std::string text) { return {false, field, std::move(text)}; }

std::string Shown(std::string_view field) {
    if (field.size() > 20) return std::string(field.substr(0, 20)) + "...";
    return std::string(field);
}

LineCheck ReadText(std::string_view field, int n, std::string& out) {
    if (IsBlank(field)) return Bad(n, vx::Format(vx::LoadString(IDS_FELD_LEER), n));
    out.assign(field);
    return {};
}

LineCheck ReadNumber(std::string_view field, int n, double& out) {
    if (IsBlank(field)) return Bad(n, vx::Format(vx::LoadString(IDS_FELD_LEER), n));
    size_t used = 0;
    double v = vx::ParseDouble(field, &used);
    if (used == 0 || !IsBlank(field.substr(used)) || !std::isfinite(v))
        return Bad(n, vx::Format(vx::LoadString(IDS_FELD_KEINE_ZAHL), n, Shown(field)));
    out = v;
    return {};
}

LineCheck ReadInteger(std::string_view field, int n, int64_t& out) {
    if (IsBlank(field)) return Bad(n, vx::Format(vx::LoadString(IDS_FELD_LEER), n));
    size_t used = 0;
    int64_t v = vx::ParseLong(field, &used);
    if (used == 0 || !IsBlank(field.substr(used)))
        return Bad(n, vx::Format(vx::LoadString(IDS_FELD_KEINE_GANZE_ZAHL), n, Shown(field)));
    out = v;
    return {};
}

LineCheck ReadFlag(std::string_view field, int n, int& out) {
    int64_t v = 0;
    LineCheck c = ReadInteger(field, n, v);
    if (!c.ok) return c;
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        return Bad(n, vx::Format(vx::LoadString(IDS_FELD_ZU_GROSS), n, Shown(field)));
    out = int(v);
    return {};
}

// Rounded to one decimal, halves away from zero, as the efficiencies are read.
double RoundToTenth(double a) {
    double scaled = a * 10.0 + (a < 0 ? -0.5 : 0.5);
    return std::trunc(scaled) / 10.0;
}

// One catalogue file read line by line from a byte offset. Offsets are the
// real byte positions, whatever the line ends.
class LineFile {
public:
    explicit LineFile(const std::string& path) {
        f_ = std::fopen(vx::ToFsName(vx::ResolveNoCase(path)).c_str(), "rb");
    }
    ~LineFile() {
        std::free(buf_);
        if (f_) std::fclose(f_);
    }
    LineFile(const LineFile&) = delete;
    LineFile& operator=(const LineFile&) = delete;

    bool IsOpen() const { return f_ != nullptr; }

    enum class Start { Line, MidLine, End };
    // Moves to offset and tells whether a line begins there: at the start of
    // the file or just after a line feed. The byte before it is read in the
    // same buffer as the line itself.
    Start SeekLine(int64_t offset) {
        if (offset < 0 || fseeko(f_, off_t(offset > 0 ? offset - 1 : 0), SEEK_SET) != 0) return Start::End;
        next_ = offset;
        if (offset == 0) return Start::Line;
        int c = std::fgetc(f_);
        if (c == '\n') return Start::Line;
        if (c == EOF || std::fgetc(f_) == EOF) return Start::End;
        return Start::MidLine;
    }
    // The next line without its line end (LF or CR LF); false at the end.
    bool Next(std::string_view& line, int64_t& lineOffset) {
        ssize_t n = getline(&buf_, &cap_, f_);
        if (n <= 0) return false;
        lineOffset = next_;
        next_ += n;
        size_t len = size_t(n);
        if (len && buf_[len - 1] == '\n') --len;
        if (len && buf_[len - 1] == '\r') --len;
        line = std::string_view(buf_, len);
        return true;
    }
    int64_t NextOffset() const { return next_; }

private:
    std::FILE* f_ = nullptr;
    char* buf_ = nullptr;
    size_t cap_ = 0;
    int64_t next_ = 0;
};

// The manufacturer, fuel and condensing flag that make a group of lines.
struct GroupKey {
    std::string name;
    int fuel = 0;
    int condensing = 0;
    bool operator==(const GroupKey&) const = default;
};

bool ReadGroupKey(std::string_view line, GroupKey& key) {
    std::vector<std::string_view> f = SplitFields(line);
    if (f.size() < 4) return false;
    return ReadText(f[0], 0, key.name).ok && ReadFlag(f[2], 2, key.fuel).ok &&
           ReadFlag(f[3], 3, key.condensing).ok;
}

// The line's first field is name, without splitting the whole line; a line
// of blank fields has no first field.
bool FirstFieldIs(std::string_view line, std::string_view name) {
    return line.substr(0, line.find(';')) == name && line.find_first_not_of(" \t\r\n\f\v;") != std::string_view::npos;
}

// Moves to offset in "velmora.wrz"; false when no line is to be read there.
// An offset inside a line is a broken reference and goes into problems.
bool SeekWrzLine(LineFile& file, int64_t offset, std::vector<CatalogueProblem>& problems) {
    if (offset < 0 || !file.IsOpen()) return false;
    switch (file.SeekLine(offset)) {
    case LineFile::Start::Line:
        return true;
    case LineFile::Start::MidLine:
        problems.push_back({kWrzName, offset, -1, vx::LoadString(IDS_VERWEIS_MITTEN_IN_ZEILE)});
        return false;
    case LineFile::Start::End:
        break;
    }
    return false;
}

} // namespace

class WrzLineReader::File : public LineFile {
public:
    using LineFile::LineFile;
};

LineCheck ParseHstLine(std::string_view line, HstLine& out) {
    std::vector<std::string_view> f = SplitFields(line);
    HstLine h;
    LineCheck c = ReadText(f.empty() ? std::string_view() : f[0], 0, h.name);
    if (!c.ok) return c;
    for (int i = 1; i <= CWrzKatalog::kFuelPositions; ++i) {
        if (size_t(i) >= f.size()) return Bad(i, vx::Format(vx::LoadString(IDS_ZEILE_ZU_KURZ), i));
        c = ReadInteger(f[i], i, h.offsets[i - 1]);
        if (!c.ok) return c;
    }
    out = std::move(h);
    return {};
}

LineCheck ParseWrzLine(std::string_view line, WrzEntry& out) {
    std::vector<std::string_view> f = SplitFields(line);
    WrzEntry e;
    auto missing = [](int n) { return Bad(n, vx::Format(vx::LoadString(IDS_ZEILE_ZU_KURZ), n)); };
    if (f.size() < 14) return missing(int(f.size()));

    LineCheck c = ReadText(f[0], 0, e.manufacturerName);
    if (c.ok) c = ReadText(f[1], 1, e.typeDesignation);
    if (c.ok) c = ReadFlag(f[2], 2, e.fuel);
    if (!c.ok) return c;
    if (e.fuel < 0 || e.fuel >= kFuelRows)
        return Bad(2, vx::Format(vx::LoadString(IDS_UNBEKANNTER_BRENNSTOFF), e.fuel));
    if (!(c = ReadFlag(f[3], 3, e.condensing)).ok) return c;

    double* full[] = {&e.output, &e.heatInput, &e.efficiency, &e.co2, &e.flueMassFlow,
                      &e.gasTemperature, &e.requiredDraught, &e.positivePressure, &e.outletDiameter};
    for (int i = 0; i < 9; ++i)
        if (!(c = ReadNumber(f[4 + i], 4 + i, *full[i])).ok) return c;
    if (!(c = ReadFlag(f[13], 13, e.partLoadAvailable)).ok) return c;

    size_t next = 14;
    if (e.partLoadAvailable != 0) {
        if (f.size() < 22) return missing(int(f.size()));
        double* part[] = {&e.outputPart, &e.heatInputPart, &e.efficiencyPart, &e.co2Part,
                          &e.flueMassFlowPart, &e.gasTemperaturePart, &e.requiredDraughtPart,
                          &e.positivePressurePart};
        for (int i = 0; i < 8; ++i)
            if (!(c = ReadNumber(f[14 + i], 14 + i, *part[i])).ok) return c;
        next = 22;
    }
    // Fields 22 to 27 may stop early; what is missing is not used. Fields
    // after 27 are never read.
    double* open[] = {&e.outputOpen, &e.heatInputOpen, &e.efficiencyOpen,
                      &e.flueMassFlowOpen, &e.gasTemperatureOpen, &e.requiredDraughtOpen};
    for (int i = 0; i < 6 && next + i < f.size(); ++i) {
        if (!(c = ReadNumber(f[next + i], 22 + i, *open[i])).ok) return c;
        e.openFieldCount = i + 1;
    }
    e.efficiency = RoundToTenth(e.efficiency);
    e.efficiencyPart = RoundToTenth(e.efficiencyPart);
    out = std::move(e);
    return {};
}

void ApplyOpenOperation(WrzEntry& e) {
    if (e.outputOpen != 0) e.output = e.outputOpen;
    e.openOperation = 1;
    e.co2 = 1.0;
    if (e.heatInputOpen != 0) e.heatInput = e.heatInputOpen;
    if (e.efficiencyOpen != 0) e.efficiency = e.efficiencyOpen;
    if (e.flueMassFlowOpen != 0) e.flueMassFlow = e.flueMassFlowOpen;
    if (e.gasTemperatureOpen != 0) e.gasTemperature = e.gasTemperatureOpen;
    if (e.requiredDraughtOpen != 0) e.requiredDraught = e.requiredDraughtOpen;
}

CWrzKatalog::CWrzKatalog(std::string_view dataDir)
    : hstPath_(vx::JoinPath(dataDir, kHstName)), wrzPath_(vx::JoinPath(dataDir, kWrzName)) {}

bool CWrzKatalog::IsReadable() const {
    for (const std::string* path : {&hstPath_, &wrzPath_}) {
        std::FILE* f = std::fopen(vx::ToFsName(vx::ResolveNoCase(*path)).c_str(), "rb");
        if (!f) return false;
        // A directory opens too; only a read tells.
        const int c = std::fgetc(f);
        std::fclose(f);
        if (c == EOF) return false;
    }
    return true;
}

std::string CWrzKatalog::UnreadableMessage() const {
    return vx::Format(vx::LoadString(IDS_KATALOG_FEHLT), kHstName, kWrzName, vx::DirName(hstPath_).c_str());
}

bool CWrzKatalog::FuelOfPosition(int position, int& fuel, int& condensing) {
    if (position < 0 || position >= kFuelPositions) return false;
    fuel = kPositions[position].fuel;
    condensing = kPositions[position].condensing;
    return true;
}

int CWrzKatalog::PositionOfFuel(int fuel, int condensing) {
    bool cond = condensing != 0;
    for (int p = 0; p < kFuelPositions; ++p) {
        if (kPositions[p].fuel != fuel) continue;
        // Only oil, gas with blower and liquid gas with blower have a condensing position.
        bool hasTwin = fuel == 1 || fuel == 2 || fuel == 8;
        if (!hasTwin || (kPositions[p].condensing != 0) == cond) return p;
    }
    return -1;
}

void CWrzKatalog::AddProblem(const std::string& file, int64_t offset, const LineCheck& check) {
    problems_.push_back({file, offset, check.field, check.text});
}

void CWrzKatalog::Report(size_t firstNew) {
    if (!report_ || problems_.size() <= firstNew) return;
    std::string text = vx::LoadString(IDS_KATALOG_ZEILEN_UEBERSPRUNGEN);
    size_t count = problems_.size() - firstNew;
    for (size_t i = 0; i < count && i < kReportLines; ++i) {
        const CatalogueProblem& p = problems_[firstNew + i];
        text += vx::Format(vx::LoadString(IDS_KATALOG_ZEILE), vx::PathForDisplay(p.file), (long long)p.offset, p.text);
    }
    if (count > kReportLines) text += vx::Format(vx::LoadString(IDS_KATALOG_WEITERE), int(count - kReportLines));
    vx::ShowMessage(text, vx::MB_OK | vx::MB_ICONEXCLAMATION);
}

std::vector<WrzManufacturer> CWrzKatalog::ReadManufacturers(int fuelPosition) {
    std::vector<WrzManufacturer> list;
    if (fuelPosition < 0 || fuelPosition >= kFuelPositions) return list;
    LineFile file(hstPath_);
    if (!file.IsOpen()) return list;
    size_t firstNew = problems_.size();
    std::string_view line;
    int64_t at = 0;
    while (file.Next(line, at)) {
        if (IsBlank(line)) continue;
        HstLine h;
        LineCheck c = ParseHstLine(line, h);
        if (!c.ok) {
            AddProblem(kHstName, at, c);
            continue;
        }
        int64_t offset = h.offsets[fuelPosition];
        if (offset >= 0) list.push_back({std::move(h.name), offset});
    }
    Report(firstNew);
    return list;
}

std::vector<WrzType> CWrzKatalog::ReadTypes(int64_t offset) {
    std::vector<WrzType> list;
    if (offset < 0) return list;
    LineFile file(wrzPath_);
    size_t firstNew = problems_.size();
    if (!SeekWrzLine(file, offset, problems_)) {
        Report(firstNew);
        return list;
    }
    bool haveKey = false;
    GroupKey group;
    std::string_view line;
    int64_t at = 0;
    while (file.Next(line, at)) {
        if (IsBlank(line)) continue;
        WrzEntry e;
        LineCheck c = ParseWrzLine(line, e);
        GroupKey key;
        bool keyKnown = c.ok ? (key = {e.manufacturerName, e.fuel, e.condensing}, true)
                             : ReadGroupKey(line, key);
        if (!keyKnown) {
            // Whose line it is cannot be told: it is skipped, and a group
            // cannot start with it.
            AddProblem(kWrzName, at, c);
            if (!haveKey) break;
            continue;
        }
        if (!haveKey) {
            group = key;
            haveKey = true;
        } else if (!(key == group)) {
            break;
        }
        if (!c.ok) {
            AddProblem(kWrzName, at, c);
            continue;
        }
        list.push_back({std::move(e.typeDesignation), at});
    }
    Report(firstNew);
    return list;
}

int CWrzKatalog::LoadEntry(WrzEntry& entry, int64_t& offset, std::string_view expectedName,
                           OpenOperation open) {
    entry = WrzEntry{};
    if (offset < 0) return kNotLoaded;
    WrzLineReader reader(*this);
    reader.Start(offset, expectedName);
    const int rc = reader.Next(entry, open);
    offset = reader.Offset();
    return rc;
}

WrzLineReader::WrzLineReader(CWrzKatalog& catalogue)
    : catalogue_(catalogue), file_(std::make_unique<File>(catalogue.WrzPath())),
      firstProblem_(catalogue.problems_.size()) {}

WrzLineReader::~WrzLineReader() { ReportSkipped(); }

void WrzLineReader::ReportSkipped() {
    catalogue_.Report(firstProblem_);
    firstProblem_ = catalogue_.problems_.size();
}

void WrzLineReader::Start(int64_t offset, std::string_view name) {
    ReportSkipped();
    name_.assign(name);
    offset_ = offset;
    ended_ = !SeekWrzLine(*file_, offset, catalogue_.problems_);
}

int WrzLineReader::Next(WrzEntry& entry, CWrzKatalog::OpenOperation open) {
    entry = WrzEntry{};
    std::string_view line;
    int64_t at = 0;
    if (ended_ || !file_->Next(line, at)) {
        ended_ = true;
        return CWrzKatalog::kNotLoaded;
    }
    offset_ = file_->NextOffset();

    WrzEntry e;
    if (!name_.empty() && !FirstFieldIs(line, name_)) {
        // Another manufacturer's line ends the caller's run; it keeps what was read.
        ended_ = true;
        if (ParseWrzLine(line, e).ok) entry = std::move(e);
        return CWrzKatalog::kNotLoaded;
    }
    const LineCheck c = ParseWrzLine(line, e);
    if (!c.ok) {
        catalogue_.AddProblem(kWrzName, at, c);
        return CWrzKatalog::kBadLine;
    }
    if (e.HasOpenOperation() && open == CWrzKatalog::OpenOperation::Ask &&
        vx::ShowMessage(vx::LoadString(IDS_FRAGE_OFFENER_BETRIEB), vx::MB_YESNO | vx::MB_ICONQUESTION) == vx::IDYES)
        ApplyOpenOperation(e);
    entry = std::move(e);
    return CWrzKatalog::kLoaded;
}

bool CWrzKatalog::IsDataOld() const {
    int anzeige = vx::Profile().GetInt("Datenbank", "Anzeige_W", 0);
    std::string stand = vx::Profile().GetString("Datenbank", "Stand_W", "2000/06");
    return IsDataOld(stand, anzeige, std::time(nullptr));
}

bool CWrzKatalog::IsDataOld(std::string_view standW, int anzeigeW, std::time_t now) {
    if (anzeigeW != 0) return false;
    size_t slash = standW.find('/');
    if (slash == std::string_view::npos) return false;
    int64_t year = vx::ParseLong(standW.substr(0, slash));
    int64_t month = vx::ParseLong(standW.substr(slash + 1));
    // A date that is none cannot be old.
    if (year < 1900 || year > 9999 || month < 1 || month > 12) return false;
    std::tm tm{};
    tm.tm_year = int(year - 1900);
    tm.tm_mon = int(month - 1);
    tm.tm_mday = 1;
    tm.tm_isdst = -1;
    std::time_t then = std::mktime(&tm);
    if (then == std::time_t(-1)) return false;
    int64_t days = (int64_t(now) - int64_t(then)) / 86400;
    return days >= 400;
}
