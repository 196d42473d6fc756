// The single resistances of one flow section: bends, junctions, dampers,
// cross-section transitions and hand-entered coefficients, and the sum of
// their coefficients zeta.
#pragma once

#include "values/CVxtBase.h"
#include "values/CWDouble.h"
#include "values/CWShort.h"
#include "values/CWString.h"

struct ZetaElement {
    uint16_t kind = 0;  // 0 = empty
    CWShort count;      // 0 = element free
    CWString text;
    CWDouble angle;     // degrees
    CWDouble zeta;      // marker 2 when computed, 0 when entered
    int32_t byAngle = 0;
    double givenValue = 0;  // coefficient of one fitting for kinds without a curve
    double secondValue = 0;
    int32_t spare = 1;
    int32_t tag = 0;        // the caller's key for removing the element
};

class CZeta : public CVxtBase {
public:
    enum { FreeElements = 4, Element5 = 4, Enlargement = 5, Contraction = 6, ElementCount = 7 };
    enum : int32_t { WarnConicalEnlargement = 0x20, WarnContractionRatio = 0x40 };

    CZeta();
    CZeta(const CZeta& other) : CZeta() { *this = other; }
    CZeta& operator=(const CZeta& other);

    // Takes the first free one of elements 1 to 4; its index, or -1 when all are in use.
    int AddResistance(int kind, double value, int tag, int unused, int count);
    void RemoveResistance(int kind, int tag);
    void ClearElement(int i);
    void ResetAll();
    void ComputeElement(int i);
    // The sum of the coefficients for a section of ownArea between areaB
    // (below) and areaC (above); d and e feed the junction formula.
    double Calculate(double ownArea, double areaB, double areaC, double d, double e, bool noTransitions);
    // With i below 0 only the value; otherwise also stored in element i.
    double CalcJunctionZeta1(int i, double a, double b, double c, double d, double angle);
    double CalcJunctionZeta2(int i, double a, double b, double c, double d, double angle);
    // Every junction element of the list by formula 1 or 2 at its own angle,
    // each stored rounded to 2 decimals; returns their sum (0 without one).
    double EvaluateJunctions(int formula, double a, double b, double c, double d);

    void Serialize(vx::Archive& ar);

    void LoadDefault(CWerte& value) override;
    void SaveDefaults() override {}
    void OnUnitChanged(CWerte&) override {}
    int OnValueChanged(CWerte& value) override;
    void UpdateDependentValues() override {}
    std::string GetName() override { return "ZETA"; }
    // Non-zero when a check failed.
    int CheckInputs(std::string& message, std::vector<int>* ids) override;

    ZetaElement elements[ElementCount];
    CWString extraText1, extraText2;
    CWDouble extraValue;
    CWDouble manualZeta;
    int32_t noManualZeta = 0;
    CWShort contractionMode;  // 0 area ratio, 1 conical, 2 by hand, 3 or more none
    CWDouble contractionZeta;
    CWDouble contractionAngle;
    CWShort enlargementMode;
    CWDouble enlargementZeta;
    CWDouble enlargementAngle;
    CWShort damperKind;
    CWDouble damperOpenZeta;
    CWDouble damperClosedZeta;
    int32_t listTag = 0;
    int32_t flags = 0;

    // Section "ZETA", read with the first list of the process.
    struct Settings {
        double countMax, zetaMin, zetaMax, soundMin, soundMax, soundZetaMin, soundZetaMax;
        uint16_t pressureUnit;
        double damperClosed, damperOpen;
    };
    static const Settings& ProfileSettings();

    // The coefficient curves, without the count.
    static double BendCurve(int kind, double angle);
    static double CurveC(double angle);
    static double ContractionByRatio(double g);
    static double EnlargementByRatio(double g);
    static double ConicalContraction(double angle, double ratio);
    static double ConicalEnlargement(double angle, double ratio);
};
