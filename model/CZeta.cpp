#include "model/CZeta.h"

#include "model/ChainHelpers.h"
#include "model/ModelText.h"
#include "platform/Archive.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "values/ArchiveFormat.h"
#include "values/Rounding.h"

#include <algorithm>
#include <cmath>

namespace {

struct Point {
    double x, y;
};

// Linear between the points; the end values beyond them.
template <size_t N>
double Polyline(const Point (&p)[N], double x) {
    if (x <= p[0].x) return p[0].y;
    for (size_t i = 1; i < N; ++i)
        if (x <= p[i].x) return p[i - 1].y + (p[i].y - p[i - 1].y) * (x - p[i - 1].x) / (p[i].x - p[i - 1].x);
    return p[N - 1].y;
}

double Round2(double x) { return RoundToStep(x, 100); }

double CosDegrees(double angle) { return std::cos(angle * kPi / 180); }

} // namespace

const CZeta::Settings& CZeta::ProfileSettings() {
    static const Settings settings = [] {
        auto read = [](const char* key, const char* def) {
            return vx::ParseDouble(vx::Profile().GetString("ZETA", key, def));
        };
        Settings s;
        s.countMax = read("AnzZETAmax", "10");
        s.zetaMin = read("ZETAmin", "-100");
        s.zetaMax = read("ZETAmax", "100");
        s.soundMin = read("PSchallmin", "0");
        s.soundMax = read("PSchallmax", "1000");
        s.soundZetaMin = read("PZetachallmin", "0");
        s.soundZetaMax = read("PZetachallmax", "5");
        s.pressureUnit = uint16_t(vx::ParseLong(vx::Profile().GetString("ZETA", "0x0000", "768 # 0x0300")));
        s.damperClosed = read("KlappeZu", "50.0");
        s.damperOpen = read("KlappeAuf", "1.2");
        return s;
    }();
    return settings;
}

CZeta::CZeta() {
    const uint16_t msg = IDS_WERTEBEREICH;
    // The section's limits are read but, as the stored lists expect, not applied.
    for (int i = 0; i < ElementCount; ++i) {
        ZetaElement& el = elements[i];
        el.count.Init(uint16_t(10 * i + 1), 0, 0, 0, 2, 0, 0, 0, 0, msg, 0, 0, false);
        el.text.Init(uint16_t(10 * i + 2), 0, 0, 0, 0xFFFF, 0, 0, 0, 0, 0, 0, 0, false);
        el.angle.Init(uint16_t(10 * i + 3), 0, 0, 0, 8, 0, 0, 0, 0, msg, 0, 0, false);
        el.zeta.Init(uint16_t(10 * i + 4), 0, 0, 0, 4, 0, 0, 0, 0, msg, 0, 0, false);
    }
    extraValue.Init(101, 0, 0, 0, 4, 0, 0, 0, 0, msg, 0, 0, false);
    manualZeta.Init(102, 0, 0, 0, 4, 0, 0, 0, 0, msg, 0, 0, false);
    contractionMode.Init(103, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, false);
    contractionZeta.Init(104, 0, 0, 0, 4, 0, 0, 0, 0, msg, 0, 0, false);
    contractionAngle.Init(105, 0, 0, 0, 8, 0, 0, 0, 0, msg, 0, 0, false);
    enlargementMode.Init(106, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, false);
    enlargementZeta.Init(107, 0, 0, 0, 4, 0, 0, 0, 0, msg, 0, 0, false);
    enlargementAngle.Init(108, 0, 0, 0, 8, 0, 0, 0, 0, msg, 0, 0, false);
    damperKind.Init(109, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, false);
    damperOpenZeta.Init(110, 0, 0, 0, 4, 0, 0, 0, 2, msg, 0, 0, false);
    damperClosedZeta.Init(111, 0, 0, 0, 4, 0, 0, 0, 2, msg, 0, 0, false);
    damperOpenZeta.value = ProfileSettings().damperOpen;
    damperClosedZeta.value = ProfileSettings().damperClosed;
    ResetAll();
}

