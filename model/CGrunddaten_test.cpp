#include "model/CGrunddaten.h"
#include "testsupport/model/ModelTestEnv.h"
#include "platform/Archive.h"

#include "platform/StringTable.h"
#include "testsupport/StoreAndLoad.h"

namespace {

using Site = ModelTest;

TEST_F(Site, DefaultsFromTheProfile) {
    CGrunddaten g;
    EXPECT_EQ(g.geoHeight.value, 325.0);
    EXPECT_EQ(g.airTemperature.value, 15.0);
    EXPECT_EQ(g.surroundingHeated.value, 20.0);
    EXPECT_EQ(g.surroundingOther.value, 15.0);
    EXPECT_EQ(g.safetyFactor.value, 1.5);
    EXPECT_EQ(g.heatTransferFactor.value, 0.5);
    EXPECT_EQ(g.gasConstantAir.value, 288.0);
    EXPECT_EQ(g.airRatio.value, 0.9);
    EXPECT_EQ(g.minReynolds.value, 2300.0);
    EXPECT_EQ(g.geoHeight.marker, 2);
    EXPECT_EQ(g.GetName(), "Grunddaten");

    vx::Profile().WriteString("Grunddaten", "GeoHoehe", "500");
    vx::Profile().WriteString("Grunddaten", "ReynoldsZahl", "3000");
    CGrunddaten same;
    EXPECT_EQ(same.geoHeight.value, 325.0);  // read once per process
    CGrunddaten::ReloadProfile();
    CGrunddaten fresh;
    EXPECT_EQ(fresh.geoHeight.value, 500.0);
    EXPECT_EQ(fresh.minReynolds.value, 3000.0);
}

TEST_F(Site, AirPressureFromTheHeight) {
    CGrunddaten g;
    g.geoHeight.value = 0;
    g.CalcAirPressure();
    EXPECT_DOUBLE_EQ(g.airPressure.value, 97000.0);
    g.geoHeight.value = 325;
    g.CalcAirPressure();
    EXPECT_NEAR(g.airPressure.value, 93344.08, 0.005);
    EXPECT_NEAR(g.airDensity.value, 1.124801, 5e-7);
    g.airTemperature2.value = -15;
    g.CalcAirPressure();
    EXPECT_DOUBLE_EQ(g.airDensity2.value, g.airPressure.value / 288.0 / 258.15);

    SetModelProgram(ModelProgram::Tarsilo);
    g.geoHeight.value = 0;
    g.CalcAirPressure();
    EXPECT_DOUBLE_EQ(g.airPressure.value, 97020.0);
}

TEST_F(Site, DesignColumns) {
    CGrunddaten g;
    struct Case { int regime, kind, column; };
    for (Case c : {Case{0, 0, 0}, {0, 1, 1}, {1, 3, 2}, {2, 0, 3}, {2, 1, 4}, {2, 4, 4}, {2, 2, 5}, {2, 3, 5},
                   {2, 5, 5}, {2, 6, 0}, {3, 0, 1}, {7, 0, 0}})
        EXPECT_EQ(g.SelectDesignTemperatures(c.regime, c.kind), c.column) << c.regime << "/" << c.kind;

    EXPECT_EQ(g.SelectDesignTemperatures(2, 4), 4);
    EXPECT_EQ(g.surroundingHeated.value, 0.0);
    EXPECT_EQ(g.surroundingUnheated.value, -15.0);
    EXPECT_EQ(g.surroundingOutlet.value, -15.0);
    EXPECT_EQ(g.airTemperature2.value, -15.0);
}

TEST_F(Site, HandTypedTemperatureSurvivesTheColumn) {
    vx::Profile().WriteString("Grunddaten", "Tl_neb33", "-7");
    CGrunddaten::ReloadProfile();
    CGrunddaten g;
    g.surroundingHeated.SetText("18");
    EXPECT_EQ(g.OnValueChanged(g.surroundingHeated), 1);
    EXPECT_EQ(g.surroundingHeated.marker, 0);
    g.SelectDesignTemperatures(2, 4);
    EXPECT_EQ(g.surroundingHeated.value, 18.0);
    g.SelectDesignTemperatures(2, 0);
    EXPECT_EQ(g.airTemperature2.value, -7.0);
    EXPECT_EQ(g.designDefaults[5], 20.0);
    g.LoadDefault(g.surroundingHeated);
    EXPECT_EQ(g.surroundingHeated.value, 20.0);
    EXPECT_EQ(g.surroundingHeated.marker, 2);
    CWDouble stranger;
    EXPECT_EQ(g.OnValueChanged(stranger), 0);
}

TEST_F(Site, RangeChecksInTheirOrder) {
    vx::Strings().Set(IDS_WERTEBEREICH, "zwischen %.1f und %.1f");
    CGrunddaten g;
    std::string msg;
    std::vector<int> ids;
    EXPECT_EQ(g.CheckInputs(msg, &ids), 0);
    EXPECT_EQ(msg, "");
    g.surroundingOther.value = 40;
    g.geoHeight.value = 6000;
    EXPECT_EQ(g.CheckInputs(msg, &ids), 1);
    EXPECT_EQ(msg, "zwischen 0,0 und 5000,0 m\r\nzwischen -30,0 und 30,0 \xB0" "C\r\n");
    EXPECT_EQ(ids, (std::vector<int>{CGrunddaten::IdGeoHeight, CGrunddaten::IdSurroundingOther}));
}

TEST_F(Site, SavesTheHeightAsDefault) {
    CGrunddaten g;
    g.geoHeight.value = 412.5;
    g.SaveDefaults();
    EXPECT_EQ(vx::Profile().GetString("Grunddaten", "GeoHoehe"), "412.500000");
}

TEST_F(Site, ArchiveAndCopy) {
    CGrunddaten g;
    g.geoHeight.value = 700;
    g.CalcAirPressure();
    g.stateWord = 3;
    CGrunddaten h;
    EXPECT_EQ(StoreAndLoad(g, h).size(), 15u * 16 + 4);
    EXPECT_EQ(h.geoHeight.value, 700.0);
    EXPECT_EQ(h.airPressure.value, g.airPressure.value);
    EXPECT_EQ(h.airDensity.value, g.airDensity.value);
    EXPECT_EQ(h.stateWord, 3);

    g.minReynolds.value = 2500;
    g.designDefaults[3] = -20;
    CGrunddaten c;
    c = g;
    EXPECT_EQ(c.stateWord, 3);
    EXPECT_EQ(c.geoHeight.value, 700.0);
    EXPECT_EQ(c.minReynolds.value, 2500.0);
    EXPECT_EQ(c.designDefaults[3], -20.0);
    CGrunddaten d(g);
    EXPECT_EQ(d.airDensity.value, g.airDensity.value);
}

} // namespace
