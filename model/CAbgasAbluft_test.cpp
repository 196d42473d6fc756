#include "model/CAbgasAbluft.h"

#include "testsupport/model/ModelTestEnv.h"
#include "testsupport/StoreAndLoad.h"

#include <gtest/gtest.h>

namespace {

class CAbgasAbluftTest : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        SetJoiningSiteAir(site);
    }

    static AbgasZustand Below() { return OilFlueGasBelowJoint(); }

    // 5 g/s of air at 15 °C through a round duct of 0.1 m, joining at 45°.
    void Prepare(CAbgasAbluft& ex) {
        ex.site = &site;
        ex.deviceArea = 0.0177;
        ex.junctionAngle = 45;
        ex.airMassFlow.value = 0.005;
        ex.savedPressureLoss = 2;
        ex.ductShape.value = 0;
        ex.ductDiameter.value = 0.1;
    }

    CGrunddaten site;
};

TEST_F(CAbgasAbluftTest, FreshSystemHasItsDuctBendAndFitting) {
    auto m = CreateModule("CAbgasAbluft");
    ASSERT_NE(m, nullptr);
    auto& ex = dynamic_cast<CAbgasAbluft&>(*m);
    EXPECT_STREQ(ex.ClassName(), "CAbgasAbluft");
    EXPECT_TRUE(ex.IsKindOf("CAbgasAbluft"));
    EXPECT_TRUE(ex.IsKindOf("CNebenLuft"));
    EXPECT_EQ(ex.GetName(), "ABGASABL");
    // A 90° bend of curve A (1.2) and a kind without a curve (0).
    EXPECT_EQ(ex.ductZetas.elements[0].kind, 1);
    EXPECT_EQ(ex.ductZetas.elements[0].angle.value, 90);
    EXPECT_EQ(ex.ductZetas.elements[0].zeta.value, 1.2);
    EXPECT_EQ(ex.ductZetas.elements[1].kind, 24);
    EXPECT_EQ(ex.ductZetas.elements[1].count.value, 1);
    EXPECT_EQ(ex.ductZetas.elements[1].zeta.value, 0);
    EXPECT_DOUBLE_EQ(ex.ductZetaSum.value, 1.2);
    EXPECT_DOUBLE_EQ(ex.ductZetas.Calculate(0, 0, 0, 0, 0, true), 1.2);
    EXPECT_EQ(ex.deviceType.value, -1);
    EXPECT_EQ(ex.flowExponent.value, 1.5);
}

TEST_F(CAbgasAbluftTest, MixesDuctAirAndAddsTheDuctLoss) {
    CAbgasAbluft ex;
    Prepare(ex);
    CNebWerte r;
    ex.CalcAirState(r, Below(), false);
    // The mixture is that of the secondary-air device (5 g/s at 15 °C into 10 g/s).
    EXPECT_NEAR(r.temperature, 107.471007459, 1e-8);
    EXPECT_NEAR(r.co2, 6.695615376, 1e-8);
    EXPECT_NEAR(r.density, 0.886070863, 1e-8);
    EXPECT_NEAR(r.velocity, 0.956421955, 1e-8);
    // Junction formula 2 with (0.0133, 0.0177, 0.01, 0.015, 45°): m = 2/3, w = 1.330827:
    // 1/9 x 0.03 - 4/9 x ((0.707107 x 1.330827 - 1) x 1.62 + 1 - 0.248588 x 0.38) + 1/3 x 2/3 x 0.248588
    EXPECT_NEAR(ex.deviceZeta.value, -0.0792100556, 1e-9);
    // Duct: A = pi 0.1² / 4, rhoL = 97000 / 288 / 288.15, wL = 0.005 / A / rhoL.
    EXPECT_NEAR(ex.ductArea.value, 0.007853981635, 1e-12);
    EXPECT_NEAR(ex.ductPerimeter.value, 0.3141592654, 1e-10);
    EXPECT_DOUBLE_EQ(ex.ductDiameter.value, 0.1);
    EXPECT_DOUBLE_EQ(ex.ductZetaSum.value, 1.2);
    // Air volume flow 0.005 / 1.16885496 x 3600 m³/h.
    EXPECT_NEAR(r.baseValue, 15.399686598, 1e-8);
    EXPECT_EQ(r.airSideValue, 0);
    // (wL² x 1.2 x rhoL / 2 + w² x (zeta + 1) x rho / 2) x 1.5 + 2
    //   = (0.208041930 + 0.373162593) x 1.5 + 2
    EXPECT_NEAR(r.pressureLoss, 2.871806784, 1e-8);
}