CZeta& CZeta::operator=(const CZeta& other) {
    if (this == &other) return *this;
    for (int i = 0; i < ElementCount; ++i) elements[i] = other.elements[i];
    extraText1 = other.extraText1;
    extraText2 = other.extraText2;
    extraValue = other.extraValue;
    manualZeta = other.manualZeta;
    noManualZeta = other.noManualZeta;
    contractionMode = other.contractionMode;
    contractionZeta = other.contractionZeta;
    contractionAngle = other.contractionAngle;
    enlargementMode = other.enlargementMode;
    enlargementZeta = other.enlargementZeta;
    enlargementAngle = other.enlargementAngle;
    damperKind = other.damperKind;
    damperOpenZeta = other.damperOpenZeta;
    damperClosedZeta = other.damperClosedZeta;
    listTag = other.listTag;
    flags = other.flags;
    stateWord = other.stateWord;
    return *this;
}

double CZeta::BendCurve(int kind, double a) {
    static const Point kA[] = {{10, 0.1}, {30, 0.2}, {45, 0.3}, {60, 0.5}, {90, 1.2}};
    static const Point kB[] = {{10, 0.1}, {30, 0.3}, {45, 0.4}, {60, 0.7}, {90, 1.6}};
    if (a > 90) a -= 90;
    if (a == 0) return 0;
    return Polyline(kind == 2 ? kB : kA, a);
}

double CZeta::CurveC(double a) {
    if (a < 10) return 0.1;
    static const Point kLow[] = {{10, 0.1}, {30, 0.3}, {45, 0.7}, {60, 1.0}};
    if (a <= 60) return Polyline(kLow, a);
    // Above 60 degrees the curve starts again from 0.7, as the program has it.
    static const Point kHigh[] = {{60, 0.7}, {90, 1.4}};
    return Polyline(kHigh, a);
}

double CZeta::ContractionByRatio(double g) {
    static const Point k[] = {{0, 0.6}, {0.2, 0.45}, {0.4, 0.33}, {0.6, 0.25}, {0.8, 0.15}, {1.0, 0}};
    return g > 1 ? 0 : Polyline(k, g);
}

double CZeta::EnlargementByRatio(double g) {
    static const Point k[] = {{0, 1.0}, {0.2, 0.7}, {0.4, 0.4}, {0.6, 0.2}, {0.8, 0.1}, {1.0, 0}};
    return g > 1 ? 0 : Polyline(k, g);
}

double CZeta::ConicalContraction(double a, double l) {
    if (a < 30 || !(l < 1)) return 0;
    // Values at 30, 60 and 90 degrees by bands of the area ratio.
    static const double kBands[4][3] = {
        {0.05, 0.08, 0.19},  // l <= 0.1
        {0.05, 0.07, 0.17},  // l <= 0.25
        {0.05, 0.07, 0.14},  // l <= 0.45
        {0.04, 0.06, 0.10},  // l <= 1
    };
    const double* v = kBands[l <= 0.1 ? 0 : l <= 0.25 ? 1 : l <= 0.45 ? 2 : 3];
    const Point curve[] = {{30, v[0]}, {60, v[1]}, {90, v[2]}};
    return Polyline(curve, a);
}

double CZeta::ConicalEnlargement(double a, double t) {
    if (a < 10 || !(t < 1)) return 0;
    // Rows by angle: the values at t <= 0.25, t = 0.33 and t >= 0.5.
    static const double kAngles[] = {10, 15, 20, 30, 40, 60};
    static const double kRows[6][3] = {
        {0.17, 0.13, 0.07}, {0.28, 0.21, 0.12}, {0.38, 0.30, 0.16},
        {0.52, 0.40, 0.22}, {0.62, 0.48, 0.27}, {0.63, 0.50, 0.28},
    };
    auto row = [t](const double* v) {
        const Point p[] = {{0.25, v[0]}, {0.33, v[1]}, {0.5, v[2]}};
        return Polyline(p, t);
    };
    if (a >= 60) return row(kRows[5]);
    int i = 0;
    while (kAngles[i + 1] <= a) ++i;
    const double lo = row(kRows[i]), hi = row(kRows[i + 1]);
    return lo + (hi - lo) * (a - kAngles[i]) / (kAngles[i + 1] - kAngles[i]);
}

