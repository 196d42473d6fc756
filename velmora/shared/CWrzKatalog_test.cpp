#include "velmora/shared/CWrzKatalog.h"

#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "testsupport/ScratchDir.h"
#include "platform/StringTable.h"
#include "testsupport/PartStrings.h"
#include "testsupport/SyntheticCatalogue.h"
#include "velmora/shared/SharedText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <set>

namespace {

class CatalogueTest : public ::testing::Test {
protected:
    ScopedPartStrings strings_{"shared"};
    void SetUp() override {
        dir_ = scratch_.Path();
        ASSERT_FALSE(dir_.empty());
    }
    void Write(const std::string& name, const std::string& text) {
        ASSERT_TRUE(vx::WriteFileAtomic(vx::JoinPath(dir_, name), text));
    }
    vx::ScratchDir scratch_{"vxwrz"};
    std::string dir_;
};

// Three lines of one maker: oil (two types), then oil condensing, then a
// second maker's wood stove that can run open.
const char* const kLines[] = {
    "Kesselwerk Almendorf;Oleo 18;1;0;18.0;19.57;91.96;13.0;0.00803;160.0;5.0;0.0;0.13;0",
    "Kesselwerk Almendorf;Oleo 27-2;1;0;27.0;29.19;92.5;13.2;0.01183;170.0;6.0;0.0;0.13;1;17.0;18.28;93.04;12.8;0.00751;130.0;4.0;0.0",
    "Kesselwerk Almendorf;Oleo BW 20;1;1;20.0;20.0;100.0;13.0;0.00805;55.0;0.0;80.0;0.08;0",
    "Tennfeld Öfen;Kaminofen 8;10;0;8.0;10.26;78.0;8.0;0.00780;280.0;12.0;0.0;0.15;0;5.0;20.0;25.0;0.06;120.0;10.0",
};

std::string Catalogue(const char* eol) {
    std::string s;
    for (const char* l : kLines) s += std::string(l) + eol;
    return s;
}

std::string Hst(int64_t oil, int64_t oilCond, int64_t wood) {
    auto pos = [](int64_t v) { return std::to_string(v); };
    return "Kesselwerk Almendorf;-1;" + pos(oil) + ";-1;-1;-1;-1;-1;-1;-1;-1;" + pos(oilCond) +
           ";-1;-1\r\nTennfeld Öfen;-1;-1;-1;-1;-1;-1;" + pos(wood) + ";-1;-1;-1;-1;-1;-1\r\n";
}

int64_t OffsetOfLine(const std::string& text, int line) {
    size_t at = 0;
    for (int i = 0; i < line; ++i) at = text.find('\n', at) + 1;
    return int64_t(at);
}

TEST_F(CatalogueTest, ListsManufacturersTypesAndLoadsEveryFieldWithCrLf) {
    std::string wrz = Catalogue("\r\n");
    int64_t l1 = OffsetOfLine(wrz, 1), l2 = OffsetOfLine(wrz, 2), l3 = OffsetOfLine(wrz, 3);
    ASSERT_EQ(l1, 85);  // 83 characters and CR LF
    Write("velmora.wrz", wrz);
    Write("velmora.hst", Hst(0, l2, l3));
    vx::ScopedScriptedMessages msgs;
    CWrzKatalog k(dir_);

    std::vector<WrzManufacturer> oil = k.ReadManufacturers(1);
    ASSERT_EQ(oil.size(), 1u);
    EXPECT_EQ(oil[0].name, "Kesselwerk Almendorf");
    EXPECT_EQ(oil[0].offset, 0);
    EXPECT_TRUE(k.ReadManufacturers(0).empty());  // -1 everywhere: nobody
    EXPECT_TRUE(k.ReadManufacturers(13).empty());
    EXPECT_TRUE(k.ReadManufacturers(-1).empty());
    std::vector<WrzManufacturer> wood = k.ReadManufacturers(6);
    ASSERT_EQ(wood.size(), 1u);
    EXPECT_EQ(wood[0].name, "Tennfeld Öfen");

    // The condensing line differs in field 3 and ends the group.
    std::vector<WrzType> types = k.ReadTypes(0);
    ASSERT_EQ(types.size(), 2u);
    EXPECT_EQ(types[0].typeDesignation, "Oleo 18");
    EXPECT_EQ(types[0].offset, 0);
    EXPECT_EQ(types[1].typeDesignation, "Oleo 27-2");
    EXPECT_EQ(types[1].offset, l1);
    ASSERT_EQ(k.ReadTypes(l2).size(), 1u);
    ASSERT_EQ(k.ReadTypes(l3).size(), 1u);

    WrzEntry e;
    int64_t off = l1;
    ASSERT_EQ(k.LoadEntry(e, off), CWrzKatalog::kLoaded);
    EXPECT_EQ(off, l2);
    EXPECT_EQ(e.manufacturerName, "Kesselwerk Almendorf");
    EXPECT_EQ(e.typeDesignation, "Oleo 27-2");
    EXPECT_EQ(e.fuel, 1);
    EXPECT_EQ(e.condensing, 0);
    EXPECT_DOUBLE_EQ(e.output, 27.0);
    EXPECT_DOUBLE_EQ(e.heatInput, 29.19);
    EXPECT_DOUBLE_EQ(e.efficiency, 92.5);
    EXPECT_DOUBLE_EQ(e.co2, 13.2);
    EXPECT_DOUBLE_EQ(e.flueMassFlow, 0.01183);
    EXPECT_DOUBLE_EQ(e.gasTemperature, 170.0);
    EXPECT_DOUBLE_EQ(e.requiredDraught, 6.0);
    EXPECT_DOUBLE_EQ(e.positivePressure, 0.0);
    EXPECT_DOUBLE_EQ(e.outletDiameter, 0.13);
    EXPECT_EQ(e.partLoadAvailable, 1);
    EXPECT_DOUBLE_EQ(e.outputPart, 17.0);
    EXPECT_DOUBLE_EQ(e.heatInputPart, 18.28);
    EXPECT_DOUBLE_EQ(e.efficiencyPart, 93.0);  // 93.04 to one decimal
    EXPECT_DOUBLE_EQ(e.co2Part, 12.8);
    EXPECT_DOUBLE_EQ(e.flueMassFlowPart, 0.00751);
    EXPECT_DOUBLE_EQ(e.gasTemperaturePart, 130.0);
    EXPECT_DOUBLE_EQ(e.requiredDraughtPart, 4.0);
    EXPECT_EQ(e.openFieldCount, 0);

    off = 0;
    ASSERT_EQ(k.LoadEntry(e, off), CWrzKatalog::kLoaded);
    EXPECT_DOUBLE_EQ(e.efficiency, 92.0);  // 91.96 rounds up
    EXPECT_EQ(e.partLoadAvailable, 0);
    EXPECT_DOUBLE_EQ(e.outputPart, 0.0);

    off = l2;
    ASSERT_EQ(k.LoadEntry(e, off), CWrzKatalog::kLoaded);
    EXPECT_EQ(e.condensing, 1);
    EXPECT_DOUBLE_EQ(e.positivePressure, 80.0);
    EXPECT_EQ(off, l3);
    EXPECT_TRUE(msgs.service.shown.empty());
    EXPECT_TRUE(k.Problems().empty());
}

TEST_F(CatalogueTest, OffsetsAreRealBytePositionsWhateverTheLineEnds) {
    // LF only, and a mixture with a last line without any line end.
    for (std::string wrz : {Catalogue("\n"), std::string(kLines[0]) + "\n" + kLines[1] + "\r\n" + kLines[2] +
                                                 "\n" + kLines[3]}) {
        int64_t l1 = OffsetOfLine(wrz, 1), l2 = OffsetOfLine(wrz, 2), l3 = OffsetOfLine(wrz, 3);
        Write("velmora.wrz", wrz);
        Write("velmora.hst", Hst(0, l2, l3));
        vx::ScopedScriptedMessages msgs;
        CWrzKatalog k(dir_);
        std::vector<WrzType> types = k.ReadTypes(0);
        ASSERT_EQ(types.size(), 2u);
        EXPECT_EQ(types[1].offset, l1);
        WrzEntry e;
        int64_t off = types[1].offset;
        ASSERT_EQ(k.LoadEntry(e, off), CWrzKatalog::kLoaded);
        EXPECT_EQ(e.typeDesignation, "Oleo 27-2");
        EXPECT_EQ(off, l2);
        ASSERT_EQ(k.LoadEntry(e, off), CWrzKatalog::kLoaded);
        EXPECT_EQ(e.typeDesignation, "Oleo BW 20");
        EXPECT_EQ(off, l3);
        ASSERT_EQ(k.LoadEntry(e, off, {}, CWrzKatalog::OpenOperation::Closed), CWrzKatalog::kLoaded);
        EXPECT_EQ(e.typeDesignation, "Kaminofen 8");
        EXPECT_EQ(off, int64_t(wrz.size()));
        EXPECT_EQ(k.LoadEntry(e, off), CWrzKatalog::kNotLoaded);  // end of file
        EXPECT_TRUE(msgs.service.shown.empty());
    }
}

TEST_F(CatalogueTest, OpenOperationIsAskedAndAppliedOrDeclined) {
    std::string wrz = Catalogue("\r\n");
    int64_t l3 = OffsetOfLine(wrz, 3);
    Write("velmora.wrz", wrz);
    CWrzKatalog k(dir_);
    WrzEntry e;
    {
        vx::ScopedScriptedMessages msgs;
        msgs.service.answers = {vx::IDNO};
        int64_t off = l3;
        ASSERT_EQ(k.LoadEntry(e, off), CWrzKatalog::kLoaded);
        ASSERT_EQ(msgs.service.shown.size(), 1u);
        EXPECT_EQ(msgs.service.shown[0].text, vx::LoadString(IDS_FRAGE_OFFENER_BETRIEB));
        EXPECT_EQ(msgs.service.shown[0].flags, unsigned(vx::MB_YESNO | vx::MB_ICONQUESTION));
        EXPECT_EQ(e.openOperation, 0);
        EXPECT_EQ(e.openFieldCount, 6);
        EXPECT_DOUBLE_EQ(e.output, 8.0);
        EXPECT_DOUBLE_EQ(e.co2, 8.0);  // field 7 stays
        EXPECT_DOUBLE_EQ(e.flueMassFlow, 0.0078);
    }
    {
        vx::ScopedScriptedMessages msgs;
        msgs.service.answers = {vx::IDYES};
        int64_t off = l3;
        ASSERT_EQ(k.LoadEntry(e, off), CWrzKatalog::kLoaded);
        EXPECT_EQ(e.openOperation, 1);
        EXPECT_DOUBLE_EQ(e.output, 5.0);
        EXPECT_DOUBLE_EQ(e.heatInput, 20.0);
        EXPECT_DOUBLE_EQ(e.efficiency, 25.0);
        EXPECT_DOUBLE_EQ(e.co2, 1.0);
        EXPECT_DOUBLE_EQ(e.flueMassFlow, 0.06);
        EXPECT_DOUBLE_EQ(e.gasTemperature, 120.0);
        EXPECT_DOUBLE_EQ(e.requiredDraught, 10.0);
    }
    {
        vx::ScopedScriptedMessages msgs;
        int64_t off = l3;
        ASSERT_EQ(k.LoadEntry(e, off, {}, CWrzKatalog::OpenOperation::Closed), CWrzKatalog::kLoaded);
        EXPECT_TRUE(msgs.service.shown.empty());
        EXPECT_DOUBLE_EQ(e.output, 8.0);
    }
    // Zero open values keep the closed ones; a ";" before the line end is no field 22.
    Write("velmora.wrz",
          "A;B;10;0;8;10;78;8;0.0078;280;12;0;0.15;0;0;0;0;0.07\r\n"
          "A;C;10;0;8;10;78;8;0.0078;280;12;0;0.15;0;\r\n");
    vx::ScopedScriptedMessages msgs;
    msgs.service.answers = {vx::IDYES};
    int64_t off = 0;
    ASSERT_EQ(k.LoadEntry(e, off), CWrzKatalog::kLoaded);
    EXPECT_EQ(e.openFieldCount, 4);
    EXPECT_DOUBLE_EQ(e.output, 8.0);
    EXPECT_DOUBLE_EQ(e.heatInput, 10.0);
    EXPECT_DOUBLE_EQ(e.co2, 1.0);
    EXPECT_DOUBLE_EQ(e.flueMassFlow, 0.07);
    EXPECT_DOUBLE_EQ(e.gasTemperature, 280.0);
    ASSERT_EQ(k.LoadEntry(e, off), CWrzKatalog::kLoaded);
    EXPECT_EQ(e.openFieldCount, 0);
    EXPECT_EQ(msgs.service.shown.size(), 1u);
}

TEST_F(CatalogueTest, BadLinesAreReportedAndSkippedNeverReadHalf) {
    std::string wrz = "M;T1;2;0;24;26;92;9.5;0.0111;150;5;0;0.13;0\r\n"
                      "M;T2;2;0;24;26;9x2;9.5;0.0111;150;5;0;0.13;0\r\n"       // field 6 no number
                      "M;T3;2;0;24;;92;9.5;0.0111;150;5;0;0.13;0\r\n"          // field 5 empty
                      "M;T4;2;0;24;26;92;9.5;0.0111;150;5;0;0.13;1;12;13\r\n"  // part load cut short
                      "M;T5;2;0;24;26;92;9.5;0.0111\r\n"                       // whole line cut short
                      "M;T6;2;0;24;26;92;9.5;0.0111;150;5;0;0.13;0;inf\r\n"    // field 22 not finite
                      "M;T7;2;0;24;26;92;9.5;0.0111;150;5;0;0.13;0\r\n"
                      "N;U1;2;0;24;26;92;9.5;0.0111;150;5;0;0.13;0\r\n";
    Write("velmora.wrz", wrz);
    CWrzKatalog k(dir_);
    vx::ScopedScriptedMessages msgs;
    std::vector<WrzType> types = k.ReadTypes(0);
    ASSERT_EQ(types.size(), 2u);
    EXPECT_EQ(types[0].typeDesignation, "T1");
    EXPECT_EQ(types[1].typeDesignation, "T7");
    EXPECT_EQ(types[1].offset, OffsetOfLine(wrz, 6));
    ASSERT_EQ(k.Problems().size(), 5u);
    const int fields[] = {6, 5, 16, 9, 22};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(k.Problems()[i].file, "velmora.wrz");
        EXPECT_EQ(k.Problems()[i].offset, OffsetOfLine(wrz, i + 1));
        EXPECT_EQ(k.Problems()[i].field, fields[i]) << i;
    }
    ASSERT_EQ(msgs.service.shown.size(), 1u);
    const std::string& text = msgs.service.shown[0].text;
    EXPECT_EQ(text.rfind("Fehlerhafte Zeilen im W\xE4rmeerzeugerkatalog wurden \xFC" "bersprungen:", 0), 0u);
    EXPECT_NE(text.find(vx::Format("velmora.wrz, Zeile ab Byte %d: Feld 6 ist keine Zahl: \"9x2\"",
                                   int(OffsetOfLine(wrz, 1)))),
              std::string::npos);
    EXPECT_NE(text.find("Feld 5 ist leer"), std::string::npos);
    EXPECT_NE(text.find("Zeile zu kurz: Feld 16 fehlt"), std::string::npos);

