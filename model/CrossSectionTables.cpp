#include "model/CrossSectionTables.h"

#include "model/ModelText.h"
#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/StringTable.h"
#include "values/Directories.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <string>

namespace {

int g_Living = 0;
// Where the tables were last looked for, and the file found there ("" when none).
std::string g_TableDir, g_TableName;

// The text after the first "=", with a decimal comma read as a point.
double EntryValue(std::string text) {
    std::replace(text.begin(), text.end(), ',', '.');
    return vx::ParseDouble(text);
}

std::string PairText(const std::pair<double, double>& p) { return vx::Format("%f%f", p.first, p.second); }

} // namespace

CrossSectionTables& SharedCrossSectionTables() {
    static CrossSectionTables tables;
    return tables;
}

bool CrossSectionSizeAllowed(double metres) { return metres >= kCrossSectionMin && metres <= kCrossSectionMax; }

bool OvalPairBefore(const std::pair<double, double>& a, const std::pair<double, double>& b) {
    return PairText(a) < PairText(b);
}

std::vector<CrossSectionLine> CrossSectionLines(const std::string& text, char prefix) {
    std::vector<CrossSectionLine> lines;
    size_t pos = 0;
    int number = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > 99) line.resize(99);  // lines are read 100 characters at most
        if (number == 1) continue;             // the header
        if (line.empty()) break;
        if (line[0] != prefix) continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        CrossSectionLine entry;
        entry.line = number;
        entry.value = line.substr(eq + 1);
        // A size the editor would refuse is no size for the calculation either.
        const auto usable = [](double v) { return CrossSectionSizeAllowed(v); };
        if (prefix == 'O') {
            const size_t x = entry.value.find_first_of("xX");
            const double b = x == std::string::npos ? 0.0 : EntryValue(entry.value.substr(x + 1));
            entry.valid = usable(EntryValue(entry.value.substr(0, x))) && (x == std::string::npos || usable(b));
        } else {
            entry.valid = usable(EntryValue(entry.value));
        }
        lines.push_back(std::move(entry));
    }
    return lines;
}

std::string BadCrossSectionLinesMessage(const std::string& name, std::vector<int> lines) {
    if (lines.empty()) return {};
    std::sort(lines.begin(), lines.end());
    std::string list;
    for (int line : lines) list += (list.empty() ? "" : ", ") + std::to_string(line);
    return vx::Format(vx::LoadString(lines.size() == 1 ? IDS_QUERSCHNITT_ZEILE_FALSCH : IDS_QUERSCHNITT_ZEILEN_FALSCH),
                      name, list);
}

std::vector<int> ReadCrossSectionTable(const std::string& text, char prefix, CrossSectionTables& tables) {
    switch (prefix) {
    case 'R': tables.round.clear(); break;
    case 'Q': tables.square.clear(); break;
    default: tables.oval.clear(); break;
    }
    std::vector<int> bad;
    try {
        for (const CrossSectionLine& entry : CrossSectionLines(text, prefix)) {
            if (!entry.valid) {
                bad.push_back(entry.line);
                continue;
            }
            if (prefix == 'R') tables.round.push_back(EntryValue(entry.value));
            else if (prefix == 'Q') tables.square.push_back(EntryValue(entry.value));
            else {
                const size_t x = entry.value.find_first_of("xX");
                const double a = EntryValue(entry.value.substr(0, x));
                const double b = x == std::string::npos ? 0.0 : EntryValue(entry.value.substr(x + 1));
                tables.oval.emplace_back(a, b);
            }
        }
    } catch (const std::bad_alloc&) {
        vx::ShowMessage(vx::LoadString(IDS_KEIN_SPEICHER));
    }
    if (prefix == 'R') std::sort(tables.round.begin(), tables.round.end());
    else if (prefix == 'Q') std::sort(tables.square.begin(), tables.square.end());
    else std::stable_sort(tables.oval.begin(), tables.oval.end(), OvalPairBefore);
    return bad;
}

void LoadCrossSectionTables() {
    // Tables are reloaded whenever the first pipe section comes to life: the
    // same complaint is told once, until the file reads cleanly again.
    static std::string told;
    CrossSectionTables& t = SharedCrossSectionTables();
    const std::string dir = GetDataDir();
    const std::string name = vx::FindFileNoCase(dir, "INNENTAB.INI");
    g_TableDir = dir;
    g_TableName = name;
    std::string text;
    if (name.empty() || !vx::ReadWholeFile(vx::JoinPath(dir, name), text)) text.clear();
    std::vector<int> bad = ReadCrossSectionTable(text, 'R', t);
    for (char prefix : {'Q', 'O'}) {
        const std::vector<int> more = ReadCrossSectionTable(text, prefix, t);
        bad.insert(bad.end(), more.begin(), more.end());
    }
    const std::string shown = vx::PathForDisplay(name);
    const std::string message = BadCrossSectionLinesMessage(shown, bad);
    if (!message.empty() && message != told) vx::ShowMessage(message);
    told = message;
}

std::string EmptyCrossSectionTableMessage(int shape) {
    const std::string dir = vx::PathForDisplay(g_TableDir.empty() ? GetDataDir() : g_TableDir);
    if (g_TableName.empty()) return vx::Format(vx::LoadString(IDS_QUERSCHNITTSTABELLE_FEHLT), dir);
    const unsigned kind = shape == 1 ? IDS_QUERSCHNITT_QUADRATISCH : shape == 0 || shape == 4 ? IDS_QUERSCHNITT_RUND
                                                                                              : IDS_QUERSCHNITT_OVAL;
    return vx::Format(vx::LoadString(IDS_QUERSCHNITTSTABELLE_LEER), g_TableName, dir, vx::LoadString(kind));
}

void AcquireCrossSectionTables() {
    if (SharedCrossSectionTables().round.empty()) LoadCrossSectionTables();
    ++g_Living;
}

void ReleaseCrossSectionTables() {
    if (g_Living > 0 && --g_Living == 0) SharedCrossSectionTables() = CrossSectionTables{};
}

int LivingPipeSections() { return g_Living; }

double StartCrossSection(double m, int shape) {
    double a = 0.3061 * std::pow(m, 0.7078);
    if (shape == 0) a = a * 4 / 3.141592654;
    const double d = std::sqrt(a) + 0.05;
    return std::trunc(d * 10 + 0.5) / 10;
}
