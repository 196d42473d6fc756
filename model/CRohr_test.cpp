#include "model/CRohr.h"

#include "model/CAbzweige.h"
#include "testsupport/model/ChainTestEnv.h"
#include "testsupport/model/ModelTestEnv.h"
#include "testsupport/StoreAndLoad.h"
#include "testsupport/PartStrings.h"

#include <cmath>
#include <cstring>

namespace {

class PipeSection : public ModelTest {
protected:
    ScopedPartStrings strings_{"model"};
    void SetUp() override {
        ModelTest::SetUp();
        chain.Link();
        chain.arrangement.site.CalcAirPressure();
        CModul::ExchangeChainValues(&chain.head);
        // The state the heat generator hands the connecting piece.
        chain.connector.SetInletValue(chain.chimney.area.value);
        state = *chain.generator.Calculate(nullptr, 1, -1, 0, 0);
    }
    TestChain chain;
    AbgasZustand state;
};

TEST_F(PipeSection, NoMassFlowPassesTheStateOn) {
    state.massFlow = 0;
    state.draught = 7;
    AbgasZustand* out = chain.connector.Calculate(&state, 1, -1, 0, 0);
    AbgasZustand expected = state;
    expected.areaBelow = chain.connector.area.value;
    EXPECT_EQ(std::memcmp(out, &expected, sizeof expected), 0);
}

TEST_F(PipeSection, IterationEndsAfterTwentySixPasses) {
    chain.connector.Calculate(&state, 1, -1, 0, 0);
    EXPECT_LT(chain.connector.lastPasses, 26);  // a normal section settles
    state.temperatureT = state.temperatureP = std::nan("");
    chain.connector.Calculate(&state, 1, -1, 0, 0);
    EXPECT_EQ(chain.connector.lastPasses, 26);  // t_m never settles
}

TEST_F(PipeSection, JunctionAwareRunSumsThePressures) {
    chain.Run();
    // From the head down: the chimney's draught, then the connector's resistance below it.
    AbgasZustand* r = chain.head.CalculateChain(nullptr, 0);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->criteria, 1u);
    const CRechnen& rec = chain.chimney.PressureRecord(0);
    EXPECT_NEAR(rec.draught, 21.149011, 1e-5);
    EXPECT_NEAR(rec.pressureLoss, 0.434972, 1e-5);
    EXPECT_NEAR(r->pressureLoss, 0.434972, 1e-5);
    // A flag stops a section: the incoming state goes on.
    EXPECT_EQ(chain.connector.CalcForChain(r, 1, 0, 1), nullptr);
}

TEST_F(PipeSection, JunctionPressureFromTheHandedOverPathAndTheListsAngle) {
    chain.Run();
    CSchorn& s = chain.chimney;
    ASSERT_EQ(s.junctionZeta.AddResistance(12, 60, 0, 0, 1), 0);
    AbgasZustand in = *chain.connector.Calculate(&state, 1, 0, 0, 0);
    // The joining path: half the section's flow through half its area.
    in.junctionParamA = s.PressureRecord(0).massFlow / 2;
    in.junctionParamB = s.area.value / 2;
    in.junctionDensity = 0.8;
    in.junctionVelocity = 3;
    struct Case { int kind; double z; };
    // m = c / d = 0.5, w = r = b / a = 2, cos 60 = 0.5; (1 - m) c / d (2 - 1/w) = 0.375.
    // Formula 1: 0.375 - [0.25 x (0 x 1.2 - 3 x 0.8 - 0.5 x 0.5 x 2) + 0.25 x 0.92] = 0.375 + 0.495 = 0.87.
    // Formula 2: 0.25 x 0.03 - 0.25 x (0 + 1 - 0.5 x 0.38) + 0.375 = 0.0075 - 0.2025 + 0.375 = 0.18.
    for (const Case& c : {Case{1, 0.87}, Case{2, 0.18}}) {
        in.junctionKind = c.kind;
        ASSERT_NE(s.CalcForChain(&in, 1, 0, 0), nullptr);
        const CRechnen& r = s.PressureRecord(0);
        const CWDouble& coeff = c.kind == 1 ? r.junctionCoeff1 : r.junctionCoeff2;
        const CWDouble& pressure = c.kind == 1 ? r.junctionPressure1 : r.junctionPressure2;
        EXPECT_NEAR(coeff.value, c.z, 1e-12) << c.kind;
        EXPECT_NEAR(pressure.value, c.z * 0.4 * 9, 1e-12) << c.kind;  // z x 0.8 / 2 x 3^2
    }
    // A junction list without a junction element adds nothing.
    s.junctionZeta.ClearElement(0);
    s.CalcForChain(&in, 1, 0, 0);
    EXPECT_EQ(s.PressureRecord(0).junctionPressure2.value, 0.0);
}

