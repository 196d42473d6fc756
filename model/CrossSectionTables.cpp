#include "model/CrossSectionTables.h"

#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "values/Helpers.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <string>

namespace {

int g_Living = 0;

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

bool OvalPairBefore(const std::pair<double, double>& a, const std::pair<double, double>& b) {
    return PairText(a) < PairText(b);
}

void ReadCrossSectionTable(const std::string& text, char prefix, CrossSectionTables& tables) {
    switch (prefix) {
    case 'R': tables.round.clear(); break;
    case 'Q': tables.square.clear(); break;
    default: tables.oval.clear(); break;
    }
    size_t pos = 0;
    bool header = true;
    try {
        while (pos < text.size()) {
            size_t end = text.find('\n', pos);
            if (end == std::string::npos) end = text.size();
            std::string line = text.substr(pos, end - pos);
            pos = end + 1;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.size() > 99) line.resize(99);  // lines are read 100 characters at most
            if (header) {
                header = false;
                continue;
            }
            if (line.empty()) break;
            if (line[0] != prefix) continue;
            const size_t eq = line.find('=');
            if (eq == std::string::npos) continue;
            const std::string value = line.substr(eq + 1);
            if (prefix == 'R') tables.round.push_back(EntryValue(value));
            else if (prefix == 'Q') tables.square.push_back(EntryValue(value));
            else {
                const size_t x = value.find_first_of("xX");
                const double a = EntryValue(value.substr(0, x));
                const double b = x == std::string::npos ? 0.0 : EntryValue(value.substr(x + 1));
                tables.oval.emplace_back(a, b);
            }
        }
    } catch (const std::bad_alloc&) {
        vx::ShowMessage("Programm bekommt vom System kein Speicher mehr !");
    }
    if (prefix == 'R') std::sort(tables.round.begin(), tables.round.end());
    else if (prefix == 'Q') std::sort(tables.square.begin(), tables.square.end());
    else std::stable_sort(tables.oval.begin(), tables.oval.end(), OvalPairBefore);
}

void LoadCrossSectionTables() {
    CrossSectionTables& t = SharedCrossSectionTables();
    const std::string dir = GetDataDir();
    const std::string name = vx::FindFileNoCase(dir, "INNENTAB.INI");
    std::string text;
    if (name.empty() || !vx::ReadWholeFile(vx::JoinPath(dir, name), text)) text.clear();
    ReadCrossSectionTable(text, 'R', t);
    ReadCrossSectionTable(text, 'Q', t);
    ReadCrossSectionTable(text, 'O', t);
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
