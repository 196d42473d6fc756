#include "tarsilo/CTarsiloPrint.h"

#include "model/CGrunddaten.h"
#include "model/CrossSectionTables.h"
#include "model/ModelText.h"
#include "platform/CodePage.h"
#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "testsupport/platform/FontCacheCleanup.h"
#include "testsupport/platform/ReportTestSupport.h"
#include "testsupport/PartStrings.h"
#include "velmora/shared/PrintTexts.h"
#include "tarsilo/CTarsiloDocCore.h"
#include "testsupport/tarsilo/TarsiloModelTestEnv.h"
#include "testsupport/SyntheticCatalogue.h"
#include "values/CAnwender.h"
#include "testsupport/values/ValuesTestEnv.h"
#include "testsupport/velmora/SampleDataTestEnv.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

size_t CountOf(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}

class TarsiloPrintTest : public TarsiloModelTest {
protected:
    ScopedPartStrings strings_{"shared", "tarsilo"};
    void SetUp() override {
        TarsiloModelTest::SetUp();
        // The layout where a new installation has it.
        std::filesystem::copy_file(std::filesystem::path(SampleData()) / "Tarsilo.LST", dir_ / "Tarsilo.LST");
        user.name1 = "Schornsteinbau Kranz";
        user.plzOrt = "50667 Köln";
    }

    // Gas with blower over a synthetic catalogue, the table searched.
    void Compute(CTarsiloDocCore& doc, int entries) {
        ASSERT_TRUE(catalogue::WriteCatalogue(dir_.string(), catalogue::MakeSyntheticEntries(entries, 7)));
        doc.catalogue = CWrzKatalog(dir_.string());
        doc.catalogue.SetReportProblems(false);
        doc.fuelIndex = 2;
        doc.fuelName = "Erdgas Brenner mit Gebläse";
        doc.system = 1;
        doc.ApplySystem();
        doc.effectiveHeight.value = 8;
        for (const WrzManufacturer& m : doc.catalogue.ReadManufacturers(2)) doc.manufacturers.push_back({m.name, m.offset, true});
        doc.ComputeAssignmentTable();
    }

    std::string Export(CTarsiloDocCore& doc, const std::string& name, int* rc = nullptr) {
        CTarsiloPrint print;
        const std::string pdf = Path(name);
        int r = print.PrintTable(vx::report::kPrintExport, doc, user, "PDF", pdf, "");
        if (rc) *rc = r;
        EXPECT_EQ(r, 0) << (messages.service.shown.empty() ? "" : messages.service.shown.back().text);
        return vx::Utf8ToCp1252(vx::report::testing::PdfText(pdf));
    }

    CAnwender user;
    vx::ScopedScriptedMessages messages;
};

} // namespace

TEST_F(TarsiloPrintTest, HeadingAndRowFieldsByShape) {
    CTarsiloDocCore doc;
    doc.rows.push_back({{"0.130", "Alpha", "G 20", "20.0", "117"}});
    const struct {
        int shape;
        const char* heading;
    } cases[] = {{0, "\xF8 [m]"}, {1, "Weite [m]"}, {2, "L x B [m]"}, {3, "L x B [m]"}};
    for (const auto& c : cases) {
        doc.shape = c.shape;
        std::vector<std::pair<std::string, std::string>> fields;
        ASSERT_TRUE(CTarsiloPrint::RowFields(doc, 0, [&](const char* n, const std::string& v) { fields.push_back({n, v}); }));
        EXPECT_EQ(fields, (std::vector<std::pair<std::string, std::string>>{
                              {"KopfDM", c.heading}, {"Durchmesser", "0.130"}, {"Hersteller", "Alpha"}, {"Typ", "G 20"},
                              {"Leistung", "20.0"}}))
            << "shape " << c.shape;
    }
    EXPECT_FALSE(CTarsiloPrint::RowFields(doc, 1, [](const char*, const std::string&) {}));
    EXPECT_FALSE(CTarsiloPrint::RowFields(doc, -1, [](const char*, const std::string&) {}));
}