    // Loading a bad line leaves a fresh record and moves on past it.
    k.ClearProblems();
    WrzEntry e;
    e.output = 99;
    int64_t off = OffsetOfLine(wrz, 1);
    EXPECT_EQ(k.LoadEntry(e, off, "M"), CWrzKatalog::kBadLine);
    EXPECT_EQ(off, OffsetOfLine(wrz, 2));
    EXPECT_EQ(e.output, 0.0);
    EXPECT_EQ(e.typeDesignation, "");
    EXPECT_EQ(k.Problems().size(), 1u);
    EXPECT_EQ(msgs.service.shown.size(), 2u);

    // A quiet catalogue collects without showing.
    k.SetReportProblems(false);
    k.ClearProblems();
    EXPECT_EQ(k.ReadTypes(0).size(), 2u);
    EXPECT_EQ(k.Problems().size(), 5u);
    EXPECT_EQ(msgs.service.shown.size(), 2u);
}

TEST_F(CatalogueTest, LineFieldsAreCheckedOneByOne) {
    WrzEntry e;
    struct Case {
        const char* line;
        int field;
    } cases[] = {
        {"M;T;14;0;24;26;92;9.5;0.0111;150;5;0;0.13;0", 2},       // no such fuel
        {"M;T;-1;0;24;26;92;9.5;0.0111;150;5;0;0.13;0", 2},
        {"M;T;2.5;0;24;26;92;9.5;0.0111;150;5;0;0.13;0", 2},      // not whole
        {"M;T;2;0;24;26;92;9.5;0.0111;150;5;0;0.13;x", 13},
        {" ;T;2;0;24;26;92;9.5;0.0111;150;5;0;0.13;0", 0},        // blank name
        {"M;;2;0;24;26;92;9.5;0.0111;150;5;0;0.13;0", 1},
        {"M;T;2;0;24;26;92;9.5;0.0111;150;5;0;0.13", 13},
        {"M;T;2;0;24 kW;26;92;9.5;0.0111;150;5;0;0.13;0", 4},
        {"M;T;2;0;24;26;92;9.5;0.0111;150;5;0;0.13;0;1;2;;4", 24},
    };
    for (const Case& c : cases) {
        LineCheck r = ParseWrzLine(c.line, e);
        EXPECT_FALSE(r.ok) << c.line;
        EXPECT_EQ(r.field, c.field) << c.line;
        EXPECT_FALSE(r.text.empty());
    }
    // Blanks around numbers and more than 28 fields are accepted.
    LineCheck r = ParseWrzLine("M; T ;13; 0 ; 24 ;26;92;9.5;0.0111;150;5;0;0.13;0;1;2;3;4;5;6;7", e);
    EXPECT_TRUE(r.ok) << r.text;
    EXPECT_EQ(e.typeDesignation, " T ");
    EXPECT_EQ(e.fuel, 13);
    EXPECT_EQ(e.openFieldCount, 6);
    EXPECT_DOUBLE_EQ(e.requiredDraughtOpen, 6.0);

    HstLine h;
    EXPECT_TRUE(ParseHstLine("A;1;2;3;4;5;6;7;8;9;10;11;12;-13", h).ok);
    EXPECT_EQ(h.offsets[12], -13);
    EXPECT_EQ(ParseHstLine("A;1;2;3;4;5;6;7;8;9;10;11;12", h).field, 13);
    EXPECT_EQ(ParseHstLine("A;1;2;3;x;5;6;7;8;9;10;11;12;13", h).field, 4);
    EXPECT_EQ(ParseHstLine("", h).field, 0);
}

