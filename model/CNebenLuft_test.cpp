#include "model/CNebenLuft.h"

#include "model/CAufBauE.h"
#include "model/CAufRaum.h"
#include "testsupport/model/ModelTestEnv.h"
#include "platform/Archive.h"
#include "platform/StringTable.h"
#include "testsupport/PartStrings.h"

#include <gtest/gtest.h>

#include "values/Rounding.h"

#include <cmath>
#include <cstring>

namespace {

class CNebenLuftTest : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        SetJoiningSiteAir(site);
        site.airRatio.value = 0.9;
    }

    // With the pressure the flow brings to the device.
    static AbgasZustand Below() {
        AbgasZustand s = OilFlueGasBelowJoint();
        s.pressureLoss = 2;
        s.draught = 6;
        s.resistanceSum = 3;
        return s;
    }

    // The device of the hand-worked example: 5 g/s of air at 15 °C through 0.0177 m².
    void Prepare(CNebenLuft& nl) {
        nl.site = &site;
        nl.deviceArea = 0.0177;
        nl.airMassFlow.value = 0.005;
        nl.a0.value = 10, nl.a1.value = 200, nl.a2.value = 30000;
        nl.savedPressureLoss = 2;
    }

    CGrunddaten site;
};

TEST_F(CNebenLuftTest, FreshDeviceAndItsProfileDefaults) {
    auto m = CreateModule("CNebenLuft");
    ASSERT_NE(m, nullptr);
    auto& nl = dynamic_cast<CNebenLuft&>(*m);
    EXPECT_STREQ(nl.ClassName(), "CNebenLuft");
    EXPECT_FALSE(nl.IsKindOf("CAbgasAbluft"));
    EXPECT_EQ(nl.GetName(), "Nebenluft");
    EXPECT_EQ(nl.deviceType.value, -1);
    EXPECT_EQ(nl.flowExponent.value, 1.5);
    EXPECT_EQ(nl.a0.value, 10);
    EXPECT_EQ(nl.a0.marker, CWerte::MarkerDerived);
    EXPECT_EQ(nl.roomAirTemperature.value, 15);
    EXPECT_EQ(nl.relativeHumidity.value, 60);
    EXPECT_EQ(nl.caseCount, -1);
    EXPECT_EQ(nl.deviceArea, 0);
    nl.SetInletValue(0.03);
    EXPECT_EQ(nl.GetOutletValue(), 0.03);
    nl.SetRunLength(4);
    nl.AddRunLength(2);
    EXPECT_EQ(nl.GetRunLength(), 4);
    nl.ResetRunLength();
    EXPECT_EQ(nl.GetRunLength(), 0);
}

TEST_F(CNebenLuftTest, MixesRoomAirIntoTheFlueGas) {
    CNebenLuft nl;
    Prepare(nl);
    CNebWerte r;
    nl.CalcAirState(r, Below(), false);
    // cpL = 1011 + 0.05 x 15 + 0.0003 x 15² = 1011.8175
    EXPECT_DOUBLE_EQ(r.airSpecificHeat, 1011.8175);
    // t = (5.0590875 x 288.15 + 11 x 423.15) / (5.0590875 + 11) - 273.15
    //   = (1457.776063 + 4654.65) / 16.0590875 - 273.15
    EXPECT_NEAR(r.temperature, 107.471007459, 1e-8);
    EXPECT_EQ(nl.airWaterVapour.value, 1.1);
    // h2o = (9 x 300 x 0.01 + 288 x 0.005 x 1.1) / (288 x 0.005 + 300 x 0.01) = 28.584 / 4.44
    EXPECT_NEAR(r.waterVapour, 6.437837838, 1e-8);
    // co2 = 300 x 0.01 x 91 x 10 / (273 + 288 x 0.005 x 93.562162) = 2730 / 407.729514
    EXPECT_NEAR(r.co2, 6.695615376, 1e-8);
    // dry oil: R = (6.695615 x -0.0002 + 1) x 288
    EXPECT_NEAR(r.gasConstant, 287.614332554, 1e-8);
    // rho = 97000 / 287.614333 / 380.621007; w = 0.015 / 0.0177 / rho
    EXPECT_NEAR(r.density, 0.886070863, 1e-8);
    EXPECT_NEAR(r.velocity, 0.956421955, 1e-8);
    // Junction formula 1 with (0.0177, 0.0177, 0.005, 0.015, 90°): m = 1/3, w = 1:
    // 2/3 x 1/3 - (1/9 x (-1.2) + 4/9 x 0.92) = -0.48 / 9
    EXPECT_NEAR(nl.deviceZeta.value, -0.053333333, 1e-8);
    EXPECT_EQ(r.baseValue, 10);   // max(a0 = 10, 2 Pa below)
    EXPECT_EQ(r.airSideValue, 0); // no installation room
    // w² x 0.946667 x 1.5 x rho x 0.5 = 0.575474; + 30000 x 0.005² + 200 x 0.005 + 10
    EXPECT_NEAR(r.pressureLoss, 12.325474227, 1e-8);

    // Wet operation takes the fuel's wet coefficient: (6.695615 x -0.0018 + 1) x 288
    // = 288 - 6.695615 x 0.5184.
    AbgasZustand wet = Below();
    wet.wetState = 2;
    nl.CalcAirState(r, wet, true);
    EXPECT_NEAR(r.gasConstant, 284.528992989, 1e-8);

    // A larger pressure loss below the device replaces a0.
    nl.savedPressureLoss = 25;
    nl.CalcAirState(r, Below(), false);
    EXPECT_EQ(r.baseValue, 25);
}

