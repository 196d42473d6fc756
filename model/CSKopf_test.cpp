#include "model/CSKopf.h"

#include "testsupport/model/ChainTestEnv.h"
#include "testsupport/model/ModelTestEnv.h"
#include "testsupport/StoreAndLoad.h"
#include "values/Rounding.h"

#include <cmath>
#include <tuple>

namespace {

class MainRoad : public ModelTest {};

// Expected values were worked out separately from the formulas, step by step:
// site, heat generator, connecting piece (temperature and pressure case),
// chimney (both cases), then the head.
void ExpectSite(TestChain& c) {
    // p_L = 97000 exp(-9.81 x 325 / (288 x 288.15)); rho_L = p_L / 288 / 288.15.
    EXPECT_NEAR(c.arrangement.site.airPressure.value, 93344.0756, 1e-3);
    EXPECT_NEAR(c.arrangement.site.airDensity.value, 1.12480088, 1e-8);
}

TEST_F(MainRoad, OilNegativePressureInadmissibleAtEightMetres) {
    TestChain c;
    c.Link();
    c.Run();
    ExpectSite(c);
    // Oil 20 kW: 85 + log 20 = 86.30 %, 11.2 / (1 - 0.076 log 20) = 12.43 %, 15 log 20 = 19.52 Pa.
    EXPECT_DOUBLE_EQ(c.generator.efficiency.value, 86.30);
    EXPECT_DOUBLE_EQ(c.generator.co2.value, 12.43);
    EXPECT_DOUBLE_EQ(c.generator.flueMassFlow.value, 0.01028);
    EXPECT_DOUBLE_EQ(c.generator.requiredDraught.value, 19.52);
    // R = 288 (1 - 0.0002 x 12.43); h2o = 100 / (111 / 12.43 + 1) + 1.1; dew point at p_D = h2o % of p_L.
    const AbgasZustand& g = c.generator.outletState;
    EXPECT_NEAR(g.gasConstantT, 287.284032, 1e-6);
    EXPECT_NEAR(g.h2oT, 11.1704853, 1e-6);
    EXPECT_NEAR(c.generator.temperatureCases[0]->dewPoint.value, 46.6621677, 1e-6);

    // Connecting piece: bend kind 6 at 90 degrees 0.30, widening 0.13 -> 0.15 m (area ratio 0.751) 0.12.
    EXPECT_DOUBLE_EQ(c.connector.zetaSum.value, 0.42);
    EXPECT_DOUBLE_EQ(c.connector.surroundingTemperature.value, 15.0);  // 20 in heated rooms, capped
    EXPECT_DOUBLE_EQ(c.connector.alphaOuter.value, 8.0);
    const CRechnen& vt = c.connector.TemperatureRecord(0);
    EXPECT_NEAR(vt.tm.value, 152.069286, 1e-5);
    EXPECT_NEAR(vt.to.value, 144.433161, 1e-5);
    EXPECT_NEAR(vt.k.value, 3.101648, 1e-5);
    const CRechnen& vp = c.connector.PressureRecord(0);
    EXPECT_NEAR(vp.to.value, 141.008759, 1e-5);
    EXPECT_NEAR(vp.reynolds.value, 4658.794136, 1e-5);
    EXPECT_NEAR(vp.psi.value, 0.04573682, 1e-7);
    EXPECT_NEAR(vp.Rf.value, 0.301668, 1e-5);
    EXPECT_NEAR(vp.PG.value, -0.017530, 1e-5);
    EXPECT_NEAR(vp.PR.value, 0.434972, 1e-5);  // 1.5 R_f + P_G
    EXPECT_DOUBLE_EQ(vp.PH.value, 0.0);

    // Chimney: the T-piece at area ratio 1.331 gives 1.2 + 0.8 (1.331^2 - 1) = 1.82.
    EXPECT_DOUBLE_EQ(c.chimney.zetaSum.value, 1.82);
    const CRechnen& st = c.chimney.TemperatureRecord(0);
    EXPECT_NEAR(st.te.value, 144.433161, 1e-5);
    EXPECT_NEAR(st.tm.value, 124.843863, 1e-5);
    EXPECT_NEAR(st.to.value, 107.338447, 1e-5);
    const CRechnen& sp = c.chimney.PressureRecord(0);
    EXPECT_NEAR(sp.te.value, 141.008759, 1e-5);
    EXPECT_NEAR(sp.to.value, 89.920064, 1e-5);
    EXPECT_NEAR(sp.alphaInner.value, 3.290494, 1e-5);
    EXPECT_NEAR(sp.PR.value, 1.134384, 1e-5);
    EXPECT_NEAR(sp.PH.value, 22.283395, 1e-5);  // (rho_L - rho_m) 9.81 H

    ASSERT_EQ(c.head.results.size(), 1u);  // the generator has no part-load data here
    const CErgebnis& r = *c.head.results[0];
    EXPECT_NEAR(r.draught, 21.149011, 1e-5);   // P_H - P_R of the chimney
    EXPECT_NEAR(r.required, 23.954972, 1e-5);  // P_W + connector's P_R - P_H + P_B (4 Pa)
    EXPECT_DOUBLE_EQ(r.airSupplyPressure, 4.0);
    EXPECT_NEAR(r.kOutlet, 0.992578, 1e-5);
    EXPECT_NEAR(r.innerWallTemperature, 74.959775, 1e-5);
    EXPECT_NEAR(r.limitTemperature, 46.662168, 1e-5);
    EXPECT_EQ(r.criterion1, 0);
    EXPECT_EQ(r.criterion2, 1);
    EXPECT_EQ(r.criterion7, 1);
    EXPECT_EQ(r.ok, 0);
    EXPECT_EQ(r.caseFlags, 1);
    EXPECT_NEAR(r.airDensity, 1.12480088, 1e-8);
}

TEST_F(MainRoad, OilNegativePressureAdmissibleAtTwelveMetres) {
    TestChain c;
    c.chimney.length.value = c.chimney.height.value = 12;
    c.Link();
    c.Run();
    const CRechnen& sp = c.chimney.PressureRecord(0);
    EXPECT_NEAR(sp.to.value, 73.025380, 1e-5);
    EXPECT_NEAR(sp.PR.value, 1.463211, 1e-5);
    EXPECT_NEAR(sp.PH.value, 30.634747, 1e-5);
    EXPECT_NEAR(c.chimney.TemperatureRecord(0).to.value, 93.122696, 1e-5);
    const CErgebnis& r = *c.head.results[0];
    EXPECT_NEAR(r.draught, 29.171536, 1e-5);
    EXPECT_NEAR(r.required, 23.954972, 1e-5);
    EXPECT_NEAR(r.innerWallTemperature, 64.694880, 1e-5);
    EXPECT_EQ(r.ok, 1);
    EXPECT_EQ(r.criterion1 & r.criterion2 & r.criterion7, 1);
}

TEST_F(MainRoad, WoodNegativePressureBothWays) {
    TestChain c;
    c.generator.fuel.value = 10;  // wood: fuel kind 1
    c.generator.output.value = 8;
    c.generator.gasTemperature.value = 200;
    c.Link();
    c.Run();
    // 51.6 + 8.4 log 8 = 59.19 %; at 10 kW or less 8.0 % CO2; 15 log 8 = 13.55 Pa;
    // (6.89 / 8 + 0.076) x (8 x 100 / 59.19) / 1000 = 0.01267 kg/s.
    EXPECT_DOUBLE_EQ(c.generator.efficiency.value, 59.19);
    EXPECT_DOUBLE_EQ(c.generator.co2.value, 8.0);
    EXPECT_DOUBLE_EQ(c.generator.requiredDraught.value, 13.55);
    EXPECT_DOUBLE_EQ(c.generator.flueMassFlow.value, 0.01267);
    EXPECT_NEAR(c.generator.outletState.gasConstantT, 288.2304, 1e-9);
    EXPECT_NEAR(c.connector.PressureRecord(0).PR.value, 0.710307, 1e-5);
    EXPECT_NEAR(c.chimney.TemperatureRecord(0).to.value, 139.426140, 1e-5);
    EXPECT_NEAR(c.chimney.PressureRecord(0).PH.value, 27.417436, 1e-5);
    const CErgebnis& r = *c.head.results[0];
    EXPECT_NEAR(r.draught, 25.584984, 1e-5);
    EXPECT_NEAR(r.required, 18.260307, 1e-5);
    EXPECT_NEAR(r.innerWallTemperature, 103.182478, 1e-5);
    // Dew point plus the wood's increment of 15 K.
    EXPECT_NEAR(r.limitTemperature, 43.023931 + 15, 1e-5);
    EXPECT_EQ(r.ok, 1);

    // At 100 degrees the gas neither draws enough nor keeps the wall dry.
    c.generator.gasTemperature.value = 100;
    c.Run();
    const CErgebnis& cold = *c.head.results[0];
    EXPECT_NEAR(cold.draught, 13.608277, 1e-5);
    EXPECT_NEAR(cold.required, 18.119118, 1e-5);
    EXPECT_NEAR(cold.innerWallTemperature, 53.070657, 1e-5);
    EXPECT_EQ(cold.criterion1, 0);
    EXPECT_EQ(cold.criterion2, 0);
    EXPECT_EQ(cold.ok, 0);
}

TEST_F(MainRoad, OilPositivePressure) {
    TestChain c;
    c.arrangement.regime.value = 2;
    c.generator.gasTemperature.value = 60;
    c.generator.positivePressure.value = 50;
    c.Link();
    c.Run();
    EXPECT_DOUBLE_EQ(c.arrangement.site.safetyFactor.value, 1.2);   // the generator pushes
    EXPECT_DOUBLE_EQ(c.arrangement.site.surroundingOutlet.value, -15);
    EXPECT_EQ(c.head.exposedLength, 0.0);  // regime 2, kind 0: no temperature test
    // Wet throughout: R = 288 (1 - 0.0018 x 12.43).
    EXPECT_NEAR(c.generator.outletState.gasConstantP, 281.556288, 1e-6);
    EXPECT_EQ(c.chimney.TemperatureRecord(0).state, 2);
    const CRechnen& sp = c.chimney.PressureRecord(0);
    EXPECT_NEAR(sp.PR.value, 0.707738, 1e-5);
    EXPECT_NEAR(sp.PH.value, 6.593908, 1e-5);
    const CErgebnis& r = *c.head.results[0];
    EXPECT_NEAR(r.draught, -5.886170, 1e-5);   // P_R - P_H of the chimney
    EXPECT_NEAR(r.required, 45.733239, 1e-5);  // 50 - connector's (P_R - P_H) - 4
    EXPECT_DOUBLE_EQ(r.limitTemperature, 0.0);
    EXPECT_EQ(r.ok, 1);

    // Without the generator's pressure (so S_E = 1.5) and with 2 m of height on 8 m of length it fails.
    c.generator.positivePressure.value = 0;
    c.chimney.height.value = 2;
    c.Run();
    const CErgebnis& weak = *c.head.results[0];
    EXPECT_NEAR(weak.draught, -0.729514, 1e-5);
    EXPECT_NEAR(weak.required, -4.334792, 1e-5);
    EXPECT_EQ(weak.criterion1, 0);
    EXPECT_EQ(weak.ok, 0);
}

TEST_F(MainRoad, ConcentricCombustionAirDucts) {
    // Connecting piece 0.13 m in a 0.2 m duct, chimney 0.15 m in a 0.25 m duct, each
    // with shells of 1 mm: the annulus has the area pi / 4 (D^2 - (d + 0.004)^2) and the
    // hydraulic diameter D - (d + 0.004): 0.017313 m2 and 0.066 m, 0.032465 m2 and 0.096 m.
    const double pi = 3.141592654;
    struct Duct { double area, dh, length, zeta; };
    const Duct connectorDuct{pi / 4 * (0.04 - 0.134 * 0.134), 0.066, 1, 0.3};   // its 90-degree bend
    const Duct chimneyDuct{pi / 4 * (0.0625 - 0.154 * 0.154), 0.096, 8, 1.2};   // its T-piece, whole flow
    // Loss = w^2 ((zeta + L lambda / Dh) x 1.2 x 0.5 x rho), w = 0.01 kg/s x 0.9 / A / rho, rho = p_L / 288 / 288.15.
    auto loss = [](const TestChain& c, const Duct& d, const CVerbLuft& duct) {
        const double rho = c.arrangement.site.airPressure.value / 288 / 288.15;
        const double w = 0.01 * 0.9 / d.area / rho;
        const double lambda = duct.airDuctCases.back().lambda;
        return RoundToStep(w * w * ((d.zeta + d.length * lambda / d.dh) * 1.2 * 0.5 * rho), 100);
    };
    struct Case { int kind; bool connector, chimney; double room; };
    // Kinds 1 and 3 take the air side alone; kind 4 adds the room's 4 Pa.
    for (const Case& k : {Case{1, true, true, 0}, Case{3, true, false, 0}, Case{4, false, true, 4}}) {
        TestChain c;
        c.arrangement.regime.value = 2;
        c.arrangement.kind.value = int16_t(k.kind);
        c.generator.positivePressure.value = 50;
        // Given values, so that kind 1 does not take them from a fireplace opening.
        c.generator.flueMassFlow.value = 0.01;
        c.generator.co2.value = 12;
        c.generator.flueMassFlow.marker = c.generator.co2.marker = 0;
        c.connector.shellThickness1.value = c.connector.shellThickness2.value = 0.001;
        c.connector.ductOuterArea.value = pi / 4 * 0.04;
        c.connector.ductOuterPerimeter.value = pi * 0.2;
        c.chimney.shellThickness1.value = c.chimney.shellThickness2.value = 0.001;
        c.chimney.ductOuterArea.value = pi / 4 * 0.0625;
        c.chimney.ductOuterPerimeter.value = pi * 0.25;
        c.Link();
        c.Run();
        double expected = k.room;
        for (auto [section, duct, on] : {std::tuple{static_cast<CRohr*>(&c.connector), connectorDuct, k.connector},
                                         std::tuple{static_cast<CRohr*>(&c.chimney), chimneyDuct, k.chimney}}) {
            ASSERT_EQ(section->airDuct != nullptr, on) << k.kind;
            if (!on) continue;
            EXPECT_NEAR(section->airDuct->airDuctArea.value, duct.area, 1e-9) << k.kind;
            EXPECT_NEAR(section->airDuct->airDuctDiameter.value, duct.dh, 1e-9) << k.kind;
            EXPECT_EQ(section->PressureRecord(0).PH.value, 0.0) << k.kind;  // a duct takes the draught away
            const double l = loss(c, duct, *section->airDuct);
            EXPECT_GT(l, 0.0);
            expected += l;
        }
        const CErgebnis& r = *c.head.results[0];
        EXPECT_NEAR(r.airSupplyPressure, expected, 1e-9) << k.kind;
    }
}

TEST_F(MainRoad, HeatGeneratorInVolumeMode) {
    // 30 m3/h of oil flue gas at 12 % CO2 and 160 °C; f_R = -0.0002, so (f_R x 12 + 1) x 288 = 287.3088.
    struct Case { int regime; double massFlow; };
    // Negative pressure: 101320 x 30 / 983340 / 287.3088 = 0.0107588 -> 0.01076 kg/s.
    // Positive pressure: the site's 93344.08 Pa (325 m, 15 °C) and 30 x 273.15 / 433.15 m3/h:
    // 93344.08 x 18.918389 / 983340 / 287.3088 = 0.0062506 -> 0.00625 kg/s.
    for (const Case& k : {Case{0, 0.01076}, Case{2, 0.00625}}) {
        TestChain c;
        c.arrangement.regime.value = int16_t(k.regime);
        c.generator.volumeMode = 1;
        c.generator.volumeFlow.value = 30;
        c.generator.co2.value = 12;
        c.generator.co2.marker = 0;
        c.generator.flueMassFlow.marker = CWerte::MarkerDerived;
        c.Link();
        EXPECT_DOUBLE_EQ(c.generator.flueMassFlow.value, k.massFlow) << k.regime;
        c.Run();
        EXPECT_DOUBLE_EQ(c.generator.outletState.massFlow, k.massFlow) << k.regime;
        EXPECT_DOUBLE_EQ(c.chimney.PressureRecord(0).massFlow, k.massFlow) << k.regime;
        EXPECT_DOUBLE_EQ(c.connector.TemperatureRecord(0).massFlow, k.massFlow) << k.regime;
        if (k.regime == 2) {
            EXPECT_NEAR(c.arrangement.site.airPressure.value, 93344.08, 0.01);
        }
    }
}

TEST_F(MainRoad, CondensingGeneratorMovesTheVelocityTerm) {
    TestChain c;
    c.generator.condensing = 1;
    c.Link();
    c.Run();
    // The connector (0.13 m) is narrower than the chimney (0.15 m): the chimney's
    // P_G of -0.193220 Pa leaves the chimney (its P_R becomes 1.5 x 0.885069) and joins the connector.
    const CErgebnis& r = *c.head.results[0];
    EXPECT_EQ(r.loadMode, 1);
    EXPECT_DOUBLE_EQ(c.chimney.PressureRecord(0).PG.value, 0.0);
    EXPECT_NEAR(c.chimney.PressureRecord(0).PR.value, 1.327603, 1e-5);
    EXPECT_NEAR(r.chimneyResistance, 1.327603 - 22.283395, 1e-5);
    EXPECT_NEAR(c.connector.PressureRecord(0).PR.value, 0.434972 - 0.193220, 1e-5);
    EXPECT_NEAR(r.draught, 21.149011 - 0.193220, 1e-5);
    EXPECT_NEAR(r.required, 23.954972 - 0.193220, 1e-5);  // no own pressure to cover the shortfall
    EXPECT_EQ(r.criterion1, 0);

    // With the connecting piece's shut-off the second rule holds: nothing moves.
    c.arrangement.connectorShutOff.value = 1;
    c.Run();
    const CErgebnis& second = *c.head.results[0];
    EXPECT_EQ(second.loadMode, 2);
    EXPECT_NEAR(second.draught, 21.149011, 1e-5);
    EXPECT_DOUBLE_EQ(second.chimneyResistance, 0.0);
    EXPECT_EQ(second.criterion7, 1);  // 21.15 - 4 - 0
}

TEST_F(MainRoad, PartLoadAddsASecondResult) {
    TestChain c;
    c.Link();
    c.generator.partLoadAvailable.value = 1;
    c.generator.LoadDefault(c.generator.outputPart);
    ASSERT_GT(c.generator.outputPart.value, 0);
    EXPECT_NEAR(c.generator.flueMassFlowPart.value, 0.01028 / 3, 1e-12);
    EXPECT_NEAR(c.generator.gasTemperaturePart.value, 160.0 * 2 / 3, 1e-12);
    c.Run();
    ASSERT_EQ(c.head.results.size(), 2u);
    EXPECT_EQ(c.head.results[1]->caseFlags, 2);
    EXPECT_EQ(c.chimney.caseCount, 1);
    // The part-load state starts from the part-load values.
    EXPECT_DOUBLE_EQ(c.generator.pressureCases[1]->massFlow, c.generator.flueMassFlowPart.value);
    EXPECT_DOUBLE_EQ(c.chimney.PressureRecord(1).massFlow, c.generator.flueMassFlowPart.value);
    EXPECT_LT(c.head.results[1]->outletTemperature, c.head.results[0]->outletTemperature);
    // The switch that suppresses part load leaves one result.
    c.generator.suppressPartLoad = 1;
    c.Run();
    EXPECT_EQ(c.head.results.size(), 1u);
}

TEST_F(MainRoad, ChimneyOfNoHeightIsNeverAdmissible) {
    TestChain c;
    c.chimney.length.value = 0;
    c.chimney.height.value = 0;
    c.Link();
    c.Run();
    const CErgebnis& r = *c.head.results[0];
    EXPECT_FALSE(std::isfinite(r.innerWallTemperature));
    EXPECT_EQ(r.criterion1, 0);
    EXPECT_EQ(r.criterion2, 0);
    EXPECT_EQ(r.ok, 0);
}

// A head assessed on a hand-made state: the criteria at their rounding boundaries.
TEST_F(MainRoad, GapWidthTakesItsSavedUnit) {
    EXPECT_EQ(CSKopf().gapWidth.displayUnit, 0x500);
    vx::Profile().WriteString("SKOPF", "0x0003", "1282 # 0x0502");
    EXPECT_EQ(CSKopf().gapWidth.displayUnit, 0x502);
}

class HeadCriteria : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        head.arrangement = &arrangement;
        head.room = &room;
        state.alphaInner = 5;
        state.hydraulicDiameter = 0.15;
        state.wallThickness = 0.1;
        state.temperatureT = 100;
        state.dewPoint = 40;
    }
    CErgebnis Assess(double draught, double pressureLoss) {
        state.draught = draught;
        state.pressureLoss = pressureLoss;
        head.Assess(&state, 1, -1);
        return *head.results[0];
    }
    CAufBauE arrangement;
    CAufRaum room;
    CSKopf head;
    AbgasZustand state;
};