TEST_F(PipeSection, JunctionsOfABranchedChain) {
    // Chimney above a junction: the connecting piece (0.13 m, 0.01028 kg/s) is the main
    // path, a second piece of 0.10 m carrying twice that flow the branch.
    chain.Run();
    CVerb side;
    side.arrangement = &chain.arrangement;
    side.length.value = 1;
    side.diameter.value = 0.10;
    side.wallThickness.value = 0.001;
    side.ComputeGeometry();
    side.SetInletValue(chain.chimney.area.value);
    side.ResetRunLength();
    AbgasZustand doubled = state;
    doubled.massFlow *= 2;
    doubled.areaBelow = side.area.value;
    side.Calculate(&doubled, 1, -1, 0, 0);
    ASSERT_NEAR(side.PressureRecord(0).massFlow, 0.02056, 1e-12);
    chain.connector.junctionZeta.AddResistance(12, 90, 0, 0, 1);
    side.junctionZeta.AddResistance(12, 45, 0, 0, 1);

    CAbzweige junction;
    chain.chimney.next = &junction;
    junction.next = &chain.connector;
    junction.branch = &side;
    ASSERT_NE(chain.head.CalculateChain(nullptr, 0), nullptr);
    chain.chimney.next = &chain.connector;  // as linked, for the fixture's unlinking

    // Main path (formula 2 at 90 degrees) against itself: m = 1, w = 1:
    // 0 - 1 x ((0 x 1 - 1) x 1.62 + 1 - 0 x 0.38) + 0 = 0.62.
    const CRechnen& main = chain.connector.PressureRecord(0);
    EXPECT_NEAR(main.junctionCoeff2.value, 0.62, 1e-12);
    // Branch (formula 1 at 45 degrees): a = the main path's 0.013273 m2, b = its own 0.007854 m2,
    // smaller, so w = r = 1; m = 0.01028 / 0.02056 = 0.5, cos 45 = 0.707107:
    // 0.5 x 0.5 x 1 - [0.25 x (-0.292893 x 1.2) + 0.25 x 0.92] = 0.25 - 0.142132 = 0.107868 -> 0.11.
    const CRechnen& branch = side.PressureRecord(0);
    EXPECT_NEAR(branch.junctionCoeff1.value, 0.11, 1e-12);
    // Both at the chimney's dynamic pressure at the junction.
    const CRechnen& top = chain.chimney.PressureRecord(0);
    const double dynamic = top.rho.value / 2 * top.w.value * top.w.value;
    EXPECT_NEAR(main.junctionPressure2.value, 0.62 * dynamic, 1e-12);
    EXPECT_NEAR(branch.junctionPressure1.value, 0.11 * dynamic, 1e-12);
}

TEST_F(PipeSection, ActiveJunctionListCountsInTheSums) {
    chain.Run();
    CSchorn& s = chain.chimney;
    AbgasZustand in = *chain.connector.Calculate(&state, 1, 0, 0, 0);
    const AbgasZustand without = *s.CalcForChain(&in, 1, 0, 0);
    // The section's own T-piece in its junction list, the whole flow entering (m = 1):
    // w = (0.15 / 0.13)^2 = 1.331361, cos 90 = 0, z = 1.2 - 0.8 x (1 - w^2) = 1.818 -> 1.82.
    s.junctionFlag = 1;
    ASSERT_EQ(s.junctionZeta.AddResistance(12, 90, 0, 0, 1), 0);
    const AbgasZustand with = *s.CalcForChain(&in, 1, 0, 0);
    const CRechnen& r = s.PressureRecord(0);
    const double x = 1.82 * r.rho.value / 2 * r.w.value * r.w.value;
    EXPECT_GT(x, 0.1);
    EXPECT_NEAR(with.resistanceSum - without.resistanceSum, x, 1e-9);
    EXPECT_NEAR(with.draught - without.draught, -x, 1e-9);
    // In junction modes 2 and 3 the list is in the coefficient sum already.
    s.junctionMode = 2;
    EXPECT_NEAR(s.CalcForChain(&in, 1, 0, 0)->resistanceSum, without.resistanceSum, 1e-9);
}