double CZeta::CalcJunctionZeta1(int i, double a, double b, double c, double d, double angle) {
    double z = 0;
    if (a != 0 && b != 0 && c != 0 && d != 0) {
        const double m = c / d;
        const double w = b >= a ? b / a : 1;
        const double r = b >= a ? b / a : 1;
        const double cs = CosDegrees(angle);
        z = (1 - m) * c * (2 - 1 / w) / d -
            (m * m * ((cs * w - 1) * 1.2 + (1 - w * w) * 0.8 - cs * (1 - 1 / w) * r) + (1 - m) * (1 - m) * 0.92);
    }
    if (i >= 0 && i < ElementCount) {
        elements[i].zeta.value = Round2(z);
        elements[i].count.value = 1;
    }
    return z;
}

double CZeta::EvaluateJunctions(int formula, double a, double b, double c, double d) {
    double sum = 0;
    for (int i = 0; i < FreeElements; ++i) {
        if (elements[i].kind != 12) continue;
        const double angle = elements[i].angle.value;
        if (formula == 2) CalcJunctionZeta2(i, a, b, c, d, angle);
        else CalcJunctionZeta1(i, a, b, c, d, angle);
        sum += elements[i].zeta.value;
    }
    return sum;
}

double CZeta::CalcJunctionZeta2(int i, double a, double b, double c, double d, double angle) {
    double z = 0;
    if (a != 0 && b != 0 && c != 0 && d != 0) {
        const double m = c / d;
        const double w = b >= a ? b / a : 1;
        const double cs = CosDegrees(angle);
        z = (1 - m) * (1 - m) * 0.03 - m * m * ((cs * w - 1) * 1.62 + 1 - (1 - 1 / w) * 0.38) +
            (1 - m) * c * (2 - 1 / w) / d;
    }
    if (i >= 0 && i < ElementCount) {
        elements[i].zeta.value = Round2(z);
        elements[i].count.value = 1;
    }
    return z;
}

namespace {

// A transition whose coefficient the user typed: it counts once as entered.
void SetManualTransition(ZetaElement& el, const CWDouble& typed, int kind) {
    el.zeta.value = typed.value;
    el.zeta.marker = 0;
    el.count.value = 1;
    el.text.text = vx::LoadString(IDS_UEBERGANG_MANUELL);
    el.kind = kind;
}

// A computed transition counts only while its coefficient is not 0; the
// section's shown coefficient follows it.
void SetComputedTransition(ZetaElement& el, CWDouble& shown, double z) {
    el.zeta.value = Round2(z);
    el.zeta.marker = CWerte::MarkerDerived;
    el.count.value = el.zeta.value != 0 ? 1 : 0;
    shown.value = el.zeta.value;
    shown.marker = CWerte::MarkerDerived;
}

} // namespace

void CZeta::ClearElement(int i) {
    ZetaElement& el = elements[i];
    el.kind = 0;
    el.count.value = 0;
    el.text.text.clear();
    el.byAngle = 0;
    el.zeta.marker = 0;
    el.givenValue = 0;
    el.angle.value = 0;
    el.zeta.value = 0;
    el.tag = 0;
    el.spare = 1;
}

void CZeta::ResetAll() {
    for (int i = 0; i < ElementCount; ++i) ClearElement(i);
}

void CZeta::ComputeElement(int i) {
    ZetaElement& el = elements[i];
    if (el.kind == 0) return;
    if (el.count.value == 0) el.count.value = 1;
    const double n = el.count.value;
    const double a = el.angle.value;
    double z;
    switch (el.kind) {
    case 1:
    case 2: {
        const double reduced = a > 90 ? a - 90 : a;
        // Up to 10 degrees one small value, whatever the count.
        z = reduced > 0 && reduced <= 10 ? 0.1 : BendCurve(el.kind, a) * n;
        break;
    }
    case 3: case 4: case 5: case 6: case 7: case 8: {
        static const double kEnds[9][2] = {{0, 0}, {0, 0}, {0, 0}, {0.6, 1.0}, {1.0, 1.2},
                                           {0.2, 0.25}, {0.3, 0.3}, {0.1, 0.2}, {0.1, 0.2}};
        const double x = std::clamp(a, 60.0, 90.0);
        z = (kEnds[el.kind][0] + (kEnds[el.kind][1] - kEnds[el.kind][0]) * (x - 60) / 30) * n;
        break;
    }
    case 12:
        el.count.value = 1;
        z = CalcJunctionZeta1(-1, 1, 1, 1, 1, 90);
        break;
    case 14:
        el.count.value = 1;
        z = CurveC(a);
        break;
    case 15: case 16: case 17: case 18:
        return;  // transitions are formed from the areas by Calculate
    default:
        z = el.givenValue * n;
        break;
    }
    el.zeta.value = Round2(z);
    el.zeta.marker = CWerte::MarkerDerived;
}

