#include "quorvel/OrderForm.h"

#include "platform/Profile.h"
#include "testsupport/platform/FontCacheCleanup.h"
#include "testsupport/platform/ReportTestSupport.h"
#include "testsupport/quorvel/QuorvelTestEnv.h"

#include <regex>

namespace {

class OrderFormTest : public QuorvelTest {
protected:
    void SetUp() override {
        QuorvelTest::SetUp();
        oldProfile_ = vx::Profile().Path();
        vx::Profile().UseFile(Path("Velmora.ini"));
        vx::WriteFileAtomic(Path("Velmora.ini"), "[Datenbank]\nStand_W=2026/04\nPfad=" + dir + "\n");
        sender.name1 = "Schornsteinbau Nord";
        sender.name2 = "Inh. K. M\xFC" "ller";
        sender.street = "Hafenstra\xDF" "e 4";
        sender.plzOrt = "24103 Kiel";
        sender.telephone = "0431 1234";
        sender.fax = "0431 1235";
        sender.version = "3.10";
    }
    void TearDown() override {
        vx::Profile().UseFile(oldProfile_);
        QuorvelTest::TearDown();
    }
    static std::string Layout() { return std::string(VX_SOURCE_TREE) + "/data/Bestell.LST"; }

    CAnwender sender;
    std::string oldProfile_;
};

TEST_F(OrderFormTest, TheTwelveVariablesAreDefinedAndTheTableHasTenRows) {
    const vx::report::PrintEntry e = OrderFormEntry(sender, TheOrderAddress(), Layout(), vx::report::kPrintExport);
    EXPECT_EQ(e.optionsTitle, "Bestellformular drucken");
    EXPECT_FALSE(e.designer);
    vx::report::ReportJob job;
    job.DefineVariableStart();
    e.defineVariables(job);
    const char* const names[] = {"Name1", "Name2", "Str", "PLZOrt", "TEL", "FAX", "BestName1", "BestStr",
                                 "BestOrt", "BestFax", "Version", "VersionDB"};
    for (const char* name : names) EXPECT_TRUE(job.HasVariable(name)) << name;
    int rows = 0;
    while (e.setRow(job, rows)) ++rows;
    EXPECT_EQ(rows, 10);
}

TEST_F(OrderFormTest, ExportsSenderOrderAddressCatalogueDateAndTenRowsToPdf) {
    vx::report::PrintEntry e = OrderFormEntry(sender, TheOrderAddress(), Layout(), vx::report::kPrintExport);
    e.exportFormat = "PDF";
    e.exportFile = Path("bestellung.pdf");
    vx::report::ReportJob job;
    ASSERT_EQ(vx::report::RunPrint(job, e), 0) << job.LastError();
    const std::string text = vx::report::testing::PdfText(Path("bestellung.pdf"));
    for (const char* expected : {"Schornsteinbau Nord", "Inh. K. M\xC3\xBC" "ller", "Hafenstra\xC3\x9F" "e 4", "24103 Kiel",
                                 "Trevalen Software GmbH", "Industriestra\xC3\x9F" "e 12", "66606 St. Wendel",
                                 "Per Fax an: 06851 8009-99", "Programmversion: 3.10",
                                 "Stand der vorhandenen Datenbank: 2026/04"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    // Ten numbered rows under the heading, 0 to 9.
    const size_t table = text.find("Pos.");
    ASSERT_NE(table, std::string::npos);
    std::string rows;
    std::string rest = text.substr(table);
    const std::regex row(R"(\n\s*(\d)\s*(?=\n))");
    for (auto it = std::sregex_iterator(rest.begin(), rest.end(), row); it != std::sregex_iterator(); ++it)
        rows += (*it)[1].str();
    EXPECT_EQ(rows, "0123456789");
    EXPECT_TRUE(Shown().empty());
}

TEST_F(OrderFormTest, TheLayoutDefaultsToTheDataDirectoryAndAMissingOneIsReported) {
    EXPECT_EQ(OrderFormLayout(), dir + "/Bestell.LST");
    vx::Profile().WriteString("LuL", "FormWdb", "");
    EXPECT_EQ(OrderFormLayout(), "");
    vx::report::PrintEntry e = OrderFormEntry(sender, TheOrderAddress(), Path("fehlt.lst"), vx::report::kPrintExport);
    e.exportFormat = "PDF";
    e.exportFile = Path("nichts.pdf");
    vx::report::ReportJob job;
    EXPECT_LT(vx::report::RunPrint(job, e), 0);
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_NE(Shown()[0].text.find("Fehler bei LlPrintStart: (nRet=-1, Zeile 107, Datei .\\dblprint)"),
              std::string::npos)
        << Shown()[0].text;
    EXPECT_FALSE(vx::FileExists(Path("nichts.pdf")));
}

} // namespace
