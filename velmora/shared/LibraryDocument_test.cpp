#include "velmora/shared/LibraryDocument.h"

#include "model/CGrunddaten.h"
#include "testsupport/platform/TestProfile.h"
#include "values/CProjekt.h"
#include "values/CWString.h"
#include "velmora/shared/QuorvelLibrary.h"

#include <gtest/gtest.h>

namespace {

struct Document : LibraryDocument {
    CProjekt project;
    CWString remarks;
    CGrunddaten site;
    std::string name;
    int heightsTaken = 0, changes = 0;
    CProjekt& DocumentProject() override { return project; }
    CWString& DocumentRemarks() override { return remarks; }
    CGrunddaten& DocumentSite() override { return site; }
    void TakeProjectName(const std::string& n) override { name = n; }
    void SiteHeightTaken() override { ++heightsTaken; }
    void DocumentChanged() override { ++changes; }
};

} // namespace

// The site height a project brings: its site's, else its recipient's, else
// the profile's default; a height the user typed stays.
TEST(LibraryDocument, ProjectSiteHeightRule) {
    ScopedTestProfile profile("[Grunddaten]\nGeoHoehe=412.5\n");
    struct Case {
        uint16_t marker;
        double recipient, siteHeight;
        bool taken;
        double expected;
    };
    const Case cases[] = {
        {CWerte::MarkerDerived, 100, 250, true, 250},  {CWerte::MarkerDerived, 100, -99, true, 100},
        {CWerte::MarkerDerived, -99, -99, true, 412.5}, {CWerte::MarkerDefault, -99, 0, true, 0},
        {CWerte::MarkerPlain, 100, 250, false, 77},
    };
    for (const Case& c : cases) {
        CProjekt p;
        p.recipientHeight = c.recipient;
        p.siteHeight = c.siteHeight;
        CGrunddaten site;
        site.geoHeight.value = 77;
        site.geoHeight.marker = c.marker;
        EXPECT_EQ(TakeProjectSiteHeight(p, site), c.taken);
        EXPECT_EQ(site.geoHeight.value, c.expected) << c.recipient << " " << c.siteHeight;
    }
}

TEST(LibraryDocument, ProjectDataAndRemarksThroughTheLibrary) {
    ScopedTestProfile profile("");
    QuorvelLibrary q;
    Document doc;
    doc.site.geoHeight.marker = CWerte::MarkerDerived;
    // Without the library nothing happens.
    EXPECT_FALSE(RunProjectData(q, doc));
    EXPECT_FALSE(RunRemarks(q, doc));
    EXPECT_EQ(doc.changes, 0);

    ASSERT_TRUE(q.Load(VX_QUORVEL_PROJECT_STAND_IN));
    ASSERT_TRUE(RunProjectData(q, doc));
    EXPECT_EQ(doc.project.Text(CProjekt::Nummer), "P-4711");
    EXPECT_EQ(doc.name, "P-4711");
    EXPECT_EQ(doc.site.geoHeight.value, 480.5);
    EXPECT_EQ(doc.heightsTaken, 1);
    // A cancelled dialog leaves the project as it was.
    doc.project.Text(CProjekt::Bearbeiter) = "CANCEL";
    EXPECT_FALSE(RunProjectData(q, doc));
    EXPECT_EQ(doc.heightsTaken, 1);
    // A number with folder parts names the document without leaving its folder.
    doc.project.Text(CProjekt::Bearbeiter) = "CLIMB";
    ASSERT_TRUE(RunProjectData(q, doc));
    EXPECT_EQ(doc.project.Text(CProjekt::Nummer), "../../2026/17");
    EXPECT_EQ(doc.name, "------2026-17");

    doc.remarks.text = "Dach";
    ASSERT_TRUE(RunRemarks(q, doc));
    EXPECT_EQ(doc.remarks.text, "Dach (bearbeitet)");
    EXPECT_EQ(doc.changes, 3);
}

// A project number never names a file of another kind: the program's
// extension is always there, in whatever case the number gave it.
TEST(LibraryDocument, ProjectNumbersGiveNamesWithTheProgramsExtension) {
    const struct {
        const char *number, *extension, *file;
    } cases[] = {
        {"velmora.wrz", ".kfx", "velmora.wrz.kfx"}, {"velmora.hst", ".kbv", "velmora.hst.kbv"},
        {" P-17 ", ".kfx", "P-17.kfx"},             {"P-17.KFX", ".kfx", "P-17.KFX"},
        {"P-17.kbv", ".kfx", "P-17.kbv.kfx"},       {"../x", ".kfx", "---x.kfx"},
        {"kfx", ".kfx", "kfx.kfx"},                  {"  ", ".kfx", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ProjectDocumentName(c.number, c.extension), c.file) << c.number;
}
