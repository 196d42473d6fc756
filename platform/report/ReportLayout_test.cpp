#include "platform/report/ReportLayout.h"

#include "platform/Files.h"
#include "platform/NumText.h"
#include "testsupport/platform/ReportTestSupport.h"

#include <gtest/gtest.h>

namespace vx::report {
namespace {

TEST(ReportLayout, ReadsPageObjectsAndTable) {
    const char text[] =
        "; Kommentar\r\n"
        "# auch Kommentar\r\n"
        "[Layout]\r\n"
        "Width=148\r\nHeight=210.5\r\nLeft=12.5\r\nTop=10\r\nBottom=8\r\n"
        " xOffset=5000\r\n yOffset=-2500\r\n"
        "\r\n"
        "[Text:Kopf]\r\n"
        "Rect=0,0,100,12.3\r\nFont=Times New Roman\r\nSize=11.5\r\nBold=1\r\nItalic=1\r\nUnderline=1\r\n"
        "Align=right\r\nColor=0,51,102\r\nFrame=0.25\r\nVisible=!Kopfdruck\r\nPage=next\r\n"
        "Text=Höhe <H> m\r\nText=\r\nText=<<a>> <Name>\r\n"
        "[line:Strich]\r\nRect=0,20,100,-5\r\nWidth=0.5\r\nColor=255,0,0\r\n"
        "[RECT:Diagramm]\r\nRect=0,30,100,40\r\nFill=1,2,3\r\nPage=2\r\nVisible=0\r\n"
        "[Table:Liste]\r\nRect=0,80,120,50\r\nNextTop=5\r\nHeader=0\r\nGrid=0\r\nSize=8\r\n"
        "Column=20|R|Nr.|<X>\r\nColumn=100|center|Text <PrNr>|<Y> und <Z>\r\n";
    Layout l;
    std::string error;
    ASSERT_TRUE(ParseLayout(text, "t.lst", l, error)) << error;
    EXPECT_EQ(l.pageWidth, 1480);
    EXPECT_EQ(l.pageHeight, 2105);
    EXPECT_EQ(l.left, 125);
    EXPECT_EQ(l.top, 100);
    EXPECT_EQ(l.bottom, 80);
    EXPECT_EQ(l.xOffsetUm, 5000);
    EXPECT_EQ(l.yOffsetUm, -2500);
    EXPECT_EQ(l.Origin(), (Point{125 + 50, 100 - 25}));

    ASSERT_EQ(l.objects.size(), 3u);
    const LayoutObject& t = l.objects[0];
    EXPECT_EQ(t.kind, LayoutObject::Kind::Text);
    EXPECT_EQ(t.name, "Kopf");
    EXPECT_EQ(t.line, 12);
    EXPECT_EQ(t.rect, (Rect{0, 0, 1000, 123}));
    EXPECT_EQ(t.style.font, "Times New Roman");
    EXPECT_DOUBLE_EQ(t.style.points, 11.5);
    EXPECT_TRUE(t.style.bold && t.style.italic && t.style.underline);
    EXPECT_EQ(t.style.align, Align::Right);
    EXPECT_EQ(t.style.color, (Color{0, 51, 102}));
    EXPECT_EQ(t.frame, 3);  // 0.25 mm rounded to tenths
    EXPECT_FALSE(t.visible.constant);
    EXPECT_EQ(t.visible.variable, "Kopfdruck");
    EXPECT_TRUE(t.visible.negate);
    EXPECT_EQ(t.page, PageRule::Next);
    ASSERT_EQ(t.paragraphs.size(), 3u);
    ASSERT_EQ(t.paragraphs[0].size(), 3u);
    EXPECT_EQ(t.paragraphs[0][0].text, "Höhe ");
    EXPECT_TRUE(t.paragraphs[0][1].variable);
    EXPECT_EQ(t.paragraphs[0][1].text, "H");
    EXPECT_TRUE(t.paragraphs[1].empty());
    EXPECT_EQ(t.paragraphs[2][0].text, "<a> ");

    const LayoutObject& line = l.objects[1];
    EXPECT_EQ(line.kind, LayoutObject::Kind::Line);
    EXPECT_EQ(line.rect, (Rect{0, 200, 1000, 150}));
    EXPECT_EQ(line.pen, 5);
    EXPECT_EQ(line.penColor, (Color{255, 0, 0}));

    const LayoutObject& r = l.objects[2];
    EXPECT_EQ(r.kind, LayoutObject::Kind::Rect);
    EXPECT_EQ(r.pen, 0);
    ASSERT_TRUE(r.fill);
    EXPECT_EQ(*r.fill, (Color{1, 2, 3}));
    EXPECT_EQ(r.page, PageRule::Number);
    EXPECT_EQ(r.pageNumber, 2);
    EXPECT_EQ(r.visible.constant, std::optional<bool>(false));

    ASSERT_TRUE(l.table);
    EXPECT_EQ(l.table->name, "Liste");
    EXPECT_EQ(l.table->rect, (Rect{0, 800, 1200, 1300}));
    EXPECT_EQ(l.table->nextTop, std::optional<int>(50));
    EXPECT_FALSE(l.table->header);
    EXPECT_EQ(l.table->grid, 0);
    ASSERT_EQ(l.table->columns.size(), 2u);
    EXPECT_EQ(l.table->columns[0].width, 200);
    EXPECT_EQ(l.table->columns[0].align, Align::Right);
    EXPECT_EQ(l.table->columns[1].align, Align::Center);
    EXPECT_EQ(l.table->columns[1].content.size(), 3u);

    auto refs = l.References();
    std::vector<std::string> names;
    for (const auto& ref : refs) names.push_back(ref.name + (ref.inVisibility ? "?" : "") + (ref.inTable ? "#" : ""));
    EXPECT_EQ(names, (std::vector<std::string>{"Kopfdruck?", "H", "Name", "X#", "PrNr", "Y#", "Z#"}));
}

TEST(ReportLayout, DefaultsToA4AndShowsEverything) {
    Layout l;
    std::string error;
    ASSERT_TRUE(ParseLayout("[Layout]\n[Text:A]\nRect=0,0,10,0\nText=x\n", "t", l, error)) << error;
    EXPECT_EQ(l.pageWidth, 2100);
    EXPECT_EQ(l.pageHeight, 2970);
    EXPECT_EQ(l.Origin(), (Point{200, 150}));
    EXPECT_EQ(l.objects[0].visible.constant, std::optional<bool>(true));
    EXPECT_EQ(l.objects[0].page, PageRule::All);
    EXPECT_EQ(l.objects[0].style.font, "Arial");
    EXPECT_FALSE(l.table);
}

TEST(ReportLayout, BadFilesNameFileAndLine) {
    struct Case {
        std::string text;
        const char* says;
    };
    const std::string longLine = "[Layout]\n; " + std::string(251, 'x') + "\n";
    const Case cases[] = {
        {longLine, "Zeile 2: Zeile länger als 252 Zeichen"},
        {"Width=210\n[Layout]\n", "Zeile 1: Eintrag vor dem ersten Abschnitt"},
        {"[Layout]\n[Bild:Logo]\n", "Zeile 2: unbekannte Objektart \"Bild\""},
        {"[Layout]\n[Text]\n", "Zeile 2: Objekt [Text] ohne Namen"},
        {"[Layout]\n[Text:A\n", "Zeile 2: Abschnitt ohne \"]\""},
        {"[Layout]\nFarbe=1\n", "Zeile 2: unbekannter Schlüssel Farbe in [Layout]"},
        {"[Layout]\nWidth=210\nwidth=200\n", "Zeile 3: Schlüssel width doppelt"},
        {"[Layout]\n[Layout]\n", "Zeile 2: Abschnitt [Layout] doppelt"},
        {"[Layout]\nWidth=1,5\n", "Zeile 2: ungültiger Wert für Width"},
        {"[Layout]\nWidth=5\n", "Zeile 2: ungültiger Wert für Width"},
        {"[Layout]\nxOffset=12.5\n", "Zeile 2: ungültiger Wert für xOffset"},
        {"[Layout]\nxOffset=\n", "Zeile 2: ungültiger Wert für xOffset"},
        {"[Layout]\nTop=200\nBottom=200\n", "Ränder größer als die Seite"},
        {"[Layout]\nnur Text\n", "Zeile 2: unverständliche Zeile"},
        {"[Layout]\n[Text:A]\nRect=0,0,10\n", "Zeile 3: ungültiger Wert für Rect"},
        {"[Layout]\n[Text:A]\nRect=0,0,10,x\n", "Zeile 3: ungültiger Wert für Rect"},
        {"[Layout]\n[Text:A]\nRect=0,0,10,0\nText=<offen\n", "Zeile 4: \"<\" ohne \">\""},
        {"[Layout]\n[Text:A]\nRect=0,0,10,0\nText=<>\n", "Zeile 4: \"<\" ohne \">\""},
        {"[Layout]\n[Text:A]\nText=x\n", "Zeile 2: Objekt \"A\" ohne Rect"},
        {"[Layout]\n[Text:A]\nRect=0,0,0,10\n", "Zeile 2: Textobjekt \"A\" ohne Breite"},
        {"[Layout]\n[Rect:A]\nRect=0,0,10,0\n", "Zeile 2: Rechteck \"A\" ohne Fläche"},
        {"[Layout]\n[Text:A]\nRect=0,0,10,0\nColor=1,2,256\n", "Zeile 4: ungültiger Wert für Color"},
        {"[Layout]\n[Text:A]\nRect=0,0,10,0\nAlign=justify\n", "Zeile 4: ungültiger Wert für Align"},
        {"[Layout]\n[Text:A]\nRect=0,0,10,0\nBold=ja\n", "Zeile 4: ungültiger Wert für Bold"},
        {"[Layout]\n[Text:A]\nRect=0,0,10,0\nVisible=a b\n", "Zeile 4: ungültiger Wert für Visible"},
        {"[Layout]\n[Text:A]\nRect=0,0,10,0\nPage=0\n", "Zeile 4: ungültiger Wert für Page"},
        {"[Layout]\n[Text:A]\nRect=0,0,10,0\nBorder=1\n", "Zeile 4: unbekannter Schlüssel Border"},
        {"[Layout]\n[Table:T]\nRect=0,0,10,0\n", "Zeile 2: Tabelle \"T\" ohne Spalten"},
        {"[Layout]\n[Table:T]\nRect=0,0,10,0\nColumn=10|L|a\n", "Zeile 4: Column braucht"},
        {"[Layout]\n[Table:T]\nRect=0,0,10,0\nColumn=0|L|a|b\n", "Zeile 4: ungültiger Wert für Column"},
        {"[Layout]\n[Table:T]\nRect=0,0,10,0\nColumn=10|L|a|b\n[Table:U]\n", "Zeile 5: nur eine Tabelle"},
        {std::string("[Layout]\0\n", 10), "keine Textdatei"},
        {"", "Abschnitt [Layout] fehlt"},
    };
    for (const Case& c : cases) {
        Layout l;
        std::string error;
        EXPECT_FALSE(ParseLayout(c.text, "form.lst", l, error)) << c.text;
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
        EXPECT_EQ(error.find("Druckvorlage form.lst"), 0u) << error;
    }
}

TEST(ReportLayout, LinesFitTheFormSettingsBuffer) {
    // fgets with 254 bytes takes the whole line with its line end.
    Layout l;
    std::string error;
    EXPECT_TRUE(ParseLayout("[Layout]\n; " + std::string(249, 'x') + "\r\n", "t", l, error)) << error;
    EXPECT_TRUE(ParseLayout("[Layout]\n; " + std::string(250, 'x') + "\n", "t", l, error)) << error;
    EXPECT_FALSE(ParseLayout("[Layout]\n; " + std::string(250, 'x') + "\r\n", "t", l, error));
}

TEST(ReportLayout, MissingAndUnreadableFiles) {
    testing::ScratchDir dir;
    Layout l;
    std::string error;
    EXPECT_FALSE(ReadLayout(dir.File("fehlt.lst"), l, error));
    EXPECT_NE(error.find("fehlt.lst kann nicht gelesen werden"), std::string::npos) << error;
    EXPECT_FALSE(ReadLayout(dir.Path(), l, error));
    ASSERT_TRUE(WriteFileAtomic(dir.File("gut.lst"), "[Layout]\r\nxOffset=1\r\n"));
    EXPECT_TRUE(ReadLayout(dir.File("gut.lst"), l, error)) << error;
    EXPECT_EQ(l.xOffsetUm, 1);
}

// The form settings' rewrite: a backup without the last character of the
// name, then every line with an offset key replaced, others copied.
void RewriteOffsets(const std::string& file, long x, long y) {
    std::string backup = file.substr(0, file.size() - 1);
    std::string text;
    ASSERT_TRUE(ReadWholeFile(file, text));
    ASSERT_TRUE(WriteFileAtomic(backup, text));
    std::string out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        std::string line = text.substr(pos, end == std::string::npos ? std::string::npos : end - pos + 1);
        pos = end == std::string::npos ? text.size() : end + 1;
        if (line.find("xOffset") != std::string::npos) line = Format(" xOffset=%ld\n", x);
        else if (line.find("yOffset") != std::string::npos) line = Format(" yOffset=%ld\n", y);
        out += line;
    }
    ASSERT_TRUE(WriteFileAtomic(file, out));
}

TEST(ReportLayout, OffsetRewriteKeepsTheFileReadable) {
    testing::ScratchDir dir;
    std::string file = dir.File("form.lst");
    const char text[] =
        "[Layout]\r\nLeft=20\r\nxOffset=5000\r\nyOffset=0\r\n"
        "[Text:A]\r\nRect=10,10,50,0\r\nText=Höhe <H>\r\n"
        "[Table:T]\r\nRect=0,50,100,0\r\nColumn=100|L|a|<X>\r\n";
    ASSERT_TRUE(WriteFileAtomic(file, text));
    Layout before;
    std::string error;
    ASSERT_TRUE(ReadLayout(file, before, error)) << error;
    EXPECT_EQ(before.xOffsetUm, 5000);  // the dialog shows 0.5 cm

    RewriteOffsets(file, 12000, 20000);
    EXPECT_TRUE(FileExists(dir.File("form.ls")));
    Layout after;
    ASSERT_TRUE(ReadLayout(file, after, error)) << error;
    EXPECT_EQ(after.xOffsetUm, 12000);
    EXPECT_EQ(after.yOffsetUm, 20000);
    EXPECT_EQ(after.Origin(), (Point{200 + 120, 150 + 200}));
    ASSERT_EQ(after.objects.size(), 1u);
    EXPECT_EQ(after.objects[0].paragraphs, before.objects[0].paragraphs);
    ASSERT_TRUE(after.table);
    // Rewritten twice, still the same shape.
    RewriteOffsets(file, 0, 0);
    ASSERT_TRUE(ReadLayout(file, after, error)) << error;
    EXPECT_EQ(after.Origin(), (Point{200, 150}));
}

TEST(ReportLayout, TemplatesAndPageRules) {
    TemplateText t;
    ASSERT_TRUE(ParseTemplate("a<<b>>c<V1>-<V2>", t));
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(t[0].text, "a<b>c");
    EXPECT_TRUE(t[1].variable);
    EXPECT_EQ(t[1].text, "V1");
    EXPECT_EQ(t[2].text, "-");
    EXPECT_EQ(t[3].text, "V2");
    ASSERT_TRUE(ParseTemplate("x > y", t));
    EXPECT_EQ(t[0].text, "x > y");
    EXPECT_FALSE(ParseTemplate("a<b", t));
    EXPECT_TRUE(ParseTemplate("", t));
    EXPECT_TRUE(t.empty());

    EXPECT_TRUE(PageRuleMatches(PageRule::All, 0, 7));
    EXPECT_TRUE(PageRuleMatches(PageRule::First, 0, 1));
    EXPECT_FALSE(PageRuleMatches(PageRule::First, 0, 2));
    EXPECT_FALSE(PageRuleMatches(PageRule::Next, 0, 1));
    EXPECT_TRUE(PageRuleMatches(PageRule::Next, 0, 2));
    EXPECT_TRUE(PageRuleMatches(PageRule::Number, 3, 3));
    EXPECT_FALSE(PageRuleMatches(PageRule::Number, 3, 4));
}

} // namespace
} // namespace vx::report
