#include "model/CAufBauE.h"

#include "model/CAufRaum.h"
#include "model/CVerbLuft.h"
#include "testsupport/model/ModelTestEnv.h"
#include "platform/Archive.h"
#include "platform/Profile.h"
#include "testsupport/StoreAndLoad.h"
#include "values/Rounding.h"

#include <cmath>

namespace {

class Arrangement : public ModelTest {};

TEST_F(Arrangement, ConstructionAndRegime) {
    CAufBauE a;
    EXPECT_EQ(a.setting8.value, -1);
    EXPECT_EQ(a.setting9.value, -1);
    EXPECT_EQ(a.stateWord, 1);
    a.regime.value = 2;
    a.kind.value = 4;
    a.site.safetyFactor.marker = CWerte::MarkerDerived;
    a.ApplyRegime();
    EXPECT_DOUBLE_EQ(a.site.safetyFactor.value, 1.2);
    EXPECT_DOUBLE_EQ(a.site.surroundingHeated.value, 0.0);  // column 4
    a.regime.value = 0;
    a.ApplyRegime();
    EXPECT_DOUBLE_EQ(a.site.safetyFactor.value, 1.5);
}

TEST_F(Arrangement, ProfileDefaults) {
    vx::Profile().WriteString("INIT-EINFACH", "AbsVerb", "1");
    CAufBauE a;
    a.LoadDefault(a.connectorShutOff);
    EXPECT_EQ(a.connectorShutOff.value, 1);
    a.generatorCount.value = 2;
    a.SaveDefaults();
    EXPECT_EQ(vx::Profile().GetString("INIT-EINFACH", "AnzWrz", ""), "2");
}

TEST_F(Arrangement, ArchiveByVersion) {
    CAufBauE a;
    a.regime.value = 1;
    a.kind.value = 3;
    a.setting5.value = 7;
    a.connectorShutOff.value = 1;
    a.positionCount.value = 2;
    a.positionTables[0][3].value = 11;
    a.positionTables[1][12].value = 12;
    a.setting16.value = 5;
    CAufBauE b;
    StoreAndLoad(a, b);
    EXPECT_EQ(b.regime.value, 1);
    EXPECT_EQ(b.kind.value, 3);
    EXPECT_EQ(b.setting5.value, 7);
    EXPECT_EQ(b.positionTables[0][3].value, 11);
    EXPECT_EQ(b.positionTables[1][12].value, 12);
    EXPECT_EQ(b.setting16.value, 5);

    // Version 8: no setting 5 and nothing from version 9 on.
    CAufBauE c;
    c.regime.value = 2;
    c.kind.value = 1;
    auto old = vx::Archive::ForStoring();
    for (CWShort* s : {&c.regime, &c.regime, &c.kind, &c.chimneyShutOff, &c.renovation, &c.breechesPiece,
                       &c.connectorShutOff, &c.generatorCount, &c.ductSetting, &c.airSupply, &c.secondaryAir,
                       &c.secondaryAirPlace})
        s->Serialize(old);
    c.site.Serialize(old);
    old << c.stateWord;
    c.positionCount.Serialize(old);
    for (CWShort& s : c.generatorsPerPosition) s.Serialize(old);
    vx::g_FileFormat = 8;
    CAufBauE d;
    d.setting5.value = 9;
    auto load = vx::Archive::ForLoading(old.Bytes());
    d.Serialize(load);
    vx::g_FileFormat = 42;
    EXPECT_EQ(load.Remaining(), 0u);
    EXPECT_EQ(d.regime.value, 2);
    EXPECT_EQ(d.kind.value, 1);
    EXPECT_EQ(d.setting5.value, 9);  // not in the file
}

TEST_F(Arrangement, RangeCheckClosesGapsInThePositions) {
    CAufBauE a;
    a.generatorsPerPosition[1].value = 3;
    std::string message;
    EXPECT_EQ(a.CheckInputs(message, nullptr), 0);
    EXPECT_EQ(a.generatorsPerPosition[0].value, 3);
    EXPECT_EQ(a.generatorsPerPosition[1].value, 0);
    a.generatorsPerPosition[2].value = 50;
    EXPECT_EQ(a.CheckInputs(message, nullptr), 1);
}

class AirDuct : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        a.site.CalcAirPressure();
        duct.SetArrangement(&a);
        duct.airDuctLength.value = 3;
        duct.airDuctDiameter.value = 0.1;
        duct.airDuctArea.value = 3.141592654 * 0.01 / 4;
        duct.airDuctRoughness.value = 0.001;
        state.massFlow = 0.01;
    }
    CAufBauE a;
    CVerbLuft duct;
    AbgasZustand state;
};

