#include "model/CWdw.h"

#include "model/ModelText.h"
#include "platform/Archive.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "values/CMEinheitListe.h"
#include "values/Rounding.h"

#include <cmath>

namespace {

// Value ids: layer i (0-based) has 10 i + 1 to 10 i + 4.
uint16_t LayerId(int layer, int member) { return uint16_t(10 * layer + member); }
constexpr uint16_t kIdTotalResistance = 100;
constexpr uint16_t kIdTotalThickness = 101;

double Interpolate(double x, double x0, double x1, double y0, double y1) {
    if (x1 == x0) return y0;
    return y0 + (y1 - y0) * (x - x0) / (x1 - x0);
}

// Index pair of the two keys that bracket x (equal at or beyond either end).
void Bracket(const double* keys, int n, double x, int& lo, int& hi) {
    if (x <= keys[0]) {
        lo = hi = 0;
        return;
    }
    if (x >= keys[n - 1]) {
        lo = hi = n - 1;
        return;
    }
    hi = 1;
    while (hi < n - 1 && keys[hi] <= x) ++hi;
    lo = hi - 1;
}

} // namespace

const CWdw::Limits& CWdw::ProfileLimits() {
    static const Limits limits = [] {
        auto read = [](const char* key, const char* def) {
            return vx::ParseDouble(vx::Profile().GetString("WDW", key, def));
        };
        Limits l;
        l.thicknessMin = read("Wamin", "0.0001");
        l.thicknessMax = read("Wamax", "0.5");
        l.conductivityMin = read("Wlzmin", "0");
        l.conductivityMax = read("Wlzmax", "500");
        l.resistanceMin = read("Wdwmin", "0");
        l.resistanceMax = read("Wdwmax", "1");
        l.thicknessUnit = uint16_t(vx::ParseLong(vx::Profile().GetString("WDW", vx::Format("0x%04X", LayerId(0, 2)),
                                                                         "1280 # 0x0500")));
        return l;
    }();
    return limits;
}

CWdw::CWdw() {
    const Limits& lim = ProfileLimits();
    const uint16_t msg = IDS_WERTEBEREICH;
    // The section's limits are read but, as in every stored wall, not applied to the layers.
    for (int i = 0; i < 5; ++i) {
        WallLayer& l = layers[i];
        l.material.Init(LayerId(i, 1), 0, 0, 0, 0xFFFF, 0, 0, 0, 0, 0, 0, 0, false);
        l.thickness.Init(LayerId(i, 2), 0, 0, 0, 8, lim.thicknessUnit, kUnitMetre, 0, 0, msg, 0, 0, false);
        l.conductivity.Init(LayerId(i, 3), 0, 0, 0, 8, kUnitWattPerMetreKelvin, kUnitWattPerMetreKelvin, 0, 0, msg, 0,
                            0, false);
        l.resistance.Init(LayerId(i, 4), 0, 0, 0, 8, kUnitSquareMetreKelvinPerWatt, kUnitSquareMetreKelvinPerWatt, 0,
                          0, msg, 0, 0, false);
    }
    totalResistance.Init(kIdTotalResistance, 0, 0, 0, 8, kUnitSquareMetreKelvinPerWatt, kUnitSquareMetreKelvinPerWatt,
                         0, 2, 0, 0, 0, false);
    totalThickness.Init(kIdTotalThickness, 0, 0, 0, 8, lim.thicknessUnit, kUnitMetre, 0, 2, 0, 0, 0, false);
}

CWdw& CWdw::operator=(const CWdw& other) {
    if (this == &other) return *this;
    for (int i = 0; i < 5; ++i) layers[i] = other.layers[i];
    totalResistance = other.totalResistance;
    totalThickness = other.totalThickness;
    stateWord = other.stateWord;
    return *this;
}

bool CWdw::CalculateWall(double dh, double d0, int kind, double t, double k, double tu, double tWall, double factor,
                         int mode, double* out) {
    bool tempDependent = false;
    for (const WallLayer& l : layers)
        if (l.conductivity.marker == CWerte::MarkerResult) tempDependent = true;
    if (dh == 0) {
        totalResistance.marker = CWerte::MarkerResult;
        totalThickness.marker = CWerte::MarkerDerived;
        return tempDependent;
    }
    if (tempDependent && t == 0) {
        totalResistance.marker = CWerte::MarkerResult;
        return tempDependent;
    }
    totalResistance.marker = CWerte::MarkerDerived;
    totalResistance.value = 0;
    totalThickness.value = 0;
    const double h = (kind == 2 || kind == 3) ? 1.1 : 1.0;  // shape factor
    double d = d0 != 0 ? d0 : dh;
    double tIn = tWall;
    for (int i = 0; i < 5; ++i) {
        WallLayer& l = layers[i];
        if (mode == 2 && i >= 3 && l.skipInMode2) break;
        const double s = l.thickness.value;
        if (s == 0) continue;
        totalThickness.value += s;
        const double ln = std::log((d + 2 * s) / d);
        if (tempDependent) {
            // A stand-in conductivity for the temperature step only; the layer keeps what it was given.
            double lambda = l.conductivity.value;
            if (lambda == 0) lambda = l.resistance.value == 0 ? 1.0 : ln * d * h * 0.5 / l.resistance.value;
            const double tOut = tIn - ln * (dh * h * factor * k * 0.5 / lambda) * (t - tu);
            if (out) *out++ = tOut;
            LookupLayerTable(l, (tOut + tIn) / 2);
            tIn = tOut;
        }
        const double lambda = l.conductivity.value;
        const double term = lambda > 0 ? RoundToStep(dh * h * 0.5 / lambda * ln, 10000)
                                       : RoundToStep(dh * l.resistance.value / d, 1000);
        totalResistance.value += term;
        d += 2 * s;
    }
    return tempDependent;
}

