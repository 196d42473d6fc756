#include "platform/report/PrintEntry.h"

#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "testsupport/platform/ReportTestSupport.h"

#include <gtest/gtest.h>

namespace vx::report {
namespace {

using testing::CountOf;
using testing::ScratchDir;

const char kTableLayout[] =
    "[Layout]\n"
    "Width=210\nHeight=297\nLeft=20\nTop=15\nBottom=20\n"
    "[Text:Kopf]\nRect=0,0,170,0\nText=Belegung <Projekt>\n"
    "[Table:Liste]\nRect=0,40,170,0\nNextTop=20\n"
    "Column=40|L|Querschnitt|<KopfDM> <Durchmesser>\nColumn=80|L|Hersteller|<Hersteller>\nColumn=40|R|kW|<Leistung>\n";

class PrintEntryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(dir.Path().empty());
        layout = dir.File("Tabelle.LST");
        ASSERT_TRUE(WriteFileAtomic(layout, kTableLayout));
    }
    // One table row per entry of rows, as a program fills the entry.
    PrintEntry Entry(int rowCount, std::vector<int>& asked) {
        PrintEntry e;
        e.mode = kPrintExport;
        e.layoutFile = layout;
        e.exportFormat = "PDF";
        e.exportFile = dir.File("out.pdf");
        e.sourceName = ".\\Test";
        e.defineFields = [](ReportJob& j) {
            for (const char* f : {"KopfDM", "Durchmesser", "Hersteller", "Leistung"}) j.DefineField(f, f);
        };
        e.defineVariables = [](ReportJob& j) { j.DefineVariable("Projekt", "P-17"); };
        e.setRow = [rowCount, &asked](ReportJob& j, int row) {
            asked.push_back(row);
            if (row >= rowCount) return false;
            j.DefineField("KopfDM", "\xf8 [m]");
            j.DefineField("Durchmesser", Format("0.%03d", 100 + row));
            j.DefineField("Hersteller", Format("Hersteller %03d", row));
            j.DefineField("Leistung", Format("%d,0", row));
            return true;
        };
        return e;
    }
    ScratchDir dir;
    std::string layout;
    ScopedScriptedMessages messages;
};

// Rows over several pages: each row that finds its page full goes once
// more on the next page; every row stands exactly once in the export.
TEST_F(PrintEntryTest, RowsOverSeveralPagesEachPrintedOnce) {
    std::vector<int> asked;
    PrintEntry e = Entry(120, asked);
    int afterRows = 0;
    e.afterRows = [&](ReportJob&) {
        ++afterRows;
        return 0;
    };
    ReportJob job;
    ASSERT_EQ(RunPrint(job, e), 0) << job.LastError();
    EXPECT_EQ(asked.size(), 121u);
    EXPECT_EQ(afterRows, 1);
    EXPECT_GE(job.CurrentPage(), 3);
    const std::string text = testing::PdfText(e.exportFile);
    ASSERT_FALSE(text.empty());
    for (int i = 0; i < 120; ++i) EXPECT_EQ(CountOf(text, Format("Hersteller %03d", i)), 1u) << i;
    EXPECT_EQ(CountOf(text, "Belegung P-17"), size_t(job.CurrentPage()));
    EXPECT_TRUE(messages.service.shown.empty());
}

// No rows: the page head alone. A missing layout: the layer's failure with
// the program's source name, nothing asked of the rows.
TEST_F(PrintEntryTest, EmptyTableAndMissingLayout) {
    std::vector<int> asked;
    PrintEntry e = Entry(0, asked);
    ReportJob job;
    ASSERT_EQ(RunPrint(job, e), 0) << job.LastError();
    EXPECT_EQ(asked, std::vector<int>{0});
    EXPECT_EQ(job.CurrentPage(), 1);
    EXPECT_EQ(CountOf(testing::PdfText(e.exportFile), "Belegung P-17"), 1u);

    asked.clear();
    PrintEntry missing = Entry(5, asked);
    missing.layoutFile = dir.File("fehlt.LST");
    missing.printStartLine = 207;
    ReportJob other;
    EXPECT_LT(RunPrint(other, missing), 0);
    EXPECT_TRUE(asked.empty());
    ASSERT_EQ(messages.service.shown.size(), 1u);
    EXPECT_NE(messages.service.shown[0].text.find("LlPrintStart"), std::string::npos);
    EXPECT_NE(messages.service.shown[0].text.find("Zeile 207, Datei .\\Test"), std::string::npos);
}

} // namespace
} // namespace vx::report
