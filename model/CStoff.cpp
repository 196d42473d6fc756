#include "model/CStoff.h"

#include "model/CGrunddaten.h"
#include "model/FuelTable.h"
#include "model/ModelText.h"
#include "platform/Archive.h"
#include "values/ArchiveFormat.h"
#include "values/Rounding.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

double AirPressure(const CGrunddaten* site) { return site ? site->airPressure.value : 0.0; }
double GasConstantAir(const CGrunddaten* site) { return site ? site->gasConstantAir.value : 0.0; }
double MinReynolds(const CGrunddaten* site) { return site ? site->minReynolds.value : 0.0; }

} // namespace

CStoff::CStoff(CGrunddaten* s) : site(s) {}

CWDouble* CStoff::Cell(int n) {
    CWDouble* cells[] = {&firstValue, &cp,       &gasConstant, &h2o,         &dewPoint,        &dryLength,
                         &dewPointIncrement, &lambda, &eta,  &rho,         &w,               &reynolds,
                         &prandtl,    &nusselt,  &alphaInner,  &psi,         &psiSmooth,       &partialPressure,
                         &rhoInlet,   &wInlet,   &rhoOutlet,   &wOutlet,     &wallResistance};
    return cells[n - 1];
}

CStoff& CStoff::operator=(const CStoff& other) {
    if (this == &other) return *this;
    // Every cell but the dew-point increment, in the record's order.
    firstValue = other.firstValue;
    cp = other.cp;
    gasConstant = other.gasConstant;
    h2o = other.h2o;
    dewPoint = other.dewPoint;
    dryLength = other.dryLength;
    lambda = other.lambda;
    eta = other.eta;
    rho = other.rho;
    w = other.w;
    reynolds = other.reynolds;
    prandtl = other.prandtl;
    nusselt = other.nusselt;
    alphaInner = other.alphaInner;
    psi = other.psi;
    psiSmooth = other.psiSmooth;
    partialPressure = other.partialPressure;
    rhoInlet = other.rhoInlet;
    wInlet = other.wInlet;
    rhoOutlet = other.rhoOutlet;
    wOutlet = other.wOutlet;
    wallResistance = other.wallResistance;
    state = other.state;
    reynoldsFloored = other.reynoldsFloored;
    site = other.site;
    return *this;
}

void CStoff::Serialize(vx::Archive& ar) {
    const int v = ArchiveFormat(ar);
    for (int n = 1; n <= 5; ++n) Cell(n)->Serialize(ar);
    if (v >= 40) dryLength.Serialize(ar);
    for (int n = 8; n <= 23; ++n) Cell(n)->Serialize(ar);
    if (ar.IsStoring()) ar << state;
    else ar >> state;
    if (v >= 2) {
        if (ar.IsStoring()) ar << reynoldsFloored;
        else ar >> reynoldsFloored;
    }
}

void CStoff::CalcGasConstant(int fuel, double co2) {
    const FuelRow& row = FuelRowAt(fuel);
    const double fR = state == 1 ? row.fRDry : row.fRWet;
    gasConstant.value = GasConstantAir(site) * (1 + fR * co2);
}

void CStoff::CalcWaterVapour(int fuel, double co2) {
    if (co2 == 0) {
        h2o.value = 1.1;
        return;
    }
    h2o.value = 100 / (FuelRowAt(fuel).fw / co2 + 1) + 1.1;
}

void CStoff::CalcDewPoint() {
    if (h2o.value == 0) {
        dewPoint.value = 0;
        return;
    }
    partialPressure.value = h2o.value / 100 * AirPressure(site);
    dewPoint.value = 4077.9 / (23.6448 - std::log(partialPressure.value)) - 236.67;
}

void CStoff::CalcFromFuelTable(int fuel) {
    const FuelRow& row = FuelRowAt(fuel);
    dewPointIncrement.value = row.dewA + row.dewB * std::log(2.0);
}

void CStoff::CalcDensity(double t) { rho.value = AirPressure(site) / (gasConstant.value * (t + 273.15)); }

void CStoff::CalcVelocity(double m, double area) { w.value = m / area / rho.value; }

void CStoff::CalcViscosity(double t) { eta.value = 0.000015 + 4.7e-8 * t - 2e-11 * t * t; }

double CStoff::VelocityFloor(double area) {
    // The second program's velocity floor grows with the section.
    return ActiveModelProgram() == ModelProgram::Tarsilo ? 0.5 * std::pow(area / 0.01, 0.25) : 0.5;
}