TEST_F(HeadCriteria, PressureComparedRoundedToHundredths) {
    EXPECT_EQ(Assess(10.004, 10.005).criterion1, 1);  // -0.001 rounds to 0.00
    EXPECT_EQ(Assess(10.00, 10.005).criterion1, 0);   // -0.005 rounds to -0.01
    EXPECT_EQ(Assess(10.00, 10.00).criterion1, 1);
    room.airSupplyPressure.value = 4;
    const CErgebnis r = Assess(14.004, 10.0);
    EXPECT_DOUBLE_EQ(r.required, 14.0);
    EXPECT_EQ(r.criterion1, 1);
    EXPECT_EQ(r.criterion7, 1);
    EXPECT_EQ(Assess(3.99, -10).criterion7, 0);  // the draught must cover the air supply itself
}

TEST_F(HeadCriteria, TemperatureComparedRoundedToTenths) {
    // k = 1 / (1/5 + 0 + 0.15 / 0.35 / 8) = 3.9252...; t_iw = 100 - 100 k / 5.
    const CErgebnis r = Assess(10, 0);
    const double k = 1 / (1.0 / 5 + 0.15 / 0.35 / 8);
    EXPECT_NEAR(r.kOutlet, k, 1e-12);
    EXPECT_NEAR(r.innerWallTemperature, 100 - 100 * k / 5, 1e-9);
    state.dewPoint = r.innerWallTemperature + 0.04;  // -0.04 rounds to -0.0: holds
    EXPECT_EQ(Assess(10, 0).criterion2, 1);
    state.dewPoint = r.innerWallTemperature + 0.06;
    EXPECT_EQ(Assess(10, 0).criterion2, 0);
}

