#include "model/CrossSectionTables.h"

#include "model/CRohr.h"
#include "model/CSchorn.h"
#include "testsupport/model/ModelTestEnv.h"
#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"

#include <filesystem>

namespace {

class CrossSections : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        vx::Profile().WriteString("Datenbank", "Pfad", dir_.string());
        SharedCrossSectionTables() = CrossSectionTables{};
        saved_ = vx::Strings();
        ASSERT_TRUE(vx::Strings().LoadFile(vx::ResourceDir() + "/model/strings.txt"));
    }
    void TearDown() override {
        vx::Strings() = saved_;
        SharedCrossSectionTables() = CrossSectionTables{};
        ModelTest::TearDown();
    }
    void WriteTable(const std::string& name, const std::string& text) {
        ASSERT_TRUE(vx::WriteFileAtomic(Path(name), text));
    }
    // Loads "INNENTAB.INI" from text and expects the sizes kept and one
    // message that names the file and the lines skipped; gives that message.
    std::string LoadSkipping(const vx::ScriptedMessageService& service, const std::string& text,
                             const CrossSectionTables& kept, const std::string& lines) {
        WriteTable("INNENTAB.INI", text);
        LoadCrossSectionTables();
        EXPECT_EQ(SharedCrossSectionTables().round, kept.round);
        EXPECT_EQ(SharedCrossSectionTables().square, kept.square);
        EXPECT_EQ(SharedCrossSectionTables().oval, kept.oval);
        EXPECT_EQ(service.shown.size(), 1u);
        if (service.shown.size() != 1) return "";
        const std::string& message = service.shown[0].text;
        EXPECT_NE(message.find("\"INNENTAB.INI\""), std::string::npos) << message;
        EXPECT_NE(message.find(lines), std::string::npos) << message;
        return message;
    }
    vx::StringTable saved_;
};

TEST_F(CrossSections, ReadingStopsAtTheEmptyLine) {
    for (const char* eol : {"\n", "\r\n"}) {
        const std::string e = eol;
        CrossSectionTables t;
        ReadCrossSectionTable("[INNENTAB]" + e + "R1=0,15" + e + "R2=0.12" + e + e + "R3=0.2" + e, 'R', t);
        EXPECT_EQ(t.round, (std::vector<double>{0.12, 0.15})) << (e.size() == 2 ? "CRLF" : "LF");
    }
}

TEST_F(CrossSections, ShapesAndBadLines) {
    const std::string text = "[INNENTAB]\nQ1=0.2\nO1=0,20x0,30\nR1=abc\nO2=0.1x0.5\nQ2=0.14\nX=1\nO3=0.1x0.25\n";
    CrossSectionTables t;
    EXPECT_EQ(ReadCrossSectionTable(text, 'R', t), std::vector<int>{4});  // no number: skipped
    EXPECT_TRUE(ReadCrossSectionTable(text, 'Q', t).empty());
    EXPECT_TRUE(ReadCrossSectionTable(text, 'O', t).empty());
    EXPECT_TRUE(t.round.empty());
    EXPECT_EQ(t.square, (std::vector<double>{0.14, 0.2}));
    ASSERT_EQ(t.oval.size(), 3u);
    // Sorted by the text of "%f%f": "0.1000000.250000" < "0.1000000.500000" < "0.2000000.300000".
    EXPECT_EQ(t.oval[0], std::make_pair(0.1, 0.25));
    EXPECT_EQ(t.oval[1], std::make_pair(0.1, 0.5));
    EXPECT_EQ(t.oval[2], std::make_pair(0.2, 0.3));
}

// Zero, negative, infinite and non-numbers never become sizes; the lines are
// named in one message, told once.
TEST_F(CrossSections, BadSizesAreSkippedAndNamed) {
    vx::ScopedScriptedMessages messages;
    LoadSkipping(messages.service,
                 "[INNENTAB]\nR1=0.1\nR2=0\nR3=-0.2\nR4=inf\nR5=nan\nR6=abc\nR7=0,12\nQ1=0.2\nO1=0.1x0\nO2=0.1x0.2\n",
                 {{0.1, 0.12}, {0.2}, {{0.1, 0.2}}}, "Zeilen 3, 4, 5, 6, 7, 10 ");
    LoadCrossSectionTables();
    EXPECT_EQ(messages.service.shown.size(), 1u);

    // Once the file reads cleanly the complaint is told again when it returns.
    WriteTable("INNENTAB.INI", "[INNENTAB]\nR1=0.2\n");
    LoadCrossSectionTables();
    EXPECT_EQ(messages.service.shown.size(), 1u);
    WriteTable("INNENTAB.INI", "[INNENTAB]\nR1=0.2\nR2=0\n");
    LoadCrossSectionTables();
    ASSERT_EQ(messages.service.shown.size(), 2u);
    EXPECT_NE(messages.service.shown[1].text.find("Zeile 3 "), std::string::npos);
}