TEST_F(CNebenLuftTest, AirSupplyThroughTheDeviceAndTheRoomsAirSide) {
    CAufBauE arrangement;
    CAufRaum room;
    arrangement.site = site;
    arrangement.airSupply.value = 3;
    room.airSupplyPressure.value = 4;
    CNebenLuft nl;
    Prepare(nl);
    nl.Attach(&arrangement, &room, nullptr);
    nl.junctionAngle = 45;
    CNebWerte r;
    nl.CalcAirState(r, Below(), false);
    // Junction formula 2 with (0.0133, 0.0177, 0.01, 0.015, 45°): m = 2/3, w = 1.330827:
    // 1/9 x 0.03 - 4/9 x ((0.707107 x 1.330827 - 1) x 1.62 + 1 - 0.248588 x 0.38) + 1/3 x 2/3 x 0.248588
    EXPECT_NEAR(nl.deviceZeta.value, -0.0792100556, 1e-9);
    // (0.005 / 0.9 / 0.01 + 1)^1.5 x 4 Pa of the room
    EXPECT_NEAR(r.airSideValue, 7.76047458, 1e-8);
    // w² x 0.920790 x rho / 2 = 0.373162593; x 1.5 + 0.75 + 1 + 10
    EXPECT_NEAR(r.pressureLoss, 12.309743889, 1e-8);

    // In the chain the air side counts into the pressure loss handed up.
    AbgasZustand in = Below();
    const AbgasZustand& out = *nl.Calculate(&in, kModeFullLoad | kModeSecondAirSet, -1, 0, 0);
    const CNebWerte& p = *nl.pressureCases[0];
    EXPECT_GT(p.airSideValue, 0);
    EXPECT_EQ(out.airSideLoss, p.airSideValue);
    EXPECT_EQ(out.pressureLoss, p.pressureLoss + p.airSideValue);
}

TEST_F(CNebenLuftTest, ActsOnlyWithTheSecondOutsideAirSet) {
    CNebenLuft nl;
    Prepare(nl);
    AbgasZustand in = Below();
    AbgasZustand* out = nl.Calculate(&in, 1, -1, 0, 0);
    EXPECT_EQ(out, &nl.outgoing);
    EXPECT_EQ(out->temperatureP, 150);
    EXPECT_EQ(out->draught, 6);
    EXPECT_EQ(nl.caseCount, 0);
    EXPECT_EQ(nl.pressureCases.size(), 1u);
    EXPECT_EQ(nl.pressureCases[0]->pressureLoss, 0);
    EXPECT_EQ(nl.savedState, nullptr);

    // A null state is a cleared one.
    out = nl.Calculate(nullptr, 1, 0, 0, 0);
    EXPECT_EQ(out->massFlow, 0);
    EXPECT_EQ(out->temperatureP, 0);

    // With the device acting, a null state (no flue gas below) passes as a cleared state.
    out = nl.Calculate(nullptr, kModeFullLoad | kModeSecondAirSet, -1, 0, 0);
    ASSERT_NE(nl.savedState, nullptr);
    EXPECT_EQ(nl.airMassFlow.value, 0);
    EXPECT_EQ(out->massFlow, 0);
    EXPECT_EQ(out->temperatureP, 0);
    EXPECT_EQ(out->pressureLoss, 0);
    EXPECT_EQ(nl.pressureCases[0]->temperature, 0);

    // Without its site the device hands the state on, whatever the mode.
    nl.site = nullptr;
    out = nl.Calculate(&in, kModeFullLoad | kModeSecondAirSet, -1, 0, 0);
    EXPECT_EQ(out->temperatureP, 150);
    EXPECT_EQ(nl.savedState, nullptr);
}

