#include "model/CZeta.h"
#include "testsupport/model/ModelTestEnv.h"
#include "platform/Archive.h"

#include "platform/StringTable.h"
#include "testsupport/StoreAndLoad.h"
#include "values/Rounding.h"

#include <cmath>

namespace {

using Zeta = ModelTest;

TEST_F(Zeta, Bends) {
    CZeta z;
    EXPECT_EQ(z.GetName(), "ZETA");
    EXPECT_EQ(z.AddResistance(1, 45, 7, 0, 2), 0);
    EXPECT_DOUBLE_EQ(z.elements[0].zeta.value, 0.6);
    EXPECT_EQ(z.elements[0].zeta.marker, 2);
    EXPECT_EQ(z.elements[0].givenValue, 0.7);
    EXPECT_EQ(z.elements[0].byAngle, 1);
    EXPECT_EQ(z.AddResistance(1, 5, 8, 0, 3), 1);
    EXPECT_DOUBLE_EQ(z.elements[1].zeta.value, 0.1);  // whatever the count
    EXPECT_EQ(z.AddResistance(2, 135, 9, 0, 1), 2);     // beyond 90 degrees: 45
    EXPECT_DOUBLE_EQ(z.elements[2].zeta.value, 0.4);
    EXPECT_EQ(z.AddResistance(1, 0, 10, 0, 0), 3);      // count 0 becomes 1; angle 0 gives 0
    EXPECT_EQ(z.elements[3].count.value, 1);
    EXPECT_EQ(z.elements[3].zeta.value, 0.0);

    EXPECT_EQ(z.AddResistance(1, 90, 11, 0, 1), -1);  // all four in use
    for (int i = 0; i < 4; ++i) EXPECT_NE(z.elements[i].tag, 11);
    z.RemoveResistance(1, 8);
    EXPECT_EQ(z.elements[1].count.value, 0);
    EXPECT_EQ(z.elements[1].kind, 0);
    EXPECT_EQ(z.elements[1].spare, 1);
    EXPECT_EQ(z.AddResistance(1, 90, 11, 0, 1), 1);
    EXPECT_DOUBLE_EQ(z.elements[1].zeta.value, 1.2);
}

TEST_F(Zeta, CurvesOverTheAngle) {
    EXPECT_DOUBLE_EQ(CZeta::BendCurve(1, 20), 0.15);
    EXPECT_DOUBLE_EQ(CZeta::BendCurve(1, 75), 0.85);
    EXPECT_DOUBLE_EQ(CZeta::BendCurve(2, 52.5), 0.55);
    EXPECT_DOUBLE_EQ(CZeta::CurveC(5), 0.1);
    EXPECT_DOUBLE_EQ(CZeta::CurveC(20), 0.2);
    EXPECT_DOUBLE_EQ(CZeta::CurveC(50), 0.8);
    EXPECT_DOUBLE_EQ(CZeta::CurveC(60), 1.0);
    EXPECT_DOUBLE_EQ(CZeta::CurveC(75), 1.05);

    CZeta z;
    struct Case { int kind; double angle; double expected; };
    for (Case c : {Case{3, 75, 1.6}, {3, 30, 1.2}, {4, 120, 2.4}, {5, 90, 0.5}, {6, 70, 0.6}, {7, 60, 0.2},
                   {8, 75, 0.3}}) {
        z.ResetAll();
        ASSERT_EQ(z.AddResistance(c.kind, c.angle, 1, 0, 2), 0);
        EXPECT_DOUBLE_EQ(z.elements[0].zeta.value, c.expected) << c.kind << " at " << c.angle;
    }
    z.ResetAll();
    z.AddResistance(14, 0, 1, 0, 3);
    z.elements[0].angle.value = 50;
    z.ComputeElement(0);
    EXPECT_EQ(z.elements[0].count.value, 1);
    EXPECT_DOUBLE_EQ(z.elements[0].zeta.value, 0.8);
}

TEST_F(Zeta, GivenValuesAndJunctionElements) {
    CZeta z;
    ASSERT_EQ(z.AddResistance(9, 0, 1, 0, 2), 0);
    EXPECT_EQ(z.elements[0].zeta.value, 0.0);
    z.elements[0].givenValue = 0.45;
    z.ComputeElement(0);
    EXPECT_DOUBLE_EQ(z.elements[0].zeta.value, 0.9);

    // Degrees, not radians: 1.74 would be cos(90) taken in radians.
    ASSERT_EQ(z.AddResistance(12, 0, 2, 0, 1), 1);
    EXPECT_DOUBLE_EQ(z.elements[1].zeta.value, 1.2);
}

TEST_F(Zeta, JunctionFormulas) {
    CZeta z;
    const double a = 0.02, b = 0.03, c = 0.004, d = 0.01, angle = 45;
    const double m = c / d, w = b / a, r = b / a, cs = std::cos(45 * 3.141592654 / 180);
    const double f1 = (1 - m) * c * (2 - 1 / w) / d -
                      (m * m * ((cs * w - 1) * 1.2 + (1 - w * w) * 0.8 - cs * (1 - 1 / w) * r) + (1 - m) * (1 - m) * 0.92);
    const double f2 =
        (1 - m) * (1 - m) * 0.03 - m * m * ((cs * w - 1) * 1.62 + 1 - (1 - 1 / w) * 0.38) + (1 - m) * c * (2 - 1 / w) / d;
    EXPECT_DOUBLE_EQ(z.CalcJunctionZeta1(-1, a, b, c, d, angle), f1);
    EXPECT_DOUBLE_EQ(z.CalcJunctionZeta2(-1, a, b, c, d, angle), f2);
    EXPECT_EQ(z.elements[2].count.value, 0);
    z.CalcJunctionZeta2(2, a, b, c, d, angle);
    EXPECT_DOUBLE_EQ(z.elements[2].zeta.value, RoundToStep(f2, 100));
    EXPECT_EQ(z.elements[2].count.value, 1);
    // b below a: w and r are 1.
    const double f1Small = (1 - m) * c / d - (m * m * ((cs - 1) * 1.2) + (1 - m) * (1 - m) * 0.92);
    EXPECT_DOUBLE_EQ(z.CalcJunctionZeta1(-1, b, a, c, d, angle), f1Small);
    EXPECT_EQ(z.CalcJunctionZeta1(-1, 0, b, c, d, angle), 0.0);
    EXPECT_EQ(z.CalcJunctionZeta2(-1, a, b, c, 0, angle), 0.0);
}

TEST_F(Zeta, TransitionsFromTheAreaRatio) {
    vx::Strings().Set(IDS_UEBERGANG_GROSS_KLEIN, "\xDC" "bergang gro\xDF -> klein");
    vx::Strings().Set(IDS_UEBERGANG_KLEIN_GROSS, "\xDC" "bergang klein -> gro\xDF");
    CZeta z;
    // Contraction: this section is half the one below it.
    double sum = z.Calculate(0.05, 0.1, 0.05, 0, 0, false);
    EXPECT_DOUBLE_EQ(z.elements[CZeta::Contraction].zeta.value, 0.29);
    EXPECT_EQ(z.elements[CZeta::Contraction].kind, 15);
    EXPECT_EQ(z.elements[CZeta::Contraction].count.value, 1);
    EXPECT_EQ(z.elements[CZeta::Contraction].text.text, "\xDC" "bergang gro\xDF -> klein");
    EXPECT_DOUBLE_EQ(z.contractionZeta.value, 0.29);
    EXPECT_EQ(z.flags & CZeta::WarnContractionRatio, 0);
    EXPECT_DOUBLE_EQ(sum, 0.29);
    z.Calculate(0.03, 0.1, 0.03, 0, 0, false);
    EXPECT_DOUBLE_EQ(z.elements[CZeta::Contraction].zeta.value, 0.39);
    EXPECT_EQ(z.flags & CZeta::WarnContractionRatio, CZeta::WarnContractionRatio);

    // Enlargement: this section is half the one above it.
    sum = z.Calculate(0.05, 0.05, 0.1, 0, 0, false);
    EXPECT_DOUBLE_EQ(z.elements[CZeta::Enlargement].zeta.value, 0.3);
    EXPECT_EQ(z.elements[CZeta::Enlargement].kind, 17);
    EXPECT_EQ(z.elements[CZeta::Enlargement].text.text, "\xDC" "bergang klein -> gro\xDF");
    EXPECT_DOUBLE_EQ(z.enlargementZeta.value, 0.3);
    EXPECT_EQ(z.elements[CZeta::Contraction].kind, 0);
    EXPECT_DOUBLE_EQ(sum, 0.3);
    // No transitions asked for: no enlargement.
    EXPECT_EQ(z.Calculate(0.05, 0.05, 0.1, 0, 0, true), 0.0);

    // Equal areas: no transition elements and zero coefficients.
    EXPECT_EQ(z.Calculate(0.05, 0.05, 0.05, 0, 0, false), 0.0);
    for (int i : {CZeta::Element5, CZeta::Enlargement, CZeta::Contraction}) {
        EXPECT_EQ(z.elements[i].kind, 0);
        EXPECT_EQ(z.elements[i].count.value, 0);
    }
    EXPECT_EQ(z.contractionZeta.value, 0.0);
    EXPECT_EQ(z.enlargementZeta.value, 0.0);
}

TEST_F(Zeta, ConicalTransitions) {
    EXPECT_DOUBLE_EQ(CZeta::ConicalContraction(45, 0.05), 0.065);
    EXPECT_DOUBLE_EQ(CZeta::ConicalContraction(90, 0.1), 0.19);
    EXPECT_EQ(CZeta::ConicalContraction(20, 0.05), 0.0);
    EXPECT_EQ(CZeta::ConicalContraction(45, 1.0), 0.0);
    EXPECT_DOUBLE_EQ(CZeta::ConicalEnlargement(40, 0.2), 0.62);
    EXPECT_DOUBLE_EQ(CZeta::ConicalEnlargement(60, 0.5), 0.28);
    EXPECT_DOUBLE_EQ(CZeta::ConicalEnlargement(80, 0.9), 0.28);
    EXPECT_DOUBLE_EQ(CZeta::ConicalEnlargement(50, 0.2), 0.625);
    EXPECT_NEAR(CZeta::ConicalEnlargement(40, 0.29), 0.55, 1e-12);
    EXPECT_EQ(CZeta::ConicalEnlargement(5, 0.2), 0.0);
    EXPECT_EQ(CZeta::ConicalEnlargement(40, 1.0), 0.0);

    CZeta z;
    z.enlargementMode.value = 1;
    z.enlargementAngle.value = 40;
    z.Calculate(0.02, 0.02, 0.1, 0, 0, false);
    EXPECT_EQ(z.elements[CZeta::Enlargement].kind, 18);
    EXPECT_EQ(z.elements[CZeta::Enlargement].byAngle, 1);
    EXPECT_EQ(z.elements[CZeta::Enlargement].angle.value, 40.0);
    EXPECT_DOUBLE_EQ(z.elements[CZeta::Enlargement].zeta.value, 0.62);
    EXPECT_EQ(z.flags & CZeta::WarnConicalEnlargement, CZeta::WarnConicalEnlargement);
    // The cone's ratio is that of the areas below and above, not the section's own:
    // areaB / areaC = 0.05 / 0.1 = 0.5 gives the 40-degree row's 0.27
    // (own / above = 0.02 / 0.1 = 0.2 would give 0.62).
    z.Calculate(0.02, 0.05, 0.1, 0, 0, false);
    EXPECT_DOUBLE_EQ(z.elements[CZeta::Enlargement].zeta.value, 0.27);
    // areaB / areaC = 0.029 / 0.1 = 0.29, half-way between 0.25 and 0.33: (0.62 + 0.48) / 2 = 0.55.
    z.Calculate(0.02, 0.029, 0.1, 0, 0, false);
    EXPECT_DOUBLE_EQ(z.elements[CZeta::Enlargement].zeta.value, 0.55);

    z.contractionMode.value = 1;
    z.contractionAngle.value = 90;
    z.Calculate(0.005, 0.1, 0.005, 0, 0, false);
    EXPECT_EQ(z.elements[CZeta::Contraction].kind, 16);
    EXPECT_DOUBLE_EQ(z.elements[CZeta::Contraction].zeta.value, 0.19);
}

TEST_F(Zeta, HandEnteredTransitionSurvivesACalculation) {
    CZeta z;
    z.enlargementMode.value = 2;
    z.enlargementZeta.value = 0.45;
    z.contractionMode.value = 2;
    z.contractionZeta.value = 0.35;
    // Areas that need no transition leave the typed values alone.
    EXPECT_EQ(z.Calculate(0.05, 0.05, 0.05, 0, 0, false), 0.0);
    EXPECT_EQ(z.enlargementZeta.value, 0.45);
    EXPECT_EQ(z.contractionZeta.value, 0.35);
    auto ar = vx::Archive::ForStoring();
    z.Serialize(ar);
    CZeta loaded;
    auto in = vx::Archive::ForLoading(ar.Bytes());
    loaded.Serialize(in);
    EXPECT_EQ(loaded.enlargementZeta.value, 0.45);
    EXPECT_EQ(loaded.contractionZeta.value, 0.35);

    // When the areas call for them again they count.
    EXPECT_DOUBLE_EQ(z.Calculate(0.05, 0.05, 0.1, 0, 0, false), 0.45);
    EXPECT_EQ(z.elements[CZeta::Enlargement].zeta.marker, 0);
    EXPECT_EQ(z.elements[CZeta::Enlargement].kind, 17);
    EXPECT_EQ(z.elements[CZeta::Enlargement].count.value, 1);
    EXPECT_DOUBLE_EQ(z.Calculate(0.05, 0.1, 0.05, 0, 0, false), 0.35);
}

TEST_F(Zeta, SumWithManualCoefficientAndJunction) {
    CZeta z;
    z.AddResistance(1, 90, 1, 0, 1);  // 1.2
    z.manualZeta.value = 0.5;
    EXPECT_DOUBLE_EQ(z.Calculate(0.05, 0.05, 0.05, 0, 0, false), 1.7);
    z.noManualZeta = 1;
    EXPECT_DOUBLE_EQ(z.Calculate(0.05, 0.05, 0.05, 0, 0, false), 1.2);

    // A junction element takes the areas and its own angle.
    CZeta j;
    j.AddResistance(12, 0, 1, 0, 1);
    j.elements[0].angle.value = 45;
    const double f1 = j.CalcJunctionZeta1(-1, 0.03, 0.02, 0.004, 0.01, 45);
    const double sum = j.Calculate(0.02, 0.03, 0.02, 0.004, 0.01, true);
    EXPECT_DOUBLE_EQ(j.elements[0].zeta.value, RoundToStep(f1, 100));
    // 0.02 below 0.03 is also a contraction of ratio 2/3.
    EXPECT_DOUBLE_EQ(j.elements[CZeta::Contraction].zeta.value, 0.22);
    EXPECT_DOUBLE_EQ(sum, RoundToStep(f1, 100) + 0.22);
}

TEST_F(Zeta, ArchiveLayout) {
    CZeta z;
    z.AddResistance(1, 45, 77, 0, 2);
    z.listTag = 5;
    z.manualZeta.value = 0.25;
    z.damperClosedZeta.value = 40;
    CZeta r;
    EXPECT_EQ(StoreAndLoad(z, r).size(), 813u);
    EXPECT_EQ(r.elements[0].kind, 1);
    EXPECT_EQ(r.elements[0].count.value, 2);
    EXPECT_EQ(r.elements[0].tag, 77);
    EXPECT_DOUBLE_EQ(r.elements[0].zeta.value, 0.6);
    EXPECT_EQ(r.listTag, 5);
    EXPECT_EQ(r.manualZeta.value, 0.25);
    EXPECT_EQ(r.damperClosedZeta.value, 40.0);

    CZeta copy(z);
    EXPECT_EQ(copy.elements[0].tag, 77);
    EXPECT_EQ(copy.damperClosedZeta.value, 40.0);
}

TEST_F(Zeta, Format18HasNoManualCoefficient) {
    // Format 18: elements with list tag and tag, no manual part, all transition values and dampers.
    auto ar = vx::Archive::ForStoring();
    CZeta src;
    src.AddResistance(1, 90, 3, 0, 1);
    for (ZetaElement& el : src.elements) {
        el.count.Serialize(ar);
        el.text.Serialize(ar);
        el.angle.Serialize(ar);
        el.zeta.Serialize(ar);
        ar.WriteInt32(el.kind);
        ar.WriteInt32(el.byAngle);
        ar.WriteDouble(el.givenValue);
        ar.WriteDouble(el.secondValue);
        ar.WriteInt32(el.spare);
        ar.WriteInt32(0);
        ar.WriteInt32(el.tag);
    }
    src.extraText2.Serialize(ar);
    src.extraValue.Serialize(ar);
    for (CWerte* c : std::initializer_list<CWerte*>{&src.contractionMode, &src.contractionZeta, &src.contractionAngle,
                                                    &src.enlargementMode, &src.enlargementZeta, &src.enlargementAngle})
        c->Serialize(ar);
    ar.WriteInt32(0);
    for (CWerte* c : std::initializer_list<CWerte*>{&src.damperKind, &src.damperOpenZeta, &src.damperClosedZeta})
        c->Serialize(ar);

    CZeta z;
    z.manualZeta.value = 0.5;
    z.extraText1.text = "alt";
    vx::g_FileFormat = 18;
    auto in = vx::Archive::ForLoading(ar.Bytes());
    z.Serialize(in);
    vx::g_FileFormat = vx::kFileFormatCurrent;
    EXPECT_TRUE(in.AtEnd());
    EXPECT_EQ(z.noManualZeta, 1);
    EXPECT_EQ(z.extraText1.text, "");
    EXPECT_EQ(z.elements[0].tag, 3);
    EXPECT_DOUBLE_EQ(z.Calculate(0.05, 0.05, 0.05, 0, 0, false), 1.2);
}

TEST_F(Zeta, DefaultsAndEdits) {
    CZeta z;
    EXPECT_EQ(z.damperClosedZeta.value, 50.0);
    EXPECT_EQ(z.damperOpenZeta.value, 1.2);
    EXPECT_EQ(z.damperOpenZeta.marker, 2);

    z.damperClosedZeta.value = 30;
    EXPECT_EQ(z.OnValueChanged(z.damperClosedZeta), 1);
    EXPECT_EQ(z.damperClosedZeta.marker, 0);
    z.LoadDefault(z.damperClosedZeta);
    EXPECT_EQ(z.damperClosedZeta.value, 50.0);
    EXPECT_EQ(z.damperClosedZeta.marker, 2);

    z.AddResistance(1, 45, 1, 0, 1);
    z.elements[0].angle.value = 90;
    EXPECT_EQ(z.OnValueChanged(z.elements[0].angle), 1);
    EXPECT_DOUBLE_EQ(z.elements[0].zeta.value, 1.2);
    // A coefficient typed by hand stays when the angle changes.
    z.elements[0].zeta.value = 0.9;
    z.elements[0].zeta.marker = 0;
    z.elements[0].angle.value = 30;
    z.OnValueChanged(z.elements[0].angle);
    EXPECT_EQ(z.elements[0].zeta.value, 0.9);
    EXPECT_EQ(z.elements[0].zeta.marker, 0);
    z.LoadDefault(z.elements[0].zeta);
    EXPECT_DOUBLE_EQ(z.elements[0].zeta.value, 0.2);
    EXPECT_EQ(z.elements[0].zeta.marker, 2);

    z.elements[0].count.value = 0;
    EXPECT_EQ(z.OnValueChanged(z.elements[0].count), 1);
    EXPECT_EQ(z.elements[0].kind, 0);
    CWDouble stranger;
    EXPECT_EQ(z.OnValueChanged(stranger), 0);
    std::string msg;
    EXPECT_EQ(z.CheckInputs(msg, nullptr), 0);
    EXPECT_EQ(msg, "");
}

} // namespace