TEST_F(CatalogueTest, BadManufacturerLinesAreReportedAndSkipped) {
    Write("velmora.hst",
          "A;0;-1;-1;-1;-1;-1;-1;-1;-1;-1;-1;-1;-1\r\n"
          "B;10;-1;-1\r\n"
          "\r\n"
          "C;20;-1;-1;-1;-1;-1;-1;-1;-1;-1;-1;-1;-1\n"
          "D;3O;-1;-1;-1;-1;-1;-1;-1;-1;-1;-1;-1;-1\r\n");
    vx::ScopedScriptedMessages msgs;
    CWrzKatalog k(dir_);
    std::vector<WrzManufacturer> list = k.ReadManufacturers(0);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].name, "A");
    EXPECT_EQ(list[1].name, "C");
    EXPECT_EQ(list[1].offset, 20);
    ASSERT_EQ(k.Problems().size(), 2u);
    EXPECT_EQ(k.Problems()[0].file, "velmora.hst");
    EXPECT_EQ(k.Problems()[0].offset, 41);
    EXPECT_EQ(k.Problems()[1].field, 1);
    EXPECT_EQ(msgs.service.shown.size(), 1u);
}

TEST_F(CatalogueTest, OffsetsOffALineStartAndOtherMakersReadNothing) {
    std::string wrz = Catalogue("\r\n");
    Write("velmora.wrz", wrz);
    vx::ScopedScriptedMessages msgs;
    CWrzKatalog k(dir_);
    EXPECT_TRUE(k.ReadTypes(5).empty());
    WrzEntry e;
    int64_t off = 5;
    EXPECT_EQ(k.LoadEntry(e, off), CWrzKatalog::kNotLoaded);
    EXPECT_EQ(off, 5);
    EXPECT_EQ(k.Problems().size(), 2u);
    EXPECT_EQ(msgs.service.shown.size(), 2u);
    EXPECT_NE(msgs.service.shown[0].text.find("zeigt nicht auf einen Zeilenanfang"), std::string::npos);

    // Beyond the end, negative: nothing and no message.
    EXPECT_TRUE(k.ReadTypes(int64_t(wrz.size()) + 100).empty());
    EXPECT_TRUE(k.ReadTypes(-1).empty());

    // Another maker's line: not loaded, the caller keeps what was read.
    off = OffsetOfLine(wrz, 3);
    EXPECT_EQ(k.LoadEntry(e, off, "Kesselwerk Almendorf"), CWrzKatalog::kNotLoaded);
    EXPECT_EQ(e.typeDesignation, "Kaminofen 8");
    EXPECT_EQ(msgs.service.shown.size(), 2u);  // no open-operation question either
    off = OffsetOfLine(wrz, 1);
    EXPECT_EQ(k.LoadEntry(e, off, "Kesselwerk Almendorf"), CWrzKatalog::kLoaded);
}