TEST_F(TarsiloPrintTest, VariablesInTheirOrderWithTheDocumentsTexts) {
    CTarsiloDocCore doc;
    doc.project.Text(CProjekt::Nummer) = "P-4711";
    doc.project.Text(CProjekt::EmpfPlz) = "10115";
    doc.project.Text(CProjekt::EmpfOrt) = "Berlin";
    doc.remarks.text = "Zeile 1\r\nZeile 2";
    doc.fuelName = "Holz";
    doc.system = 1;
    doc.ApplySystem();
    doc.chimney.name.text = "dreischalig m. NW (Keramik)";
    doc.sectionSize.value = 0.16;
    std::vector<std::string> names;
    std::map<std::string, std::string> values;
    std::vector<std::string> notText;
    CTarsiloPrint::ForEachPrintVariable(doc, user, [&](const char* n, const std::string& v, vx::report::VarType t) {
        names.push_back(n);
        values[n] = v;
        if (t != vx::report::VarType::Text) notText.push_back(n);
    });
    EXPECT_TRUE(notText.empty()) << notText.front();
    const std::vector<std::string> expected = {
        "FormArt", "AnwName1", "AnwName2", "AnwStr", "AnwPLZOrt", "AnwTel", "AnwFax", "Version", "PrNr", "Datum",
        "EmpName1", "EmpName2", "EmpStr", "EmpPLZOrt", "StoName1", "StoName2", "StoStr", "StoPLZOrt", "Bearbeiter",
        "Projekt", "Kopfdruck", "Absenderdruck", "Bemerkung", "Verlauf", "WrzTyp", "BauartVerb", "Rau_V", "WDWv",
        "ZETAv", "SchachtVerb", "QuerVerb", "Bauart", "Rau_S", "Hoehe", "WDW", "QuerSchorn", "QuerSchornBez",
        "QuerSchornMass", "ZETA", "SchachtSchorn", "GeoH"};
    EXPECT_EQ(names, expected);
    EXPECT_EQ(values["FormArt"], "0");
    EXPECT_EQ(values["Version"], "2.30");
    EXPECT_EQ(values["PrNr"], "P-4711");
    EXPECT_EQ(values["Projekt"], "P-4711");
    EXPECT_EQ(values["EmpPLZOrt"], "10115 Berlin");
    EXPECT_EQ(values["Bemerkung"], "Zeile 1 \nZeile 2");
    EXPECT_EQ(values["WrzTyp"], "Holz");
    EXPECT_EQ(values["Bauart"], "dreischalig m. NW (Keramik)");
    EXPECT_EQ(values["QuerSchorn"], "rund");
    EXPECT_EQ(values["QuerSchornBez"], "Durchmesser");
    EXPECT_EQ(values["QuerSchornMass"], "0.160 m");
    EXPECT_EQ(values["SchachtVerb"], "-");
    EXPECT_EQ(values["Kopfdruck"], "1");
    // An unlisted system: the connecting piece's own texts.
    doc.system = 17;
    doc.shape = 2;
    doc.secondSide.value = 0.2;
    CTarsiloPrint::ForEachPrintVariable(doc, user, [&](const char* n, const std::string& v, vx::report::VarType) { values[n] = v; });
    EXPECT_EQ(values["BauartVerb"], "Stahl, Edelstahl oder Kunststoff");
    EXPECT_EQ(values["SchachtVerb"], "2,5 * Querschnitt Abgasschacht");
    EXPECT_EQ(values["QuerSchorn"], "quadratisch");
    EXPECT_EQ(values["QuerSchornBez"], "lichte Weite");
    EXPECT_EQ(values["QuerSchornMass"], "0.160 x 0.200 m");
}

TEST_F(TarsiloPrintTest, ExportedTableHoldsEveryRowOnceAcrossPages) {
    CTarsiloDocCore doc;
    Compute(doc, 160);
    ASSERT_GT(doc.rows.size(), 60u);  // more than one page
    std::string text = Export(doc, "tabelle.pdf");
    EXPECT_GE(CountOf(text, "\f"), 2u);
    EXPECT_EQ(CountOf(text, "\xF8 [m]"), CountOf(text, "\f"));  // the heading on every page
    EXPECT_NE(text.find("Schornsteinbau Kranz"), std::string::npos);
    EXPECT_NE(text.find("Erdgas Brenner mit Gebl\xE4se"), std::string::npos);
    // No row lost at a page break, none printed twice.
    std::map<std::string, size_t> perType;
    for (const AssignmentRow& r : doc.rows) ++perType[r.columns[AssignmentRow::Type]];
    for (const auto& [type, n] : perType) EXPECT_EQ(CountOf(text, type + " "), n) << type;
    // Every row's line, in the list's order.
    size_t at = 0;
    for (const AssignmentRow& r : doc.rows) {
        size_t found = text.find(r.columns[AssignmentRow::Type], at);
        ASSERT_NE(found, std::string::npos) << r.columns[AssignmentRow::Type];
        at = found + 1;
    }
}

