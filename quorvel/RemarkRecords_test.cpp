#include "quorvel/RemarkRecords.h"

#include "dbase/data/Table.h"
#include "quorvel/CDatenbank.h"
#include "quorvel/ListLine.h"
#include "testsupport/quorvel/QuorvelTestEnv.h"

namespace {

class RemarkRecords : public QuorvelTest {
protected:
    void SetUp() override {
        QuorvelTest::SetUp();
        MakeTable(Path("db/BEMERKUN"), kBemerkunFields, nullptr,
                  {{{"MATCH", "GR\xDCN"}, {"BEMERKUNG", "\xC4u\xDF" "erst gr\xFCn"}},
                   {{"MATCH", "ALT"}, {"BEMERKUNG", "weg"}, {"*", ""}},
                   {{"MATCH", ""}, {"BEMERKUNG", "ohne Code"}}});
        ASSERT_EQ(db.Oeffnen(Path("db"), Path("plz")), 0);
        tab = db.Bemerkungen();
    }
    CDatenbank db;
    CBemerkTab* tab = nullptr;
};

TEST_F(RemarkRecords, LinesHoldCodeTextAndRecordNumber) {
    EXPECT_EQ(RemarkLine("GR\xDCN", "Text", 12), "GR\xDCN       Text" + std::string(30, ' ') + "12");
    EXPECT_EQ(RemarkLine("ABCDEFGHIJKL", "", 3), "ABCDEFGHIJ " + std::string(30, ' ') + "3");
    const std::vector<std::string> lines = RemarkLines(*tab);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], RemarkLine("GR\xDCN", "\xC4u\xDF" "erst gr\xFCn", 1));
    EXPECT_EQ(lines[1], RemarkLine("", "ohne Code", 3));
    EXPECT_EQ(RecordNumberOfLine(lines[1]), 3);
}

TEST_F(RemarkRecords, WritingAndDeleting) {
    ASSERT_EQ(vx::tableAppendBlank(tab->Handle()), 0);
    const std::string match = "NEU";
    ASSERT_EQ(WriteRemark(*tab, &match, "Zeile 1\r\nZeile 2 \xE4\xF6\xFC"), 0);
    ASSERT_EQ(vx::tableAppendBlank(tab->Handle()), 0);
    ASSERT_EQ(WriteRemark(*tab, nullptr, "ohne Matchcode"), 0);
    ASSERT_EQ(vx::tableGo(tab->Handle(), 4), 0);
    EXPECT_EQ(tab->FeldText(tab->bemerkung), "Zeile 1\r\nZeile 2 \xE4\xF6\xFC");
    ASSERT_EQ(vx::tableGo(tab->Handle(), 5), 0);
    EXPECT_EQ(tab->FeldText(tab->match), "");
    EXPECT_EQ(tab->FeldText(tab->bemerkung), "ohne Matchcode");

    EXPECT_FALSE(DeleteRemark(*tab, 2));  // already deleted
    EXPECT_FALSE(DeleteRemark(*tab, 0));
    EXPECT_FALSE(DeleteRemark(*tab, 99));
    EXPECT_TRUE(DeleteRemark(*tab, 4));
    EXPECT_EQ(RemarkLines(*tab).size(), 3u);
}

TEST(RemarkBreaks, EditAndStoredFormsRoundTrip) {
    struct Case {
        const char* stored;
        const char* edit;
    } cases[] = {{"a\r\nb", "a\nb"}, {"\r\n\r\n", "\n\n"}, {"a", "a"}, {"a\rb", "a\rb"}};
    for (const Case& c : cases) {
        EXPECT_EQ(ToEditBreaks(c.stored), c.edit);
        EXPECT_EQ(ToStoredBreaks(c.edit), c.stored);
    }
    EXPECT_EQ(ToStoredBreaks("a\r\nb\n"), "a\r\nb\r\n");
}

} // namespace
