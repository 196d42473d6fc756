#include "testsupport/SyntheticCatalogue.h"

#include "platform/Files.h"
#include "platform/NumText.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace catalogue {
namespace {

// Mass-flow coefficients f_m1, f_m2 of the fuel table, by fuel index.
struct MassFlowCoefficients {
    double fm1, fm2;
};
constexpr MassFlowCoefficients kFuelCoefficients[14] = {
    {7.06, 0.033}, {4.94, 0.046}, {3.75, 0.053}, {3.75, 0.053}, {3.51, 0.065},
    {3.51, 0.065}, {3.83, 0.057}, {3.83, 0.057}, {4.2, 0.049},  {4.2, 0.049},
    {6.89, 0.076}, {6.23, 0.036}, {6.61, 0.055}, {6.66, 0.06},
};

// What heat generators of one fuel-list position look like.
struct Profile {
    const char* series[3];
    double qMin, qMax;          // nominal output, kW
    double etaMin, etaMax;      // efficiency, %
    double co2Min, co2Max;      // %
    double tMin, tMax;          // flue-gas temperature, degrees Celsius
    double pwMin, pwMax;        // required draught, Pa
    double pueMin, pueMax;      // positive pressure, Pa (condensing boilers)
    double partShare;           // share of types with part-load data
    double rMin, rMax;          // part-load output / nominal output
    double etaPartGain;         // efficiency gain at part load, %
    double tPartMin, tPartMax;  // part-load temperature / full-load temperature
    double openShare;           // share that can also run open
    bool solid;
};

constexpr Profile kProfiles[CWrzKatalog::kFuelPositions] = {
    // 0 coke
    {{"Koksomat", "KK", "Thermokoks"}, 15, 60, 74, 80, 10, 12.5, 200, 260, 15, 22, 0, 0, 0, 0, 0, 0, 0, 0, 0, true},
    // 1 heating oil
    {{"Oleo", "ÖK", "Unitherm Öl"}, 15, 80, 91, 94, 12.5, 13.5, 140, 190, 2, 8, 0, 0, 0.4, 0.55, 0.7, 0.5, 0.75, 0.85, 0, false},
    // 2 natural gas, burner with blower
    {{"Gasomat G", "GK", "Unitherm Gas"}, 20, 120, 91, 94, 9.3, 10.2, 120, 170, 2, 6, 0, 0, 0.4, 0.5, 0.65, 0.5, 0.75, 0.85, 0, false},
    // 3 natural gas, burner without blower
    {{"Atmo", "GA", "Flammo"}, 10, 60, 89, 92, 5.0, 6.5, 95, 130, 2.5, 4, 0, 0, 0.5, 0.5, 0.6, 0.5, 0.75, 0.85, 0, false},
    // 4 liquid gas, burner with blower
    {{"Propa G", "FK", "Unitherm FG"}, 20, 100, 91, 94, 11, 12, 120, 170, 2, 6, 0, 0, 0.4, 0.5, 0.65, 0.5, 0.75, 0.85, 0, false},
    // 5 liquid gas, burner without blower
    {{"Propa A", "FA", "Flammo FG"}, 10, 50, 89, 92, 5.8, 7.2, 95, 130, 2.5, 4, 0, 0, 0.5, 0.5, 0.6, 0.5, 0.75, 0.85, 0, false},
    // 6 wood
    {{"Holzvergaser", "HV", "Kaminofen"}, 6, 50, 75, 90, 8, 12, 150, 280, 10, 20, 0, 0, 0.3, 0.5, 0.6, 0, 0.7, 0.8, 0.15, true},
    // 7 hard coal
    {{"Anthrazit", "SK", "Kohlomat"}, 15, 45, 76, 81, 10, 12.5, 200, 260, 15, 22, 0, 0, 0, 0, 0, 0, 0, 0, 0, true},
    // 8 brown-coal briquettes
    {{"Brikett", "BK", "Dauerbrand"}, 6, 30, 74, 80, 9, 11.5, 210, 280, 12, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0, true},
    // 9 pellets
    {{"Pelletto", "PK", "Pelletofen"}, 6, 60, 89, 94, 10.5, 13, 110, 170, 5, 12, 0, 0, 0.8, 0.3, 0.35, 0, 0.65, 0.75, 0, true},
    // 10 condensing heating oil
    {{"Oleo Kondens", "ÖBW", "Unitherm Öl BW"}, 15, 50, 97, 102, 12.5, 13.5, 45, 65, 0, 0, 50, 120, 0.6, 0.5, 0.6, 3, 0.6, 0.7, 0, false},
    // 11 condensing natural gas
    {{"Kondensa", "GBW", "Unitherm Gas BW"}, 10, 100, 97, 101, 8.8, 9.8, 50, 70, 0, 0, 50, 150, 0.9, 0.15, 0.3, 7, 0.5, 0.6, 0, false},
    // 12 condensing liquid gas
    {{"Kondensa FG", "FBW", "Unitherm FG BW"}, 10, 60, 97, 101, 10, 11, 50, 70, 0, 0, 50, 150, 0.9, 0.2, 0.3, 6, 0.5, 0.6, 0, false},
};

// Syllables of invented firm names; none names a real maker.
const char* const kNameStart[] = {"Almen", "Brandt", "Dornes", "Eicken", "Falken", "Gerstel",
                                  "Hollen", "Isen",   "Kranich", "Lindow", "Mohrig", "Norder",
                                  "Oster",  "Pfeilen", "Rauhen", "Sonnhal", "Tannen", "Ulmen",
                                  "Wendel", "Zeiden"};
const char* const kNameEnd[] = {"bach", "berg", "dorf", "feld", "hagen", "stedt", "hausen", "ried"};
const char* const kNameKind[] = {" Heiztechnik", " Kesselbau GmbH", " Wärmesysteme", " Feuerungsbau KG",
                                 " Thermotechnik", " & Söhne"};

class Dice {
public:
    explicit Dice(uint32_t seed) : rng_(seed) {}
    // Uniform in [a, b]; mt19937 output is the same on every platform.
    double Between(double a, double b) { return a + (b - a) * (double(rng_()) / 4294967295.0); }
    bool Chance(double p) { return Between(0, 1) < p; }
    uint32_t Below(uint32_t n) { return n ? rng_() % n : 0; }

private:
    std::mt19937 rng_;
};

double Round(double v, int decimals) {
    double f = std::pow(10.0, decimals);
    return std::round(v * f) / f;
}

double MassFlow(int fuel, double co2, double heatInput) {
    const MassFlowCoefficients& c = kFuelCoefficients[fuel];
    return Round((c.fm1 / co2 + c.fm2) * heatInput / 1000.0, 5);
}

double OutletFor(double q, bool condensing, bool solid) {
    if (condensing) return q <= 25 ? 0.06 : q <= 50 ? 0.08 : 0.11;
    double d = q <= 15 ? 0.10 : q <= 30 ? 0.13 : q <= 60 ? 0.15 : q <= 100 ? 0.18 : 0.20;
    return solid ? std::max(d, 0.13) : d;
}

std::string ManufacturerName(int i) {
    constexpr int nStart = std::size(kNameStart), nEnd = std::size(kNameEnd), nKind = std::size(kNameKind);
    std::string name = std::string(kNameStart[i % nStart]) + kNameEnd[(i / nStart) % nEnd] +
                       kNameKind[(i / (nStart * nEnd)) % nKind];
    if (i >= nStart * nEnd * nKind) name += vx::Format(" %d", i / (nStart * nEnd * nKind) + 1);
    return name;
}

WrzEntry MakeEntry(Dice& dice, const std::string& maker, int position) {
    const Profile& p = kProfiles[position];
    WrzEntry e;
    CWrzKatalog::FuelOfPosition(position, e.fuel, e.condensing);
    e.manufacturerName = maker;
    e.output = Round(dice.Between(p.qMin, p.qMax), 1);
    e.typeDesignation = vx::Format("%s %d", p.series[dice.Below(3)], int(std::lround(e.output)));
    e.efficiency = Round(dice.Between(p.etaMin, p.etaMax), 1);
    e.heatInput = Round(e.output * 100.0 / e.efficiency, 2);
    e.co2 = Round(dice.Between(p.co2Min, p.co2Max), 1);
    e.flueMassFlow = MassFlow(e.fuel, e.co2, e.heatInput);
    e.gasTemperature = Round(dice.Between(p.tMin, p.tMax), 0);
    e.requiredDraught = Round(dice.Between(p.pwMin, p.pwMax), 1);
    e.positivePressure = Round(dice.Between(p.pueMin, p.pueMax), 0);
    e.outletDiameter = OutletFor(e.output, e.condensing != 0, p.solid);
    if (dice.Chance(p.partShare)) {
        e.partLoadAvailable = 1;
        double r = dice.Between(p.rMin, p.rMax);
        e.outputPart = Round(e.output * r, 1);
        e.efficiencyPart = Round(std::min(e.efficiency + dice.Between(0, p.etaPartGain), 110.0), 1);
        e.heatInputPart = Round(e.outputPart * 100.0 / e.efficiencyPart, 2);
        e.co2Part = Round(e.co2 - dice.Between(0, 1.0), 1);
        e.flueMassFlowPart = MassFlow(e.fuel, e.co2Part, e.heatInputPart);
        e.gasTemperaturePart = Round(e.gasTemperature * dice.Between(p.tPartMin, p.tPartMax), 0);
        e.requiredDraughtPart = Round(e.requiredDraught * dice.Between(0.5, 0.8), 1);
        e.positivePressurePart = Round(e.positivePressure * r * r, 0);
    }
    if (dice.Chance(p.openShare)) {
        // An open fireplace draws much more air through a lower fire.
        e.openFieldCount = 6;
        e.outputOpen = Round(e.output * 0.6, 1);
        e.efficiencyOpen = Round(dice.Between(20, 30), 1);
        e.heatInputOpen = Round(e.outputOpen * 100.0 / e.efficiencyOpen, 2);
        e.flueMassFlowOpen = Round(dice.Between(0.05, 0.12), 5);
        e.gasTemperatureOpen = Round(dice.Between(90, 140), 0);
        e.requiredDraughtOpen = Round(dice.Between(8, 12), 1);
    }
    return e;
}

} // namespace

