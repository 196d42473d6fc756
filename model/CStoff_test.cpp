#include "model/CRechnen.h"
#include "testsupport/model/ModelTestEnv.h"
#include "platform/Archive.h"

#include "platform/StringTable.h"
#include "testsupport/StoreAndLoad.h"

#include <cmath>

namespace {

class Gas : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        site_ = std::make_unique<CGrunddaten>();
        site_->geoHeight.value = 0;
        site_->CalcAirPressure();  // 97000 Pa
    }
    std::unique_ptr<CGrunddaten> site_;
};

constexpr int kOil = 1;

TEST_F(Gas, HeatingOilAtTenPercent) {
    CStoff s(site_.get());
    s.CalcWaterVapour(kOil, 10);
    EXPECT_NEAR(s.h2o.value, 9.3645, 5e-5);
    s.CalcDewPoint();
    EXPECT_NEAR(s.dewPoint.value, 43.973, 5e-4);
    EXPECT_NEAR(s.partialPressure.value, 0.093644628 * 97000, 1e-3);
    s.CalcGasConstant(kOil, 10);
    EXPECT_NEAR(s.gasConstant.value, 287.424, 1e-9);
    s.state = 2;
    s.CalcGasConstant(kOil, 10);
    EXPECT_NEAR(s.gasConstant.value, 282.816, 1e-9);
}

TEST_F(Gas, PropertiesAt200Degrees) {
    CStoff s(site_.get());
    const FuelRow& oil = FuelRowAt(kOil);
    s.CalcSpecificHeat(200, 10, oil.cp0, oil.cp1, oil.cp2, oil.cpF);
    EXPECT_NEAR(s.cp.value, 1085.636, 5e-4);
    s.CalcViscosity(200);
    EXPECT_NEAR(s.eta.value, 2.36e-5, 1e-12);
    s.CalcConductivity(200);
    EXPECT_NEAR(s.lambda.value, 0.0353, 1e-12);
    s.CalcPrandtl();
    EXPECT_NEAR(s.prandtl.value, 0.72581, 5e-6);
}

TEST_F(Gas, ZeroCases) {
    CStoff s(site_.get());
    s.CalcWaterVapour(kOil, 0);
    EXPECT_EQ(s.h2o.value, 1.1);
    s.h2o.value = 0;
    s.dewPoint.value = 99;
    s.CalcDewPoint();
    EXPECT_EQ(s.dewPoint.value, 0.0);
    s.CalcFromFuelTable(0);
    EXPECT_DOUBLE_EQ(s.dewPointIncrement.value, 99 + 7 * std::log(2.0));
    s.CalcFromFuelTable(14);  // an empty row
    EXPECT_EQ(s.dewPointIncrement.value, 0.0);
    s.CalcGasConstant(250, 10);  // an index from a bad file reads a zero row
    EXPECT_EQ(s.gasConstant.value, 288.0);
}

TEST_F(Gas, DensityVelocityReynolds) {
    CStoff s(site_.get());
    s.gasConstant.value = 287.424;
    s.CalcDensity(200);
    EXPECT_DOUBLE_EQ(s.rho.value, 97000 / (287.424 * 473.15));
    s.CalcVelocity(0.01, 0.02);
    EXPECT_DOUBLE_EQ(s.w.value, 0.01 / 0.02 / s.rho.value);
    s.CalcViscosity(200);

    // 0.2 m/s enters as 0.5 m/s.
    s.w.value = 0.2;
    s.CalcReynolds(0.2, 0.0314);
    const double re = 0.5 * 0.2 * s.rho.value / s.eta.value;
    EXPECT_DOUBLE_EQ(s.reynolds.value, re);
    EXPECT_EQ(s.reynoldsFloored, 0);
    s.w.value = 0.1;
    s.CalcReynolds(0.05, 0.002);
    EXPECT_EQ(s.reynolds.value, 2300.0);
    EXPECT_EQ(s.reynoldsFloored, 1);

    SetModelProgram(ModelProgram::Tarsilo);
    s.w.value = 0.2;
    s.CalcReynolds(0.2, 0.04);
    EXPECT_DOUBLE_EQ(s.reynolds.value, 0.5 * std::pow(4.0, 0.25) * 0.2 * s.rho.value / s.eta.value);
}