TEST_F(CatalogueTest, MissingFilesGiveEmptyListsWithoutMessages) {
    vx::ScopedScriptedMessages msgs;
    CWrzKatalog k(dir_ + "/fehlt");
    EXPECT_TRUE(k.ReadManufacturers(1).empty());
    EXPECT_TRUE(k.ReadTypes(0).empty());
    WrzEntry e;
    int64_t off = 0;
    EXPECT_EQ(k.LoadEntry(e, off), CWrzKatalog::kNotLoaded);
    EXPECT_TRUE(msgs.service.shown.empty());
    EXPECT_EQ(k.HstPath(), dir_ + "/fehlt/velmora.hst");
}

TEST_F(CatalogueTest, FileNamesAndLongLines) {
    // Files from a Windows data directory may be in upper case.
    std::string type(300, 'x');
    std::string wrz = "M;" + type + ";2;0;24;26;92;9.5;0.0111;150;5;0;0.13;0\r\n"
                      "M;kurz;2;0;24;26;92;9.5;0.0111;150;5;0;0.13;0\r\n";
    Write("VELMORA.WRZ", wrz);
    CWrzKatalog k(dir_);
    vx::ScopedScriptedMessages msgs;
    std::vector<WrzType> types = k.ReadTypes(0);
    ASSERT_EQ(types.size(), 2u);
    EXPECT_EQ(types[0].typeDesignation, type);
    EXPECT_EQ(types[1].offset, int64_t(wrz.find('\n') + 1));
}