TEST_F(HeadCriteria, PositivePressureTemperatureTestByExposedLength) {
    arrangement.regime.value = 2;
    state.temperatureT = -50;  // far below the limit of 0
    head.exposedLength = 3;
    EXPECT_EQ(Assess(0, 10).criterion2, 1);  // 3 m exposed: no temperature test
    head.exposedLength = 6;
    EXPECT_EQ(Assess(0, 10).criterion2, 0);
    head.exposedLength = -1;
    EXPECT_EQ(Assess(0, 10).criterion2, 0);
    // Positive pressure: the generator's pressure must cover the chimney's resistance.
    EXPECT_EQ(Assess(10.004, 10.005).criterion1, 1);
    EXPECT_EQ(Assess(10.02, 10.0).criterion1, 0);
}

TEST_F(HeadCriteria, SecondProgramCriteria) {
    SetModelProgram(ModelProgram::Tarsilo);
    arrangement.site.airTemperature.value = 15;
    head.outletArea = 0.0256;
    state.heightSum = 7;
    state.connectorOutletTemperature = 165;
    state.velocity = 0.63;
    state.roughness = 0.0015;
    const CErgebnis r = Assess(6.0, 0);
    EXPECT_NEAR(r.extra1, 7 * 0.005714285714285714 * 150, 1e-12);  // 6.0 Pa
    EXPECT_NEAR(r.extra2, 0.5 * std::pow(2.56, 0.25), 1e-12);       // 0.6324 m/s
    EXPECT_DOUBLE_EQ(r.extra3, 0.63);
    EXPECT_NEAR(r.extra4, 212.5 - 12500 * 0.0015, 1e-12);
    EXPECT_NEAR(r.extra5, 7 / 0.15, 1e-12);
    EXPECT_EQ(r.criterion3, 1);  // 6.00 against 6.00
    EXPECT_EQ(r.criterion4, 1);  // 0.63 against 0.63
    EXPECT_EQ(r.criterion5, 1);
    EXPECT_EQ(r.criterion7, 1);  // load mode 0: not tested here
    EXPECT_EQ(Assess(5.99, 0).criterion3, 0);
    state.velocity = 0.62;
    EXPECT_EQ(Assess(6.0, 0).criterion4, 0);
    state.heightSum = 40;  // 40 / 0.15 = 266.7 beyond 193.75
    EXPECT_EQ(Assess(60.0, 0).criterion5, 0);
    arrangement.ductSetting.value = 2;
    state.heightSum = 7;
    EXPECT_EQ(Assess(0.0, -10).criterion3, 1);
}

