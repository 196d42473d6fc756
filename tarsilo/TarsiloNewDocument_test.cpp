#include "tarsilo/TarsiloNewDocument.h"

#include "testsupport/model/ModelTestEnv.h"
#include "platform/MessageService.h"
#include "tarsilo/CTarsiloDocCore.h"
#include "tarsilo/TarsiloDocCommands.h"
#include "tarsilo/TarsiloFile.h"
#include "velmora/shared/ProgramSettings.h"

#include <gtest/gtest.h>

namespace {

// Midnight UTC of a day; the check counts from the local first of the month,
// so the cases stay a day clear of the boundary.
std::time_t Day(int year, int month, int day) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = 12;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

class NewDocumentTest : public ModelTest {
protected:
    void TearDown() override {
        g_OpenLast = false;
        ModelTest::TearDown();
    }
    vx::ScopedScriptedMessages messages;
};

struct RecordingWindow : TarsiloDocumentWindow {
    void SetPathName(const std::string& path) override { paths.push_back(path); }
    void DocumentChanged() override { ++changes; }
    std::vector<std::string> paths;
    int changes = 0;
};

} // namespace

TEST_F(NewDocumentTest, CatalogueAgeDecidesTheOrder) {
    // 2002/03/01 plus 400 days is 2003/04/05.
    struct Case {
        const char* stand;  // nullptr: not in the profile
        const char* anzeige;
        std::time_t now;
        bool old;
    } cases[] = {
        {nullptr, nullptr, Day(2003, 4, 6), true},  {"2002/03", nullptr, Day(2003, 4, 6), true},
        {"2002/03", nullptr, Day(2003, 4, 4), false}, {"2002/03", "1", Day(2010, 1, 1), false},
        {"2002/03", "0", Day(2010, 1, 1), true},    {"2002/13", nullptr, Day(2010, 1, 1), false},
        {"1899/12", nullptr, Day(2010, 1, 1), false}, {"März", nullptr, Day(2010, 1, 1), false},
    };
    for (const Case& c : cases) {
        // The default stands in while the fresh profile has no date (the first case).
        if (c.stand) vx::Profile().WriteString("Datenbank", "Stand_W", c.stand);
        vx::Profile().WriteString("Datenbank", "Anzeige_W", c.anzeige ? c.anzeige : "0");
        EXPECT_EQ(TarsiloNewDocument::CatalogueIsOld(c.now), c.old) << (c.stand ? c.stand : "-") << " " << c.now;
        CTarsiloDocCore doc;
        EXPECT_EQ(TarsiloNewDocument::Run(doc, true, c.now).postCatalogueOrder, c.old);
        EXPECT_FALSE(TarsiloNewDocument::Run(doc, false, c.now).postCatalogueOrder);
    }
}

TEST_F(NewDocumentTest, InputsClearedAndProjectDataAskedFor) {
    CTarsiloDocCore doc;
    doc.outputFrom.value = 20;
    doc.secondSide.value = 0.2;
    doc.fuelIndex = 3;
    doc.fuelName = "Erdgas";
    doc.shape = 2;
    doc.system = 5;
    doc.fu = 1;
    doc.project.Text(CProjekt::Nummer) = "P1";
    doc.remarks.text = "alt";
    doc.rows.resize(2);
    doc.manufacturers.push_back({"A", 0, true});
    const NewDocumentSteps steps = TarsiloNewDocument::Run(doc, true, Day(2002, 4, 1));
    EXPECT_TRUE(steps.postProjectData);
    EXPECT_FALSE(steps.postCatalogueOrder);
    EXPECT_TRUE(steps.reopenPath.empty());
    EXPECT_EQ(doc.outputFrom.value, 0);
    EXPECT_EQ(doc.secondSide.value, 0);
    EXPECT_EQ(doc.fuelIndex, -1);
    EXPECT_EQ(doc.fuelName, "");
    EXPECT_EQ(doc.shape, 0);
    EXPECT_EQ(doc.system, -1);
    EXPECT_EQ(doc.fu, 0);
    EXPECT_EQ(doc.project.Text(CProjekt::Nummer), "");
    EXPECT_EQ(doc.remarks.text, "");
    EXPECT_TRUE(doc.rows.empty());
    EXPECT_TRUE(doc.manufacturers.empty());
}