TEST_F(TarsiloPrintTest, PageHeadShowsOnlyWhatHoldsForEveryRow) {
    CTarsiloDocCore doc;
    Compute(doc, 40);  // the size searched
    ASSERT_FALSE(doc.rows.empty());
    ASSERT_GT(doc.connector.diameter.value, 0);
    const std::string last = PrintCrossSectionCaption(doc.connector.shape.value, doc.connector.diameter.value,
                                                      doc.connector.sideA.value, doc.connector.sideB.value);
    const std::string text = Export(doc, "kopf.pdf");
    // No caption without its size, and not the last heat generator's connecting piece.
    EXPECT_EQ(text.find("Durchmesser"), std::string::npos);
    EXPECT_EQ(text.find("Querschnitt: " + last), std::string::npos) << last;
    EXPECT_NE(text.find("Querschnitt: wie Abgasstutzen der Feuerst\xE4tte"), std::string::npos);
    // A size given holds for every row and is shown.
    doc.sectionSize.value = 0.2;
    EXPECT_NE(Export(doc, "gegeben.pdf").find("Durchmesser: 0.200 m"), std::string::npos);
}

TEST_F(TarsiloPrintTest, LongRemarkEndsVisiblyAboveTheTable) {
    CTarsiloDocCore doc;
    Compute(doc, 40);
    for (int i = 1; doc.remarks.text.size() < 1200; ++i) doc.remarks.text += vx::Format("Hinweis%03d zur Anlage, ", i);
    const std::string text = Export(doc, "bemerkung.pdf");
    const size_t cut = text.find("\x85");  // the ellipsis
    const size_t heading = text.find("Hersteller");
    ASSERT_NE(cut, std::string::npos);
    ASSERT_NE(heading, std::string::npos);
    // The cut text ends before the table begins.
    EXPECT_LT(cut, heading);
    EXPECT_EQ(text.find("Hinweis050"), std::string::npos);
}

TEST_F(TarsiloPrintTest, RowThatFitsOnNoPageIsPrintedOnceMoreAndReported) {
    CTarsiloDocCore doc;
    std::string huge;
    for (int i = 0; i < 900; ++i) huge += "Typ" + std::to_string(i) + " ";
    doc.rows.push_back({{"0.130", "Alpha", "VORHER", "20.0", "1"}});
    doc.rows.push_back({{"0.140", "Riesig", huge, "25.0", "2"}});
    doc.rows.push_back({{"0.150", "Gamma", "NACHHER", "30.0", "3"}});
    std::string text = Export(doc, "lang.pdf");
    EXPECT_EQ(CountOf(text, "VORHER"), 1u);
    EXPECT_EQ(CountOf(text, "Typ0 "), 1u);
    EXPECT_EQ(CountOf(text, "Typ899"), 0u);
    EXPECT_EQ(CountOf(text, "NACHHER"), 1u);
    ASSERT_EQ(messages.service.shown.size(), 1u);
    EXPECT_NE(messages.service.shown[0].text.find("passen auf keine Seite"), std::string::npos);
    EXPECT_NE(messages.service.shown[0].text.find("Riesig Typ0"), std::string::npos);
}

TEST_F(TarsiloPrintTest, FailureTextsGetAllTheirArguments) {
    CTarsiloDocCore doc;
    doc.rows.push_back({{"0.130", "Alpha", "G 20", "20.0", "1"}});
    vx::Profile().WriteString("LuL", "Formular0", Path("fehlt.LST"));
    CTarsiloPrint print;
    EXPECT_LT(print.PrintTable(vx::report::kPrintExport, doc, user, "PDF", Path("x.pdf"), ""), 0);
    ASSERT_EQ(messages.service.shown.size(), 1u);
    EXPECT_NE(messages.service.shown[0].text.find("Fehler bei LlPrintStart: (nRet=-1, Zeile 207, Datei .\\CTarsiloPrint)"),
              std::string::npos)
        << messages.service.shown[0].text;
    // A preview has no display here: its failure names the result too.
    messages.service.shown.clear();
    vx::Profile().WriteString("LuL", "Formular0", Path("Tarsilo.LST"));
    EXPECT_NE(print.PrintTable(vx::report::kPrintPreview, doc, user), 0);
    ASSERT_FALSE(messages.service.shown.empty());
    EXPECT_NE(messages.service.shown.back().text.find("Fehler -5 bei LlPreviewDisplay in 271 Datei .\\CTarsiloPrint"),
              std::string::npos)
        << messages.service.shown.back().text;
    // No job to be had: the job-open message, and nothing written.
    messages.service.shown.clear();
    print.SetJob([] { return std::unique_ptr<vx::report::ReportJob>(); }, {});
    EXPECT_EQ(print.PrintTable(vx::report::kPrintExport, doc, user, "PDF", Path("y.pdf"), ""), vx::report::kErrJobOpen);
    ASSERT_EQ(messages.service.shown.size(), 1u);
    EXPECT_EQ(messages.service.shown[0].text, "Dödel auf der Flucht");
    EXPECT_FALSE(std::filesystem::exists(Path("y.pdf")));
}