TEST_F(AirDuct, LossWithoutSingleResistances) {
    const double loss = duct.Calculate(&state, -1);
    ASSERT_EQ(duct.airDuctCases.size(), 1u);
    const CVerbLuftWerte& r = duct.airDuctCases[0];
    EXPECT_NEAR(r.eta, 1.57005e-5, 1e-15);  // at 15 degrees
    const double rho = a.site.airPressure.value / 288 / 288.15;
    EXPECT_NEAR(r.rho, rho, 1e-12);
    const double w = 0.01 * 0.9 / duct.airDuctArea.value / rho;
    EXPECT_NEAR(r.w, w, 1e-12);
    EXPECT_NEAR(r.reynolds, w * 0.1 * rho / 1.57005e-5, 1e-6);
    EXPECT_DOUBLE_EQ(loss, RoundToStep(w * w * 3 * r.lambda / 0.1 * 0.5 * rho, 100));
    EXPECT_DOUBLE_EQ(duct.airDuctSafetyFactor.value, 1.0);

    // Positive pressure with kind 1: the safety factor 1.2; the case count grows.
    const double lambda = r.lambda;
    a.regime.value = 2;
    a.kind.value = 1;
    const double loss2 = duct.Calculate(&state, 1);
    EXPECT_DOUBLE_EQ(duct.airDuctSafetyFactor.value, 1.2);
    EXPECT_DOUBLE_EQ(loss2, RoundToStep(w * w * 3 * lambda / 0.1 * 0.5 * rho * 1.2, 100));
    EXPECT_EQ(duct.airDuctCases.size(), 2u);
    duct.Calculate(&state, -1);
    EXPECT_EQ(duct.airDuctCases.size(), 1u);
    EXPECT_EQ(duct.airDuctCaseCount, 0);
}

TEST_F(AirDuct, ColebrookSettles) {
    const double re = 20000;
    const double lambda = duct.Colebrook(re);
    const double again = std::pow(1 / (-2 * std::log10(2.51 / (re * std::sqrt(lambda)) + 0.001 / (3.71 * 0.1))), 2);
    EXPECT_EQ(RoundToStep(again, 100000), RoundToStep(lambda, 100000));
}

TEST_F(AirDuct, RoomTakesTheDuctsLossInModeThree) {
    CAufRaum room;
    room.airSupplyPressure.value = 4;
    EXPECT_DOUBLE_EQ(room.GetAirValue(&state, &a, -1), 4.0);
    room.roomMode.value = CAufRaum::RoomModeDuct;
    room.duct = duct;
    const double loss = room.GetAirValue(&state, &a, -1);
    EXPECT_GT(loss, 0);
    EXPECT_DOUBLE_EQ(room.airSupplyPressure.value, loss);

    auto out = vx::Archive::ForStoring();
    room.Serialize(out);
    duct.Calculate(&state, -1);
    duct.Serialize(out);
    CAufRaum back;
    CVerbLuft backDuct;
    auto in = vx::Archive::ForLoading(out.Bytes());
    back.Serialize(in);
    backDuct.Serialize(in);
    EXPECT_EQ(in.Remaining(), 0u);
    EXPECT_EQ(back.roomMode.value, 3);
    EXPECT_DOUBLE_EQ(back.airSupplyPressure.value, loss);
    ASSERT_EQ(backDuct.airDuctCases.size(), 1u);
    EXPECT_DOUBLE_EQ(backDuct.airDuctCases[0].pressureLoss, duct.airDuctCases[0].pressureLoss);

    duct.supplyAirTemperature.value = 10;
    EXPECT_EQ(duct.OnValueChanged(duct.supplyAirTemperature), 1);
    duct.LoadDefault(duct.supplyAirTemperature);
    EXPECT_DOUBLE_EQ(duct.supplyAirTemperature.value, 15.0);
    EXPECT_EQ(duct.supplyAirTemperature.marker, CWerte::MarkerDerived);
}

} // namespace
