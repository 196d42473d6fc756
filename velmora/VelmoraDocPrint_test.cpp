#include "velmora/VelmoraDocPrint.h"

#include "model/CrossSectionTables.h"
#include "testsupport/model/ModelTestEnv.h"
#include "platform/CodePage.h"
#include "platform/MessageService.h"
#include "testsupport/platform/ReportTestSupport.h"
#include "values/CAnwender.h"
#include "velmora/CVelmoraDocCore.h"
#include "velmora/VelmoraSettings.h"
#include "velmora/shared/CWrzKatalog.h"
#include "velmora/shared/CWrzKatalogWaerme.h"
#include "testsupport/platform/FontCacheCleanup.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

std::string SourceFile(const std::string& rel) {
    const char* dir = std::getenv("VX_SOURCE_DIR");
    return vx::JoinPath(dir ? dir : ".", rel);
}

// The document computed on the sample data: an oil boiler from the
// catalogue under a chimney of the first system.
class DocPrintTest : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        vx::Profile().WriteString("Datenbank", "Pfad", SourceFile("data"));
        vx::Profile().WriteString("Global", "Hinweis", "1");
        vx::Profile().WriteString("LuL", "Formular0", SourceFile("data/Velmora.LST"));
        LoadProgramStrings();
        LoadCrossSectionTables();
        user.name1 = "Muster Schornsteintechnik GmbH";
        doc.ResetDocument();
        CWrzKatalog katalog(SourceFile("data"));
        for (const WrzManufacturer& m : katalog.ReadManufacturers(1))
            for (const WrzType& t : katalog.ReadTypes(m.offset))
                if (t.typeDesignation == "Oleomat 22") {
                    int64_t at = t.offset;
                    ASSERT_EQ(LoadHeatGenerator(katalog, doc.heatGenerator, at, {},
                                                CWrzKatalog::OpenOperation::Closed),
                              CWrzKatalog::kLoaded);
                }
        ASSERT_EQ(doc.heatGenerator.typeDesignation.text, "Oleomat 22");
        int system = 1;
        doc.NewSystemType(system, 0, 0);
        doc.project.Text(CProjekt::Nummer) = "4711";
        doc.project.Text(CProjekt::EmpfName1) = "Familie Schäfer";
        doc.projectLine1 = "Neubau Einfamilienhaus";
        ASSERT_TRUE(doc.OnCalculate());
        ASSERT_GE(doc.points.size(), 2u);
    }
    void TearDown() override {
        LoadCrossSectionTables();
        ModelTest::TearDown();
    }

    vx::ScopedScriptedMessages messages;
    CAnwender user;
    CVelmoraDocCore doc;
};

TEST_F(DocPrintTest, ComputedCalculationExportsToPdf) {
    VelmoraPrintSource source = PrintSourceOf(doc, user, "Projekt.kfx");
    EXPECT_EQ(source.text2, "Neubau Einfamilienhaus");
    EXPECT_DOUBLE_EQ(source.chosenSize, doc.chosenSize);
    std::string pdf = Path("Berechnung.pdf");
    CVelmoraPrint print;
    ASSERT_EQ(print.PrintCalculation(kPrintExport, source, "PDF", pdf, ""), 0);
    EXPECT_TRUE(messages.service.shown.empty());
    // The print puts the chosen size into the chimney.
    EXPECT_DOUBLE_EQ(doc.chimney.diameter.value, doc.chosenSize / 100);

    std::string text = vx::report::testing::PdfText(pdf);
    std::string chimney = CVelmoraPrint::CrossSectionCaption(0, doc.chosenSize / 100, 0, 0);
    std::string outlet = CVelmoraPrint::CrossSectionCaption(0, doc.heatGenerator.outletDiameter.value, 0, 0);
    for (const std::string& expected :
         {std::string("4711"), doc.heatGenerator.manufacturerName.text, std::string("Oleomat 22"), chimney, outlet,
          std::string("Wirksame"), std::string("Schornsteinhöhe"), std::string("Durchmesser [cm]"),
          std::string("Neubau Einfamilienhaus"), std::string("Familie Schäfer")})
        EXPECT_NE(text.find(vx::Cp1252ToUtf8(expected)), std::string::npos) << expected;
    // The effective heights of the band's axis, 4 to 30 m.
    for (const char* height : {" 4 ", " 10 ", " 20 ", " 30"}) EXPECT_NE(text.find(height), std::string::npos) << height;

    std::string png = Path("seite1");
    ASSERT_TRUE(vx::report::testing::RenderFirstPage(pdf, png));
    vx::report::testing::Png img(png + ".png");
    EXPECT_TRUE(img.Ok());
    std::string artefacts = vx::ArtefactDir();
    if (!artefacts.empty()) {
        vx::RunProgram("cp", {png + ".png", vx::JoinPath(artefacts, "velmora-calculation-page1.png")});
        vx::RunProgram("cp", {pdf, vx::JoinPath(artefacts, "velmora-calculation.pdf")});
    }
}

} // namespace