TEST_F(CNebenLuftTest, HandsTheMixtureUp) {
    vx::Strings().Set(IDS_MIT_KONDENSATION, "mit Kondensation");
    vx::Strings().Set(IDS_NL_AKTIV, "NL aktiv");
    CNebenLuft nl;
    Prepare(nl);
    AbgasZustand in = Below();
    in.wetState = 2;
    AbgasZustand& out = *nl.Calculate(&in, kModeFullLoad | kModeSecondAirSet, -1, 0, 0);
    // First use: the state below is kept with its pressure loss, and the air
    // mass flow follows from the area below: (0.0133 / 0.24)^(1 / 0.7).
    ASSERT_NE(nl.savedState, nullptr);
    EXPECT_EQ(nl.savedPressureLoss, 2);
    EXPECT_NEAR(nl.airMassFlow.value, 0.01603985989, 1e-10);

    const CNebWerte& p = *nl.pressureCases[0];
    const CNebWerte& t = *nl.temperatureCases[0];
    CNebWerte expected;
    nl.CalcAirState(expected, in, false);
    EXPECT_EQ(p.temperature, expected.temperature);
    EXPECT_EQ(p.addedMassFlow, nl.airMassFlow.value);
    EXPECT_EQ(p.deviceCoefficient, nl.deviceZeta.value);
    EXPECT_EQ(p.mode, 9);
    EXPECT_EQ(t.mode, 9);
    EXPECT_EQ(p.text, "mit Kondensation, NL aktiv");

    EXPECT_EQ(out.temperatureP, p.temperature);
    EXPECT_EQ(out.temperatureT, t.temperature);
    EXPECT_EQ(out.co2P, p.co2);
    EXPECT_EQ(out.h2oT, t.waterVapour);
    EXPECT_EQ(out.gasConstantP, p.gasConstant);
    EXPECT_EQ(out.specificHeatP, p.airSpecificHeat);
    EXPECT_EQ(out.specificHeatT, t.airSpecificHeat);
    EXPECT_EQ(out.massFlow, 0.01);
    EXPECT_EQ(out.massFlowAdded, nl.airMassFlow.value);
    EXPECT_EQ(out.resistanceSum, 0);
    EXPECT_EQ(out.draught, 0);
    EXPECT_EQ(out.pressureLoss, p.pressureLoss + p.airSideValue);
    EXPECT_EQ(out.airSideLoss, p.airSideValue);

    // Later calls of the case use the state kept at the first.
    AbgasZustand hotter = Below();
    hotter.temperatureP = 300;
    nl.Calculate(&hotter, kModeFullLoad | kModeSecondAirSet, 0, 0, 0);
    EXPECT_EQ(nl.pressureCases[0]->temperature, expected.temperature);
    // A new case starts afresh.
    nl.Calculate(&hotter, kModeFullLoad | kModeSecondAirSet, 1, 0, 0);
    EXPECT_EQ(nl.caseCount, 1);
    EXPECT_GT(nl.pressureCases[1]->temperature, expected.temperature);
    EXPECT_EQ(nl.pressureCases[1]->text, "NL aktiv");
    EXPECT_EQ(nl.pressureCases[0]->temperature, expected.temperature);
}