TEST_F(PipeSection, WallOfTwoLayers) {
    CSchorn& s = chain.chimney;  // Dh 0.15 m, shape factor 1.0 (section kind 0)
    s.resistanceGroup.value = 6;
    s.wall.layers[0].thickness.value = 0.02;
    s.wall.layers[0].conductivity.value = 0.5;
    s.wall.layers[0].conductivity.marker = CWerte::MarkerResult;  // steps the temperatures
    s.wall.layers[1].thickness.value = 0.05;
    s.wall.layers[1].conductivity.value = 0.05;
    chain.Run();
    const CRechnen& t = s.TemperatureRecord(0);
    // 1/Lambda = 0.15 x 0.5 / 0.5 x ln(0.19 / 0.15) + 0.15 x 0.5 / 0.05 x ln(0.29 / 0.19)
    //          = 0.15 x 0.236389 -> 0.0355, + 1.5 x 0.422857 -> 0.6343; sum 0.6698.
    EXPECT_NEAR(t.wallResistance.value, 0.6698, 1e-12);
    const double tm = t.tm.value, te = t.te.value, to = t.to.value, ts = s.surroundingTemperature.value;
    const double k = t.k.value, ai = t.alphaInner.value;
    // The inner wall temperature stays in place 0.
    EXPECT_NEAR(t.layerMean[0].value, tm - k / ai * (tm - ts), 1e-9);
    // Through the two layers the heat flow k (t - T_s) drops the temperature by
    // (t - T_s) k (1/Lambda) in all, the first layer's share being 0.0355 / 0.6698.
    struct Place { const CWDouble* layers; double gas, inner; };
    for (const Place& p : {Place{t.layerMean, tm, t.layerMean[0].value}, Place{t.layerInlet, te, t.innerWallInletB.value},
                           Place{t.layerOutlet, to, t.innerWallOutletB.value}}) {
        const double drop = (p.gas - ts) * k * 0.6698;
        EXPECT_NEAR(p.layers[2].value, p.inner - drop, 0.002 * drop) << p.gas;
        EXPECT_NEAR(p.layers[1].value, p.inner - drop * 0.0355 / 0.6698, 0.002 * drop) << p.gas;
        EXPECT_LT(p.layers[2].value, p.layers[1].value);
    }
}

TEST_F(PipeSection, SmoothWallTakesTheSmoothFrictionFactor) {
    chain.connector.roughness.value = 0;
    chain.connector.Calculate(&state, 1, -1, 0, 0);
    const CRechnen& r = chain.connector.PressureRecord(0);
    EXPECT_GT(r.psi.value, 0);
    EXPECT_DOUBLE_EQ(r.psi.value, r.psiSmooth.value);
    EXPECT_TRUE(std::isfinite(r.to.value));
    EXPECT_LT(r.to.value, r.te.value);
}

TEST_F(PipeSection, TPieceKeepsItsResistance) {
    // At equal areas the whole flow entering the junction gives 1.2.
    CSchorn s;
    s.arrangement = &chain.arrangement;
    s.length.value = s.height.value = 5;
    s.diameter.value = 0.13;
    s.wallThickness.value = 0.05;
    s.wallResistance.value = 0.4;
    s.ComputeGeometry();
    ASSERT_EQ(s.zeta.AddResistance(12, 90, 0, 0, 1), 0);
    EXPECT_DOUBLE_EQ(s.zeta.elements[0].angle.value, 90.0);
    EXPECT_DOUBLE_EQ(s.zeta.elements[0].zeta.value, 1.2);
    s.SetInletValue(-1);
    s.ResetRunLength();
    s.Calculate(&state, 1, -1, 0, 0);
    EXPECT_DOUBLE_EQ(s.zetaSum.value, 1.2);
    int index = -1;
    EXPECT_TRUE(s.FindJunctionResistance(index));
    EXPECT_EQ(index, 0);
    s.zeta.ClearElement(0);
    EXPECT_FALSE(s.FindJunctionResistance(index));
    EXPECT_EQ(index, 7);
}