void CWdw::LookupLayerTable(WallLayer& l, double x) {
    if (!l.tableKind) {
        if (l.resistance.value != 0) l.conductivity.value = 0;
        return;
    }
    const auto& tab = l.table;
    if (tab[0][W] == 0) {
        // Over temperature: the rows up to the first that has no temperature.
        int n = 1;
        while (n < 20 && tab[n][T] != 0) ++n;
        double keys[20];
        for (int i = 0; i < n; ++i) keys[i] = tab[i][T];
        int lo, hi;
        Bracket(keys, n, x, lo, hi);
        l.conductivity.value =
            RoundToStep(Interpolate(x, keys[lo], keys[hi], tab[lo][Lambda], tab[hi][Lambda]), 1000);
        l.resistance.value = RoundToStep(Interpolate(x, keys[lo], keys[hi], tab[lo][R], tab[hi][R]), 1000);
        return;
    }
    // Over gap width and temperature: blocks of five rows, one temperature each.
    const double s = l.thickness.value;
    if (s < 0.01) {
        l.conductivity.value = 0;
        l.resistance.value = 0;
        return;
    }
    int blocks = 0;
    while (blocks < 4 && tab[5 * blocks][W] != 0) ++blocks;
    auto inBlock = [&tab, s](int b, int column) {
        const int first = 5 * b;
        int n = 0;
        while (n < 5 && tab[first + n][W] != 0) ++n;
        double keys[5];
        for (int i = 0; i < n; ++i) keys[i] = tab[first + i][W];
        int lo, hi;
        Bracket(keys, n, s, lo, hi);
        return Interpolate(s, keys[lo], keys[hi], tab[first + lo][column], tab[first + hi][column]);
    };
    double temps[4];
    for (int b = 0; b < blocks; ++b) temps[b] = tab[5 * b][T];
    int lo, hi;
    Bracket(temps, blocks, x, lo, hi);
    l.conductivity.value = Interpolate(x, temps[lo], temps[hi], inBlock(lo, Lambda), inBlock(hi, Lambda));
    l.resistance.value = RoundToStep(Interpolate(x, temps[lo], temps[hi], inBlock(lo, R), inBlock(hi, R)), 1000);
}

void CWdw::Serialize(vx::Archive& ar) {
    totalResistance.Serialize(ar);
    totalThickness.Serialize(ar);
    for (WallLayer& l : layers) {
        l.material.Serialize(ar);
        l.thickness.Serialize(ar);
        l.conductivity.Serialize(ar);
        l.resistance.Serialize(ar);
        for (int32_t* x : {&l.tableKind, &l.skipInMode2, &l.extra1, &l.extra2}) {
            if (ar.IsStoring()) ar << *x;
            else ar >> *x;
        }
        for (auto& row : l.table)
            for (double& x : row) {
                if (ar.IsStoring()) ar << x;
                else ar >> x;
            }
    }
    SerializeStateWord(ar);
}

void CWdw::LoadDefault(CWerte& value) {
    for (WallLayer& l : layers) {
        const bool isR = &value == &l.resistance;
        const bool isLambda = &value == &l.conductivity;
        if (!isR && !isLambda) continue;
        CWDouble& cell = isR ? l.resistance : l.conductivity;
        const int column = isR ? R : Lambda;
        // A second row makes the value depend on temperature: it is found during the calculation.
        if (l.table[1][column] != 0) {
            cell.value = 0;
            cell.marker = CWerte::MarkerResult;
        } else {
            cell.value = l.table[0][column];
            cell.marker = CWerte::MarkerDerived;
        }
    }
}

void CWdw::OnUnitChanged(CWerte& value) {
    for (WallLayer& l : layers) {
        l.thickness.displayUnit = value.displayUnit;
        SaveUnitChoice(l.thickness);
    }
}

int CWdw::CheckInputs(std::string& message, std::vector<int>* ids) {
    message.clear();
    int failed = 0;
    for (int i = 0; i < 5; ++i) {
        const WallLayer& l = layers[i];
        if (l.thickness.value != 0 && l.conductivity.value != 0 && l.resistance.value != 0) {
            message += vx::Format(vx::LoadString(IDS_SCHICHT_ENTWEDER), i + 1);
            message += "\r\n";
            if (ids) ids->push_back(l.resistance.valueId);
            failed = 1;
        }
    }
    std::string one;
    layers[0].thickness.CheckRange(one, ids, &failed);
    message += one;
    for (int i = 1; i < 5; ++i) {
        if (layers[i].thickness.value == 0) continue;
        layers[i].thickness.CheckRange(one, ids, &failed);
        message += one;
        layers[i].resistance.CheckRange(one, ids, &failed);
        message += one;
    }
    return failed;
}