TEST_F(HeadCriteria, NonFiniteNeverPasses) {
    state.alphaInner = 0;  // 1/0 in the outlet's heat transmission
    state.temperatureT = std::nan("");
    const CErgebnis r = Assess(std::nan(""), 0);
    EXPECT_EQ(r.criterion1, 0);
    EXPECT_EQ(r.criterion2, 0);
    EXPECT_EQ(r.criterion7, 0);
    EXPECT_EQ(r.ok, 0);
}

TEST_F(HeadCriteria, CasesAndArchive) {
    CErgebnis fresh;
    EXPECT_EQ(fresh.ok, 1);
    EXPECT_EQ(fresh.criterion1 & fresh.criterion2 & fresh.criterion3 & fresh.criterion4 & fresh.criterion5 &
                  fresh.criterion6 & fresh.criterion7, 1);
    EXPECT_DOUBLE_EQ(fresh.presetValue, 30.0);

    Assess(5, 10);
    head.Assess(&state, 2, 1);
    head.Assess(&state, 2, 3);  // a case beyond the count: every case up to it gets its record
    EXPECT_EQ(head.caseCount, 3);
    ASSERT_EQ(head.results.size(), 4u);
    EXPECT_EQ(head.results[3]->caseFlags, 2);
    head.RemoveLastCase();
    EXPECT_EQ(head.results.size(), 3u);
    EXPECT_EQ(head.caseCount, 2);

    head.Assess(&state, 1, -1);
    head.results[0]->text = "x";
    CSKopf copy;
    StoreAndLoad(head, copy);
    ASSERT_EQ(copy.results.size(), 1u);
    EXPECT_EQ(copy.results[0]->criterion1, head.results[0]->criterion1);
    EXPECT_DOUBLE_EQ(copy.results[0]->required, head.results[0]->required);
    EXPECT_EQ(copy.results[0]->text, "x");

    // Version 4 has no air density; version 1 not the seven criteria.
    for (int version : {4, 1}) {
        CErgebnis r;
        r.criterion3 = 0;
        r.airDensity = 1.2;
        auto store = vx::Archive::ForStoring();
        r.Serialize(store);
        std::vector<uint8_t> bytes = store.Bytes();
        const size_t drop = 8 + (version == 1 ? 7 * 4 : 0);
        std::vector<uint8_t> old(bytes.begin(), bytes.end() - long(drop));
        if (version == 1) old.insert(old.end(), bytes.end() - 8, bytes.end());  // a trailing member that must stay unread
        vx::g_FileFormat = version;
        auto load = vx::Archive::ForLoading(old);
        CErgebnis back;
        back.Serialize(load);
        vx::g_FileFormat = 42;
        EXPECT_DOUBLE_EQ(back.airDensity, 0.0);
        EXPECT_EQ(back.criterion3, version == 4 ? 0 : 1);
        EXPECT_EQ(load.Remaining(), version == 1 ? 8u : 0u);
    }
}

