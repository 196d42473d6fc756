#include "model/CSchorn.h"

#include "model/CAufBauE.h"
#include "model/CVerb.h"
#include "model/CWaerme.h"
#include "testsupport/model/ModelTestEnv.h"
#include "testsupport/PartStrings.h"

#include <cmath>
#include <vector>

namespace {

class Chimney : public ModelTest {
protected:
    ScopedPartStrings strings_{"model"};
};

TEST_F(Chimney, DefaultsAndRegistration) {
    CSchorn s;
    EXPECT_DOUBLE_EQ(s.roughness.value, 0.001);
    EXPECT_EQ(s.roughness.marker, CWerte::MarkerDerived);
    EXPECT_DOUBLE_EQ(s.diameter.minimum, 0.05);
    EXPECT_DOUBLE_EQ(s.length.maximum, 200.0);
    EXPECT_EQ(s.IsKindChimney(), 1);
    for (const char* name : {"CSchorn", "CVerb", "CWaerme", "CSKopf"}) {
        std::unique_ptr<CModul> m = CreateModule(name);
        ASSERT_TRUE(m) << name;
        EXPECT_STREQ(m->ClassName(), name);
    }
    EXPECT_TRUE(CreateModule("CSchorn")->IsKindOf("CRohr"));
}

TEST_F(Chimney, GeometryDefaultsOfAShaft) {
    CAufBauE a;
    a.renovation.value = 1;
    CSchorn s;
    s.arrangement = &a;
    s.area.value = 0.04;
    EXPECT_EQ(s.ApplyGeometryDefaults(), 1);
    EXPECT_NEAR(s.ductSideA.value, 0.316, 5e-4);  // sqrt(0.1)
    EXPECT_DOUBLE_EQ(s.ductSideB.value, s.ductSideA.value);
    EXPECT_NEAR(s.ductOuterPerimeter.value, 1.265, 5e-4);
    EXPECT_DOUBLE_EQ(s.ductOuterArea.value, 0.1);
    EXPECT_EQ(s.ductMode.value, 1);
    // The air between shaft and pipe flows along the rougher of the two walls.
    s.SetAirDuct(&a);
    ASSERT_TRUE(s.airDuct);
    EXPECT_EQ(s.airDuct->airDuctRoughness.value, 0.003);
    CAufBauE concentric;
    concentric.regime.value = 2;
    concentric.kind.value = 1;
    CVerb v;
    v.arrangement = &concentric;
    v.area.value = 0.04;
    v.ApplyGeometryDefaults();
    v.SetAirDuct(&concentric);
    EXPECT_EQ(v.airDuct->airDuctRoughness.value, 0.001);
    // Kind 0 applies nothing.
    CSchorn plain;
    plain.area.value = 0.04;
    plain.ApplyGeometryDefaults();
    EXPECT_DOUBLE_EQ(plain.ductSideA.value, 0.0);
}

TEST_F(Chimney, ProductFilters) {
    CAufBauE a;
    CSchorn s;
    s.arrangement = &a;
    a.regime.value = 1;
    EXPECT_EQ(s.BuildFilter(false, 12, -1), "HERSTELLER=12 .and. SCHORN=.T. .and. (FU=.T. .or. PUE=.T.)");
    EXPECT_EQ(s.BuildFilter(true, 12, 7), "(HERSTELLER=12 .or. HERSTELLER=7) .and. SCHACHT=.T.");
    a.regime.value = 2;
    a.kind.value = 1;  // kind 2 section under positive pressure
    EXPECT_EQ(s.BuildFilter(false, 3, -1), "HERSTELLER=3 .and. EROHR=.T. .and. PUE=.T. .and. LAS_HL=.F.");
    EXPECT_EQ(s.BuildFilter(true, 3, -1), "HERSTELLER=3 .and. (SCHACHT=.T. .or. LAS_HL=.T.)");
    s.attachmentFlag = 1;
    EXPECT_EQ(s.BuildFilter(false, 3, -1), "HERSTELLER=3 .and. PUE=.T. .and. AUFSATZ=.T.");
}

TEST_F(Chimney, HandOverElementQuotesTheInsulation) {
    CSchorn s;
    s.ordinal = 1;
    s.length.value = 8;
    s.addedLength.value = 1;
    s.furtherLength.value = 6;
    s.diameter.value = 0.15;
    s.wallThickness.value = 0.1;
    s.outerDiameter.value = 0.35;
    s.text.text = "Mineralwolle \"dick\"";
    std::string text;
    s.WriteRecord(text, 0);
    EXPECT_EQ(text,
              "<ABSCHNITT POS=1 KASKADE=0 SYSTEM=-1 SYSTEM_S=-1 HGES=6.00 GESTRECKT=9.00 WIRKSAM=9.00 LUES=0.00 "
              "QFORM=\"RUND\" DURCHM=0.150 DURCHM2=0.000 ISOLIERUNG=\"Mineralwolle 'dick'\" WI=0.100 WA=0.350000 "
              "W1=0.000 W2=0.000></ABSCHNITT>");
    EXPECT_EQ(s.GetClassText(0), "I");
    s.secondGroup.value = 3;
    EXPECT_EQ(s.GetClassText(1), "III");
}

TEST_F(Chimney, InputCheckReportsFailureAsOne) {
    CSchorn s;
    s.length.value = 8;
    s.height.value = 9;  // higher than long
    s.diameter.value = 0.15;
    s.wallThickness.value = 0.1;
    s.roughness.value = 0.001;
    std::string message;
    EXPECT_EQ(s.CheckInputs(message, nullptr), 1);
    EXPECT_FALSE(message.empty());
    s.height.value = 8;
    message.clear();
    EXPECT_EQ(s.CheckInputs(message, nullptr), 0);
    EXPECT_EQ(message, "");
    // In a shaft the pipe must fit.
    CAufBauE a;
    a.renovation.value = 1;
    s.arrangement = &a;
    s.ductSideA.value = 0.2;
    EXPECT_EQ(s.CheckInputs(message, nullptr), 1);
    EXPECT_NE(message.find("Innenrohr pa\xdft nicht in den Schacht !!"), std::string::npos);
}

class Connector : public ModelTest {};

TEST_F(Connector, InputCheckFollowsTheShapeAndJoinsWithOneBreak) {
    CAufBauE a;
    a.regime.value = 2;
    a.kind.value = 1;  // the connecting piece carries the combustion-air duct
    CVerb v;
    v.arrangement = &a;
    v.length.value = 1;
    v.diameter.value = 0.13;
    v.wallThickness.value = 0.001;
    v.ductSideA.value = v.ductSideB.value = 0.2;
    v.ductDiameter.value = 0.01;  // below its 0.05 m
    v.ductRoughness.value = 0.001;
    struct Case { int shape, mode; uint16_t failing; };
    // A round pipe has a round duct whatever the duct mode says; a rectangular one two sides.
    for (const Case& c : {Case{0, 2, v.ductDiameter.valueId}, Case{2, 0, v.ductSideA.valueId}}) {
        v.shape.value = int16_t(c.shape);
        v.ductMode.value = int16_t(c.mode);
        v.sideA.value = v.sideB.value = 0.13;
        if (c.shape == 2) v.ductSideA.value = 0.01, v.ductDiameter.value = 0.2;
        std::string message;
        std::vector<int> ids;
        EXPECT_EQ(v.CheckInputs(message, &ids), 1) << c.shape;
        EXPECT_EQ(ids, std::vector<int>{c.failing}) << c.shape;
    }
    // Two failing values: each message ends with its own break, none is doubled.
    v.length.value = 0;  // below 0.01 m
    std::string message;
    std::vector<int> ids;
    EXPECT_EQ(v.CheckInputs(message, &ids), 1);
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_EQ(message.find("\r\n\r\n"), std::string::npos) << message;
    const size_t first = message.find("\r\n");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(message.find("\r\n", first + 2), message.size() - 2);
}

TEST_F(Connector, DefaultsAndLengthEdit) {
    CVerb v;
    EXPECT_DOUBLE_EQ(v.roughness.value, 0.001);
    EXPECT_EQ(v.roughness.marker, CWerte::MarkerDerived);
    EXPECT_EQ(v.connectorFlag, 1);
    EXPECT_DOUBLE_EQ(v.height.minimum, -40.0);
    v.shareOutside.value = 20;
    v.shareUnheated.value = 40;
    v.length.value = 3;
    EXPECT_EQ(v.OnValueChanged(v.length), 1);
    EXPECT_NEAR(v.lengthUnheated.value, 1.2, 1e-12);
    EXPECT_NEAR(v.lengthOutside.value, 0.6, 1e-12);
    EXPECT_NEAR(v.lengthOutside.maximum, 1.8, 1e-12);
    EXPECT_NEAR(v.lengthUnheated.maximum, 2.4, 1e-12);
    EXPECT_DOUBLE_EQ(v.height.maximum, 3.0);
    v.diameterDefault = 0.11;
    v.LoadDefault(v.diameter);
    EXPECT_DOUBLE_EQ(v.diameter.value, 0.11);
    CVerb copy(v);
    EXPECT_DOUBLE_EQ(copy.diameterDefault, 0.11);
}

TEST_F(Connector, LengthUnitsByGroup) {
    CVerb v;
    EXPECT_EQ(v.diameter.displayUnit, 0x500);
    v.sideA.displayUnit = 0x502;  // cm
    v.OnUnitChanged(v.sideA);
    EXPECT_EQ(v.diameter.displayUnit, 0x502);
    EXPECT_EQ(v.sideB.displayUnit, 0x502);
    EXPECT_EQ(v.length.displayUnit, 0x500);  // another group
    CVerb next;
    EXPECT_EQ(next.diameter.displayUnit, 0x502);
    CSchorn chimney;  // its own section
    EXPECT_EQ(chimney.diameter.displayUnit, 0x500);
}

TEST_F(Connector, FilterGeometryAndRecord) {
    CAufBauE a;
    CVerb v;
    v.arrangement = &a;
    EXPECT_EQ(v.BuildFilter(false, 12, 7), "(HERSTELLER=12 .or. HERSTELLER=7) .and. VERB=.T.");
    a.regime.value = 2;
    a.kind.value = 3;
    EXPECT_EQ(v.BuildFilter(false, 5, -1), "HERSTELLER=5 .and. VERB=.T. .and. PUE=.T. .and. LAS_HL=.F.");
    EXPECT_EQ(v.BuildFilter(true, 5, -1), "HERSTELLER=5 .and. VERB=.T. .and. (SCHACHT=.T. .or. LAS_HL=.T.)");
    v.area.value = 0.04;
    v.ApplyGeometryDefaults();
    EXPECT_DOUBLE_EQ(v.ductOuterArea.value, 0.1);
    EXPECT_NEAR(v.ductDiameter.value, 4 * std::sqrt(0.1) / 3.141592654, 1e-12);
    EXPECT_NEAR(v.ductOuterPerimeter.value, 4 * std::sqrt(0.1), 1e-9);
    EXPECT_DOUBLE_EQ(v.furtherValue.value, 0.001);

    a.regime.value = 0;
    CWaerme w;
    w.zeta.elements[0].kind = 17;
    w.zeta.elements[0].count.value = 1;
    v.next = &w;
    v.length.value = 1.5;
    v.diameter.value = 0.13;
    v.wallResistance.value = 0;
    std::string text;
    v.WriteRecord(text, 0);
    v.next = nullptr;
    EXPECT_EQ(text.rfind("<VERBSTUECK BELEGUNG=1 POS=1 SYSTEM=-1 GESTRECKT=1.50 WIRKSAM=0.00 QFORM=\"RUND\" "
                         "DURCHM=0.130 DURCHM2=0.000 ISOLIERUNG=\"NEIN\" PWU=\"NEIN\" WA=0.000000 KOND=\"NEIN\">",
                         0),
              0u);
    EXPECT_NE(text.find("TYP=\"UEBERG\""), std::string::npos);  // the generator's transition
    EXPECT_EQ(text.substr(text.size() - 13), "</VERBSTUECK>");
}

} // namespace

#include "platform/StringTable.h"

namespace {

TEST_F(Chimney, RangeMessageReadsWithTheProgramsTable) {
    // Every program loads the model's table; a value outside its limits must
    // say more than its unit.
    const std::string before = vx::Strings().Get(2000);
    ASSERT_TRUE(vx::Strings().LoadFile(vx::ResourceDir() + "/values/strings.txt"));
    ASSERT_TRUE(vx::Strings().LoadFile(vx::ResourceDir() + "/model/strings.txt"));
    CSchorn s;
    s.height.value = 300;
    std::string message;
    int failed = 0;
    s.height.CheckRange(message, nullptr, &failed);
    EXPECT_EQ(failed, 1);
    EXPECT_EQ(message, "Erlaubt sind Werte von 0 bis 200 m\r\n");
    vx::Strings().Set(2000, before);
}

} // namespace
