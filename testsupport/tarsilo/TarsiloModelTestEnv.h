// For tests of the second program's computation: a data folder with the
// sample cross-section tables, and the second program's model and fuel
// table, the first program's put back afterwards.
#pragma once

#include "model/CGrunddaten.h"
#include "model/CrossSectionTables.h"
#include "model/FuelTable.h"
#include "model/ModelText.h"
#include "platform/Profile.h"
#include "tarsilo/CTarsiloDocCore.h"
#include "testsupport/values/ValuesTestEnv.h"
#include "testsupport/velmora/SampleDataTestEnv.h"

#include <filesystem>

class TarsiloModelTest : public ValuesTest {
protected:
    void SetUp() override {
        ValuesTest::SetUp();
        vx::Profile().WriteString("Datenbank", "Pfad", dir_.string());
        std::filesystem::copy_file(std::filesystem::path(SampleData()) / "INNENTAB.INI", dir_ / "INNENTAB.INI");
        UseTarsiloModel();
        CGrunddaten::ReloadProfile();
        LoadCrossSectionTables();
    }
    void TearDown() override {
        SetModelProgram(ModelProgram::Velmora);
        FillFuelTable(VelmoraFuelRows());
        ValuesTest::TearDown();
        LoadCrossSectionTables();
    }
};