void CStoff::CalcReynolds(double dh, double area) { CalcReynoldsAbove(dh, VelocityFloor(area)); }

void CStoff::CalcReynoldsAbove(double dh, double floor) {
    reynolds.value = std::max(w.value, floor) * dh * rho.value / eta.value;
    if (reynolds.value < MinReynolds(site)) {
        reynolds.value = MinReynolds(site);
        reynoldsFloored = 1;
    } else {
        reynoldsFloored = 0;
    }
}

void CStoff::CalcConductivity(double t) { lambda.value = 0.0223 + 0.000065 * t; }

void CStoff::CalcSpecificHeat(double t, double co2, double c0, double c1, double c2, double f) {
    cp.value = ((c0 + c1 * t + c2 * t * t) * co2 + 1011 + 0.05 * t + 0.0003 * t * t) / (1 + f * co2);
}

void CStoff::CalcPrandtl() { prandtl.value = eta.value * cp.value / lambda.value; }

namespace {

// Results remembered by the exact bits of the N inputs they depend on alone:
// a diagram or a table repeats many of them (the connecting piece has the
// same inputs at every height and size). Bounded, one entry a slot; a
// remembered result is the one the computation gives. The calculation runs
// on the window thread only.
template <int N, size_t Size>
class ExactMemo {
public:
    using Key = std::array<double, N>;
    bool Find(const Key& key, double& x) const {
        const Entry& e = entries_[Slot(key)];
        if (e.generation != generation_) return false;
        const KeyBits bits = Bits(key);
        for (int i = 0; i < N; ++i)
            if (e.bits[size_t(i)] != bits[size_t(i)]) return false;
        x = e.x;
        return true;
    }
    void Keep(const Key& key, double x) { entries_[Slot(key)] = {Bits(key), x, generation_}; }
    void Forget() { ++generation_; }

private:
    using KeyBits = std::array<uint64_t, N>;
    struct Entry {
        KeyBits bits{};
        double x = 0;
        uint64_t generation = 0;  // 0: never kept
    };
    static KeyBits Bits(const Key& key) {
        KeyBits b;
        std::memcpy(b.data(), key.data(), sizeof b);
        return b;
    }
    static size_t Slot(const Key& key) {
        // Independent products, so that they overlap; the high half mixes best.
        static constexpr uint64_t kMul[4] = {0x9E3779B97F4A7C15ull, 0xC2B2AE3D27D4EB4Full, 0x165667B19E3779F9ull,
                                             0x94D049BB133111EBull};
        const KeyBits b = Bits(key);
        uint64_t h = 0;
        for (int i = 0; i < N; ++i) h += b[size_t(i)] * kMul[i];
        return size_t(h >> 40) & (Size - 1);
    }
    std::vector<Entry> entries_ = std::vector<Entry>(Size);
    uint64_t generation_ = 1;
};

// Colebrook solves by (Re, d_h, r).
class FrictionMemo : public ExactMemo<3, 8192> {
public:
    bool Find(double re, double dh, double r, double& x) const { return ExactMemo::Find({re, dh, r}, x); }
    void Keep(double re, double dh, double r, double x) { ExactMemo::Keep({re, dh, r}, x); }
};

// The Nusselt number's powers, by (psi, psi_smooth, Re, Pr).
using NusseltMemo = ExactMemo<4, 4096>;

NusseltMemo& Powers() {
    static NusseltMemo memo;
    return memo;
}

FrictionMemo& Memo() {
    static FrictionMemo memo;
    return memo;
}

// The iteration from its fixed start until two rounded friction factors agree.
double SolveColebrook(double re, double dh, double r) {
    const double relative = r / (3.71 * dh);
    double x = 0.00002, previous = 0;
    double rounded = RoundToStep(x, 100000), roundedPrevious = RoundToStep(previous, 100000);
    for (int round = 0; round < 50; ++round) {
        if (rounded == roundedPrevious) break;
        previous = x;
        roundedPrevious = rounded;
        const double root = 1 / (-2 * std::log10(2.51 / (re * std::sqrt(previous)) + relative));
        x = root * root;
        rounded = RoundToStep(x, 100000);
    }
    return x;
}

// Up to kMaxSolves solves side by side: each is the iteration SolveColebrook
// does, step for step, but the processor works on one while another waits
// for its logarithm.
constexpr int kMaxSolves = 4;

void SolveColebrookSideBySide(int n, const double re[], double dh, const double r[], double x[]) {
    double relative[kMaxSolves], previous[kMaxSolves], rounded[kMaxSolves], roundedPrevious[kMaxSolves];
    int round[kMaxSolves];
    bool done[kMaxSolves];
    int open = n;
    for (int i = 0; i < n; ++i) {
        relative[i] = r[i] / (3.71 * dh);
        x[i] = 0.00002;
        previous[i] = 0;
        rounded[i] = RoundToStep(x[i], 100000);
        roundedPrevious[i] = RoundToStep(previous[i], 100000);
        round[i] = 0;
        done[i] = false;
    }
    while (open > 0) {
        for (int i = 0; i < n; ++i) {
            if (done[i]) continue;
            if (round[i] >= 50 || rounded[i] == roundedPrevious[i]) {
                done[i] = true;
                --open;
                continue;
            }
            ++round[i];
            previous[i] = x[i];
            roundedPrevious[i] = rounded[i];
            const double root = 1 / (-2 * std::log10(2.51 / (re[i] * std::sqrt(previous[i])) + relative[i]));
            x[i] = root * root;
            rounded[i] = RoundToStep(x[i], 100000);
        }
    }
}

} // namespace