TEST(CatalogueFuel, PositionsMapToFuelAndCondensing) {
    const int fuels[] = {0, 1, 2, 3, 8, 9, 10, 11, 12, 13, 1, 2, 8};
    for (int p = 0; p < CWrzKatalog::kFuelPositions; ++p) {
        int fuel = -1, cond = -1;
        ASSERT_TRUE(CWrzKatalog::FuelOfPosition(p, fuel, cond));
        EXPECT_EQ(fuel, fuels[p]);
        EXPECT_EQ(cond, p >= 10 ? 1 : 0);
        EXPECT_EQ(CWrzKatalog::PositionOfFuel(fuel, cond), p);
    }
    int fuel = 0, cond = 0;
    EXPECT_FALSE(CWrzKatalog::FuelOfPosition(13, fuel, cond));
    EXPECT_EQ(CWrzKatalog::PositionOfFuel(3, 1), 3);  // no condensing twin
    EXPECT_EQ(CWrzKatalog::PositionOfFuel(5, 0), -1);
    EXPECT_EQ(CWrzKatalog::PositionOfFuel(14, 0), -1);
}

TEST(CatalogueAge, OldFromFourHundredDaysAfterTheFirstOfTheMonth) {
    std::tm tm{};
    tm.tm_year = 100;
    tm.tm_mon = 5;
    tm.tm_mday = 1;
    tm.tm_isdst = -1;
    std::time_t june2000 = std::mktime(&tm);
    std::time_t day400 = june2000 + 400 * 86400;
    EXPECT_TRUE(CWrzKatalog::IsDataOld("2000/06", 0, day400));
    EXPECT_FALSE(CWrzKatalog::IsDataOld("2000/06", 0, day400 - 1));
    EXPECT_FALSE(CWrzKatalog::IsDataOld("2000/06", 1, day400 + 86400 * 1000));
    EXPECT_TRUE(CWrzKatalog::IsDataOld("2000/6", 0, day400));
    EXPECT_FALSE(CWrzKatalog::IsDataOld("2001/07", 0, day400));
    EXPECT_FALSE(CWrzKatalog::IsDataOld("200006", 0, day400));
    // No date at all is not old (the original ended the command here).
    EXPECT_FALSE(CWrzKatalog::IsDataOld("1899/06", 0, day400));
    EXPECT_FALSE(CWrzKatalog::IsDataOld("2000/13", 0, day400));
    EXPECT_FALSE(CWrzKatalog::IsDataOld("2000/0", 0, day400));
    EXPECT_FALSE(CWrzKatalog::IsDataOld("/", 0, day400));
}