TEST_F(PipeSection, SurroundingTemperatureRules) {
    CSchorn& s = chain.chimney;
    EXPECT_DOUBLE_EQ(s.GetSurroundingTemperature(nullptr), 15.0);  // 20 in heated rooms, capped
    EXPECT_DOUBLE_EQ(s.GetSurroundingTemperature(reinterpret_cast<vx::Archive*>(&state)), -1.0);
    chain.arrangement.positionCount.value = 1;
    EXPECT_DOUBLE_EQ(s.GetSurroundingTemperature(nullptr), 20.0);
    chain.arrangement.positionCount.value = 0;
    // 50 % outside at 0, 25 % unheated at 0, the rest heated at 20.
    s.shareOutside.value = 50;
    s.shareUnheated.value = 25;
    EXPECT_DOUBLE_EQ(s.GetSurroundingTemperature(nullptr), 5.0);

    chain.arrangement.regime.value = 2;
    s.shareOutside.value = s.shareUnheated.value = 0;
    s.lengthOutside.value = 1;
    chain.arrangement.kind.value = 1;
    EXPECT_DOUBLE_EQ(s.GetSurroundingTemperature(nullptr), 0.0);  // 1 m exposed, at most 5
    chain.arrangement.kind.value = 2;
    EXPECT_DOUBLE_EQ(s.GetSurroundingTemperature(nullptr), 15.0);  // 1 of 8 m, at most a quarter
    chain.arrangement.kind.value = 4;
    EXPECT_DOUBLE_EQ(s.GetSurroundingTemperature(nullptr), 0.0);  // the chimney of kind 4
    EXPECT_DOUBLE_EQ(chain.connector.GetSurroundingTemperature(nullptr), 15.0);
}

TEST_F(PipeSection, ZoneLengthsFollowTheSharesOfTheLength) {
    // A chimney wholly outside under positive pressure (kind 3): its surroundings are
    // the outside temperature of the design column, -15 °C, not the 15 °C of a chimney
    // that is mostly inside. T_u = (0 x 20 + 0 x 0 + 100 x -15) / 100 = -15; exposed
    // 4 m of 4 m is above a quarter, so the 15 °C rule does not apply.
    CSchorn& s = chain.chimney;
    chain.arrangement.regime.value = 2;
    chain.arrangement.kind.value = 3;
    chain.generator.positivePressure.value = 50;
    chain.Link();
    s.length.value = s.height.value = 4;
    s.shareOutside.value = 100;
    chain.Run();
    EXPECT_DOUBLE_EQ(s.lengthOutside.value, 4.0);
    EXPECT_DOUBLE_EQ(s.surroundingTemperature.value, -15.0);

    // The diagram moves to 10 m: the zone moves with L. 20 % of 10 m is 2 m, a fifth: 15 °C.
    s.length.value = s.height.value = 10;
    s.shareOutside.value = 20;
    chain.Run();
    EXPECT_DOUBLE_EQ(s.lengthOutside.value, 2.0);
    EXPECT_DOUBLE_EQ(s.surroundingTemperature.value, 15.0);

    // Typed lengths set the shares: 3 m of 10 m outside, 1 m unheated.
    s.lengthOutside.value = 3;
    s.OnValueChanged(s.lengthOutside);
    s.lengthUnheated.value = 1;
    s.OnValueChanged(s.lengthUnheated);
    EXPECT_DOUBLE_EQ(s.shareOutside.value, 30.0);
    EXPECT_DOUBLE_EQ(s.shareUnheated.value, 10.0);
    // With the lengths given as lengths, a new L keeps them and moves the shares.
    s.zoneLengthsGiven = 1;
    s.length.value = 6;
    s.OnValueChanged(s.length);
    EXPECT_DOUBLE_EQ(s.lengthOutside.value, 3.0);
    EXPECT_DOUBLE_EQ(s.shareOutside.value, 50.0);
}

