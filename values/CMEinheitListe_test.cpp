#include "values/CMEinheitListe.h"
#include "values/CRpnEvaluator.h"
#include "testsupport/values/ValuesTestEnv.h"

#include "platform/MessageService.h"
#include "platform/StringTable.h"

#include <cmath>

namespace {

using Units = ValuesTest;

TEST_F(Units, TableHoldsAllUnitsInOrder) {
    const uint16_t codes[] = {0x100, 0x101, 0x102, 0x103, 0x200, 0x201, 0x202, 0x203, 0x300, 0x301, 0x302,
                              0x303, 0x304, 0x305, 0x400, 0x401, 0x402, 0x403, 0x500, 0x501, 0x502, 0x503,
                              0x504, 0xA000, 0xA001, 0xA002, 0xA003, 0x600, 0x700, 0x800, 0x900, 0xC000};
    const char* names[] = {"kW", "Ps", "cal/s", "kcal/h", "\xB0" "C", "K", "\xB0" "F", "\xB0" "R", "Pa", "mbar",
                           "at", "mm Ws", "atm", "Torr", "kg/s", "kg/h", "g/s", "g/h", "m", "dm", "cm", "mm", "Inch",
                           "m\xB2", "dm\xB2", "cm\xB2", "mm\xB2", "%", "kg/m\xB3", "m\xB2K/W", "W/m*K", "m\xB3/h"};
    const auto& e = UnitList().Elements();
    ASSERT_EQ(e.size(), 32u);
    for (size_t i = 0; i < e.size(); ++i) {
        EXPECT_EQ(e[i]->Code(), codes[i]) << i;
        EXPECT_EQ(e[i]->Name(), names[i]) << i;
    }
    EXPECT_EQ(UnitList().GetUnitText(0x401), "kg/h");
    EXPECT_EQ(e[15]->Formula(), "%f,3600,/,@%f,@%f,3.6,/,@%f,1000,*,@");
    EXPECT_EQ(e[27]->Formula(), "");
    EXPECT_EQ(UnitList().GetUnitText(0x0B00), "");

    std::vector<std::string> pressure;
    UnitList().FillUnitList(0x303, pressure);
    EXPECT_EQ(pressure, (std::vector<std::string>{"Pa", "mbar", "at", "mm Ws", "atm", "Torr"}));
}

TEST_F(Units, ConvertsThroughTheFormulas) {
    const CMEinheitListe& u = UnitList();
    EXPECT_DOUBLE_EQ(u.Convert(1000, 0x301, 0x300), 100000.0);
    EXPECT_NEAR(u.Convert(1, 0x301, 0x303), 10.197, 1e-12);
    EXPECT_NEAR(u.Convert(20, 0x200, 0x201), 293.15, 1e-12);
    EXPECT_NEAR(u.Convert(20, 0x200, 0x202), 67.9986, 5e-5);
    EXPECT_NEAR(u.Convert(20, 0x200, 0x202), (20 + 17.78) / 0.5556, 1e-12);
    EXPECT_NEAR(u.Convert(68, 0x202, 0x200), 20.0008, 1e-12);
    EXPECT_NEAR(u.Convert(1, 0x504, 0x503), 25.4, 1e-12);
    EXPECT_EQ(u.Convert(1, 0x504, 0x504), 1.0);
    EXPECT_EQ(u.Convert(1, 0xA003, 0xA003), 1.0);
    EXPECT_DOUBLE_EQ(u.Convert(1, 0x400, 0x403), 3600000.0);
    EXPECT_EQ(u.Convert(42.25, 0x600, 0x601), 42.25);
    EXPECT_EQ(u.Convert(7.5, 0x700, 0x000), 7.5);
}

TEST_F(Units, ValueGoesThroughSixDecimalsOfText) {
    // 0.0000004 m prints as "0.000000": the formulas see six decimals only.
    EXPECT_EQ(UnitList().Convert(0.0000004, 0x500, 0x503), 0.0);
    EXPECT_NEAR(UnitList().Convert(0.0000006, 0x500, 0x503), 0.001, 1e-15);
}

TEST_F(Units, UnknownSourceGivesZeroSilently) {
    vx::ScopedScriptedMessages msgs;
    EXPECT_EQ(UnitList().Convert(5, 0x0B00, 0x0B01), 0.0);
    EXPECT_TRUE(msgs.service.shown.empty());
}

TEST_F(Units, MissingConversionShowsMessageAndGivesZero) {
    ASSERT_TRUE(vx::Strings().LoadFile(vx::ResourceDir() + "/values/strings.txt"));
    vx::ScopedScriptedMessages msgs;
    EXPECT_EQ(UnitList().Convert(5, 0xA003, 0xA005), 0.0);
    EXPECT_EQ(UnitList().Convert(5, 0x504, 0x505), 0.0);
    ASSERT_EQ(msgs.service.shown.size(), 2u);
    EXPECT_EQ(msgs.service.shown[0].text, "Fehler beim Umrechnen von 5d nach a003d !");
    EXPECT_EQ(msgs.service.shown[1].text, "Fehler beim Umrechnen von 5d nach 504d !");
    EXPECT_EQ(msgs.service.shown[0].flags & vx::MB_TYPEMASK, vx::MB_OK);
}

TEST_F(Units, TorrToAtRoundTripsLikeTheOtherPairs) {
    const CMEinheitListe& u = UnitList();
    double at = u.Convert(u.Convert(1.0, 0x302, 0x305), 0x305, 0x302);
    EXPECT_NEAR(at, 1.0, 1e-5);
    // The other pairs of the pressure group are exact to the same order.
    EXPECT_NEAR(u.Convert(u.Convert(1.0, 0x302, 0x303), 0x303, 0x302), 1.0, 1e-5);
    EXPECT_NEAR(u.Convert(u.Convert(1.0, 0x304, 0x305), 0x305, 0x304), 1.0, 1e-4);
}

TEST_F(Units, GermanNumericLocaleChangesNothing) {
    GermanNumeric de;
    ASSERT_TRUE(de.active());
    EXPECT_NEAR(UnitList().Convert(20, 0x200, 0x202), (20 + 17.78) / 0.5556, 1e-12);
    EXPECT_NEAR(UnitList().Convert(1.5, 0x502, 0x500), 0.015, 1e-15);
    EXPECT_DOUBLE_EQ(UnitList().Convert(1000, 0x301, 0x300), 100000.0);
}

TEST(RpnEvaluator, EvaluatesPostfixTokens) {
    CRpnEvaluator r;
    r.Init("12.500000,2,*,1,-,");
    EXPECT_EQ(r.GetResult(), 24.0);
    r.Init("60,cos,");
    EXPECT_DOUBLE_EQ(r.GetResult(), std::cos(60 * 3.14 / 180));
    // The last stacked number is the result; the value below it is ignored.
    r.Init("5.000000,2,3,");
    EXPECT_EQ(r.GetResult(), 3.0);
    CMEinheitElement e(0x100, "x", "%f,2,3,@%f,2,3,@");
    EXPECT_EQ(e.Convert(5, 0x101), 3.0);
    // Text after the last comma is ignored; an empty token ends the formula.
    r.Init("2,3");
    EXPECT_EQ(r.GetResult(), 2.0);
    r.Init("7,,8,");
    EXPECT_EQ(r.GetResult(), 7.0);
    r.Init("abc,");
    EXPECT_EQ(r.GetResult(), 0.0);
}

TEST(RpnEvaluator, ShortOfOperandsReadsZero) {
    CRpnEvaluator r;
    r.Init("+,");
    EXPECT_EQ(r.GetResult(), 0.0);
    r.Init("5,-,");
    EXPECT_EQ(r.GetResult(), -5.0);
    r.Init("");
    EXPECT_EQ(r.GetResult(), 0.0);
    r.Init(",");
    EXPECT_EQ(r.GetResult(), 0.0);
    EXPECT_EQ(r.Pop(), 0.0);
    r.Push(4);
    r.Push(6);
    EXPECT_EQ(r.Pop(), 6.0);
    EXPECT_EQ(r.Pop(), 4.0);
    EXPECT_EQ(r.Pop(), 0.0);
}

} // namespace