TEST_F(CatalogueTest, AgeComesFromTheProfile) {
    std::string ini = vx::JoinPath(dir_, "Velmora.ini");
    vx::Profile().UseFile(ini);
    CWrzKatalog k(dir_);
    EXPECT_TRUE(k.IsDataOld());  // default "2000/06"
    vx::Profile().WriteInt("Datenbank", "Anzeige_W", 1);
    EXPECT_FALSE(k.IsDataOld());
    vx::Profile().WriteInt("Datenbank", "Anzeige_W", 0);
    vx::Profile().WriteString("Datenbank", "Stand_W", "9999/12");
    EXPECT_FALSE(k.IsDataOld());
    vx::Profile().UseFile("");
}

// Every line of the catalogue is reached through the manufacturer index:
// each manufacturer's offset is its first line for the position, and the
// groups from there cover every line exactly once.
void CheckCatalogueReadsBackCompletely(const std::string& dir, size_t expectedLines) {
    std::string wrz;
    ASSERT_TRUE(vx::ReadWholeFile(vx::JoinPath(dir, "velmora.wrz"), wrz));
    // First line of each (maker, position), by scanning the file.
    std::map<std::pair<std::string, int>, int64_t> first;
    size_t lines = 0;
    for (size_t at = 0; at < wrz.size(); ++lines) {
        size_t next = wrz.find('\n', at) + 1;
        ASSERT_NE(next, 0u) << "line without CR LF at " << at;
        ASSERT_EQ(wrz[next - 2], '\r') << at;
        WrzEntry e;
        LineCheck c = ParseWrzLine(std::string_view(wrz).substr(at, next - 2 - at), e);
        ASSERT_TRUE(c.ok) << at << ": " << c.text;
        int p = CWrzKatalog::PositionOfFuel(e.fuel, e.condensing);
        ASSERT_GE(p, 0);
        first.try_emplace({e.manufacturerName, p}, int64_t(at));
        at = next;
    }
    EXPECT_EQ(lines, expectedLines);

    vx::ScopedScriptedMessages msgs;
    CWrzKatalog k(dir);
    std::set<int64_t> reached;
    size_t groups = 0;
    for (int p = 0; p < CWrzKatalog::kFuelPositions; ++p) {
        for (const WrzManufacturer& m : k.ReadManufacturers(p)) {
            ++groups;
            auto it = first.find({m.name, p});
            ASSERT_NE(it, first.end()) << m.name << " " << p;
            EXPECT_EQ(m.offset, it->second) << m.name << " " << p;
            for (const WrzType& t : k.ReadTypes(m.offset)) {
                EXPECT_TRUE(reached.insert(t.offset).second) << t.offset;
                WrzEntry e;
                int64_t off = t.offset;
                ASSERT_EQ(k.LoadEntry(e, off, m.name, CWrzKatalog::OpenOperation::Closed),
                          CWrzKatalog::kLoaded);
                EXPECT_EQ(e.typeDesignation, t.typeDesignation);
                EXPECT_EQ(CWrzKatalog::PositionOfFuel(e.fuel, e.condensing), p);
            }
        }
    }
    EXPECT_EQ(groups, first.size());
    EXPECT_EQ(reached.size(), lines);
    EXPECT_TRUE(k.Problems().empty());
    EXPECT_TRUE(msgs.service.shown.empty());
}

// Fuel-table values the catalogue must agree with: largest CO2 and the
// mass-flow coefficients f_m1, f_m2, by fuel index.
struct FuelLimits {
    double co2Max, fm1, fm2;
};
const std::map<int, FuelLimits> kFuels = {
    {0, {20.6, 7.06, 0.033}},  {1, {15.4, 4.94, 0.046}},  {2, {12, 3.75, 0.053}},
    {3, {12, 3.75, 0.053}},    {8, {13.8, 4.2, 0.049}},   {9, {13.8, 4.2, 0.049}},
    {10, {20.5, 6.89, 0.076}}, {11, {19.05, 6.23, 0.036}}, {12, {19.48, 6.61, 0.055}},
    {13, {20.31, 6.66, 0.06}},
};

