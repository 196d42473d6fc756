#include "velmora/shared/CrossSectionTableFile.h"

#include "model/CrossSectionTables.h"
#include "platform/Files.h"
#include "platform/NumText.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

class TableFile : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = vx::JoinPath(vx::TempDir(), "vxtab-" + std::to_string(::getpid()) + "-INNENTAB.INI");
        vx::RemoveFile(path_);
    }
    void TearDown() override { vx::RemoveFile(path_); }
    std::string Text() {
        std::string text;
        vx::ReadWholeFile(path_, text);
        return text;
    }
    std::string path_;
};

TEST_F(TableFile, ReadsEverySizeTheCalculationReads) {
    vx::WriteFileAtomic(path_, "[INNENTAB]\r\nR1=0.08\r\nR2=0,10\r\nR3=0\r\nR4=0.2\r\nQ1=0.1\r\nQ3=0.2\r\n");
    CrossSectionTableText round = ReadCrossSectionTable(path_, 0);
    EXPECT_EQ(round.entries, (std::vector<std::string>{"0.08", "0,10", "0.2"}));
    EXPECT_EQ(round.badLines, std::vector<int>{4});
    EXPECT_EQ(round.count, 4);
    CrossSectionTableText square = ReadCrossSectionTable(path_, 1);
    EXPECT_EQ(square.entries, (std::vector<std::string>{"0.1", "0.2"}));
    EXPECT_TRUE(square.badLines.empty());
    CrossSectionTableText none = ReadCrossSectionTable(path_ + ".missing", 0);
    EXPECT_TRUE(none.entries.empty());
    EXPECT_EQ(none.count, 1);
}

// A gap among 24 sizes (a missing key, 0, no number, nothing) hides none of
// the sizes after it, and writing loses no line the editor did not show.
TEST_F(TableFile, GapInTheTableLosesNothing) {
    for (const char* gap : {"", "R4=0", "R4=abc", "R4="}) {
        std::string text = "[INNENTAB]\r\n";
        for (int i = 1; i <= 25; ++i) {
            if (i == 4) {
                if (*gap) text += std::string(gap) + "\r\n";
                continue;
            }
            text += vx::Format("R%d=0.%02d\r\n", i, 5 + i);
        }
        text += "Q1=0.1\r\n";
        vx::WriteFileAtomic(path_, text);
        CrossSectionTables before;
        ReadCrossSectionTable(text, 'R', before);
        ASSERT_EQ(before.round.size(), 24u) << gap;
        const CrossSectionTableText table = ReadCrossSectionTable(path_, 0);
        EXPECT_EQ(CrossSectionSizes(table), before.round) << gap;
        EXPECT_EQ(table.badLines, *gap ? std::vector<int>{5} : std::vector<int>{}) << gap;

        std::vector<std::string> entries = table.entries;
        entries.push_back("0.5");
        ASSERT_TRUE(WriteCrossSectionTable(path_, 0, entries));
        const std::string written = Text();
        CrossSectionTables after;
        EXPECT_EQ(ReadCrossSectionTable(written, 'R', after).size(), *gap ? 1u : 0u) << gap;
        ASSERT_EQ(after.round.size(), 25u) << gap;
        EXPECT_EQ(after.round.back(), 0.5);
        EXPECT_NE(written.find("Q1=0.1\r\n"), std::string::npos);
        // The bad line stays, numbered after the sizes.
        if (*gap) {
            EXPECT_NE(written.find("R26=" + std::string(gap).substr(3) + "\r\n"), std::string::npos) << written;
        }
    }
}