TEST_F(CNebenLuftTest, DeviceTypesAndTheirCoefficients) {
    CNebenLuft nl;
    const double a1s[] = {400, 200, 140, 97, 74, 48};
    const double a2s[] = {120000, 30000, 11400, 5000, 2800, 1260};
    for (int type = 0; type <= 5; ++type) {
        nl.deviceType.value = type;
        EXPECT_EQ(nl.OnValueChanged(nl.deviceType), 1);
        EXPECT_EQ(nl.a1.value, a1s[type]);
        EXPECT_EQ(nl.a2.value, a2s[type]);
        EXPECT_EQ(nl.a1.marker, CWerte::MarkerDerived);
        EXPECT_EQ(nl.a2.marker, CWerte::MarkerDerived);
    }
    nl.deviceType.value = 6;
    nl.OnValueChanged(nl.deviceType);
    EXPECT_EQ(nl.a1.value, 48);
    EXPECT_EQ(nl.a1.marker, CWerte::MarkerPlain);
    EXPECT_EQ(nl.a2.marker, CWerte::MarkerPlain);
    nl.a1.marker = 2;
    nl.deviceType.value = 7;
    nl.OnValueChanged(nl.deviceType);
    EXPECT_EQ(nl.a1.value, 48);
    EXPECT_EQ(nl.a1.marker, 2);

    // Default types by section area, resistance groups below 3 and from 3 on.
    EXPECT_EQ(CNebenLuft::DeviceTypeForSection(0.016, 0), 0);
    EXPECT_EQ(CNebenLuft::DeviceTypeForSection(0.0161, 2), 1);
    EXPECT_EQ(CNebenLuft::DeviceTypeForSection(0.022, 1), 1);
    EXPECT_EQ(CNebenLuft::DeviceTypeForSection(0.03, 0), 2);
    EXPECT_EQ(CNebenLuft::DeviceTypeForSection(0.04, 0), 3);
    EXPECT_EQ(CNebenLuft::DeviceTypeForSection(0.05, 0), 4);
    EXPECT_EQ(CNebenLuft::DeviceTypeForSection(0.0501, 0), 5);
    EXPECT_EQ(CNebenLuft::DeviceTypeForSection(0.022, 3), 0);
    EXPECT_EQ(CNebenLuft::DeviceTypeForSection(0.03, 4), 1);
    EXPECT_EQ(CNebenLuft::DeviceTypeForSection(0.04, 3), 2);
    EXPECT_EQ(CNebenLuft::DeviceTypeForSection(0.05, 3), 3);
    EXPECT_EQ(CNebenLuft::DeviceTypeForSection(0.2, 3), 4);
    // Without a section there is no default type.
    nl.deviceType.value = 3;
    nl.LoadDefault(nl.deviceType);
    EXPECT_EQ(nl.deviceType.value, -1);
    EXPECT_EQ(nl.deviceType.marker, CWerte::MarkerDerived);
}

TEST_F(CNebenLuftTest, DefaultsAndEditsOfTheRoomValues) {
    CNebenLuft nl;
    nl.a0.value = 10;
    EXPECT_EQ(nl.OnValueChanged(nl.a0), 1);
    EXPECT_EQ(nl.a0.marker, CWerte::MarkerDerived);
    // A typed value is plain; the default comes back from the profile.
    const struct {
        CWDouble& cell;
        double typed, byDefault;
    } edits[] = {{nl.a0, 11, 10}, {nl.roomAirTemperature, 20, 15}, {nl.relativeHumidity, 70, 60}};
    for (const auto& e : edits) {
        e.cell.value = e.typed;
        nl.OnValueChanged(e.cell);
        EXPECT_EQ(e.cell.marker, CWerte::MarkerPlain) << e.typed;
        nl.LoadDefault(e.cell);
        EXPECT_EQ(e.cell.value, e.byDefault);
    }
    EXPECT_EQ(nl.a0.marker, CWerte::MarkerDerived);
    EXPECT_EQ(nl.OnValueChanged(nl.deviceName), 0);
}

TEST_F(CNebenLuftTest, RangeChecksOfTheCharacteristic) {
    CNebenLuft nl;
    nl.deviceType.value = 1;
    nl.OnValueChanged(nl.deviceType);
    std::string message;
    std::vector<int> ids;
    EXPECT_EQ(nl.CheckInputs(message, &ids), 0);
    EXPECT_EQ(message, "");
    nl.a0.value = 150;          // above A0_max 100
    nl.a2.value = 999;          // below A2_min 1000
    nl.relativeHumidity.value = -1;
    nl.roomAirTemperature.value = 31;
    EXPECT_EQ(nl.CheckInputs(message, &ids), 1);
    EXPECT_EQ(ids, (std::vector<int>{CNebenLuft::IdA0, CNebenLuft::IdA2, CNebenLuft::IdRoomAirTemperature,
                                      CNebenLuft::IdRelativeHumidity}));
    // One line per failing value.
    size_t lines = 0;
    for (size_t at = message.find("\r\n"); at != std::string::npos; at = message.find("\r\n", at + 2)) ++lines;
    EXPECT_EQ(lines, 4u);
}

