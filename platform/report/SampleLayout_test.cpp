// The shipped calculation report layout with the main program's variables.
#include "platform/report/ReportJob.h"

#include "platform/NumText.h"
#include "testsupport/platform/ReportTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace vx::report {
namespace {

using testing::CountOf;

std::string SourceFile(const std::string& rel) {
    const char* src = std::getenv("VX_SOURCE_DIR");
    return JoinPath(src ? src : ".", rel);
}

// The main program's variables, in its order of definition.
void DefineCalculation(ReportJob& job, bool abgasleitung) {
    job.DefineVariableStart();
    const std::pair<const char*, const char*> texts[] = {
        {"AnwName1", "Muster Schornsteintechnik GmbH"}, {"AnwName2", "Planung und Berechnung"},
        {"AnwStr", "Hauptstraße 12"}, {"AnwPLZOrt", "12345 Musterstadt"}, {"AnwTel", "0123 45678"},
        {"AnwFax", "0123 45679"}, {"Version", "2.30"}, {"PrNr", "P-2024-017"},
        {"Bauvor1", "Neubau Einfamilienhaus"}, {"Bauvor2", "Heizungsanlage Keller"}, {"Datum", "12.03.2024"},
        {"EmpName1", "Familie Schäfer"}, {"EmpName2", ""}, {"EmpStr", "Lindenweg 3"},
        {"EmpPLZOrt", "54321 Beispielheim"}, {"StoName1", "Baustelle Schäfer"}, {"StoName2", ""},
        {"StoStr", "Am Hang 7"}, {"StoPLZOrt", "54321 Beispielheim"}, {"Bearbeiter", "Dipl.-Ing. Berger"},
        {"Projekt", "P-2024-017"}};
    job.DefineVariable("FormArt", "0", VarType::Numeric);
    for (auto& [name, value] : texts) job.DefineVariable(name, value);
    job.DefineVariable("Kopfdruck", "1", VarType::Boolean);
    job.DefineVariable("Absenderdruck", "1", VarType::Boolean);
    const std::pair<const char*, const char*> more[] = {
        {"EmpAnsprech", "Herr Schäfer"}, {"EmpTelFaxf", "Kundentelefon : 0987 6543"}, {"EmpEMail", ""},
        {"EmpURL", ""}, {"EmpHandy", ""}, {"EmpTel", "0987 6543"}, {"EmpFax", ""},
        {"Bemerkung", "Die Berechnung gilt für den beschriebenen Wärmeerzeuger. Reinigungsöffnungen nach "
                      "Landesrecht vorsehen."},
        {"Anordnung", "Betriebsweise: Schornstein, feuchteunempfindlich"}, {"Verlauf", "im Gebäude"}};
    for (auto& [name, value] : more) job.DefineVariable(name, value);
    job.DefineVariable("Abgasleitung", abgasleitung ? "1" : "0", VarType::Boolean);
    const std::pair<const char*, const char*> rest[] = {
        {"FU", "feuchteunempfindlich"}, {"Hersteller", "Thermowerk"}, {"Typ", "TW 24 Kompakt"},
        {"Baujahr", "2019"}, {"Brennstoff", "Erdgas E"}, {"Qn", "24 kW"}, {"Tw", "160 °C"},
        {"Dhw", "130 mm"}, {"BezPw", "max. Förderdruck"}, {"Pw", "0 Pa"}};
    for (auto& [name, value] : rest) job.DefineVariable(name, value);
    job.DefineVariable("Teillast", "1", VarType::Boolean);
    const std::pair<const char*, const char*> tail[] = {
        {"QuerVerb", "130 mm (rund)"}, {"Lv", "1,5 m"}, {"Hv", "1 m"}, {"Rau_V", "1 mm"},
        {"WDWv", "0 m²K/W"}, {"ZETAv", "2 Bögen 90°"}, {"QuerSchornDetail", "160 mm (rund)"},
        {"Bauart", "Edelstahl, doppelwandig, wärmegedämmt"}, {"Rau_S", "1 mm"}, {"Wa", "20 mm"},
        {"WDW", "0,22 m²K/W"}, {"QuerSchorn", "rund"}, {"ZETA", "Abzweige 90°"}, {"GeoH", "250 m"}};
    for (auto& [name, value] : tail) job.DefineVariable(name, value);
    job.DefineFieldStart();
    for (const char* f : {"X", "Y", "Z"}) job.DefineField(f, f);
}

int DrawBand(int message, intptr_t parameter, void* user) {
    if (message != kNotifyObject) return 0;
    auto* n = reinterpret_cast<ObjectNotification*>(parameter);
    if (n->name != "Diagramm") return 0;
    ++*static_cast<int*>(user);
    const Rect& r = n->rect;
    n->canvas->SetPen(Color{0, 0, 160}, 4);
    n->canvas->SetBrush(Color{120, 160, 255});
    const Point band[] = {{r.left + 100, r.bottom - 60}, {r.right - 60, r.top + 60},
                          {r.right - 60, r.top + 200}, {r.left + 100, r.bottom - 20}};
    n->canvas->DrawPolygon(band);
    return 1;
}

// The print as the main program runs it: one page, ten placeholder rows,
// with the standard form one more page.
int PrintCalculation(ReportJob& job, int form) {
    if (job.Print() != kOk) return -1;
    for (int i = 0; i < 10; ++i) {
        std::string n = Format("%d", i);
        for (const char* f : {"X", "Y", "Z"}) job.DefineField(f, n);
        if (job.PrintFields() == kPageFull) {
            job.Print();
            job.PrintFields();
        }
    }
    if (form == 1) job.Print();
    job.PrintFieldsEnd();
    return job.PrintEnd();
}

TEST(SampleLayout, CalculationReportExportsWithTheProgramsVariables) {
    testing::ScratchDir dir;
    ReportJob job;
    int diagrams = 0;
    job.SetNotificationCallback(DrawBand, &diagrams);
    DefineCalculation(job, false);
    std::string pdf = dir.File("Berechnung.pdf");
    job.SetExport("PDF", pdf, "");
    ASSERT_EQ(job.PrintStart(SourceFile("data/Velmora.LST"), Destination::Export), kOk) << job.LastError();
    ASSERT_EQ(PrintCalculation(job, 1), kOk) << job.LastError();
    EXPECT_EQ(job.CurrentPage(), 2);
    EXPECT_EQ(diagrams, 2);

    std::string text = testing::PdfText(pdf);
    for (const char* expected :
         {"Schornsteinberechnung nach DIN EN 13384-1", "Muster Schornsteintechnik GmbH", "P-2024-017",
          "Neubau Einfamilienhaus", "Familie Sch\xC3\xA4" "fer", "Thermowerk", "TW 24 Kompakt", "24 kW",
          "160 mm (rund)", "130 mm (rund)", "Edelstahl, doppelwandig", "im Gebäude", "Schornstein",
          "Teillast ist", "Reinigungs\xC3\xB6" "ffnungen", "Geod\xC3\xA4tische H\xC3\xB6he: 250 m",
          "Velmora 2.30", "Kundentelefon : 0987 6543"}) {
        std::string utf8 = expected;
        if (utf8 == "im Gebäude") utf8 = "im Geb\xC3\xA4ude";
        EXPECT_NE(text.find(utf8), std::string::npos) << utf8;
    }
    EXPECT_EQ(CountOf(text, "Abgasleitung"), 0u);
    EXPECT_EQ(CountOf(text, "E-Mail:"), 0u);  // no address: no label either
    // The placeholder rows are not shown.
    EXPECT_EQ(text.find("X  "), std::string::npos);

    std::string png = dir.File("seite1");
    ASSERT_TRUE(testing::RenderFirstPage(pdf, png));
    std::string artefacts = vx::ArtefactDir();
    if (!artefacts.empty()) {
        RunProgram("cp", {png + ".png", JoinPath(artefacts, "velmora-report-page1.png")});
        RunProgram("cp", {pdf, JoinPath(artefacts, "velmora-report.pdf")});
    }
    testing::Png img(png + ".png");
    ASSERT_TRUE(img.Ok());
    // The band near the right edge of the diagram frame, where the callback
    // drew it 6 to 20 mm below the top.
    const LayoutObject* frame = nullptr;
    for (const auto& o : job.GetLayout().objects)
        if (o.name == "Diagramm" && o.page == PageRule::First) frame = &o;
    ASSERT_NE(frame, nullptr);
    Point origin = job.GetLayout().Origin();
    auto px = [](int units) { return int(units / 10.0 * 50 / 25.4); };
    testing::Rgb band = img.At(px(origin.x + frame->rect.right - 80), px(origin.y + frame->rect.top + 130));
    EXPECT_LT(band.r, 200);
    EXPECT_GT(band.b, 200);
}

TEST(SampleLayout, MarginsOfTheFormSettingsNarrowAndShortenThePage) {
    testing::ScratchDir dir;
    std::string layout;
    ASSERT_TRUE(ReadWholeFile(SourceFile("data/Velmora.LST"), layout));
    for (const auto& [from, to] : {std::pair{"xOffset=0", "xOffset=15000"}, std::pair{"yOffset=0", "yOffset=20000"}}) {
        const size_t at = layout.find(from);  // 1,5 cm left, 2 cm top
        ASSERT_NE(at, std::string::npos);
        layout.replace(at, 9, to);
    }
    const std::string file = dir.File("Velmora.LST");
    ASSERT_TRUE(WriteFileAtomic(file, layout));

    ReportJob job;
    int diagrams = 0;
    job.SetNotificationCallback(DrawBand, &diagrams);
    DefineCalculation(job, false);
    const std::string pdf = dir.File("rand.pdf");
    job.SetExport("PDF", pdf, "");
    ASSERT_EQ(job.PrintStart(file, Destination::Export), kOk) << job.LastError();
    ASSERT_EQ(PrintCalculation(job, 0), kOk) << job.LastError();
    const std::string png = dir.File("rand");
    ASSERT_TRUE(testing::RenderFirstPage(pdf, png));
    const std::string artefacts = vx::ArtefactDir();
    if (!artefacts.empty()) RunProgram("cp", {png + ".png", JoinPath(artefacts, "velmora-report-margins.png")});

    // Ink only between the layout's left edge plus the margin and the
    // layout's right edge (20 mm + 175 mm), and below its top edge plus the
    // margin (12 mm + 20 mm), at 50 dots per inch. The footer line (270 mm
    // below the top edge, 175 mm long) is where it was without the margin.
    testing::Png img(png + ".png");
    ASSERT_TRUE(img.Ok());
    const auto px = [](double mm) { return int(mm / 25.4 * 50); };
    int first = img.Width(), last = -1, top = img.Height(), lowestLine = -1;
    for (int y = 0; y < img.Height(); ++y) {
        int inkInRow = 0;
        for (int x = 0; x < img.Width(); ++x) {
            const testing::Rgb p = img.At(x, y);
            if (std::min({p.r, p.g, p.b}) >= 160) continue;
            ++inkInRow;
            first = std::min(first, x);
            last = std::max(last, x);
            top = std::min(top, y);
        }
        if (inkInRow > px(150)) lowestLine = y;
    }
    EXPECT_GE(first, px(20 + 15) - 1);
    EXPECT_LE(last, px(20 + 175) + 1);
    EXPECT_GT(last, px(20 + 170));  // the right edge is where it was
    EXPECT_GE(top, px(12 + 20) - 1);
    EXPECT_NEAR(lowestLine, px(12 + 270), 1);
}

TEST(SampleLayout, ExhaustLineAndShortFormShowTheirOwnParts) {
    testing::ScratchDir dir;
    ReportJob job;
    DefineCalculation(job, true);
    job.DefineVariable("Kopfdruck", "0", VarType::Boolean);
    std::string pdf = dir.File("kurz.pdf");
    job.SetExport("PDF", pdf, "");
    ASSERT_EQ(job.PrintStart(SourceFile("data/Velmora.LST"), Destination::Export), kOk) << job.LastError();
    ASSERT_EQ(PrintCalculation(job, 0), kOk);
    EXPECT_EQ(job.CurrentPage(), 1);
    std::string text = testing::PdfText(pdf);
    EXPECT_EQ(CountOf(text, "Abgasleitung"), 1u);
    EXPECT_EQ(CountOf(text, "Planung und Berechnung"), 0u);  // no letterhead
    // The sender line stays.
    EXPECT_NE(text.find("Muster Schornsteintechnik GmbH"), std::string::npos);
}

// The texts of the first page, in drawing order, with where they start
// and the font they were drawn in.
struct PageText {
    std::string text;
    Point topLeft;
    FontSpec font;
};
std::vector<PageText> TextsOfFirstPage(const ReportJob& job) {
    std::vector<PageText> texts;
    FontSpec font;
    for (const auto& c : job.Pages().pages.at(0).commands) {
        if (c.op == DrawCommand::Op::Font) font = c.font;
        if (c.op == DrawCommand::Op::Text) texts.push_back({c.text, c.points.at(0), font});
    }
    return texts;
}

// The sample layout run into the preview: the texts of its first page, none
// when it does not print.
std::vector<PageText> PreviewTexts(ReportJob& job) {
    job.SetExport("PDF", "x.pdf", "/nonexistent");
    const int started = job.PrintStart(SourceFile("data/Velmora.LST"), Destination::Preview);
    EXPECT_EQ(started, kOk) << job.LastError();
    if (started != kOk) return {};
    const int printed = job.Print();
    EXPECT_EQ(printed, kOk);
    if (printed != kOk) return {};
    return TextsOfFirstPage(job);
}

TEST(SampleLayout, EveryLineCarriesItsCaptionOrIsLeftOut) {
    for (bool abgasleitung : {false, true}) {
        ReportJob job;
        DefineCalculation(job, abgasleitung);
        job.DefineVariable("FU", abgasleitung ? "-" : "ja");
        job.DefineVariable("AnwFax", "");
        // A sender long enough to wrap.
        job.DefineVariable("AnwName1", "Muster Schornsteintechnik und Abgasanlagenbau GmbH & Co. KG");
        job.DefineVariable("AnwStr", "Obere Hauptstraße 112");
        job.DefineVariable("AnwPLZOrt", "12345 Musterstadt-Nordwest");
        const auto texts = PreviewTexts(job);

        int recipientTop = -1;
        std::vector<PageText> sender;
        for (const PageText& t : texts) {
            // The moisture is named, and only where it applies.
            EXPECT_NE(t.text, "ja");
            EXPECT_NE(t.text, "-");
            // No fax number: no fax caption.
            EXPECT_EQ(t.text.find("Fax"), std::string::npos) << t.text;
            if (t.text == "Familie Sch\xE4" "fer") recipientTop = t.topLeft.y;
            if (t.font.underline) sender.push_back(t);
        }
        const auto has = [&](const std::string& s) {
            for (const PageText& t : texts)
                if (t.text == s) return true;
            return false;
        };
        EXPECT_EQ(has("Feuchteunempfindlich: ja"), !abgasleitung);
        EXPECT_TRUE(has("Telefon 0123 45678"));
        // The wrapped sender line ends above the recipient.
        ASSERT_NE(recipientTop, -1);
        ASSERT_GE(sender.size(), 2u);
        for (const PageText& t : sender) EXPECT_LE(t.topLeft.y + t.font.pixelHeight, recipientTop) << t.text;
        job.PrintEnd();
    }
}

TEST(SampleLayout, CaptionsWithoutValuesAreLeftOut) {
    ReportJob job;
    DefineCalculation(job, false);
    job.DefineVariable("Baujahr", "");
    job.DefineVariable("PrNr", "");
    job.DefineVariable("Projekt", "");
    job.DefineVariable("Bemerkung", "");
    int dateCaption = -1, date = -1;
    for (const PageText& t : PreviewTexts(job)) {
        for (const char* gone : {"Baujahr:", "Projekt-Nr.:", "Bemerkungen"}) EXPECT_NE(t.text, gone);
        // No line ends on a caption or a joining mark.
        EXPECT_NE(t.text.find("Projekt"), 0u) << t.text;
        EXPECT_NE(t.text.back(), '-') << t.text;
        if (t.text == "Datum:") dateCaption = t.topLeft.y;
        if (t.text == "12.03.2024") date = t.topLeft.y;
    }
    // What is there stands on the line of its caption.
    EXPECT_NE(dateCaption, -1);
    EXPECT_EQ(dateCaption, date);
    job.PrintEnd();
}

TEST(SampleLayout, EveryPlaceholderIsOneOfTheProgramsVariables) {
    // A job that knows only the program's names starts on the layout: no
    // other name is used in it.
    ReportJob job;
    DefineCalculation(job, false);
    job.SetExport("PDF", "x.pdf", "/nonexistent");
    ASSERT_EQ(job.PrintStart(SourceFile("data/Velmora.LST"), Destination::Export), kOk) << job.LastError();
    // Every line of the file is short enough for the form settings.
    std::string data;
    ASSERT_TRUE(ReadWholeFile(SourceFile("data/Velmora.LST"), data));
    size_t start = 0, longest = 0;
    for (size_t nl = data.find('\n'); nl != std::string::npos; nl = data.find('\n', start)) {
        longest = std::max(longest, nl - start);
        start = nl + 1;
    }
    EXPECT_LT(longest, 253u);
    EXPECT_EQ(CountOf(data, "xOffset"), 1u);
    EXPECT_EQ(CountOf(data, "yOffset"), 1u);
}

} // namespace
} // namespace vx::report