TEST_F(PipeSection, SectionKinds) {
    CAufBauE& a = chain.arrangement;
    EXPECT_EQ(chain.chimney.GetSectionKind(&a), 0);
    a.renovation.value = 1;
    EXPECT_EQ(chain.chimney.GetSectionKind(&a), 1);
    EXPECT_EQ(chain.connector.GetSectionKind(&a), 0);
    a.renovation.value = 0;
    a.kind.value = 4;
    EXPECT_EQ(chain.chimney.GetSectionKind(&a), 2);
    a.regime.value = 2;
    a.kind.value = 1;
    EXPECT_EQ(chain.chimney.GetSectionKind(&a), 2);
    EXPECT_EQ(chain.connector.GetSectionKind(&a), 2);
    chain.chimney.attachmentFlag = 1;
    EXPECT_EQ(chain.chimney.GetSectionKind(&a), 0);
    a.kind.value = 2;
    EXPECT_EQ(chain.connector.GetSectionKind(&a), 0);
}

TEST_F(PipeSection, FitCheckInAShaft) {
    CSchorn& s = chain.chimney;
    s.diameter.value = 0.15;
    s.wallThickness.value = 0.01;
    s.ductSideA.value = 0.2;
    int failed = 0;
    std::vector<double> sizes;
    EXPECT_EQ(s.FitCheck(failed, &sizes), "");  // (0.2 - 0.17) / 2 = 0.015 free
    s.shellThickness1.value = 0.02;
    EXPECT_EQ(s.FitCheck(failed, &sizes), "Innenrohr pa\xdft nicht in den Schacht !!\r\n");
    EXPECT_EQ(failed, 1);
    EXPECT_EQ(sizes, std::vector<double>{0.15});
    std::string text;
    EXPECT_EQ(s.GetExtraText(text, s.ductSideB.valueId), "Innenrohr pa\xdft nicht in den Schacht !!\r\n");
    EXPECT_EQ(s.GetExtraText(text, s.diameter.valueId), "");

    // A double-walled pipe (systems 5 and 6) counts its wall twice each side:
    // (0.2 - (0.15 + 4 x 0.01)) / 2 = 0.005 free, less a shell of 0.008 is negative,
    // where the single wall leaves (0.2 - 0.17) / 2 - 0.008 = 0.007.
    s.shellThickness1.value = 0.008;
    failed = 0;
    EXPECT_EQ(s.FitCheck(failed, nullptr), "");
    s.setting1 = 6;
    EXPECT_NE(s.FitCheck(failed, nullptr), "");
    EXPECT_EQ(failed, 1);
}

TEST_F(PipeSection, ResistanceRecordsQuoteTheirTexts) {
    CSchorn s;
    s.zeta.AddResistance(1, 45, 0, 0, 2);
    s.zeta.elements[0].text.text = "Knie \"kurz\"";
    s.zeta.AddResistance(4, 0, 0, 0, 1);
    s.zeta.AddResistance(12, 90, 0, 0, 1);
    s.zeta.AddResistance(30, 0, 0, 0, 1);
    std::string text;
    s.WriteResistances(text);
    EXPECT_EQ(text,
              "<WIDERSTAND ANZAHL=2 TYP=\"KNICK\" BEZEICHNUNG=\"Knie 'kurz'\" WINKEL=45.0 DURCHM=0>"
              "<WIDERSTAND ANZAHL=1 TYP=\"BOGEN\" BEZEICHNUNG=\"\" WINKEL=90.0 DURCHM=0>"
              "<WIDERSTAND ANZAHL=1 TYP=\"ABZWEIGE\" BEZEICHNUNG=\"\" WINKEL=90.0 DURCHM=0>"
              "<WIDERSTAND ANZAHL=1 TYP=\"UNBEKANNT\" BEZEICHNUNG=\"\" WINKEL=0 DURCHM=0>");
}