// A size the table editor refuses (below 0,05 m or above 2 m) is no size for
// the calculation either: skipped and named with file and line.
TEST_F(CrossSections, SizesOutsideTheEditorsRangeAreSkippedAndNamed) {
    vx::ScopedScriptedMessages messages;
    const std::string text = LoadSkipping(
        messages.service, "[INNENTAB]\nR1=0.05\nR2=1e308\nR3=0,04\nR4=2\nR5=2.01\nQ1=0.049\nQ2=0.3\nO1=0.1x3\nO2=0.1x0.2\n",
        {{0.05, 2.0}, {0.3}, {{0.1, 0.2}}}, "Zeilen 3, 4, 6, 7, 9 ");
    EXPECT_NE(text.find("0,05 bis 2 m"), std::string::npos) << text;
}

TEST_F(CrossSections, FoundCaseInsensitivelyAndFreedWithTheLastSection) {
    WriteTable("innentab.ini", "[INNENTAB]\r\nR1=0,15\r\nR2=0.12\r\n\r\nR3=0.2\r\n");
    const int before = LivingPipeSections();
    {
        CSchorn first;
        EXPECT_EQ(SharedCrossSectionTables().round, (std::vector<double>{0.12, 0.15}));
        {
            CSchorn second;
            EXPECT_EQ(LivingPipeSections(), before + 2);
        }
        EXPECT_EQ(SharedCrossSectionTables().round.size(), 2u);
    }
    EXPECT_EQ(LivingPipeSections(), before);
    if (before == 0) {
        EXPECT_TRUE(SharedCrossSectionTables().round.empty());
    }
}

TEST_F(CrossSections, NextSectionSteps) {
    SharedCrossSectionTables().round = {0.12, 0.15};
    SharedCrossSectionTables().square = {0.14, 0.2};
    SharedCrossSectionTables().oval = {{0.1, 0.25}, {0.2, 0.3}};
    double d = 0.12, b = 0, a = 0;
    CRohr::NextCrossSection(1, 0, d, b, a);
    EXPECT_DOUBLE_EQ(d, 0.12);  // nothing smaller
    CRohr::NextCrossSection(0, 0, d, b, a);
    EXPECT_DOUBLE_EQ(d, 0.15);
    CRohr::NextCrossSection(0, 4, d, b, a);
    EXPECT_DOUBLE_EQ(d, 0.15);  // nothing larger; shape 4 walks the round table
    d = 0;
    CRohr::NextCrossSection(0, 0, d, b, a);
    EXPECT_DOUBLE_EQ(d, 0.12);  // from 0: the table's start
    CRohr::NextCrossSection(0, 1, d, b, a);
    EXPECT_DOUBLE_EQ(a, 0.14);
    a = 0.1;
    b = 0.25;
    CRohr::NextCrossSection(0, 3, d, b, a);
    EXPECT_DOUBLE_EQ(a, 0.2);
    EXPECT_DOUBLE_EQ(b, 0.3);
    CRohr::NextCrossSection(1, 2, d, b, a);
    EXPECT_DOUBLE_EQ(a, 0.1);
    EXPECT_DOUBLE_EQ(b, 0.25);
}

TEST_F(CrossSections, StartCrossSectionAndTableSize) {
    // Oil 20 kW: a = 0.3061 x 0.01028^0.7078 = 0.011987 m²; round: sqrt(a x 4 / pi) + 0.05 = 0.1735 -> 0.2.
    EXPECT_DOUBLE_EQ(StartCrossSection(0.01028, 0), 0.2);
    EXPECT_DOUBLE_EQ(StartCrossSection(0.01028, 1), 0.2);  // sqrt(a) + 0.05 = 0.1595
    // 3 g/s: round 0.1299 -> 0.1, square 0.1208 -> 0.1.
    EXPECT_DOUBLE_EQ(StartCrossSection(0.003, 0), 0.1);
    EXPECT_DOUBLE_EQ(StartCrossSection(0.003, 1), 0.1);

    SharedCrossSectionTables().round = {0.12, 0.15, 0.2, 0.25};
    CSchorn c;
    c.shape.value = 0;
    EXPECT_DOUBLE_EQ(c.TableSectionAtLeast(16), 20);
    EXPECT_DOUBLE_EQ(c.TableSectionAtLeast(15), 15);
    EXPECT_DOUBLE_EQ(c.TableSectionAtLeast(5), 12);
    EXPECT_DOUBLE_EQ(c.TableSectionAtLeast(30), 0);  // none large enough
    c.shape.value = 2;
    EXPECT_DOUBLE_EQ(c.TableSectionAtLeast(16), 0);
}

} // namespace

namespace {

// A missing table, or one without sizes of the shape, names the file and where it was looked for.
TEST_F(CrossSections, AnEmptyTableSaysWhereItWasLookedFor) {
    vx::ScopedScriptedMessages messages;
    std::filesystem::remove(Path("INNENTAB.INI"));
    LoadCrossSectionTables();
    EXPECT_TRUE(messages.service.shown.empty());  // told where the user meets it, not at load
    std::string text = EmptyCrossSectionTableMessage(0);
    EXPECT_NE(text.find("\"INNENTAB.INI\" fehlt"), std::string::npos) << text;
    EXPECT_NE(text.find(dir_.string()), std::string::npos) << text;
    WriteTable("INNENTAB.INI", "[INNENTAB]\nR1=0.2\n");
    LoadCrossSectionTables();
    text = EmptyCrossSectionTableMessage(1);
    EXPECT_NE(text.find("enthält keine Größen für quadratische"), std::string::npos) << text;
    EXPECT_NE(text.find(dir_.string()), std::string::npos) << text;
}

} // namespace