int CZeta::AddResistance(int kind, double value, int tag, int, int count) {
    for (int i = 0; i < FreeElements; ++i) {
        ZetaElement& el = elements[i];
        if (el.count.value != 0) continue;
        el.kind = uint16_t(kind);
        el.count.value = count;
        el.tag = tag;
        if (kind >= 1 && kind <= 8) {
            el.byAngle = 1;
            el.angle.value = value;
            el.angle.marker = CWerte::MarkerDerived;
            el.givenValue = 0.7;
        } else if (kind == 12) {
            // The junction formula reads the angle of the branch.
            el.angle.value = value;
        }
        ComputeElement(i);
        return i;
    }
    return -1;
}

void CZeta::RemoveResistance(int kind, int tag) {
    for (int i = 0; i < FreeElements; ++i)
        if (elements[i].kind == kind && elements[i].tag == tag) {
            ClearElement(i);
            return;
        }
}

double CZeta::Calculate(double ownArea, double areaB, double areaC, double d, double e, bool noTransitions) {
    for (int i = 0; i < FreeElements; ++i) {
        ZetaElement& el = elements[i];
        if (el.kind == 12) el.zeta.value = CalcJunctionZeta1(-1, areaB, ownArea, d, e, el.angle.value);
        else if (el.kind >= 1 && el.kind <= 8) ComputeElement(i);
    }
    flags = 0;

    ZetaElement& up = elements[Enlargement];
    if (ownArea < areaC && enlargementMode.value < 3 && !noTransitions) {
        up.text.text = vx::LoadString(IDS_UEBERGANG_KLEIN_GROSS);
        up.byAngle = 0;
        if (enlargementMode.value == 2) {
            SetManualTransition(up, enlargementZeta, 17);
        } else {
            double z;
            if (enlargementMode.value == 1) {
                up.kind = 18;
                up.text.text = vx::LoadString(IDS_UEBERGANG_KONISCH);
                up.byAngle = 1;
                up.angle.value = enlargementAngle.value;
                // The cone widens from the section below to the one above.
                z = ConicalEnlargement(enlargementAngle.value, areaB / areaC);
                flags |= WarnConicalEnlargement;
            } else {
                up.kind = 17;
                z = EnlargementByRatio(ownArea / areaC);
            }
            SetComputedTransition(up, enlargementZeta, z);
        }
    } else {
        ClearElement(Enlargement);
        // A coefficient typed by hand stays for the time the areas call for it again.
        if (enlargementMode.value != 2) {
            enlargementZeta.value = 0;
            enlargementZeta.marker = 0;
        }
    }

    ClearElement(Element5);
    ClearElement(Contraction);
    ZetaElement& down = elements[Contraction];
    if (areaB > ownArea && contractionMode.value < 3) {
        if (contractionMode.value == 2) {
            SetManualTransition(down, contractionZeta, 15);
        } else {
            double z;
            if (contractionMode.value == 1) {
                down.kind = 16;
                down.text.text = vx::LoadString(IDS_UEBERGANG_KONISCH);
                down.byAngle = 1;
                down.angle.value = contractionAngle.value;
                z = ConicalContraction(contractionAngle.value, ownArea / areaB);
            } else {
                down.kind = 15;
                down.text.text = vx::LoadString(IDS_UEBERGANG_GROSS_KLEIN);
                const double g = ownArea / areaB;
                z = ContractionByRatio(g);
                if (g < 0.4 || g > 0.8) flags |= WarnContractionRatio;
            }
            SetComputedTransition(down, contractionZeta, z);
        }
    } else if (contractionMode.value != 2) {
        contractionZeta.value = 0;
        contractionZeta.marker = 0;
    }

    double sum = 0;
    for (ZetaElement& el : elements) {
        el.zeta.value = Round2(el.zeta.value);
        sum += el.zeta.value;
    }
    if (noManualZeta == 0) sum += manualZeta.value;
    return sum;
}