TEST_F(CNebenLuftTest, TypeListTexts) {
    CNebenLuft nl;
    std::string n, t0, t1, t2;
    ASSERT_EQ(nl.GetValueInfo(CNebenLuft::IdDeviceType, 2, n, t0, t1, t2), 1);
    EXPECT_EQ(n, "3");
    EXPECT_EQ(t0, "a0=10.0 Pa");
    EXPECT_EQ(t1, "a1=140.0 Pa*(s/kg)");
    EXPECT_EQ(t2, "a2=11400.0 Pa*(s/kg)\xB2");  // "²" in code page 1252
    nl.a1.value = 123.45;
    nl.a2.value = 2000;
    ASSERT_EQ(nl.GetValueInfo(CNebenLuft::IdDeviceType, 6, n, t0, t1, t2), 1);
    EXPECT_EQ(n, "--");
    EXPECT_EQ(t1, "a1=123.5 Pa*(s/kg)");
    EXPECT_EQ(t2, "a2=2000.0 Pa*(s/kg)\xB2");
    EXPECT_EQ(nl.GetValueInfo(CNebenLuft::IdDeviceType, 7, n, t0, t1, t2), 0);
    EXPECT_EQ(nl.GetValueInfo(CNebenLuft::IdDeviceType, -1, n, t0, t1, t2), 0);
}

TEST_F(CNebenLuftTest, ArchiveRoundTripWithCases) {
    vx::Strings().Set(IDS_NL_AKTIV, "NL aktiv");
    CNebenLuft nl;
    Prepare(nl);
    nl.deviceName.text = "Zugbegrenzer";
    nl.deviceType.value = 2;
    nl.SetRunLength(3.5);
    nl.stateWord = 7;
    AbgasZustand in = Below();
    nl.Calculate(&in, kModeFullLoad | kModeSecondAirSet, -1, 0, 0);
    nl.Calculate(&in, kModeFullLoad | kModeSecondAirSet, 1, 0, 0);
    ASSERT_EQ(nl.caseCount, 1);

    vx::Archive out = vx::Archive::ForStoring();
    nl.Serialize(out);
    // 11 cells, then area, run length, case count, saved loss, state word.
    CNebenLuft probe;
    vx::Archive head = vx::Archive::ForStoring();
    CWerte* cells[] = {&nl.deviceName, &nl.deviceType, &nl.a0, &nl.a1, &nl.a2, &nl.roomAirTemperature,
                       &nl.relativeHumidity, &nl.airMassFlow, &nl.airWaterVapour, &nl.deviceZeta, &nl.flowExponent};
    for (CWerte* c : cells) c->Serialize(head);
    const size_t at = head.Bytes().size();
    const auto& bytes = out.Bytes();
    double area;
    int32_t count;
    std::memcpy(&area, &bytes[at], 8);
    std::memcpy(&count, &bytes[at + 16], 4);
    EXPECT_EQ(area, 0.0177);
    EXPECT_EQ(count, 1);

    CNebenLuft back;
    vx::Archive in2 = vx::Archive::ForLoading(bytes);
    back.Serialize(in2);
    EXPECT_TRUE(in2.AtEnd());
    EXPECT_EQ(back.deviceName.text, "Zugbegrenzer");
    EXPECT_EQ(back.deviceType.value, 2);
    EXPECT_EQ(back.a1.value, 200);
    EXPECT_EQ(back.airMassFlow.value, nl.airMassFlow.value);
    EXPECT_EQ(back.deviceArea, 0.0177);
    EXPECT_EQ(back.GetRunLength(), 3.5);
    EXPECT_EQ(back.savedPressureLoss, 2);
    EXPECT_EQ(back.stateWord, 7);
    ASSERT_EQ(back.caseCount, 1);
    ASSERT_EQ(back.pressureCases.size(), 2u);
    EXPECT_EQ(back.pressureCases[1]->pressureLoss, nl.pressureCases[1]->pressureLoss);
    EXPECT_EQ(back.temperatureCases[0]->temperature, nl.temperatureCases[0]->temperature);
    EXPECT_EQ(back.temperatureCases[0]->text, "NL aktiv");

    vx::Archive again = vx::Archive::ForStoring();
    back.Serialize(again);
    EXPECT_EQ(again.Bytes(), bytes);

    // A fresh device stores no case.
    CNebenLuft fresh;
    vx::Archive f = vx::Archive::ForStoring();
    fresh.Serialize(f);
    CNebenLuft freshBack;
    vx::Archive fl = vx::Archive::ForLoading(f.Bytes());
    freshBack.Serialize(fl);
    EXPECT_EQ(freshBack.caseCount, -1);
    EXPECT_TRUE(freshBack.pressureCases.empty());
}