TEST_F(CAbgasAbluftTest, RectangularDuctTakesItsHydraulicDiameter) {
    CAbgasAbluft ex;
    Prepare(ex);
    ex.ductShape.value = 2;
    ex.ductSideA.value = 0.1;
    ex.ductSideB.value = 0.2;
    CNebWerte r;
    ex.CalcAirState(r, Below(), false);
    EXPECT_DOUBLE_EQ(ex.ductArea.value, 0.02);
    EXPECT_DOUBLE_EQ(ex.ductPerimeter.value, 0.6);
    EXPECT_NEAR(ex.ductDiameter.value, 0.133333333, 1e-8);
}

TEST_F(CAbgasAbluftTest, ChainCalculationAndArchive) {
    CAbgasAbluft ex;
    Prepare(ex);
    AbgasZustand in = Below();
    in.pressureLoss = 2;
    const AbgasZustand& out = *ex.Calculate(&in, kModeFullLoad | kModeSecondAirSet, -1, 0, 0);
    const CNebWerte& p = *ex.pressureCases[0];
    EXPECT_EQ(out.pressureLoss, p.pressureLoss);
    EXPECT_EQ(out.airSideLoss, 0);
    EXPECT_EQ(out.massFlowAdded, ex.airMassFlow.value);

    ex.ductZetas.AddResistance(2, 45, 0, 0, 2);
    CAbgasAbluft back;
    const std::vector<uint8_t> stored = StoreAndLoad(ex, back);
    EXPECT_EQ(back.ductDiameter.value, 0.1);
    EXPECT_EQ(back.ductArea.value, ex.ductArea.value);
    EXPECT_EQ(back.ductZetas.elements[2].kind, 2);
    EXPECT_EQ(back.ductZetas.elements[2].count.value, 2);
    EXPECT_EQ(back.pressureCases[0]->pressureLoss, p.pressureLoss);
    vx::Archive again = vx::Archive::ForStoring();
    back.Serialize(again);
    EXPECT_EQ(again.Bytes(), stored);

    // The secondary-air part comes first: a plain device reads it and stops before the duct.
    CNebenLuft plain;
    vx::Archive in3 = vx::Archive::ForLoading(stored);
    plain.Serialize(in3);
    EXPECT_EQ(plain.pressureCases[0]->pressureLoss, p.pressureLoss);
    EXPECT_FALSE(in3.AtEnd());
}

TEST_F(CAbgasAbluftTest, RangeChecksFollowTheDuctShape) {
    CAbgasAbluft ex;
    std::string message;
    std::vector<int> ids;
    ex.ductDiameter.value = 0.01;  // below Dh_min
    ex.ductSideA.value = 3;        // above Dh_max
    ex.ductSideB.value = 0.1;
    ex.a0.value = 500;             // not checked for exhaust air
    EXPECT_EQ(ex.CheckInputs(message, &ids), 1);
    EXPECT_EQ(ids, std::vector<int>{CAbgasAbluft::IdDuctDiameter});
    ids.clear();
    ex.ductShape.value = 2;
    ex.ductSideB.value = 2.5;
    EXPECT_EQ(ex.CheckInputs(message, &ids), 1);
    EXPECT_EQ(ids, (std::vector<int>{CAbgasAbluft::IdDuctSideA, CAbgasAbluft::IdDuctSideB}));
    ids.clear();
    ex.ductShape.value = 1;
    EXPECT_EQ(ex.CheckInputs(message, &ids), 1);
    EXPECT_EQ(ids, std::vector<int>{CAbgasAbluft::IdDuctSideA});
    ids.clear();
    ex.ductSideA.value = 0.2;
    ex.roomAirTemperature.value = -40;
    EXPECT_EQ(ex.CheckInputs(message, &ids), 1);
    EXPECT_EQ(ids, std::vector<int>{CAbgasAbluft::IdRoomAirTemperature});
}

TEST_F(CAbgasAbluftTest, DuctSizesShareOneUnit) {
    CAbgasAbluft ex;
    ex.ductSideA.displayUnit = 0x502;  // cm
    ex.OnUnitChanged(ex.ductSideA);
    EXPECT_EQ(ex.ductDiameter.displayUnit, 0x502);
    EXPECT_EQ(ex.ductSideB.displayUnit, 0x502);
    EXPECT_EQ(ex.LoadUnitChoice(CAbgasAbluft::IdDuctSideA, "0"), 0x502);
    EXPECT_EQ(ex.LoadUnitChoice(CAbgasAbluft::IdDuctDiameter, "0"), 0x502);
    EXPECT_EQ(ex.LoadUnitChoice(CAbgasAbluft::IdDuctSideB, "0"), 0x502);
    // Other cells keep theirs.
    ex.roomAirTemperature.displayUnit = 0x201;
    ex.OnUnitChanged(ex.roomAirTemperature);
    EXPECT_EQ(ex.ductDiameter.displayUnit, 0x502);
    EXPECT_EQ(ex.LoadUnitChoice(CAbgasAbluft::IdRoomAirTemperature, "0"), 0);
}

} // namespace