TEST_F(TarsiloPrintTest, OptionsDialogTitledWithTheProjectNumberOnlyWhenThereIsOne) {
    // The dialog cancelled: only its title is seen.
    struct TitleJob : vx::report::ReportJob {
        std::string* seen;
        explicit TitleJob(std::string* s) : seen(s) {}
        int PrintOptionsDialog(const std::string& title) override {
            *seen = title;
            return vx::report::kErrUserAborted;
        }
    };
    CTarsiloDocCore doc;
    doc.rows.push_back({{"0.130", "Alpha", "G 20", "20.0", "1"}});
    std::string seen;
    CTarsiloPrint print;
    print.SetJob([&seen] { return std::make_unique<TitleJob>(&seen); }, {});
    for (const char* number : {"", "  ", "P-4711"}) {
        doc.project.Text(CProjekt::Nummer) = number;
        seen.clear();
        EXPECT_EQ(print.PrintTable(vx::report::kPrintOptionsDialog, doc, user, "PDF", Path("t.pdf"), ""),
                  vx::report::kErrUserAborted);
        EXPECT_EQ(seen, *number == 'P' ? "Projekt: P-4711" : "Drucken") << number;
    }
}

TEST_F(TarsiloPrintTest, LayoutFoundInTheDataDirectoryOrNamedInTheProfile) {
    EXPECT_EQ(CTarsiloPrint::LayoutFile(), Path("Tarsilo.LST"));
    vx::Profile().WriteString("LuL", "Formular0", "/anderswo/Eigen.LST");
    EXPECT_EQ(CTarsiloPrint::LayoutFile(), "/anderswo/Eigen.LST");
}

TEST_F(TarsiloPrintTest, MailCarriesTheExportedTable) {
    // A stub mail program that records its arguments, first on the PATH.
    const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    const std::string bin = Path("bin"), log = Path("xdg-email.log");
    std::filesystem::create_directories(bin);
    const std::string stub = bin + "/xdg-email";
    ASSERT_TRUE(vx::WriteFileAtomic(stub, "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\" >> '" + log + "'; done\n"));
    ASSERT_EQ(vx::RunProgram("chmod", {"+x", stub}), 0);
    ::setenv("PATH", (bin + ":" + oldPath).c_str(), 1);

    CTarsiloDocCore doc;
    doc.project.Text(CProjekt::EmpfEmail) = "SMTP:kranz@example.org";
    doc.rows.push_back({{"0.130", "Alpha", "Brennwert 18", "18.0", "1"}});
    vx::report::CalculationMailer mailer;
    CTarsiloPrint print;
    const bool sent = SendAssignmentMail(mailer, print, doc, user, "Anlage.kbv");
    ::setenv("PATH", oldPath.c_str(), 1);
    ASSERT_TRUE(sent);
    ASSERT_EQ(mailer.SentFiles().size(), 1u);
    const std::string file = vx::JoinPath(mailer.SentFiles()[0], "Anlage.PDF");
    std::string args;
    vx::ReadWholeFile(log, args);
    EXPECT_NE(args.find(file + "\n--subject\nAnlage.kbv\nkranz@example.org\n"), std::string::npos) << args;
    EXPECT_NE(vx::report::testing::PdfText(file).find("Brennwert 18"), std::string::npos);
    EXPECT_TRUE(messages.service.shown.empty());
}

TEST_F(TarsiloPrintTest, HelpRequestOpensTheProgramsHelpOnly) {
    CTarsiloPrint print;
    std::vector<unsigned> contexts;
    print.SetHelpHandler([&](unsigned context) { contexts.push_back(context); });
    EXPECT_EQ(CTarsiloPrint::PrintNotificationCallback(vx::report::kNotifyHelp, (2 << 16) | 0x12, &print), 1);
    EXPECT_EQ(CTarsiloPrint::PrintNotificationCallback(vx::report::kNotifyObject, 0, &print), 0);
    EXPECT_EQ(contexts, (std::vector<unsigned>{0x30012}));
}