TEST_F(CNebenLuftTest, DamagedArchivesAreRefused) {
    CNebenLuft nl;
    Prepare(nl);
    AbgasZustand in = Below();
    nl.Calculate(&in, kModeFullLoad | kModeSecondAirSet, -1, 0, 0);
    vx::Archive out = vx::Archive::ForStoring();
    nl.Serialize(out);
    std::vector<uint8_t> bytes = out.Bytes();

    std::vector<uint8_t> cut(bytes.begin(), bytes.end() - 10);
    CNebenLuft a;
    vx::Archive ca = vx::Archive::ForLoading(cut);
    EXPECT_THROW(a.Serialize(ca), vx::ArchiveEndOfFile);

    // Count field: after the 11 cells, the area and the run length.
    vx::Archive head = vx::Archive::ForStoring();
    CWerte* cells[] = {&nl.deviceName, &nl.deviceType, &nl.a0, &nl.a1, &nl.a2, &nl.roomAirTemperature,
                       &nl.relativeHumidity, &nl.airMassFlow, &nl.airWaterVapour, &nl.deviceZeta, &nl.flowExponent};
    for (CWerte* c : cells) c->Serialize(head);
    const size_t at = head.Bytes().size() + 16;
    for (int32_t bad : {-2, 1000000, INT32_MAX}) {
        std::vector<uint8_t> b = bytes;
        std::memcpy(&b[at], &bad, 4);
        CNebenLuft x;
        vx::Archive xa = vx::Archive::ForLoading(b);
        EXPECT_THROW(x.Serialize(xa), vx::ArchiveEndOfFile) << bad;
    }
}

TEST_F(CNebenLuftTest, RemovingCases) {
    CNebenLuft nl;
    Prepare(nl);
    AbgasZustand in = Below();
    nl.Calculate(&in, kModeFullLoad | kModeSecondAirSet, -1, 0, 0);
    nl.Calculate(&in, kModeFullLoad | kModeSecondAirSet, 1, 0, 0);
    in.temperatureP = 300;
    nl.Calculate(&in, kModeFullLoad | kModeSecondAirSet, 2, 0, 0);
    const double newest = nl.pressureCases[2]->temperature;
    nl.RemoveCase(0);
    EXPECT_EQ(nl.caseCount, 1);
    ASSERT_EQ(nl.pressureCases.size(), 2u);
    EXPECT_EQ(nl.pressureCases[0]->temperature, newest);
    nl.RemoveCase(5);  // beyond the cases: nothing
    EXPECT_EQ(nl.caseCount, 1);
    nl.RemoveLastCase();
    nl.RemoveLastCase();
    nl.RemoveLastCase();
    EXPECT_EQ(nl.caseCount, -1);
    EXPECT_TRUE(nl.pressureCases.empty());
    EXPECT_TRUE(nl.temperatureCases.empty());
}

TEST_F(CNebenLuftTest, ResultLines) {
    ScopedPartStrings strings{"model"};
    CNebenLuft nl;
    OutputLines lines;
    int counter = 0;
    nl.AppendResults(lines, counter);
    EXPECT_TRUE(lines.empty());  // nothing calculated yet

    Prepare(nl);
    AbgasZustand in = Below();
    nl.Calculate(&in, kModeFullLoad | kModeSecondAirSet, -1, 0, 0);
    counter = 4;
    nl.AppendResults(lines, counter);
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(counter, 20);
    EXPECT_EQ(lines[0]->lineNumber, "05.0.0");
    EXPECT_EQ(lines[0]->value, 10039);
    EXPECT_EQ(lines[15]->value, 10054);
    EXPECT_EQ(lines[14]->texts[1], FormatFixed(nl.pressureCases[0]->pressureLoss, 0, 4));
    EXPECT_EQ(lines[14]->texts[3], "Pa");
    EXPECT_EQ(lines[0]->texts[0], "Massenstrom Nebenluft");
    EXPECT_EQ(lines[3]->texts[0], "Temperatur Mischung");
    EXPECT_EQ(lines[15]->texts[0], "Zuluftseitiger Druck");
}

} // namespace