// Every fuel-list position is served, some types with and some without
// part-load data, and every load point is physically sound: heat input =
// output / efficiency, mass flow = (f_m1 / CO2 + f_m2) x heat input / 1000,
// CO2 below the fuel's largest, part load below full load, condensing
// boilers cool and under positive pressure.
void CheckPlausible(const std::string& dir) {
    std::string wrz;
    ASSERT_TRUE(vx::ReadWholeFile(vx::JoinPath(dir, "velmora.wrz"), wrz));
    std::set<int> positions;
    int withPart = 0, withoutPart = 0, open = 0;
    for (size_t at = 0; at < wrz.size();) {
        size_t end = wrz.find("\r\n", at);
        WrzEntry e;
        ASSERT_TRUE(ParseWrzLine(std::string_view(wrz).substr(at, end - at), e).ok);
        at = end + 2;
        SCOPED_TRACE(e.manufacturerName + " " + e.typeDesignation);
        positions.insert(CWrzKatalog::PositionOfFuel(e.fuel, e.condensing));
        const FuelLimits& f = kFuels.at(e.fuel);
        auto checkLoad = [&](double q, double qf, double eta, double co2, double m, double t) {
            EXPECT_GT(q, 1.0);
            EXPECT_LE(q, 150.0);
            EXPECT_NEAR(qf, q * 100 / eta, 0.01 + qf * 0.001);
            EXPECT_NEAR(m, (f.fm1 / co2 + f.fm2) * qf / 1000, 2e-5 + m * 0.002);
            EXPECT_GE(co2, 3.5);
            EXPECT_LT(co2, f.co2Max);
            EXPECT_GE(eta, 70.0);
            EXPECT_LE(eta, 110.0);
            EXPECT_GE(t, 25.0);
            EXPECT_LE(t, 320.0);
        };
        checkLoad(e.output, e.heatInput, e.efficiency, e.co2, e.flueMassFlow, e.gasTemperature);
        EXPECT_GE(e.outletDiameter, 0.05);
        EXPECT_LE(e.outletDiameter, 0.3);
        if (e.condensing) {
            EXPECT_LT(e.gasTemperature, 80.0);
            EXPECT_GT(e.positivePressure, 0.0);
            EXPECT_EQ(e.requiredDraught, 0.0);
        } else {
            EXPECT_GT(e.gasTemperature, 80.0);
            EXPECT_GT(e.requiredDraught, 0.0);
            EXPECT_EQ(e.positivePressure, 0.0);
        }
        if (e.partLoadAvailable) {
            ++withPart;
            checkLoad(e.outputPart, e.heatInputPart, e.efficiencyPart, e.co2Part, e.flueMassFlowPart,
                      e.gasTemperaturePart);
            EXPECT_LT(e.outputPart, e.output);
            EXPECT_LT(e.flueMassFlowPart, e.flueMassFlow);
            EXPECT_LT(e.gasTemperaturePart, e.gasTemperature);
            EXPECT_LE(e.requiredDraughtPart, e.requiredDraught);
            EXPECT_LE(e.positivePressurePart, e.positivePressure);
        } else {
            ++withoutPart;
        }
        if (e.HasOpenOperation()) {
            ++open;
            EXPECT_EQ(e.openFieldCount, 6);
            EXPECT_TRUE(e.fuel == 10);
            EXPECT_GT(e.flueMassFlowOpen, e.flueMassFlow);  // much more air through the open front
            EXPECT_LT(e.gasTemperatureOpen, e.gasTemperature);
        }
    }
    EXPECT_EQ(positions.size(), size_t(CWrzKatalog::kFuelPositions));
    EXPECT_EQ(*positions.begin(), 0);
    EXPECT_GT(withPart, 0);
    EXPECT_GT(withoutPart, 0);
    EXPECT_GT(open, 0);
}

// The sample data directory holds this many heat generators.
constexpr size_t kShippedTypes = 59;

TEST(ShippedData, SampleCatalogueReadsBackCompletely) {
    const char* src = std::getenv("VX_SOURCE_DIR");
    ASSERT_NE(src, nullptr);
    std::string dir = vx::JoinPath(src, "data");
    CheckCatalogueReadsBackCompletely(dir, kShippedTypes);
    CheckPlausible(dir);
}

TEST_F(CatalogueTest, GeneratedCatalogueReadsBackCompletely) {
    std::vector<WrzEntry> entries = catalogue::MakeSyntheticEntries(5000, 42);
    ASSERT_EQ(entries.size(), 5000u);
    ASSERT_TRUE(catalogue::WriteCatalogue(dir_, entries));
    CheckCatalogueReadsBackCompletely(dir_, 5000);
    CheckPlausible(dir_);

    // The same seed gives the same catalogue, another seed another one.
    std::string first, again;
    ASSERT_TRUE(vx::ReadWholeFile(vx::JoinPath(dir_, "velmora.wrz"), first));
    ASSERT_TRUE(catalogue::WriteCatalogue(dir_, catalogue::MakeSyntheticEntries(5000, 42)));
    ASSERT_TRUE(vx::ReadWholeFile(vx::JoinPath(dir_, "velmora.wrz"), again));
    EXPECT_EQ(first, again);
    ASSERT_TRUE(catalogue::WriteCatalogue(dir_, catalogue::MakeSyntheticEntries(5000, 43)));
    ASSERT_TRUE(vx::ReadWholeFile(vx::JoinPath(dir_, "velmora.wrz"), again));
    EXPECT_NE(first, again);
}