TEST_F(Gas, Colebrook) {
    CStoff s(site_.get());
    s.reynolds.value = 10000;
    s.Colebrook(0.2, 0.001);
    EXPECT_NEAR(s.psi.value, 0.037614, 5e-7);
    EXPECT_EQ(s.psiSmooth.value, 0.0);
    s.Colebrook(0.2, 0);
    EXPECT_NEAR(s.psiSmooth.value, 0.030884, 5e-7);
    EXPECT_NEAR(s.psi.value, 0.037614, 5e-7);
}

TEST_F(Gas, NusseltAndInnerAlpha) {
    CStoff s(site_.get());
    s.psi.value = 0.04;
    s.psiSmooth.value = 0.03;
    s.reynolds.value = 10000;
    s.prandtl.value = 0.72;
    s.lambda.value = 0.035;
    s.CalcNusselt(0.2, 5);
    const double nu = 0.0214 * std::pow(4.0 / 3.0, 0.67) * (std::pow(10000.0, 0.8) - 100) * std::pow(0.72, 0.4) *
                      (1 + std::pow(0.04, 0.67));
    EXPECT_DOUBLE_EQ(s.nusselt.value, nu);
    s.CalcInnerAlpha(0.2);
    EXPECT_DOUBLE_EQ(s.alphaInner.value, nu * 0.035 / 0.2);
}

TEST_F(Gas, MixedGasConstant) {
    CStoff s(site_.get());
    s.dryLength.value = 2;
    s.MixGasConstant(4, kOil, 10);
    EXPECT_EQ(s.state, 2);
    EXPECT_NEAR(s.gasConstant.value, (287.424 + 282.816) / 2, 1e-9);
    s.dryLength.value = 0;
    s.MixGasConstant(4, kOil, 10);
    EXPECT_EQ(s.state, 2);
    EXPECT_NEAR(s.gasConstant.value, 282.816, 1e-9);
    s.dryLength.value = 5;
    s.MixGasConstant(4, kOil, 10);
    EXPECT_EQ(s.state, 1);
    EXPECT_NEAR(s.gasConstant.value, 287.424, 1e-9);
}

TEST_F(Gas, CopyLeavesTheDewPointIncrement) {
    CStoff a(site_.get()), b;
    a.cp.value = 1000;
    a.wallResistance.value = 0.12;
    a.dewPointIncrement.value = 5;
    a.state = 2;
    a.reynoldsFloored = 1;
    b.dewPointIncrement.value = 9;
    b = a;
    EXPECT_EQ(b.cp.value, 1000.0);
    EXPECT_EQ(b.wallResistance.value, 0.12);
    EXPECT_EQ(b.dewPointIncrement.value, 9.0);
    EXPECT_EQ(b.state, 2);
    EXPECT_EQ(b.reynoldsFloored, 1);
    EXPECT_EQ(b.site, site_.get());
}

TEST_F(Gas, PropertyArchive) {
    CStoff a(site_.get());
    a.cp.value = 1085.5;
    a.dryLength.value = 1.25;
    a.dewPointIncrement.value = 3;
    a.wallResistance.value = 0.2;
    a.state = 2;
    a.reynoldsFloored = 1;
    CStoff b(site_.get());
    EXPECT_EQ(StoreAndLoad(a, b).size(), 22u * 16 + 8);  // every cell but the increment, then two words
    EXPECT_EQ(b.cp.value, 1085.5);
    EXPECT_EQ(b.dryLength.value, 1.25);
    EXPECT_EQ(b.dewPointIncrement.value, 0.0);
    EXPECT_EQ(b.wallResistance.value, 0.2);
    EXPECT_EQ(b.state, 2);
    EXPECT_EQ(b.reynoldsFloored, 1);

    // Format 1: no dry length and no floored flag.
    auto old = vx::Archive::ForStoring();
    CWDouble cell;
    for (int i = 0; i < 21; ++i) cell.Serialize(old);
    old.WriteInt32(1);
    vx::g_FileFormat = 1;
    CStoff c(site_.get());
    c.dryLength.value = 7;
    auto oldIn = vx::Archive::ForLoading(old.Bytes());
    c.Serialize(oldIn);
    vx::g_FileFormat = vx::kFileFormatCurrent;
    EXPECT_TRUE(oldIn.AtEnd());
    EXPECT_EQ(c.dryLength.value, 7.0);
}