void CStoff::ForgetRememberedResults() {
    Memo().Forget();
    Powers().Forget();
}

void CStoff::Colebrook(double dh, double r) {
    const double re = reynolds.value;
    double x;
    if (!Memo().Find(re, dh, r, x)) {
        x = SolveColebrook(re, dh, r);
        Memo().Keep(re, dh, r, x);
    }
    (r != 0 ? psi : psiSmooth).value = x;
}

void CStoff::ColebrookRoughAndSmooth(double dh, double r) {
    CStoff* self = this;
    ColebrookRoughAndSmooth(&self, 1, dh, r);
}

void CStoff::ColebrookRoughAndSmooth(CStoff* const* records, int n, double dh, double r) {
    // The solves each record asks for: psi and psiSmooth, or psiSmooth alone for a smooth wall.
    double re[kMaxSolves], rs[kMaxSolves], x[kMaxSolves];
    CWDouble* into[kMaxSolves];
    int count = 0;
    for (int i = 0; i < n && count + 2 <= kMaxSolves; ++i) {
        CStoff& s = *records[i];
        if (r != 0) {
            re[count] = s.reynolds.value;
            rs[count] = r;
            into[count++] = &s.psi;
        }
        re[count] = s.reynolds.value;
        rs[count] = 0;
        into[count++] = &s.psiSmooth;
    }
    double missRe[kMaxSolves], missR[kMaxSolves], missX[kMaxSolves];
    int missAt[kMaxSolves], misses = 0;
    for (int i = 0; i < count; ++i) {
        if (Memo().Find(re[i], dh, rs[i], x[i])) continue;
        missRe[misses] = re[i];
        missR[misses] = rs[i];
        missAt[misses++] = i;
    }
    if (misses > 0) {
        SolveColebrookSideBySide(misses, missRe, dh, missR, missX);
        for (int j = 0; j < misses; ++j) {
            x[missAt[j]] = missX[j];
            Memo().Keep(missRe[j], dh, missR[j], missX[j]);
        }
    }
    for (int i = 0; i < count; ++i) into[i]->value = x[i];
}

double CStoff::EntranceFactor(double dh, double length) { return 1 + std::pow(dh / length, 0.67); }

void CStoff::CalcNusselt(double dh, double length) { CalcNusseltWith(EntranceFactor(dh, length)); }

void CStoff::CalcNusseltWith(double entrance) {
    const NusseltMemo::Key key{psi.value, psiSmooth.value, reynolds.value, prandtl.value};
    double powers;
    if (!Powers().Find(key, powers)) {
        powers = 0.0214 * std::pow(psi.value / psiSmooth.value, 0.67) * (std::pow(reynolds.value, 0.8) - 100) *
                 std::pow(prandtl.value, 0.4);
        Powers().Keep(key, powers);
    }
    nusselt.value = powers * entrance;
}

void CStoff::CalcInnerAlpha(double dh) { alphaInner.value = nusselt.value * lambda.value / dh; }

void CStoff::MixGasConstant(double length, int fuel, double co2) {
    state = 1;
    CalcGasConstant(fuel, co2);
    const double dry = gasConstant.value;
    state = 2;
    CalcGasConstant(fuel, co2);
    const double wet = gasConstant.value;
    const double l = dryLength.value;
    if (l <= 0) {
        state = 2;
        gasConstant.value = wet;
    } else if (l >= length) {
        state = 1;
        gasConstant.value = dry;
    } else {
        state = 2;
        gasConstant.value = (wet * (length - l) + dry * l) / length;
    }
}