TEST_F(HeadCriteria, OutletWallFromTheGapLayers) {
    // One layer of 2 cm at 0.05 W/(m K) around the outer diameter 0.35 m:
    // 0.15 x 0.5 / 0.05 x ln(0.39 / 0.35) = 0.1623 m² K/W.
    head.wall.layers[0].thickness.value = 0.02;
    head.wall.layers[0].conductivity.value = 0.05;
    head.iterateOutletWall = 1;
    head.gapKind.value = 2;
    const CErgebnis r = Assess(10, 0);
    EXPECT_DOUBLE_EQ(head.gapResistance.value, 0.1623);
    EXPECT_DOUBLE_EQ(head.gapWidth.value, 0.02);
    // Regime 0: the state's wall value (0 here), at most the gap resistance.
    EXPECT_DOUBLE_EQ(head.effectiveGapResistance.value, 0.0);
    EXPECT_NEAR(head.outerDiameterOutlet.value, 2 * (0.02 + 0.1) + 0.15, 1e-12);
    EXPECT_NEAR(r.kOutlet, 1 / (1.0 / 5 + 0.15 / 0.39 / 8), 1e-12);
}

TEST_F(HeadCriteria, GapDefaultsAndCopy) {
    EXPECT_DOUBLE_EQ(head.gapResistance.value, 0.1);
    EXPECT_DOUBLE_EQ(head.gapWidth.value, 0.05);
    head.gapResistance.value = 0.3;
    head.iterateOutletWall = 1;
    head.OnValueChanged(head.gapResistance);
    EXPECT_EQ(head.iterateOutletWall, 0);
    head.LoadDefault(head.gapResistance);
    EXPECT_DOUBLE_EQ(head.gapResistance.value, 0.1);
    EXPECT_EQ(head.gapResistance.marker, CWerte::MarkerDerived);
    // Regime 0: the wall's own value, at most the gap resistance.
    head.gapResistance.value = 0.2;
    EXPECT_DOUBLE_EQ(head.EffectiveGapResistance(0.15), 0.15);
    EXPECT_DOUBLE_EQ(head.EffectiveGapResistance(0.5), 0.2);
    head.gapKind.value = 1;
    EXPECT_DOUBLE_EQ(head.EffectiveGapResistance(0.5), 0.1);

    Assess(1, 2);
    CSKopf copy(head);
    ASSERT_EQ(copy.results.size(), 1u);
    EXPECT_NE(copy.results[0].get(), head.results[0].get());
    EXPECT_DOUBLE_EQ(copy.results[0]->draught, 1.0);
}

} // namespace