TEST_F(CatalogueTest, WrittenLinesReadBackFieldByField) {
    WrzEntry e;
    e.manufacturerName = "Haldrich Heiztechnik";
    e.typeDesignation = "Pelletto 15";
    e.fuel = 13;
    e.output = 15;
    e.heatInput = 16.3;
    e.efficiency = 92.0;
    e.co2 = 12.5;
    e.flueMassFlow = 0.00972;
    e.gasTemperature = 140;
    e.requiredDraught = 8;
    e.outletDiameter = 0.13;
    e.partLoadAvailable = 1;
    e.outputPart = 4.5;
    e.heatInputPart = 4.95;
    e.efficiencyPart = 90.9;
    e.co2Part = 11.5;
    e.flueMassFlowPart = 0.00316;
    e.gasTemperaturePart = 95;
    e.requiredDraughtPart = 5;
    std::string line = catalogue::FormatWrzLine(e);
    EXPECT_EQ(line,
              "Haldrich Heiztechnik;Pelletto 15;13;0;15.00;16.30;92.0;12.50;0.00972;140.0;8.0;0.0;0.130;1;"
              "4.50;4.95;90.9;11.50;0.00316;95.0;5.0;0.0\r\n");
    WrzEntry back;
    ASSERT_TRUE(ParseWrzLine(line.substr(0, line.size() - 2), back).ok);
    EXPECT_EQ(catalogue::FormatWrzLine(back), line);
    e.partLoadAvailable = 0;
    e.openFieldCount = 2;
    e.outputOpen = 5;
    e.heatInputOpen = 20;
    line = catalogue::FormatWrzLine(e);
    EXPECT_EQ(line.substr(line.find(";0.130;")), ";0.130;0;5.00;20.00\r\n");
}

} // namespace

namespace {

// The cross-section tables of the sample data, as the table reader and the
// table editor take them: a header line, CR LF, no blank line inside, keys
// numbered from 1 without gaps, sizes in metres with "." ascending within
// the editor's limits.
TEST(ShippedData, CrossSectionTablesAndCodePage) {
    const char* src = std::getenv("VX_SOURCE_DIR");
    ASSERT_NE(src, nullptr);
    std::string dir = vx::JoinPath(src, "data");
    std::string text;
    ASSERT_TRUE(vx::ReadWholeFile(vx::JoinPath(dir, "INNENTAB.INI"), text));
    EXPECT_EQ(text.rfind("[INNENTAB]\r\n", 0), 0u);
    EXPECT_EQ(text.find("\r\n\r\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    size_t lf = 0, crlf = 0;
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n') ++lf, crlf += i > 0 && text[i - 1] == '\r';
    EXPECT_EQ(lf, crlf);

    vx::IniFile ini(vx::JoinPath(dir, "INNENTAB.INI"));
    std::map<std::string, std::vector<double>> tables;
    for (const char* prefix : {"R", "Q"}) {
        for (int n = 1;; ++n) {
            std::string v = ini.GetString("INNENTAB", vx::Format("%s%d", prefix, n));
            if (v.empty()) break;
            size_t used = 0;
            double d = vx::ParseDouble(v, &used);
            ASSERT_EQ(used, v.size()) << v;
            EXPECT_GE(d, 0.05);
            EXPECT_LE(d, 2.0);
            if (!tables[prefix].empty()) {
                EXPECT_GT(d, tables[prefix].back()) << prefix << n;
            }
            tables[prefix].push_back(d);
        }
    }
    EXPECT_EQ(ini.Keys("INNENTAB").size(), tables["R"].size() + tables["Q"].size() + 9);
    EXPECT_GE(tables["R"].size(), 20u);
    EXPECT_GE(tables["Q"].size(), 10u);
    auto has = [](const std::vector<double>& t, double v) {
        for (double d : t)
            if (std::abs(d - v) < 1e-9) return true;
        return false;
    };
    EXPECT_TRUE(has(tables["R"], 0.2) && has(tables["R"], 0.3) && has(tables["Q"], 0.2));
    EXPECT_EQ(ini.GetString("INNENTAB", "O1"), "0.12x0.18");

    // Catalogue names are code page 1252, not UTF-8.
    std::string hst;
    ASSERT_TRUE(vx::ReadWholeFile(vx::JoinPath(dir, "velmora.hst"), hst));
    EXPECT_NE(hst.find("Tennfeld \xD6" "fen & Herde;"), std::string::npos);
    EXPECT_NE(hst.find("Quellmann W\xE4rmesysteme;"), std::string::npos);
}

} // namespace
