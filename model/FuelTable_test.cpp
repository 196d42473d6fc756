#include "model/FuelTable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

TEST(FuelTable, MainProgramRowsAsTabled) {
    FillFuelTable(VelmoraFuelRows());
    EXPECT_EQ(FuelTable.count, 14);
    const FuelRow& oil = FuelRowAt(1);
    EXPECT_EQ(oil.largestCo2, 15.4);
    EXPECT_EQ(oil.fm1, 4.94);
    EXPECT_EQ(oil.fRDry, -0.0002);
    EXPECT_EQ(oil.fRWet, -0.0018);
    EXPECT_EQ(oil.cp0, 13);
    EXPECT_EQ(oil.cpF, 0.0093);
    EXPECT_EQ(oil.fw, 111);
    EXPECT_EQ(oil.kind, 3);
    EXPECT_EQ(oil.k3, 13.2);
    EXPECT_EQ(FuelRowAt(0).dewA, 99);
    EXPECT_EQ(FuelRowAt(0).dewB, 7);
    // The quirks stay as the program has them.
    EXPECT_EQ(FuelRowAt(8).cpF, 0.0116);
    EXPECT_EQ(FuelRowAt(9).cpF, 0.0115);
    EXPECT_EQ(FuelRowAt(11).cp2, 0.000013);
    EXPECT_EQ(FuelRowAt(13).largestCo2, 20.31);
    EXPECT_EQ(FuelRowAt(13).kind, 1);
    EXPECT_EQ(FuelRowAt(12).fw, 149);
}

TEST(FuelTable, ByteLayout) {
    FillFuelTable(VelmoraFuelRows());
    const auto* bytes = reinterpret_cast<const uint8_t*>(&FuelTable);
    EXPECT_EQ(bytes[0], 14);
    EXPECT_EQ(bytes[1], 0);
    for (int i = 2; i < 8; ++i) EXPECT_EQ(bytes[i], 0) << i;
    double c10;
    std::memcpy(&c10, bytes + 8 + 128 * 1 + 72, 8);
    EXPECT_EQ(c10, 111.0);
    int16_t kind;
    std::memcpy(&kind, bytes + 8 + 128 * 10 + 80, 2);
    EXPECT_EQ(kind, 1);
    for (int i = 82; i < 88; ++i) EXPECT_EQ(bytes[8 + 128 * 10 + i], 0) << i;
    for (size_t i = 8 + 128 * 14; i < sizeof FuelTable; ++i) ASSERT_EQ(bytes[i], 0) << i;
}

TEST(FuelTable, RowsOutsideTheFillAreZero) {
    FillFuelTable(VelmoraFuelRows());
    for (int index : {14, 19, 20, -1, 255, 100000}) {
        const FuelRow& row = FuelRowAt(index);
        EXPECT_EQ(row.fw, 0.0) << index;
        EXPECT_EQ(row.kind, 0) << index;
        EXPECT_EQ(row.largestCo2, 0.0) << index;
    }
}

TEST(FuelTable, AnotherProgramsRowsReplaceTheTable) {
    const FuelRow own[] = {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 2, 12, 13, 14, 15, 16}};
    FillFuelTable(own);
    EXPECT_EQ(FuelTable.count, 1);
    EXPECT_EQ(FuelRowAt(0).fw, 10.0);
    EXPECT_EQ(FuelRowAt(1).fw, 0.0);
    FillFuelTable(VelmoraFuelRows());
}

TEST(FuelTable, WaterVapourOfHeatingOil) {
    FillFuelTable(VelmoraFuelRows());
    double h2o = 100 / (FuelRowAt(1).fw / 10 + 1) + 1.1;
    EXPECT_NEAR(h2o, 9.3645, 5e-5);
}

} // namespace

#include "model/ModelText.h"
#include "platform/StringTable.h"

namespace {

TEST(FuelTable, FuelNamesInTheStringTable) {
    vx::StringTable t;
    ASSERT_TRUE(t.LoadFile(vx::ResourceDir() + "/model/strings.txt"));
    EXPECT_EQ(t.Get(IDS_BRENNSTOFF_ERSTER + 0), "Koks");
    EXPECT_EQ(t.Get(IDS_BRENNSTOFF_ERSTER + 1), "Heiz\xF6l EL");
    EXPECT_EQ(t.Get(IDS_BRENNSTOFF_ERSTER + 8), "Fl\xFCssiggas Brenner mit Gebl\xE4se");
    EXPECT_EQ(t.Get(IDS_BRENNSTOFF_ERSTER + 13), "Pellets (Wodtke)");
    EXPECT_EQ(t.Get(IDS_SCHICHT_ENTWEDER), "Schicht %d: entweder W\xE4rmeleitzahl ODER W\xE4rmedurchla\xDFwiderstand !");
    EXPECT_EQ(t.Get(IDS_UEBERGANG_MANUELL), "\xDC" "bergang, Zeta manuell");
}

} // namespace
