// Test surroundings of the model: a profile of the test's own, the site
// profile read afresh and the main program's fuel table.
#pragma once

#include "model/AbgasZustand.h"
#include "model/CGrunddaten.h"
#include "model/FuelTable.h"
#include "model/ModelText.h"
#include "testsupport/values/ValuesTestEnv.h"

class ModelTest : public ValuesTest {
protected:
    void SetUp() override {
        ValuesTest::SetUp();
        SetModelProgram(ModelProgram::Velmora);
        FillFuelTable(VelmoraFuelRows());
        CGrunddaten::ReloadProfile();
    }
    void TearDown() override {
        SetModelProgram(ModelProgram::Velmora);
        ValuesTest::TearDown();
    }
};

// Where secondary or exhaust air joins the flue: the site's air, and the flue
// gas of an oil boiler below the joint, dry.
inline void SetJoiningSiteAir(CGrunddaten& site) {
    site.airPressure.value = 97000;
    site.gasConstantAir.value = 288;
    site.safetyFactor.value = 1.5;
}
inline AbgasZustand OilFlueGasBelowJoint() {
    AbgasZustand s;
    s.massFlow = 0.01;
    s.fuelIndex = 1;
    s.wetState = 1;
    s.areaBelow = 0.0133;
    s.co2P = 10, s.h2oP = 9, s.gasConstantP = 300, s.temperatureP = 150, s.specificHeatP = 1100;
    s.co2T = 10, s.h2oT = 9, s.gasConstantT = 300, s.temperatureT = 150, s.specificHeatT = 1100;
    return s;
}