std::string FormatWrzLine(const WrzEntry& e) {
    std::string s = vx::Format("%s;%s;%d;%d;%.2f;%.2f;%.1f;%.2f;%.5f;%.1f;%.1f;%.1f;%.3f;%d",
                               e.manufacturerName, e.typeDesignation, e.fuel, e.condensing, e.output,
                               e.heatInput, e.efficiency, e.co2, e.flueMassFlow, e.gasTemperature,
                               e.requiredDraught, e.positivePressure, e.outletDiameter,
                               e.partLoadAvailable);
    if (e.partLoadAvailable != 0)
        s += vx::Format(";%.2f;%.2f;%.1f;%.2f;%.5f;%.1f;%.1f;%.1f", e.outputPart, e.heatInputPart,
                        e.efficiencyPart, e.co2Part, e.flueMassFlowPart, e.gasTemperaturePart,
                        e.requiredDraughtPart, e.positivePressurePart);
    const double open[] = {e.outputOpen,       e.heatInputOpen,      e.efficiencyOpen,
                           e.flueMassFlowOpen, e.gasTemperatureOpen, e.requiredDraughtOpen};
    const char* const openFormat[] = {";%.2f", ";%.2f", ";%.1f", ";%.5f", ";%.1f", ";%.1f"};
    for (int i = 0; i < e.openFieldCount && i < 6; ++i) s += vx::Format(openFormat[i], open[i]);
    s += "\r\n";
    return s;
}