TEST_F(NewDocumentTest, ReopeningTakesTheRequestAndOnlyAnOpenedFileIsRecent) {
    CTarsiloDocCore saved;
    saved.fuelName = "Koks";
    const std::string path = Path("letztes.kbv");
    ASSERT_TRUE(TarsiloFile::SaveFile(saved, path));
    vx::Profile().WriteString("Global", "LstPrj", path);

    g_OpenLast = true;
    CTarsiloDocCore doc;
    const NewDocumentSteps steps = TarsiloNewDocument::Run(doc, true, Day(2002, 4, 1));
    EXPECT_FALSE(g_OpenLast);
    EXPECT_FALSE(steps.postProjectData);
    EXPECT_EQ(steps.reopenPath, path);

    std::vector<std::string> recent;
    auto add = [&](const std::string& p) { recent.push_back(p); };
    ASSERT_TRUE(TarsiloNewDocument::OpenLastProject(doc, steps.reopenPath, add));
    EXPECT_EQ(doc.fuelName, "Koks");
    EXPECT_EQ(recent, std::vector<std::string>{path});

    // A damaged file opens nothing and stays out of the list.
    vx::WriteFileAtomic(path, "kaputt");
    EXPECT_FALSE(TarsiloNewDocument::OpenLastProject(doc, path, add));
    EXPECT_EQ(recent.size(), 1u);
    EXPECT_EQ(messages.service.shown.size(), 1u);
}

TEST_F(NewDocumentTest, ProjectNumbersBecomeSafeFileNames) {
    const std::pair<const char*, const char*> cases[] = {
        {"P-17", "P-17.kbv"},         {"2008/17", "2008-17.kbv"},     {"../../etc/passwd", "------etc-passwd.kbv"},
        {"a..b", "a--b.kbv"},         {"C:\\daten\\x", "C:-daten-x.kbv"}, {"Haus.KBV", "Haus.KBV"},
        {"..", ""},                   {"  ", ""},                     {".versteckt", "-versteckt.kbv"},
    };
    for (const auto& [number, file] : cases) {
        const std::string name = TarsiloDocCommands::ProjectFileName(number);
        EXPECT_EQ(name, file) << number;
        EXPECT_EQ(name.find('/'), std::string::npos);
        EXPECT_EQ(name.find(".."), std::string::npos);
    }

    // The library's answer names the document in the open-file folder.
    vx::Profile().WriteString("Global", "DatPfad", Path("daten"));
    CTarsiloDocCore doc;
    RecordingWindow window;
    TarsiloLibraryDocument library(doc, window);
    library.TakeProjectName("../x/y");
    library.TakeProjectName("..");
    EXPECT_EQ(window.paths, std::vector<std::string>{vx::JoinPath(Path("daten"), "---x-y.kbv")});
}

TEST_F(NewDocumentTest, GeodeticHeightMarksTheDefaultAndDropsTheRows) {
    vx::Profile().WriteString("Grunddaten", "GeoHoehe", "410");
    CTarsiloDocCore doc;
    for (const auto& [height, marker] : {std::pair{410.0, CWerte::MarkerDerived}, std::pair{500.0, CWerte::MarkerPlain}}) {
        doc.rows.resize(2);
        doc.resultValid = 1;
        TarsiloDocCommands::SetGeodeticHeight(doc, height);
        EXPECT_EQ(doc.construction.site.geoHeight.value, height);
        EXPECT_EQ(doc.construction.site.geoHeight.marker, marker);
        EXPECT_TRUE(doc.rows.empty());
        EXPECT_EQ(doc.resultValid, 0);
    }
}
