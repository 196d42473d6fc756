#include "velmora/CVelmoraPrint.h"

#include "model/CAufBauE.h"
#include "model/CSchorn.h"
#include "model/CVerb.h"
#include "model/CWaerme.h"
#include "testsupport/model/ModelTestEnv.h"
#include "platform/CodePage.h"
#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "testsupport/platform/ReportTestSupport.h"
#include "testsupport/PartStrings.h"
#include "values/CAnwender.h"
#include "values/CProjekt.h"
#include "velmora/CVelmoraDiag.h"
#include "testsupport/platform/FontCacheCleanup.h"
#include "testsupport/velmora/PrintTestSource.h"
#include "testsupport/platform/RecordingCanvas.h"
#include "platform/StringTable.h"
#include "velmora/FormLists.h"
#include "velmora/VelmoraSettings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

namespace {

using vx::report::VarType;

// Leaves the number of pages it printed when it goes.
struct CountingJob : vx::report::ReportJob {
    int* pages;
    explicit CountingJob(int* p) : pages(p) {}
    ~CountingJob() override { *pages = CurrentPage(); }
};

std::string SourceFile(const std::string& rel) { return PrintSourceFile(rel); }

class PrintTest : public ModelTest, public SampleCalculation {
protected:
    ScopedPartStrings strings_{"shared", "velmora"};
    void SetUp() override {
        ModelTest::SetUp();
        UseShippedLayout();
    }
    std::map<std::string, std::string> Variables() {
        std::map<std::string, std::string> v;
        CVelmoraPrint::ForEachPrintVariable(source, [&](const char* n, const std::string& t, VarType) { v[n] = t; });
        return v;
    }
};

TEST(PrintCaption, CrossSectionsByShape) {
    ScopedPartStrings strings{"shared"};
    EXPECT_EQ(CVelmoraPrint::CrossSectionCaption(0, 0.16, 0.2, 0), "0,16 m (rund)");
    EXPECT_EQ(CVelmoraPrint::CrossSectionCaption(0, 0, 0.2, 0), "(rund)");
    EXPECT_EQ(CVelmoraPrint::CrossSectionCaption(1, 0.16, 0.18, 0), "0,18 m (quadratisch)");
    EXPECT_EQ(CVelmoraPrint::CrossSectionCaption(1, 0.16, -1, 0), "(quadratisch)");
    EXPECT_EQ(CVelmoraPrint::CrossSectionCaption(2, 0, 0.2, 0.325), "0,2 * 0,325 m (rechteckig)");
    EXPECT_EQ(CVelmoraPrint::CrossSectionCaption(3, 0.1, 0.2, 0), "(oval)");
    EXPECT_EQ(CVelmoraPrint::CrossSectionCaption(0, 1.0, 0, 0), "1 m (rund)");
}

TEST(PrintCourse, ByOperatingModeAndKind) {
    ScopedPartStrings strings{"shared"};
    EXPECT_EQ(CVelmoraPrint::CourseText(-1, 0), "-");
    EXPECT_EQ(CVelmoraPrint::CourseText(3, 0), "-");
    EXPECT_EQ(CVelmoraPrint::CourseText(0, 0), "im Gebäude");
    EXPECT_EQ(CVelmoraPrint::CourseText(1, 1), "freistehend");
    EXPECT_EQ(CVelmoraPrint::CourseText(1, 2), "am Gebäude");
    EXPECT_EQ(CVelmoraPrint::CourseText(0, 3), "am Gebäude, ohne Verkleidung");
    EXPECT_EQ(CVelmoraPrint::CourseText(0, 4), "Gleichstrom hinterlüftet");
    EXPECT_EQ(CVelmoraPrint::CourseText(0, 5), "");
    EXPECT_EQ(CVelmoraPrint::CourseText(2, 0), "Gleichstrom hinterlüftet");
    EXPECT_EQ(CVelmoraPrint::CourseText(2, 1), "Gegenstrom hinterlüftet waagrecht/senkrecht");
    EXPECT_EQ(CVelmoraPrint::CourseText(2, 2), "außen angebracht");
    EXPECT_EQ(CVelmoraPrint::CourseText(2, 3), "außen angebracht, Verb. gegenstrom hinterlüftet");
    EXPECT_EQ(CVelmoraPrint::CourseText(2, 4), "Gegenstrom, Luftleitung Schacht -> Wärmeerzeuger");
    EXPECT_EQ(CVelmoraPrint::CourseText(2, 5), "im Gebäude, ohne Schacht");
    EXPECT_EQ(CVelmoraPrint::CourseText(2, 9), "im Gebäude");
}

TEST_F(PrintTest, VariablesInTheirOrderWithTypes) {
    std::vector<std::string> names;
    std::map<std::string, VarType> types;
    CVelmoraPrint::ForEachPrintVariable(source, [&](const char* n, const std::string&, VarType t) {
        names.push_back(n);
        types[n] = t;
    });
    const std::vector<std::string> expected = {
        "FormArt", "AnwName1", "AnwName2", "AnwStr", "AnwPLZOrt", "AnwTel", "AnwFax", "Version", "PrNr",
        "Bauvor1", "Bauvor2", "Datum", "EmpName1", "EmpName2", "EmpStr", "EmpPLZOrt", "StoName1", "StoName2",
        "StoStr", "StoPLZOrt", "Bearbeiter", "Projekt", "Kopfdruck", "Absenderdruck", "EmpAnsprech",
        "EmpTelFaxf", "EmpEMail", "EmpURL", "EmpHandy", "EmpTel", "EmpFax", "Bemerkung", "Anordnung", "Verlauf",
        "Abgasleitung", "FU", "Hersteller", "Typ", "Baujahr", "Brennstoff", "Qn", "Tw", "Dhw", "BezPw", "Pw",
        "Teillast", "QuerVerb", "Lv", "Hv", "Rau_V", "WDWv", "ZETAv", "QuerSchornDetail", "Bauart", "Rau_S",
        "Wa", "WDW", "QuerSchorn", "ZETA", "GeoH"};
    EXPECT_EQ(names, expected);
    EXPECT_EQ(types["FormArt"], VarType::Numeric);
    for (const char* b : {"Kopfdruck", "Absenderdruck", "Abgasleitung", "Teillast"})
        EXPECT_EQ(types[b], VarType::Boolean) << b;
    EXPECT_EQ(types["PrNr"], VarType::Text);
}

// "Teillast ist in der Berechnung berücksichtigt." only when a part-load
// pass was computed: part-load data, the switch on, nothing suppressing it.
TEST_F(PrintTest, PartLoadTextSaysWhatWasComputed) {
    struct Case {
        int16_t available;
        int switchOn;
        int32_t suppress;
        const char* expected;
    };
    for (const Case& c : {Case{0, 0, 0, "0"}, Case{0, 1, 0, "0"}, Case{1, 0, 0, "0"}, Case{1, 1, 0, "1"},
                          Case{1, 1, 1, "0"}}) {
        heater.partLoadAvailable.value = c.available;
        heater.suppressPartLoad = c.suppress;
        source.partLoadSwitch = c.switchOn;
        EXPECT_EQ(Variables()["Teillast"], c.expected) << c.available << c.switchOn << c.suppress;
    }
}

TEST_F(PrintTest, VariablesFromTheDocument) {
    auto v = Variables();
    EXPECT_EQ(v["FormArt"], "0");
    EXPECT_EQ(v["Version"], "2.30");
    EXPECT_EQ(v["Bauvor1"], "Neubau Einfamilienhaus");  // the second text first
    EXPECT_EQ(v["Bauvor2"], "Heizungsanlage Keller");
    EXPECT_EQ(v["EmpPLZOrt"], "54321 Beispielheim");
    EXPECT_EQ(v["StoPLZOrt"], "54321 Beispielheim");
    EXPECT_EQ(v["Projekt"], "P-2024-017");
    EXPECT_EQ(v["Kopfdruck"], "1");
    EXPECT_EQ(v["EmpAnsprech"], "Herr Schäfer");
    EXPECT_EQ(v["EmpTelFaxf"], "Kundentelefon : 0987 6543");
    EXPECT_EQ(v["Bemerkung"], "Reinigungsöffnungen nach \nLandesrecht vorsehen.");
    EXPECT_EQ(v["Anordnung"], "Betriebsweise: Schornstein, feuchteunempfindlich");
    EXPECT_EQ(v["Verlauf"], "im Gebäude");
    EXPECT_EQ(v["Abgasleitung"], "0");
    EXPECT_EQ(v["BezPw"], "max. Förderdruck");
    EXPECT_EQ(v["Teillast"], heater.partLoadAvailable.value ? "1" : "0");
    EXPECT_EQ(v["ZETAv"], "2 Bögen 90°");
    EXPECT_EQ(v["ZETA"], "Abzweige 90°");
    EXPECT_EQ(v["QuerSchorn"], "rund");
    EXPECT_EQ(v["Bauart"], "Edelstahl, doppelwandig, wärmegedämmt");
    // The connecting piece has the outlet's cross-section, the chimney the chosen one.
    EXPECT_EQ(v["QuerVerb"], "0,13 m (rund)");
    EXPECT_EQ(v["QuerSchornDetail"], "0,16 m (rund)");
    EXPECT_DOUBLE_EQ(chimney.diameter.value, 0.16);
    EXPECT_DOUBLE_EQ(connector.diameter.value, 0.13);
    EXPECT_EQ(v["Hersteller"], "Thermowerk");
    EXPECT_EQ(v["Baujahr"], "2019");
    EXPECT_NE(v["Qn"].find("24"), std::string::npos);
    // Values the form marks with "*" (defaults, derived) are printed without it.
    EXPECT_EQ(v["GeoH"], "250 m");
    EXPECT_EQ(v["Pw"], "10 Pa");
    EXPECT_EQ(v["Rau_S"], "0,001 m");
    EXPECT_EQ(v["Rau_V"], "0,001 m");
}

TEST_F(PrintTest, VariablesOfOtherCases) {
    vx::Profile().WriteString("LuL", "Kopfdruck", "0");
    vx::Profile().WriteString("LuL", "Formular", "3");
    project.Text(CProjekt::Floskel) = "-";
    project.Text(CProjekt::EmpfAnsprech) = "  Frau Berg";
    project.Text(CProjekt::EmpfTel) = "";
    project.Text(CProjekt::EmpfFax) = "0987 6544";
    construction.regime.value = 2;
    construction.kind.value = 2;
    chimney.shape.value = 1;
    heater.condensing = 1;
    heater.partLoadAvailable.value = 1;
    source.partLoadSwitch = 0;
    auto v = Variables();
    EXPECT_EQ(v["FormArt"], "3");
    EXPECT_EQ(v["Kopfdruck"], "0");
    EXPECT_EQ(v["EmpAnsprech"], "Frau Berg");
    EXPECT_EQ(v["EmpTelFaxf"], "Kundenfax : 0987 6544");
    EXPECT_EQ(v["Anordnung"], "Betriebsweise: Abgasleitung (Abgas/Abluftschornstein)");
    EXPECT_EQ(v["Verlauf"], "außen angebracht");
    EXPECT_EQ(v["Abgasleitung"], "1");
    EXPECT_EQ(v["BezPw"], "max. Überdruck");
    EXPECT_NE(v["Pw"].find("60"), std::string::npos);
    EXPECT_EQ(v["Teillast"], "0");
    EXPECT_EQ(v["ZETA"], "Bogen 90°");
    EXPECT_EQ(v["QuerSchorn"], "quadratisch");
    // A positive-pressure line: the connecting piece takes the chimney's shape and the chosen size.
    EXPECT_EQ(v["QuerVerb"], "0,16 m (quadratisch)");
    EXPECT_EQ(connector.shape.value, 1);
    EXPECT_EQ(v["QuerSchornDetail"], "0,16 m (quadratisch)");

    project.Text(CProjekt::EmpfTel) = "0987 6543";
    EXPECT_EQ(Variables()["EmpTelFaxf"], "Kundentelefon : 0987 6543   Kundenfax : 0987 6544");
    project.Text(CProjekt::EmpfFax) = "";
    project.Text(CProjekt::EmpfTel) = "";
    EXPECT_EQ(Variables()["EmpTelFaxf"], "");
}

// The page names the fuel as the form's list does: a condensing gas boiler
// is "Brennwert - Erdgas", not the burner type of its fuel row.
TEST_F(PrintTest, FuelPrintedAsTheFormListNamesIt) {
    vx::Strings().Clear();
    LoadProgramStrings();
    struct Case {
        int16_t fuel;
        int32_t condensing;
        int position;
    };
    const Case cases[] = {{0, 0, 0},  {1, 0, 1},  {2, 0, 2},  {3, 0, 3},  {8, 0, 4},  {9, 0, 5}, {10, 0, 6},
                          {11, 0, 7}, {12, 0, 8}, {13, 0, 9}, {1, 1, 10}, {2, 1, 11}, {8, 1, 12}};
    const std::vector<std::string> list = FuelTexts();
    for (const Case& c : cases) {
        heater.fuel.value = c.fuel;
        heater.condensing = c.condensing;
        EXPECT_EQ(Variables()["Brennstoff"], list[size_t(c.position)]) << c.fuel << "/" << c.condensing;
    }
    // A fuel the list has not keeps the model's name.
    heater.fuel.value = 4;
    heater.condensing = 0;
    EXPECT_EQ(Variables()["Brennstoff"], heater.GetFuelText());

    // On paper, through the print job.
    heater.fuel.value = 2;
    heater.condensing = 1;
    const std::string pdf = Path("brennwert.pdf");
    ASSERT_EQ(CVelmoraPrint().PrintCalculation(kPrintExportQuiet, source, "PDF", pdf, ""), 0);
    const std::string text = vx::report::testing::PdfText(pdf);
    EXPECT_NE(text.find("Brennwert - Erdgas"), std::string::npos) << text;
    EXPECT_EQ(text.find("Erdgas Brenner mit Gebl"), std::string::npos);
    const std::string artefacts = vx::ArtefactDir();
    if (!artefacts.empty() && vx::report::testing::RenderFirstPage(pdf, Path("brennwert")))
        vx::RunProgram("cp", {Path("brennwert") + ".png", vx::JoinPath(artefacts, "velmora-calculation-condensing-page1.png")});
    vx::Strings().Clear();
}

TEST_F(PrintTest, ExportsTheCalculationToPdf) {
    vx::report::testing::ScratchDir dir;
    std::string pdf = dir.File("Berechnung.pdf");
    CVelmoraPrint print;
    ASSERT_EQ(print.PrintCalculation(kPrintExport, source, "PDF", pdf, ""), 0);
    ASSERT_TRUE(vx::FileExists(pdf));

    std::string text = vx::report::testing::PdfText(pdf);
    for (const char* expected :
         {"P-2024-017", "Thermowerk", "TW 24 Kompakt", "0,16 m (rund)", "0,13 m (rund)",
          "Wirksame", "Schornsteinh\xC3\xB6he", "Durchmesser [cm]", "Muster Schornsteintechnik GmbH",
          "Familie Sch\xC3\xA4" "fer", "Edelstahl, doppelwandig", "Neubau Einfamilienhaus"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
    // The height axis is labelled from 4 to 30 m.
    for (const char* height : {" 4 ", " 10 ", " 20 ", " 30"}) EXPECT_NE(text.find(height), std::string::npos) << height;

    std::string png = dir.File("seite1");
    ASSERT_TRUE(vx::report::testing::RenderFirstPage(pdf, png));
    std::string artefacts = vx::ArtefactDir();
    if (!artefacts.empty()) {
        vx::RunProgram("cp", {png + ".png", vx::JoinPath(artefacts, "velmora-calculation-sample-page1.png")});
        vx::RunProgram("cp", {pdf, vx::JoinPath(artefacts, "velmora-calculation-sample.pdf")});
    }
    vx::report::testing::Png img(png + ".png");
    EXPECT_TRUE(img.Ok());
}

TEST_F(PrintTest, LongRemarkGoesOnWholeOnTheNextPage) {
    // About 1,200 characters, each word once, so that a lost one is seen.
    std::string remark;
    for (int i = 1; remark.size() < 1200; ++i) remark += vx::Format("Hinweis%03d zur Anlage, ", i);
    remark += "Ende.";
    source.remarks = remark;
    int pages = 0;
    CVelmoraPrint counting([&] { return std::make_unique<CountingJob>(&pages); });
    const std::string pdf = Path("lang.pdf");
    ASSERT_EQ(counting.PrintCalculation(kPrintExportQuiet, source, "PDF", pdf, ""), 0);
    EXPECT_EQ(pages, 2);
    const std::string text = vx::report::testing::PdfText(pdf);
    const size_t page2 = text.find('\f');
    ASSERT_NE(page2, std::string::npos);
    // The first page ends its part visibly; the next one has every word.
    EXPECT_NE(text.substr(0, page2).find("\xE2\x80\xA6"), std::string::npos);
    for (size_t at = remark.find("Hinweis"); at != std::string::npos; at = remark.find("Hinweis", at + 1))
        EXPECT_NE(text.find(remark.substr(at, 10), page2), std::string::npos) << remark.substr(at, 10);
    EXPECT_NE(text.find("Ende.", page2), std::string::npos);
    const std::string artefacts = vx::ArtefactDir();
    if (!artefacts.empty()) vx::RunProgram("cp", {pdf, vx::JoinPath(artefacts, "velmora-long-remark.pdf")});

    // A short remark keeps the print on one page.
    source.remarks = "Kurz.";
    ASSERT_EQ(counting.PrintCalculation(kPrintExportQuiet, source, "PDF", Path("kurz.pdf"), ""), 0);
    EXPECT_EQ(pages, 1);
}

TEST_F(PrintTest, DiagramDrawnIntoTheRectangleItGets) {
    RecordingCanvas canvas;
    vx::report::ObjectNotification n{"Diagramm", &canvas, vx::Rect{1000, 2000, 2750, 2550}, true};
    CVelmoraPrint print;
    // Outside a print there is no document to draw.
    EXPECT_EQ(CVelmoraPrint::PrintNotificationCallback(20, reinterpret_cast<intptr_t>(&n), &print), 1);
    EXPECT_TRUE(canvas.Of(CanvasCall::Polygon).empty());

    // The standard form prints one more page.
    int pages = 0;
    CVelmoraPrint counting([&] { return std::make_unique<CountingJob>(&pages); });
    ASSERT_EQ(counting.PrintCalculation(kPrintExportQuiet, source, "PDF", Path("a.pdf"), ""), 0);
    EXPECT_EQ(pages, 1);
    vx::Profile().WriteString("LuL", "Formular", "1");
    vx::Profile().WriteString("LuL", "Formular1", SourceFile("data/Velmora.LST"));
    ASSERT_EQ(counting.PrintCalculation(kPrintExportQuiet, source, "PDF", Path("b.pdf"), ""), 0);
    EXPECT_EQ(pages, 2);
    // Both pages hold the diagram with its axes.
    std::string text = vx::report::testing::PdfText(Path("b.pdf"));
    size_t page2 = text.find('\f');
    ASSERT_NE(page2, std::string::npos);
    EXPECT_NE(text.find("Durchmesser [cm]"), std::string::npos);
    EXPECT_NE(text.find("Durchmesser [cm]", page2), std::string::npos);

    // Help goes to the program's help with the context moved.
    unsigned context = 0, command = 0;
    print.SetHelpHandler([&](unsigned c, unsigned m) { context = c, command = m; });
    EXPECT_EQ(CVelmoraPrint::PrintNotificationCallback(30, intptr_t(0x00020007), &print), 1);
    EXPECT_EQ(context, 0x30007u);
    EXPECT_EQ(command, 2u);
    EXPECT_EQ(CVelmoraPrint::PrintNotificationCallback(99, 0, &print), 0);
}

TEST_F(PrintTest, StartErrorNamesTheLayoutAndTheResultCode) {
    vx::Profile().WriteString("LuL", "Formular0", Path("fehlt.LST"));
    vx::ScopedScriptedMessages messages;
    CVelmoraPrint print;
    EXPECT_LT(print.PrintCalculation(kPrintExport, source, "PDF", Path("a.pdf"), ""), 0);
    ASSERT_EQ(messages.service.shown.size(), 1u);
    // The message names the missing layout.
    EXPECT_EQ(messages.service.shown[0].text,
              "Druckvorlage " + Path("fehlt.LST") + " kann nicht gelesen werden.\n" +
                  vx::Format("Fehler bei LlPrintStart: (nRet=%d, Zeile 210, Datei .\\VelmoraPrint)",
                             int(vx::report::kErrLayout)));
    EXPECT_FALSE(vx::FileExists(Path("a.pdf")));
}

TEST_F(PrintTest, RowThatNeverFitsIsPrintedOnceMore) {
    // The table starts below the page's printable area: every row is refused once.
    std::string layout;
    ASSERT_TRUE(vx::ReadWholeFile(SourceFile("data/Velmora.LST"), layout));
    const std::string hidden = "[Table:Felder]\nRect=0,200,175,0\nVisible=0\n";
    size_t at = layout.find(hidden);
    ASSERT_NE(at, std::string::npos);
    layout.replace(at, hidden.size(), "[Table:Felder]\nRect=0,284,175,0\n");
    ASSERT_TRUE(vx::WriteFileAtomic(Path("Eng.LST"), layout));
    vx::Profile().WriteString("LuL", "Formular0", Path("Eng.LST"));
    int pages = 0;
    CVelmoraPrint print([&] { return std::make_unique<CountingJob>(&pages); });
    ASSERT_EQ(print.PrintCalculation(kPrintExport, source, "PDF", Path("eng.pdf"), ""), 0);
    EXPECT_EQ(pages, 11);
    std::string text = vx::report::testing::PdfText(Path("eng.pdf"));
    EXPECT_NE(text.find("9"), std::string::npos);
}

// A stub mail program that records its arguments, first on the PATH.
class MailTest : public PrintTest {
protected:
    void SetUp() override {
        PrintTest::SetUp();
        oldPath_ = std::getenv("PATH") ? std::getenv("PATH") : "";
        bin_ = Path("bin");
        vx::MakeDirs(bin_);
        log_ = Path("xdg-email.log");
        WriteStub(0);
        ::setenv("PATH", (bin_ + ":" + oldPath_).c_str(), 1);
    }
    void TearDown() override {
        ::setenv("PATH", oldPath_.c_str(), 1);
        mailer.DeleteSentFiles();
        PrintTest::TearDown();
    }
    void WriteStub(int exitCode) {
        std::string script = "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\" >> '" + log_ + "'; done\n" +
                             "for a in \"$@\"; do [ -f \"$a\" ] && echo exists >> '" + log_ + "'; done\n" +
                             vx::Format("exit %d\n", exitCode);
        std::string stub = vx::JoinPath(bin_, "xdg-email");
        ASSERT_TRUE(vx::WriteFileAtomic(stub, script));
        ASSERT_EQ(vx::RunProgram("chmod", {"+x", stub}), 0);
    }
    std::string Log() {
        std::string t;
        vx::ReadWholeFile(log_, t);
        return t;
    }
    std::string oldPath_, bin_, log_;
    vx::report::CalculationMailer mailer;
};

TEST_F(MailTest, HandsTheExportedFileToTheMailProgram) {
    project.Text(CProjekt::EmpfEmail) = "SMTP:schaefer@example.org";
    project.Text(CProjekt::EmpfName1) = "Bauherr Sch\xE4" "fer";
    vx::ScopedScriptedMessages messages;
    CVelmoraPrint print;
    ASSERT_TRUE(SendCalculationMail(mailer, print, source));
    EXPECT_TRUE(messages.service.shown.empty());
    ASSERT_EQ(mailer.SentFiles().size(), 1u);
    std::string file = vx::JoinPath(mailer.SentFiles()[0], "Projekt.PDF");
    EXPECT_EQ(vx::DirName(mailer.SentFiles()[0]), vx::TempDir());
    // The recipient under the name the project gives, as the mail program shows it.
    EXPECT_EQ(Log(), "--utf8\n--attach\n" + file + "\n--subject\nProjekt.kfx\n" +
                         vx::Cp1252ToUtf8("Bauherr Sch\xE4" "fer") + " <schaefer@example.org>\nexists\n");
    // A mail program started by the mail command may read the file after it has returned: still there.
    EXPECT_TRUE(vx::FileExists(file));
    EXPECT_NE(vx::report::testing::PdfText(file).find("Thermowerk"), std::string::npos);
    mailer.DeleteSentFiles();
    EXPECT_FALSE(vx::FileExists(file));
    EXPECT_FALSE(vx::DirExists(vx::DirName(file)));
}

TEST(MailRecipient, NameAndAddressAsTheMailProgramTakesThem) {
    using M = vx::report::CalculationMailer;
    EXPECT_EQ(M::Recipient("Hans Kranz", "SMTP: kranz@example.org"), "Hans Kranz <kranz@example.org>");
    EXPECT_EQ(M::Recipient("Kranz, Hans", "kranz@example.org"), "\"Kranz, Hans\" <kranz@example.org>");
    EXPECT_EQ(M::Recipient("Dr. \"H\" K.", "k@example.org"), "\"Dr. 'H' K.\" <k@example.org>");
    EXPECT_EQ(M::Recipient(" ", "kranz@example.org"), "kranz@example.org");
    EXPECT_EQ(M::Recipient("Hans Kranz", "SMTP:"), "");
}

TEST_F(MailTest, AFailedMailTakesItsFileAndNoMailProgramIsNamedSo) {
    project.Text(CProjekt::EmpfEmail) = "";
    vx::Profile().WriteString("eMail", "Format", "PDF");
    vx::ScopedScriptedMessages messages;
    CVelmoraPrint print;
    ASSERT_TRUE(SendCalculationMail(mailer, print, source));
    EXPECT_EQ(Log().find("example.org"), std::string::npos);
    // The file handed to the mail program last, as it logged it.
    auto lastAttached = [&] {
        const std::string log = Log();
        const size_t at = log.rfind("--attach\n") + 9;
        return log.substr(at, log.find('\n', at) - at);
    };
    // A mail program that fails while the desktop names one for mail.
    const std::string query = vx::JoinPath(bin_, "xdg-mime");
    ASSERT_TRUE(vx::WriteFileAtomic(query, "#!/bin/sh\necho thunderbird.desktop\n"));
    ASSERT_EQ(vx::RunProgram("chmod", {"+x", query}), 0);
    WriteStub(4);
    EXPECT_FALSE(SendCalculationMail(mailer, print, source));
    ASSERT_EQ(messages.service.shown.size(), 1u);
    EXPECT_EQ(messages.service.shown[0].text, "\"Nachricht senden\" ist fehlgeschlagen.");
    EXPECT_FALSE(vx::DirExists(vx::DirName(lastAttached())));
    // Nothing on the desktop takes mail: "xdg-email" ends with 3, or the desktop names no program.
    for (int exitCode : {3, 4}) {
        ASSERT_TRUE(vx::WriteFileAtomic(query, "#!/bin/sh\necho\n"));
        WriteStub(exitCode);
        messages.service.shown.clear();
        EXPECT_FALSE(SendCalculationMail(mailer, print, source));
        ASSERT_EQ(messages.service.shown.size(), 1u);
        EXPECT_EQ(messages.service.shown[0].text, vx::report::CalculationMailer::NoMailProgramMessage());
        EXPECT_NE(messages.service.shown[0].text.find("kein E-Mail-Programm eingerichtet"), std::string::npos);
        EXPECT_FALSE(vx::DirExists(vx::DirName(lastAttached())));
    }
    // Only the mail that went keeps its file until the mailer goes.
    EXPECT_EQ(mailer.SentFiles().size(), 1u);
}

TEST_F(MailTest, NoMailProgramOnThePath) {
    ::setenv("PATH", Path("leer").c_str(), 1);
    vx::ScopedScriptedMessages messages;
    CVelmoraPrint print;
    EXPECT_FALSE(SendCalculationMail(mailer, print, source));
    ASSERT_EQ(messages.service.shown.size(), 1u);
    EXPECT_EQ(messages.service.shown[0].text, "Die Unterstützung für das Mailsystem kann nicht geladen werden.");
    EXPECT_TRUE(mailer.SentFiles().empty());
}

TEST(MailFile, NamedAfterTheDocumentTitle) {
    EXPECT_EQ(vx::report::CalculationMailer::ExportFileName("/tmp/x", "Projekt.kfx", "PDF"), "/tmp/x/Projekt.PDF");
    EXPECT_EQ(vx::report::CalculationMailer::ExportFileName("/tmp/x", "a.b.kfx", "PDF"), "/tmp/x/a.b.PDF");
    EXPECT_EQ(vx::report::CalculationMailer::ExportFileName("/tmp/x", "unbenannt", "PDF"), "/tmp/x/unbenannt.PDF");
}

} // namespace

namespace {

TEST_F(PrintTest, WithoutDisplayPreviewAndPrinterChoiceFailWithAMessage) {
    vx::ScopedScriptedMessages messages;
    CVelmoraPrint print;
    EXPECT_NE(print.PrintCalculation(kPrintPreview, source), 0);
    ASSERT_EQ(messages.service.shown.size(), 1u);
    EXPECT_FALSE(messages.service.shown[0].text.empty());

    // Mode 6 stores the named printer in the layout's printer file first.
    std::string layout, printer;
    CVelmoraPrint choosing({}, [&](vx::report::ReportJob&, const std::string& l, const std::string& p) {
        layout = l;
        printer = p;
        return true;
    });
    messages.service.shown.clear();
    EXPECT_NE(choosing.PrintCalculation(kPrintChoosePrinter, source, "", "Büro", ""), 0);
    EXPECT_EQ(layout, SourceFile("data/Velmora.LST"));
    EXPECT_EQ(printer, "Büro");
    EXPECT_EQ(messages.service.shown.size(), 1u);
    // The print leaves no printer stored for the layout.
    vx::report::PrinterSettings settings;
    EXPECT_FALSE(vx::report::ReadPrinterFile(layout, settings));
}

} // namespace