TEST_F(Gas, CalculationRecordArchiveAndCopy) {
    CRechnen a(site_.get());
    a.k.value = 2.5;
    a.te.value = 180;
    a.massFlow = 0.012;
    a.generatorCo2 = 11;
    a.coefficientFlag = 0;
    a.copyFurther = 4;
    a.airSideLoss = 1.5;
    a.extraAlpha = 0.25;
    a.junctionPressure2.value = 0.7;
    a.innerWallInletB.value = 77;
    a.layerOutlet[4].value = 33;
    a.layerMean[0].value = 11;
    a.wetDryText = " (x)";
    a.cp.value = 1100;
    CRechnen b(site_.get());
    // 9 cells, text, k_b, 2+4 doubles, word, 3+4 doubles, 2 cells, t_e, 17 cells, then the properties.
    EXPECT_EQ(StoreAndLoad(a, b).size(), 9u * 16 + 5 + 16 + 48 + 4 + 56 + 32 + 16 + 17 * 16 + 22 * 16 + 8);
    EXPECT_EQ(b.k.value, 2.5);
    EXPECT_EQ(b.te.value, 180.0);
    EXPECT_EQ(b.massFlow, 0.012);
    EXPECT_EQ(b.generatorCo2, 11.0);
    EXPECT_EQ(b.coefficientFlag, 0);
    EXPECT_EQ(b.copyFurther, 4.0);
    EXPECT_EQ(b.airSideLoss, 1.5);
    EXPECT_EQ(b.extraAlpha, 0.25);
    EXPECT_EQ(b.junctionPressure2.value, 0.7);
    EXPECT_EQ(b.innerWallInletB.value, 77.0);
    EXPECT_EQ(b.layerOutlet[4].value, 33.0);
    EXPECT_EQ(b.layerMean[0].value, 11.0);
    EXPECT_EQ(b.wetDryText, " (x)");
    EXPECT_EQ(b.cp.value, 1100.0);

    a.dewPointIncrement.value = 6;
    CRechnen c;
    c = a;
    EXPECT_EQ(c.dewPointIncrement.value, 6.0);
    EXPECT_EQ(c.layerOutlet[4].value, 33.0);
    EXPECT_EQ(c.site, site_.get());
    CRechnen d(a);
    EXPECT_EQ(d.massFlow, 0.012);
}

TEST_F(Gas, WetDryText) {
    vx::Strings().Set(IDS_MIT_KONDENSATION, "mit Kondensation");
    vx::Strings().Set(IDS_NL_AKTIV, "NL aktiv");
    CRechnen r(site_.get());
    r.BuildWetDryText(1);
    EXPECT_EQ(r.wetDryText, " ()");  // the brackets stand without either note
    r.state = 2;
    r.BuildWetDryText(1);
    EXPECT_EQ(r.wetDryText, " (mit Kondensation)");
    r.BuildWetDryText(8 | 1);
    EXPECT_EQ(r.wetDryText, " (mit Kondensation, NL aktiv)");
    r.state = 1;
    r.BuildWetDryText(8);
    EXPECT_EQ(r.wetDryText, " (NL aktiv)");
}

TEST_F(Gas, GermanNumericLocaleChangesNothing) {
    GermanNumeric de;
    ASSERT_TRUE(de.active());
    CStoff s(site_.get());
    s.CalcWaterVapour(kOil, 10);
    s.CalcDewPoint();
    EXPECT_NEAR(s.dewPoint.value, 43.973, 5e-4);
    s.reynolds.value = 10000;
    s.Colebrook(0.2, 0.001);
    EXPECT_NEAR(s.psi.value, 0.037614, 5e-7);
}

} // namespace