std::string BuildHst(std::string_view wrzText, int* badLines) {
    struct Maker {
        std::string name;
        int64_t first[CWrzKatalog::kFuelPositions];
    };
    std::vector<Maker> makers;
    int bad = 0;
    size_t at = 0;
    while (at < wrzText.size()) {
        size_t end = wrzText.find('\n', at);
        size_t next = end == std::string_view::npos ? wrzText.size() : end + 1;
        std::string_view line = wrzText.substr(at, next - at);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
        WrzEntry e;
        int position = -1;
        if (!line.empty()) {
            if (ParseWrzLine(line, e).ok)
                position = CWrzKatalog::PositionOfFuel(e.fuel, e.condensing);
            else
                ++bad;
        }
        if (position >= 0) {
            auto it = std::find_if(makers.begin(), makers.end(),
                                   [&](const Maker& m) { return m.name == e.manufacturerName; });
            if (it == makers.end()) {
                makers.push_back({e.manufacturerName, {}});
                it = makers.end() - 1;
                std::fill(std::begin(it->first), std::end(it->first), int64_t(-1));
            }
            if (it->first[position] < 0) it->first[position] = int64_t(at);
        }
        at = next;
    }
    if (badLines) *badLines = bad;
    std::string hst;
    for (const Maker& m : makers) {
        hst += m.name;
        for (int64_t off : m.first) hst += vx::Format(";%lld", (long long)off);
        hst += "\r\n";
    }
    return hst;
}

std::vector<WrzEntry> MakeSyntheticEntries(int count, uint32_t seed) {
    Dice dice(seed);
    int makers = std::max(1, count / 60);
    struct Slot {
        int maker, position;
    };
    std::vector<Slot> slots;
    slots.reserve(size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i) slots.push_back({int(dice.Below(uint32_t(makers))), int(dice.Below(13))});
    std::stable_sort(slots.begin(), slots.end(), [](const Slot& a, const Slot& b) {
        return a.maker != b.maker ? a.maker < b.maker : a.position < b.position;
    });
    std::vector<WrzEntry> entries;
    entries.reserve(slots.size());
    for (const Slot& s : slots) entries.push_back(MakeEntry(dice, ManufacturerName(s.maker), s.position));
    // Within a group the types run by output, as a maker's list would.
    auto first = entries.begin();
    while (first != entries.end()) {
        auto last = std::find_if(first, entries.end(), [&](const WrzEntry& e) {
            return e.manufacturerName != first->manufacturerName || e.fuel != first->fuel ||
                   e.condensing != first->condensing;
        });
        std::stable_sort(first, last, [](const WrzEntry& a, const WrzEntry& b) { return a.output < b.output; });
        first = last;
    }
    return entries;
}

bool WriteCatalogue(const std::string& dir, const std::vector<WrzEntry>& entries) {
    std::string wrz;
    for (const WrzEntry& e : entries) wrz += FormatWrzLine(e);
    return vx::WriteFileAtomic(vx::JoinPath(dir, "velmora.wrz"), wrz) &&
           vx::WriteFileAtomic(vx::JoinPath(dir, "velmora.hst"), BuildHst(wrz));
}

bool WriteHstFor(const std::string& dir) {
    std::string wrz;
    if (!vx::ReadWholeFile(vx::ResolveNoCase(vx::JoinPath(dir, "velmora.wrz")), wrz)) return false;
    return vx::WriteFileAtomic(vx::JoinPath(dir, "velmora.hst"), BuildHst(wrz));
}

} // namespace catalogue
