// Test surroundings of the model: a profile of the test's own, the site
// profile read afresh and the main program's fuel table.
#pragma once

#include "model/CGrunddaten.h"
#include "model/FuelTable.h"
#include "model/ModelText.h"
#include "values/ValuesTestEnv.h"

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
