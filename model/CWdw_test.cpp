#include "model/CWdw.h"
#include "testsupport/model/ModelTestEnv.h"
#include "platform/Archive.h"

#include "platform/StringTable.h"
#include "testsupport/StoreAndLoad.h"
#include "values/Rounding.h"

#include <cmath>

namespace {

using Wall = ModelTest;

TEST_F(Wall, OneLayerOfConstantConductivity) {
    CWdw w;
    EXPECT_EQ(w.GetName(), "WDW");
    w.layers[0].thickness.value = 0.05;
    w.layers[0].conductivity.value = 1.0;
    EXPECT_FALSE(w.CalculateWall(0.2, 0, 0, 200, 2, 15, 150, 1, 1, nullptr));
    EXPECT_EQ(w.totalResistance.value, 0.0405);
    EXPECT_DOUBLE_EQ(w.totalThickness.value, 0.05);
    EXPECT_EQ(w.totalResistance.marker, 2);
    // Rectangular and oval sections carry the shape factor 1.1.
    w.CalculateWall(0.2, 0, 2, 200, 2, 15, 150, 1, 1, nullptr);
    EXPECT_DOUBLE_EQ(w.totalResistance.value, RoundToStep(0.2 * 1.1 * 0.5 * std::log(1.5), 10000));
}

TEST_F(Wall, ResistanceLayerUsesTheDiameterInsideIt) {
    CWdw w;
    w.layers[0].thickness.value = 0.05;
    w.layers[0].conductivity.value = 1.0;
    w.layers[1].thickness.value = 0.02;
    w.layers[1].resistance.value = 0.5;
    w.layers[3].thickness.value = 0.01;  // a gap in the layers is skipped over
    w.layers[3].conductivity.value = 0.04;
    w.CalculateWall(0.2, 0, 0, 200, 2, 15, 150, 1, 1, nullptr);
    const double third = RoundToStep(0.2 * 0.5 / 0.04 * std::log(0.36 / 0.34), 10000);
    EXPECT_DOUBLE_EQ(w.totalResistance.value, 0.0405 + 0.333 + third);
    EXPECT_DOUBLE_EQ(w.totalThickness.value, 0.08);

    // A given start diameter replaces the hydraulic one.
    w.layers[3].thickness.value = 0;
    w.CalculateWall(0.2, 0.25, 0, 200, 2, 15, 150, 1, 1, nullptr);
    EXPECT_DOUBLE_EQ(w.totalResistance.value,
                     RoundToStep(0.1 * std::log(0.35 / 0.25), 10000) + RoundToStep(0.2 * 0.5 / 0.35, 1000));
}

TEST_F(Wall, FourthLayerOnCanBeLeftOutInMode2) {
    CWdw w;
    for (int i = 0; i < 5; ++i) {
        w.layers[i].thickness.value = 0.01;
        w.layers[i].conductivity.value = 1.0;
    }
    w.layers[3].skipInMode2 = 1;
    w.CalculateWall(0.2, 0, 0, 200, 2, 15, 150, 1, 2, nullptr);
    EXPECT_DOUBLE_EQ(w.totalThickness.value, 0.03);
    w.CalculateWall(0.2, 0, 0, 200, 2, 15, 150, 1, 1, nullptr);
    EXPECT_DOUBLE_EQ(w.totalThickness.value, 0.05);
}

TEST_F(Wall, NothingToCalculateMarksTheResistancePending) {
    CWdw w;
    w.layers[0].thickness.value = 0.05;
    w.layers[0].conductivity.value = 1.0;
    w.totalResistance.value = 0.7;
    w.totalThickness.value = 0.9;
    EXPECT_FALSE(w.CalculateWall(0, 0, 0, 200, 2, 15, 150, 1, 1, nullptr));
    EXPECT_EQ(w.totalResistance.value, 0.7);
    EXPECT_EQ(w.totalThickness.value, 0.9);
    EXPECT_EQ(w.totalResistance.marker, 3);
    EXPECT_EQ(w.totalThickness.marker, 2);

    w.layers[0].conductivity.marker = CWerte::MarkerResult;
    w.totalResistance.marker = 0;
    EXPECT_TRUE(w.CalculateWall(0.2, 0, 0, 0, 2, 15, 150, 1, 1, nullptr));
    EXPECT_EQ(w.totalResistance.marker, 3);
    EXPECT_EQ(w.totalResistance.value, 0.7);
}

TEST_F(Wall, TemperatureDependentLayer) {
    CWdw w;
    WallLayer& l = w.layers[0];
    l.thickness.value = 0.05;
    l.conductivity.marker = CWerte::MarkerResult;
    l.tableKind = 1;
    l.table[0][CWdw::Lambda] = 0.5;
    l.table[0][CWdw::T] = 100;
    l.table[1][CWdw::Lambda] = 1.0;
    l.table[1][CWdw::T] = 300;
    double out[5] = {};
    EXPECT_TRUE(w.CalculateWall(0.2, 0, 0, 200, 2, 20, 150, 1, 1, out));
    // With no conductivity yet the layer starts from 1.0.
    const double tOut = 150 - std::log(1.5) * (0.2 * 2 * 0.5 / 1.0) * 180;
    EXPECT_DOUBLE_EQ(out[0], tOut);
    const double lambda = RoundToStep(0.5 + 0.5 * ((tOut + 150) / 2 - 100) / 200, 1000);
    EXPECT_DOUBLE_EQ(l.conductivity.value, lambda);
    EXPECT_DOUBLE_EQ(w.totalResistance.value, RoundToStep(0.1 / lambda * std::log(1.5), 10000));
}

TEST_F(Wall, TemperatureStepLeavesAnEmptyLayerAlone) {
    CWdw w;
    w.layers[0].thickness.value = 0.05;
    w.layers[0].conductivity.marker = CWerte::MarkerResult;  // depends on temperature, no table yet
    w.layers[1].thickness.value = 0.02;
    w.layers[1].resistance.value = 0.5;
    double out[5] = {};
    EXPECT_TRUE(w.CalculateWall(0.2, 0, 0, 200, 2, 20, 150, 1, 1, out));
    EXPECT_EQ(w.layers[0].conductivity.value, 0.0);
    EXPECT_EQ(w.layers[1].conductivity.value, 0.0);
    const double t1 = 150 - std::log(1.5) * 0.2 * 180;
    EXPECT_DOUBLE_EQ(out[0], t1);
    // The resistance layer steps with its equivalent conductivity.
    const double lambda2 = std::log(0.34 / 0.3) * 0.3 * 0.5 / 0.5;
    EXPECT_NEAR(out[1], t1 - std::log(0.34 / 0.3) * (0.2 * 2 * 0.5 / lambda2) * 180, 1e-9);
    EXPECT_DOUBLE_EQ(w.totalResistance.value, 0.333);
}

TEST_F(Wall, TemperatureTable) {
    CWdw w;
    WallLayer& l = w.layers[0];
    l.tableKind = 1;
    const double rows[3][4] = {{0, 0.2, 0.04, 50}, {0, 0.3, 0.06, 150}, {0, 0.5, 0.1, 250}};
    for (int i = 0; i < 3; ++i)
        for (int c = 0; c < 4; ++c) l.table[i][c] = rows[i][c];
    w.LookupLayerTable(l, 100);
    EXPECT_DOUBLE_EQ(l.conductivity.value, 0.05);
    EXPECT_DOUBLE_EQ(l.resistance.value, 0.25);
    w.LookupLayerTable(l, 200.5);
    EXPECT_DOUBLE_EQ(l.conductivity.value, 0.08);  // 0.0801 to 3 decimals
    EXPECT_DOUBLE_EQ(l.resistance.value, 0.401);
    w.LookupLayerTable(l, 10);
    EXPECT_EQ(l.conductivity.value, 0.04);
    w.LookupLayerTable(l, 900);
    EXPECT_EQ(l.resistance.value, 0.5);

    // Without a table a layer given by its resistance loses its conductivity.
    WallLayer& plain = w.layers[1];
    plain.conductivity.value = 0.3;
    plain.resistance.value = 0.2;
    w.LookupLayerTable(plain, 100);
    EXPECT_EQ(plain.conductivity.value, 0.0);
}

TEST_F(Wall, GapTable) {
    CWdw w;
    WallLayer& l = w.layers[0];
    l.tableKind = 2;
    // Two blocks, 40 and 200 °C; resistance grows with the gap.
    for (int b = 0; b < 2; ++b)
        for (int i = 0; i < 5; ++i) {
            double* row = l.table[5 * b + i];
            row[CWdw::W] = 0.01 * (i + 1);
            row[CWdw::R] = 0.1 * (i + 1) + (b ? 0.05 : 0);
            row[CWdw::Lambda] = 0.02 + 0.01 * b;
            row[CWdw::T] = b ? 200 : 40;
        }
    l.thickness.value = 0.005;
    w.LookupLayerTable(l, 100);
    EXPECT_EQ(l.conductivity.value, 0.0);
    EXPECT_EQ(l.resistance.value, 0.0);

    l.thickness.value = 0.025;
    w.LookupLayerTable(l, 120);
    EXPECT_DOUBLE_EQ(l.resistance.value, RoundToStep(0.25 + 0.025, 1000));
    EXPECT_DOUBLE_EQ(l.conductivity.value, 0.025);
    // Outside the blocks the nearer one alone; beyond the widths the end row.
    w.LookupLayerTable(l, 20);
    EXPECT_DOUBLE_EQ(l.resistance.value, 0.25);
    l.thickness.value = 0.08;
    w.LookupLayerTable(l, 250);
    EXPECT_DOUBLE_EQ(l.resistance.value, 0.55);
}

TEST_F(Wall, DefaultsFromTheTable) {
    CWdw w;
    WallLayer& l = w.layers[2];
    l.table[0][CWdw::R] = 0.15;
    l.table[0][CWdw::Lambda] = 0.04;
    l.table[1][CWdw::Lambda] = 0.05;
    w.LoadDefault(l.resistance);
    EXPECT_EQ(l.resistance.value, 0.15);
    EXPECT_EQ(l.resistance.marker, 2);
    l.conductivity.value = 9;
    w.LoadDefault(l.conductivity);
    EXPECT_EQ(l.conductivity.value, 0.0);
    EXPECT_EQ(l.conductivity.marker, 3);
}

TEST_F(Wall, EitherConductivityOrResistance) {
    vx::Strings().Set(IDS_SCHICHT_ENTWEDER, "Schicht %d: entweder W\xE4rmeleitzahl ODER W\xE4rmedurchla\xDFwiderstand !");
    CWdw w;
    w.layers[0].thickness.value = 0.05;
    w.layers[0].conductivity.value = 1;
    std::string msg;
    std::vector<int> ids;
    EXPECT_EQ(w.CheckInputs(msg, &ids), 0);
    EXPECT_EQ(msg, "");
    w.layers[1].thickness.value = 0.02;
    w.layers[1].conductivity.value = 0.5;
    w.layers[1].resistance.value = 0.1;
    EXPECT_EQ(w.CheckInputs(msg, &ids), 1);
    EXPECT_EQ(msg, "Schicht 2: entweder W\xE4rmeleitzahl ODER W\xE4rmedurchla\xDFwiderstand !\r\n");
    EXPECT_EQ(ids, std::vector<int>{w.layers[1].resistance.valueId});
}

TEST_F(Wall, UnitChoiceOfTheThicknesses) {
    CWdw w;
    EXPECT_EQ(w.layers[4].thickness.displayUnit, 0x500);
    w.layers[2].thickness.displayUnit = 0x502;
    w.OnUnitChanged(w.layers[2].thickness);
    for (const WallLayer& l : w.layers) EXPECT_EQ(l.thickness.displayUnit, 0x502);
    EXPECT_EQ(vx::Profile().GetString("WDW", "0x0002"), "1282 # 0x0502");
    EXPECT_EQ(vx::Profile().GetString("WDW", "0x002A"), "1282 # 0x0502");
}

TEST_F(Wall, ArchiveLayoutAndCopy) {
    CWdw w;
    w.layers[0].thickness.value = 0.05;
    w.layers[4].table[19][CWdw::T] = 400;
    w.layers[2].extra2 = 7;
    w.totalResistance.value = 0.0405;
    w.stateWord = 2;
    CWdw r;
    EXPECT_EQ(StoreAndLoad(w, r).size(), 3601u);
    EXPECT_EQ(r.layers[0].thickness.value, 0.05);
    EXPECT_EQ(r.layers[4].table[19][CWdw::T], 400.0);
    EXPECT_EQ(r.layers[2].extra2, 7);
    EXPECT_EQ(r.totalResistance.value, 0.0405);
    EXPECT_EQ(r.stateWord, 2);

    CWdw c(w);
    EXPECT_EQ(c.layers[4].table[19][CWdw::T], 400.0);
    EXPECT_EQ(c.layers[0].thickness.value, 0.05);
}

} // namespace