void CZeta::Serialize(vx::Archive& ar) {
    const int v = ArchiveFormat(ar);
    for (ZetaElement& el : elements) {
        el.count.Serialize(ar);
        el.text.Serialize(ar);
        el.angle.Serialize(ar);
        el.zeta.Serialize(ar);
        int32_t kind = el.kind;
        ar.Exchange(kind);
        el.kind = uint16_t(kind);
        ar.Exchange(el.byAngle);
        ar.Exchange(el.givenValue);
        ar.Exchange(el.secondValue);
        ar.Exchange(el.spare);
        if (v >= 2) ar.Exchange(listTag);
        if (v >= 16) ar.Exchange(el.tag);
    }
    extraText2.Serialize(ar);
    extraValue.Serialize(ar);
    if (v >= 19) {
        manualZeta.Serialize(ar);
        ar.Exchange(noManualZeta);
        extraText1.Serialize(ar);
    } else if (ar.IsLoading()) {
        noManualZeta = 1;
        extraText1.text.clear();
    }
    contractionMode.Serialize(ar);
    contractionZeta.Serialize(ar);
    contractionAngle.Serialize(ar);
    enlargementMode.Serialize(ar);
    enlargementZeta.Serialize(ar);
    if (v >= 2) enlargementAngle.Serialize(ar);
    SerializeStateWord(ar);
    if (v >= 4) {
        damperKind.Serialize(ar);
        damperOpenZeta.Serialize(ar);
        damperClosedZeta.Serialize(ar);
    }
}

void CZeta::LoadDefault(CWerte& value) {
    for (int i = 0; i < FreeElements; ++i)
        if (&value == &elements[i].zeta) {
            ComputeElement(i);
            elements[i].zeta.marker = CWerte::MarkerDerived;
        }
    if (&value == &damperClosedZeta) {
        damperClosedZeta.value = ProfileSettings().damperClosed;
        damperClosedZeta.marker = CWerte::MarkerDerived;
    } else if (&value == &damperOpenZeta) {
        damperOpenZeta.value = ProfileSettings().damperOpen;
        damperOpenZeta.marker = CWerte::MarkerDerived;
    }
}

int CZeta::OnValueChanged(CWerte& value) {
    for (int i = 0; i < FreeElements; ++i) {
        ZetaElement& el = elements[i];
        if (&value == &el.count) {
            if (el.count.value == 0) ClearElement(i);
            return 1;
        }
        if (&value == &el.angle) {
            // A coefficient typed by hand outlives a new angle.
            const double shown = el.zeta.value;
            const bool typed = el.zeta.marker == 0;
            ComputeElement(i);
            if (typed && el.zeta.value != shown) {
                el.zeta.value = shown;
                el.zeta.marker = 0;
            }
            return 1;
        }
    }
    if (&value == &damperClosedZeta || &value == &damperOpenZeta) {
        CWDouble& cell = static_cast<CWDouble&>(value);
        const double def = &value == &damperClosedZeta ? ProfileSettings().damperClosed : ProfileSettings().damperOpen;
        cell.marker = cell.value != def ? 0 : CWerte::MarkerDerived;
        return 1;
    }
    return 0;
}

int CZeta::CheckInputs(std::string& message, std::vector<int>* ids) {
    message.clear();
    int failed = 0;
    std::string one;
    auto check = [&](CWerte& c) {
        c.CheckRange(one, ids, &failed);
        message += one;
    };
    for (int i = 0; i < FreeElements; ++i) {
        ZetaElement& el = elements[i];
        if (el.kind == 0) continue;
        check(el.count);
        if (el.byAngle) check(el.angle);
        check(el.zeta);
    }
    check(extraValue);
    check(manualZeta);
    if (contractionMode.value == 1) check(contractionAngle);
    if (contractionMode.value == 2) check(contractionZeta);
    if (enlargementMode.value == 1) check(enlargementAngle);
    if (enlargementMode.value == 2) check(enlargementZeta);
    return failed;
}