TEST_F(PipeSection, RunLengthsAndNotify) {
    chain.chimney.addedLength.value = 1;
    CModul::ExchangeChainValues(&chain.head);
    EXPECT_DOUBLE_EQ(chain.chimney.GetRunLength(), 9.0);  // no neighbour of its class
    EXPECT_DOUBLE_EQ(chain.connector.GetRunLength(), 1.0);
    CSchorn upper, lower;
    upper.length.value = 3;
    lower.length.value = 5;
    upper.next = &lower;
    CModul::ExchangeChainValues(&upper);
    EXPECT_DOUBLE_EQ(upper.GetRunLength(), 8.0);
    EXPECT_DOUBLE_EQ(lower.GetRunLength(), 8.0);
    upper.next = nullptr;

    double x = 5;
    chain.chimney.Notify(&x);
    EXPECT_DOUBLE_EQ(x, 5);  // no junction element
    chain.chimney.junctionFlag = 1;
    chain.chimney.Notify(&x);
    EXPECT_DOUBLE_EQ(chain.chimney.junctionValue.value, 5);
    EXPECT_DOUBLE_EQ(x, 0);
    chain.chimney.pendingFlag = 1;
    chain.chimney.Notify(&x);
    EXPECT_DOUBLE_EQ(x, 60);
    EXPECT_EQ(chain.chimney.pendingFlag, 0);
}

TEST_F(PipeSection, CasesArchiveAndCopy) {
    CVerb& v = chain.connector;
    v.Calculate(&state, 1, -1, 0, 0);
    v.Calculate(&state, 2, 1, 0, 0);
    EXPECT_EQ(v.caseCount, 1);
    v.types[0].push_back(std::make_unique<CBauart>(1));
    v.types[0][0]->name = "Typ A";
    v.types[0][0]->wallThickness = 0.002;
    v.selectedType[0] = 0;
    v.SetAirDuct(&chain.arrangement);
    v.text.text = "isoliert";

    CVerb back;
    back.arrangement = &chain.arrangement;
    const std::vector<uint8_t> stored = StoreAndLoad(v, back);
    EXPECT_EQ(back.caseCount, 1);
    ASSERT_EQ(back.temperatureCases.size(), 2u);
    EXPECT_DOUBLE_EQ(back.PressureRecord(1).to.value, v.PressureRecord(1).to.value);
    EXPECT_DOUBLE_EQ(back.PressureRecord(0).PR.value, v.PressureRecord(0).PR.value);
    EXPECT_EQ(back.PressureRecord(0).site, &chain.arrangement.site);
    ASSERT_EQ(back.types[0].size(), 1u);
    EXPECT_EQ(back.types[0][0]->name, "Typ A");
    EXPECT_DOUBLE_EQ(back.types[0][0]->value5, -1.0);
    ASSERT_TRUE(back.airDuct);
    EXPECT_EQ(back.text.text, "isoliert");
    EXPECT_DOUBLE_EQ(back.diameter.value, 0.13);
    EXPECT_EQ(back.zeta.elements[0].kind, 6);

    // A file that claims more cases than it holds is refused.
    std::vector<uint8_t> cut(stored.begin(), stored.end() - 400);
    auto bad = vx::Archive::ForLoading(cut);
    CVerb broken;
    EXPECT_THROW(broken.Serialize(bad), vx::ArchiveEndOfFile);

    CVerb copy(v);
    EXPECT_NE(copy.temperatureCases[0].get(), v.temperatureCases[0].get());
    EXPECT_DOUBLE_EQ(copy.TemperatureRecord(1).tm.value, v.TemperatureRecord(1).tm.value);
    EXPECT_EQ(copy.connectorFlag, 1);

    v.RemoveCase(0);  // the newest takes its place
    EXPECT_EQ(v.caseCount, 0);
    EXPECT_DOUBLE_EQ(v.PressureRecord(0).massFlow, copy.PressureRecord(1).massFlow);
    v.RemoveLastCase();
    EXPECT_EQ(v.caseCount, -1);
    EXPECT_TRUE(v.temperatureCases.empty());
}

TEST_F(PipeSection, WallFromLayers) {
    // Group 6 takes 1/Lambda and the thickness from the wall's layers.
    CSchorn& s = chain.chimney;
    s.resistanceGroup.value = 6;
    s.wall.layers[0].thickness.value = 0.05;
    s.wall.layers[0].conductivity.value = 0.1;
    s.ResetRunLength();
    s.Calculate(&state, 1, -1, 0, 0);
    // 0.15 x 0.5 / 0.1 x ln(0.25 / 0.15), rounded to 4 decimals.
    EXPECT_NEAR(s.PressureRecord(0).wallResistance.value, 0.3831, 1e-12);
    EXPECT_TRUE(std::isfinite(s.PressureRecord(0).to.value));
}

} // namespace