TEST_F(TableFile, WrittenTableKeepsTheOtherShapesAndHasNoBlankLine) {
    vx::WriteFileAtomic(path_, "[INNENTAB]\r\nR1=0.08\r\nR2=0.10\r\nR3=0.12\r\n\r\nQ1=0.10\r\nO1=0.12x0.18\r\n");
    ASSERT_TRUE(WriteCrossSectionTable(path_, 0, {"0.08", "0,15"}));
    EXPECT_EQ(Text(), "[INNENTAB]\r\nR1=0.08\r\nR2=0,15\r\nQ1=0.10\r\nO1=0.12x0.18\r\n");

    // The calculation's reader sees every entry, and no size of 0.
    CrossSectionTables tables;
    for (char p : {'R', 'Q', 'O'}) ReadCrossSectionTable(Text(), p, tables);
    EXPECT_EQ(tables.round, (std::vector<double>{0.08, 0.15}));
    EXPECT_EQ(tables.square, (std::vector<double>{0.10}));
    ASSERT_EQ(tables.oval.size(), 1u);
}

TEST_F(TableFile, DeletingTheOnlyEntryEmptiesTheTable) {
    vx::WriteFileAtomic(path_, "[INNENTAB]\nQ1=0.10\nR1=0.08\n");
    ASSERT_TRUE(WriteCrossSectionTable(path_, 0, {}));
    EXPECT_EQ(Text(), "[INNENTAB]\nQ1=0.10\n");
    EXPECT_TRUE(ReadCrossSectionTable(path_, 0).entries.empty());
    CrossSectionTables tables;
    ReadCrossSectionTable(Text(), 'R', tables);
    EXPECT_TRUE(tables.round.empty());
}

TEST_F(TableFile, NewFileAndSectionNotFirst) {
    ASSERT_TRUE(WriteCrossSectionTable(path_, 1, {"0.2"}));
    EXPECT_EQ(Text(), "[INNENTAB]\r\nQ1=0.2\r\n");

    vx::WriteFileAtomic(path_, "; Tabellen\n\n[Andere]\nX=1\n[innentab]\nr1=0.3\nr2=0.4\n");
    ASSERT_TRUE(WriteCrossSectionTable(path_, 0, {"0.3", "0.5", "0.6"}));
    // The calculation never reached the section's lines, nor did the editor:
    // they are kept after the new entries.
    EXPECT_EQ(Text(), "[INNENTAB]\nR1=0.3\nR2=0.5\nR3=0.6\nR4=0.3\nR5=0.4\n\n; Tabellen\n[Andere]\nX=1\n");
    EXPECT_EQ(ReadCrossSectionTable(path_, 0).entries, (std::vector<std::string>{"0.3", "0.5", "0.6", "0.3", "0.4"}));
}

TEST_F(TableFile, UnwritableDirectoryFailsAndLeavesNothing) {
    const std::string bad = "/nonexistent-dir-vx/INNENTAB.INI";
    EXPECT_FALSE(WriteCrossSectionTable(bad, 0, {"0.1"}));
    EXPECT_FALSE(vx::FileExists(bad));
}

TEST_F(TableFile, SizesReadAsTheCalculationAndWrittenInTheCLocale) {
    // A comma, as an earlier editor wrote it, is read as the point.
    vx::WriteFileAtomic(path_, "[INNENTAB]\r\nR1=0.08\r\nR2=0,09\r\nR3=0.125\r\n");
    const std::vector<double> sizes = CrossSectionSizes(ReadCrossSectionTable(path_, 0));
    ASSERT_EQ(sizes.size(), 3u);
    EXPECT_DOUBLE_EQ(sizes[0], 0.08);
    EXPECT_DOUBLE_EQ(sizes[1], 0.09);
    EXPECT_DOUBLE_EQ(sizes[2], 0.125);
    struct Case {
        double metres;
        const char* text;
    };
    for (const Case& c : {Case{0.09, "0.09"}, Case{0.1, "0.1"}, Case{2.0, "2"}, Case{0.125, "0.125"},
                          Case{0.05, "0.05"}, Case{1.23456, "1.2346"}})
        EXPECT_EQ(CrossSectionFileText(c.metres), c.text) << c.metres;
}

} // namespace
