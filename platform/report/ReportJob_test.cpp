#include "platform/report/ReportJob.h"

#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "testsupport/platform/ReportTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vx::report {
namespace {

using testing::CountOf;
using testing::Png;
using testing::ScratchDir;

const char kLayout[] =
    "; test layout\n"
    "[Layout]\n"
    "Width=210\nHeight=297\nLeft=20\nTop=15\nBottom=20\n"
    "xOffset=0\nyOffset=0\n"
    "\n"
    "[Text:Kopf]\nRect=0,0,170,0\nSize=14\nBold=1\n"
    "Text=Projekt: <PrNr>\nText=<Name2>\nText=Kunde <<Nr>> <Kunde>\n"
    "[Text:Nur1]\nRect=0,20,170,0\nPage=first\nText=Erste Seite\n"
    "[Text:Folge]\nRect=0,20,170,0\nPage=next\nText=Folgeseite\n"
    "[Text:Brief]\nRect=0,30,170,0\nVisible=Kopfdruck\nText=Briefkopf sichtbar\n"
    "[Text:Versteckt]\nRect=0,35,170,0\nVisible=!Kopfdruck\nText=Darf nicht erscheinen\n"
    "[Text:Nie]\nRect=0,40,170,0\nVisible=0\nText=Niemals\n"
    "[Rect:Diagramm]\nRect=0,50,170,80\nBorder=0.3\n"
    "[Table:Liste]\nRect=0,140,170,0\nNextTop=48\n"
    "Column=30|L|Nr|<X>\nColumn=100|L|Text <PrNr>|<Y>\nColumn=40|R|Wert|<Z>\n";

struct Drawn {
    std::vector<std::string> names;
    std::vector<Rect> rects;
};

int FillDiagram(int message, intptr_t parameter, void* user) {
    if (message != kNotifyObject) return 0;
    auto* n = reinterpret_cast<ObjectNotification*>(parameter);
    auto* drawn = static_cast<Drawn*>(user);
    drawn->names.push_back(n->name);
    drawn->rects.push_back(n->rect);
    if (n->name != "Diagramm" || !n->drawing) return 0;
    n->canvas->SetNoPen();
    n->canvas->SetBrush(Color{0, 0, 255});
    // More than the rectangle: the layer clips to it.
    n->canvas->DrawRectangle(Rect{n->rect.left + 50, n->rect.top + 50, n->rect.right + 400, n->rect.bottom - 50});
    return 1;
}

class ReportJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(dir.Path().empty());
        layoutFile = dir.File("Test.LST");
        ASSERT_TRUE(WriteFileAtomic(layoutFile, kLayout));
    }
    void DefineAll(ReportJob& job, bool kopf) {
        job.DefineVariableStart();
        job.DefineVariable("PrNr", "4711");
        job.DefineVariable("Name2", "");
        job.DefineVariable("Kunde", "Müller");
        job.DefineVariable("Kopfdruck", kopf ? "1" : "0", VarType::Boolean);
        job.DefineFieldStart();
        job.DefineField("X", "X");
        job.DefineField("Y", "Y");
        job.DefineField("Z", "Z");
    }
    // Prints rows the way the programs do; returns the number of "page full" answers.
    int PrintRows(ReportJob& job, int rows) {
        int full = 0;
        for (int i = 0; i < rows; ++i) {
            job.DefineField("X", Format("R%03d", i));
            job.DefineField("Y", "Zeile");
            job.DefineField("Z", Format("%d,5", i));
            int rc = job.PrintFields();
            if (rc == kPageFull) {
                ++full;
                EXPECT_EQ(job.Print(), kOk);
                rc = job.PrintFields();
            }
            EXPECT_EQ(rc, kOk) << "row " << i;
        }
        return full;
    }
    ScratchDir dir;
    std::string layoutFile;
};

TEST_F(ReportJobTest, ExportsManyRowsOverSeveralPages) {
    ReportJob job;
    Drawn drawn;
    job.SetNotificationCallback(FillDiagram, &drawn);
    DefineAll(job, true);
    std::string pdf = dir.File("out.pdf");
    job.SetExport("PDF", "out.pdf", dir.Path());
    ASSERT_EQ(job.PrintStart(layoutFile, Destination::Export), kOk) << job.LastError();
    ASSERT_EQ(job.Print(), kOk);
    int full = PrintRows(job, 150);
    EXPECT_EQ(job.PrintFieldsEnd(), kOk);
    ASSERT_EQ(job.PrintEnd(), kOk) << job.LastError();
    int pages = job.CurrentPage();
    EXPECT_GE(pages, 4);
    EXPECT_EQ(full, pages - 1);

    std::string text = testing::PdfText(pdf);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(CountOf(text, "\f"), size_t(pages));
    for (int i = 0; i < 150; ++i) EXPECT_EQ(CountOf(text, Format("R%03d", i)), 1u) << i;
    EXPECT_EQ(CountOf(text, "149,5"), 1u);
    EXPECT_EQ(CountOf(text, "Projekt: 4711"), size_t(pages));
    EXPECT_EQ(CountOf(text, "Text 4711"), size_t(pages));  // headings on every page
    EXPECT_EQ(CountOf(text, "Kunde <Nr> M\xC3\xBCller"), size_t(pages));
    EXPECT_EQ(CountOf(text, "Erste Seite"), 1u);
    EXPECT_EQ(CountOf(text, "Folgeseite"), size_t(pages - 1));
    EXPECT_EQ(CountOf(text, "Briefkopf sichtbar"), size_t(pages));
    EXPECT_EQ(CountOf(text, "Darf nicht"), 0u);
    EXPECT_EQ(CountOf(text, "Niemals"), 0u);
    // Page 1 holds fewer rows than page 2, whose table starts higher.
    size_t p1 = text.find('\f');
    size_t p2 = text.find('\f', p1 + 1);
    size_t rows1 = CountOf(text.substr(0, p1), "Zeile");
    size_t rows2 = CountOf(text.substr(p1, p2 - p1), "Zeile");
    EXPECT_GT(rows1, 10u);
    EXPECT_GT(rows2, rows1 + 10);
    // The diagram rectangle was offered on every page, in page units.
    ASSERT_EQ(drawn.names.size(), size_t(pages));
    EXPECT_EQ(drawn.rects[0], (Rect{200, 650, 1900, 1450}));
}

TEST_F(ReportJobTest, DrawsTheCallbackRectangleIntoThePdf) {
    ReportJob job;
    Drawn drawn;
    job.SetNotificationCallback(FillDiagram, &drawn);
    DefineAll(job, false);
    std::string pdf = dir.File("diagram.pdf");
    job.SetExport("pdf", pdf, "");
    ASSERT_EQ(job.PrintStart(layoutFile, Destination::Export), kOk) << job.LastError();
    job.Print();
    PrintRows(job, 3);
    job.PrintFieldsEnd();
    ASSERT_EQ(job.PrintEnd(), kOk) << job.LastError();

    std::string text = testing::PdfText(pdf);
    EXPECT_EQ(CountOf(text, "Darf nicht erscheinen"), 1u);
    EXPECT_EQ(CountOf(text, "Briefkopf"), 0u);

    std::string png = dir.File("diagram");
    ASSERT_TRUE(testing::RenderFirstPage(pdf, png));
    std::string artefacts = vx::ArtefactDir();
    if (!artefacts.empty()) RunProgram("cp", {png + ".png", JoinPath(artefacts, "report-diagram-page1.png")});
    Png img(png + ".png");
    ASSERT_TRUE(img.Ok());
    EXPECT_NEAR(img.Width(), 413, 2);  // 210 mm at 50 dpi
    // 50 dpi: mm * 50 / 25.4. The rectangle spans 20..190 mm by 65..145 mm.
    auto px = [](double mm) { return int(mm * 50 / 25.4); };
    testing::Rgb inside = img.At(px(105), px(105));
    EXPECT_LT(inside.r, 60);
    EXPECT_LT(inside.g, 60);
    EXPECT_GT(inside.b, 200);
    // Clipped at the right edge of the rectangle: white beyond it.
    testing::Rgb right = img.At(px(198), px(105));
    EXPECT_GT(right.r, 200);
    EXPECT_GT(right.b, 200);
    testing::Rgb margin = img.At(px(8), px(8));
    EXPECT_GT(margin.r, 200);
    EXPECT_GT(margin.g, 200);
}

TEST_F(ReportJobTest, RowThatNeverFitsIsPrintedOnceMoreOnly) {
    ReportJob job;
    DefineAll(job, true);
    std::string pdf = dir.File("long.pdf");
    job.SetExport("PDF", pdf, "");
    ASSERT_EQ(job.PrintStart(layoutFile, Destination::Export), kOk);
    job.Print();
    PrintRows(job, 5);
    std::string huge;
    for (int i = 0; i < 1500; ++i) huge += "Wort" + Format("%d", i) + " ";
    job.DefineField("X", "LANG");
    job.DefineField("Y", huge);
    int tries = 0;
    int rc = job.PrintFields();
    // A caller that repeats the row until it is taken.
    while (rc == kPageFull && tries < 10) {
        ++tries;
        job.Print();
        rc = job.PrintFields();
    }
    EXPECT_EQ(rc, kOk);
    EXPECT_EQ(tries, 1);
    EXPECT_EQ(job.CurrentPage(), 2);
    // The table goes on, on a new page.
    job.DefineField("X", "NACH");
    job.DefineField("Y", "kurz");
    EXPECT_EQ(job.PrintFields(), kPageFull);
    job.Print();
    EXPECT_EQ(job.PrintFields(), kOk);
    job.PrintFieldsEnd();
    ASSERT_EQ(job.PrintEnd(), kOk) << job.LastError();
    std::string text = testing::PdfText(pdf);
    EXPECT_EQ(CountOf(text, "LANG"), 1u);
    EXPECT_EQ(CountOf(text, "NACH"), 1u);
    EXPECT_EQ(CountOf(text, "Wort0 "), 1u);
    EXPECT_EQ(CountOf(text, "Wort1499"), 0u);  // clipped at the page's bottom
    EXPECT_EQ(CountOf(text, "\f"), 3u);
}

TEST_F(ReportJobTest, EmptyVariableLinesTakeNoRoomAndPlaceholdersFill) {
    ReportJob job;
    DefineAll(job, true);
    job.SetExport("PDF", dir.File("a.pdf"), "");
    ASSERT_EQ(job.PrintStart(layoutFile, Destination::Export), kOk);
    job.Print();
    std::vector<std::pair<std::string, int>> texts;
    for (const auto& d : job.Pages().pages[0].commands)
        if (d.op == DrawCommand::Op::Text) texts.emplace_back(d.text, d.points[0].y);
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[0].first, "Projekt: 4711");
    EXPECT_EQ(texts[0].second, 150);
    EXPECT_EQ(texts[1].first, "Kunde <Nr> Müller");
    int line = texts[1].second - texts[0].second;
    EXPECT_GT(line, 40);  // one 14 pt line, not two
    EXPECT_LT(line, 75);

    // With the second name the customer line moves down by one line.
    ReportJob job2;
    DefineAll(job2, true);
    job2.DefineVariable("Name2", "Zweite Zeile");
    job2.SetExport("PDF", dir.File("b.pdf"), "");
    ASSERT_EQ(job2.PrintStart(layoutFile, Destination::Export), kOk);
    job2.Print();
    std::vector<std::pair<std::string, int>> texts2;
    for (const auto& d : job2.Pages().pages[0].commands)
        if (d.op == DrawCommand::Op::Text) texts2.emplace_back(d.text, d.points[0].y);
    ASSERT_GE(texts2.size(), 3u);
    EXPECT_EQ(texts2[1].first, "Zweite Zeile");
    EXPECT_EQ(texts2[2].first, "Kunde <Nr> Müller");
    EXPECT_EQ(texts2[2].second - texts2[0].second, 2 * line);
}

TEST_F(ReportJobTest, ObjectsShownOnlyWhenTheirVariableIsFilled) {
    // A caption and its value go together; any variable can decide, not only a boolean one.
    ASSERT_TRUE(WriteFileAtomic(layoutFile, "[Layout]\n"
                                            "[Text:NameL]\nRect=0,0,30,0\nVisible=?Name2\nText=Name:\n"
                                            "[Text:NameW]\nRect=30,0,50,0\nVisible=?Name2\nText=<Name2>\n"
                                            "[Text:NrL]\nRect=0,10,30,0\nVisible=?PrNr\nText=Nr.:\n"
                                            "[Text:Kopf]\nRect=0,20,30,0\nVisible=?Kopfdruck\nText=Kopf\n"));
    for (const char* name2 : {"", "   ", "Zweite Zeile"}) {
        ReportJob job;
        DefineAll(job, false);
        job.DefineVariable("Name2", name2);
        job.SetExport("PDF", dir.File("v.pdf"), "");
        ASSERT_EQ(job.PrintStart(layoutFile, Destination::Export), kOk) << job.LastError();
        job.Print();
        std::vector<std::string> texts;
        for (const auto& d : job.Pages().pages[0].commands)
            if (d.op == DrawCommand::Op::Text) texts.push_back(d.text);
        const bool filled = std::string(name2) == "Zweite Zeile";
        // "0" is text like any other here: the object shows.
        std::vector<std::string> expected = {"Nr.:", "Kopf"};
        if (filled) expected.insert(expected.begin(), {"Name:", "Zweite Zeile"});
        EXPECT_EQ(texts, expected) << name2;
    }
    // A missing variable is still named.
    ASSERT_TRUE(WriteFileAtomic(layoutFile, "[Layout]\n[Text:A]\nRect=0,0,50,0\nVisible=?Fehlt\nText=x\n"));
    ReportJob job;
    DefineAll(job, true);
    job.SetExport("PDF", dir.File("w.pdf"), "");
    EXPECT_EQ(job.PrintStart(layoutFile, Destination::Export), kErrUnknownName);
    EXPECT_NE(job.LastError().find("Fehlt"), std::string::npos) << job.LastError();
}

TEST_F(ReportJobTest, SeparatorsStandOnlyBetweenFilledValues) {
    ASSERT_TRUE(WriteFileAtomic(layoutFile, "[Layout]\n[Text:Absender]\nRect=0,0,150,0\n"
                                            "Text=<A> \xB7 <B> \xB7 <C>\nText=Tel. <A>, <C>\n"));
    struct Case {
        const char *a, *b, *c, *line1, *line2;
    } cases[] = {
        {"Müller", "", "55 Berlin", "Müller \xB7 55 Berlin", "Tel. Müller, 55 Berlin"},
        {"", "Weg 1", "55 Berlin", "Weg 1 \xB7 55 Berlin", "Tel. 55 Berlin"},
        {"Müller", "Weg 1", " ", "Müller \xB7 Weg 1", "Tel. Müller"},
        {"Müller", "Weg 1", "55 Berlin", "Müller \xB7 Weg 1 \xB7 55 Berlin", "Tel. Müller, 55 Berlin"},
    };
    for (const auto& k : cases) {
        ReportJob job;
        DefineAll(job, true);
        job.DefineVariable("A", k.a);
        job.DefineVariable("B", k.b);
        job.DefineVariable("C", k.c);
        job.SetExport("PDF", dir.File("s.pdf"), "");
        ASSERT_EQ(job.PrintStart(layoutFile, Destination::Export), kOk) << job.LastError();
        job.Print();
        std::vector<std::string> texts;
        for (const auto& d : job.Pages().pages[0].commands)
            if (d.op == DrawCommand::Op::Text) texts.push_back(d.text);
        EXPECT_EQ(texts, (std::vector<std::string>{k.line1, k.line2})) << k.a << "|" << k.b << "|" << k.c;
    }
}

TEST_F(ReportJobTest, OffsetsRewrittenLineByLineMoveTheObjectsInsideTheirSpan) {
    // The form settings rewrite the layout from a backup, line by line.
    std::string original;
    ASSERT_TRUE(ReadWholeFile(layoutFile, original));
    std::string rewritten;
    size_t pos = 0;
    while (pos < original.size()) {
        size_t end = original.find('\n', pos);
        std::string line = original.substr(pos, end - pos + 1);
        pos = end + 1;
        if (line.find("xOffset") != std::string::npos) line = Format(" xOffset=%ld\n", 12000L);
        else if (line.find("yOffset") != std::string::npos) line = Format(" yOffset=%ld\n", 5000L);
        rewritten += line;
    }
    ASSERT_TRUE(WriteFileAtomic(layoutFile, rewritten));

    Layout layout;
    std::string error;
    ASSERT_TRUE(ReadLayout(layoutFile, layout, error)) << error;
    EXPECT_EQ(layout.xOffsetUm, 12000);
    EXPECT_EQ(layout.yOffsetUm, 5000);

    ReportJob job;
    Drawn drawn;
    job.SetNotificationCallback(FillDiagram, &drawn);
    DefineAll(job, true);
    job.SetExport("PDF", dir.File("o.pdf"), "");
    ASSERT_EQ(job.PrintStart(layoutFile, Destination::Export), kOk) << job.LastError();
    job.Print();
    ASSERT_EQ(job.PrintEnd(), kOk);
    ASSERT_EQ(drawn.rects.size(), 1u);
    // The left margin narrows the objects' span; its right edge stays where
    // it was. The top margin moves the frame down by 32 of its 50 tenths of
    // a millimetre (the table, the lowest object at 140 mm, stays); the
    // frame keeps its height.
    EXPECT_EQ(drawn.rects[0], (Rect{200 + 120, 650 + 32, 1900, 1450 + 32}));
}

TEST_F(ReportJobTest, LayoutErrorsAreReportedNotCrashed) {
    struct Case {
        const char* text;
        int status;
        const char* says;
    };
    const Case cases[] = {
        {"[Layout]\n[Text:A]\nRect=0,0,50,0\nText=<Unbekannt>\n", kErrUnknownName, "Unbekannt"},
        {"[Layout]\n[Text:A]\nRect=0,0,50,0\nVisible=PrNr\nText=x\n", kErrUnknownName, "nicht boolesch"},
        {"[Layout]\n[Text:A]\nRect=0,0,50,0\nVisible=Fehlt\nText=x\n", kErrUnknownName, "Fehlt"},
        {"[Layout]\n[Text:A]\nRect=0,0,50,0\nText=<X>\n", kErrUnknownName, "außerhalb der Tabelle"},
        {"[Layout]\n[Table:T]\nRect=0,0,50,0\nColumn=10|L|a|<Nix>\n", kErrUnknownName, "Nix"},
        {"[Layout]\n[Text:A]\nRect=0,0,50\n", kErrLayout, "Zeile 3"},
        {"garbage\x01\x02\n", kErrLayout, "Zeile 1"},
        {"", kErrLayout, "[Layout] fehlt"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteFileAtomic(layoutFile, c.text));
        ReportJob job;
        DefineAll(job, true);
        job.SetExport("PDF", dir.File("e.pdf"), "");
        EXPECT_EQ(job.PrintStart(layoutFile, Destination::Export), c.status) << c.text;
        EXPECT_NE(job.LastError().find(c.says), std::string::npos) << job.LastError();
        EXPECT_NE(job.LastError().find("Test.LST"), std::string::npos) << job.LastError();
        // Nothing prints after a failed start.
        EXPECT_EQ(job.Print(), kErrState);
        EXPECT_EQ(job.PrintFields(), kErrState);
        EXPECT_EQ(job.PrintEnd(), kErrState);
    }
    ReportJob job;
    EXPECT_EQ(job.PrintStart(dir.File("fehlt.LST"), Destination::Printer), kErrLayout);
    EXPECT_NE(job.LastError().find("fehlt.LST"), std::string::npos);
    EXPECT_EQ(job.PrintStart(dir.Path(), Destination::Printer), kErrLayout);
}

// A layout far beyond any real one is refused before it is read; just
// below the limit it still prints.
TEST_F(ReportJobTest, OversizedLayoutIsRefusedWithTheLayoutMessage) {
    std::string text = kLayout;
    const std::string comment = "; " + std::string(97, '-') + "\n";
    while (text.size() + comment.size() <= kLayoutFileLimit) text += comment;
    for (bool over : {false, true}) {
        if (over) text += comment;
        ASSERT_TRUE(WriteFileAtomic(layoutFile, text));
        ReportJob job;
        DefineAll(job, true);
        job.SetExport("PDF", dir.File("gross.pdf"), "");
        if (!over) {
            EXPECT_EQ(job.PrintStart(layoutFile, Destination::Export), kOk) << job.LastError();
            continue;
        }
        EXPECT_EQ(job.PrintStart(layoutFile, Destination::Export), kErrLayout);
        EXPECT_EQ(job.LastError().rfind("Druckvorlage " + layoutFile, 0), 0u) << job.LastError();
        EXPECT_NE(job.LastError().find("4 MB"), std::string::npos) << job.LastError();
        EXPECT_EQ(job.Print(), kErrState);
    }
}

// The page places every object as it always did, when each object walked
// the whole layout for the span and the lowest top.
Rect WalkedPageRect(const Layout& l, const Rect& r) {
    const long xOffset = l.xOffsetUm / 100, yOffset = l.yOffsetUm / 100;
    auto narrowed = [&](int length) {
        int span = 0;
        for (const auto& o : l.objects) span = std::max({span, o.rect.left, o.rect.right});
        if (l.table) {
            int right = l.table->rect.left;
            for (const auto& c : l.table->columns) right += c.width;
            span = std::max({span, l.table->rect.right, right});
        }
        if (xOffset <= 0 || span <= xOffset) return length;
        return int(std::lround(double(length) * double(span - xOffset) / span));
    };
    auto lowered = [&](int y) {
        int lowest = 0;
        for (const auto& o : l.objects) lowest = std::max(lowest, o.rect.top);
        if (l.table) lowest = std::max(lowest, l.table->rect.top);
        if (yOffset <= 0 || lowest <= yOffset) return y;
        return int(std::lround(double(y) * double(lowest - yOffset) / lowest));
    };
    const int x = l.left + int(l.xOffsetUm / 100), y = l.top + int(l.yOffsetUm / 100);
    const int top = y + lowered(r.top);
    return Rect{x + narrowed(r.left), top, x + narrowed(r.right), top + r.Height()};
}

std::string Corners(const Rect& r) { return Format("%d %d %d %d", r.left, r.top, r.right, r.bottom); }

std::string WithOffsets(std::string text, long x, long y) {
    for (const char* key : {"xOffset=", "yOffset="}) {
        size_t at = text.find(key);
        if (at == std::string::npos) {
            at = text.find("[Layout]\n") + 9;
            text.insert(at, std::string(key) + "0\n");
        }
        const size_t end = text.find('\n', at);
        text.replace(at, end - at, Format("%s%ld", key, key[0] == 'x' ? x : y));
    }
    return text;
}

TEST_F(ReportJobTest, PlacesEveryObjectExactlyAsTheWholeLayoutWalkDid) {
    std::vector<std::pair<std::string, std::string>> layouts;
    const char* src = std::getenv("VX_SOURCE_DIR");
    for (const char* name : {"Velmora.LST", "Tarsilo.LST", "Bestell.LST"}) {
        std::string text;
        ASSERT_TRUE(ReadWholeFile(JoinPath(JoinPath(src ? src : ".", "data"), name), text)) << name;
        layouts.emplace_back(name, text);
    }
    layouts.emplace_back("Viele.LST", testing::ManyObjectsLayout(3000));
    layouts.emplace_back("Test.LST", kLayout);
    size_t compared = 0;
    for (const auto& [name, text] : layouts)
        for (auto [x, y] : {std::pair{0L, 0L}, {3700L, 2900L}, {12345L, 67891L}, {-5000L, 100000L}, {99999L, 333L}}) {
            Layout l;
            std::string error;
            ASSERT_TRUE(ParseLayout(WithOffsets(text, x, y), name, l, error)) << error;
            ASSERT_EQ(l.xOffsetUm, x);
            const Placement place = l.Place();
            for (const auto& o : l.objects) {
                ASSERT_EQ(Corners(place.PageRect(o.rect)), Corners(WalkedPageRect(l, o.rect))) << name << " " << o.line;
                ++compared;
            }
            if (l.table) {
                EXPECT_EQ(Corners(place.PageRect(l.table->rect)), Corners(WalkedPageRect(l, l.table->rect))) << name;
                EXPECT_EQ(place.Narrowed(l.table->rect.left + 1234), l.Narrowed(l.table->rect.left + 1234)) << name;
            }
        }
    EXPECT_GT(compared, 15000u);

    // What the page draws: every line at the walked place, every rectangle
    // handed to the callback there.
    const std::string text = WithOffsets(testing::ManyObjectsLayout(3000), 4200, 7700);
    ASSERT_TRUE(WriteFileAtomic(layoutFile, text));
    Layout l;
    std::string error;
    ASSERT_TRUE(ParseLayout(text, "Viele.LST", l, error)) << error;
    ReportJob job;
    Drawn drawn;
    job.SetNotificationCallback(FillDiagram, &drawn);
    job.SetExport("PDF", dir.File("viele.pdf"), "");
    ASSERT_EQ(job.PrintStart(layoutFile, Destination::Export), kOk) << job.LastError();
    ASSERT_EQ(job.Print(), kOk);
    std::vector<std::string> lines, rects, walkedLines, walkedRects;
    for (const auto& d : job.Pages().pages[0].commands)
        if (d.op == DrawCommand::Op::Line) lines.push_back(Corners(Rect{d.points[0].x, d.points[0].y, d.points[1].x, d.points[1].y}));
    for (const Rect& r : drawn.rects) rects.push_back(Corners(r));
    for (const auto& o : l.objects)
        (o.kind == LayoutObject::Kind::Line ? walkedLines : walkedRects).push_back(Corners(WalkedPageRect(l, o.rect)));
    EXPECT_EQ(lines.size(), 1500u);
    EXPECT_EQ(lines, walkedLines);
    EXPECT_EQ(rects, walkedRects);
}

TEST_F(ReportJobTest, LayoutFileIsFoundWithoutRegardToCase) {
    ReportJob job;
    DefineAll(job, true);
    job.SetExport("PDF", dir.File("c.pdf"), "");
    EXPECT_EQ(job.PrintStart(dir.File("test.lst"), Destination::Export), kOk) << job.LastError();
}

TEST_F(ReportJobTest, ExportNeedsPdfAndAWritableFile) {
    ReportJob job;
    DefineAll(job, true);
    job.SetExport("RTF", "x.rtf", dir.Path());
    EXPECT_EQ(job.PrintStart(layoutFile, Destination::Export), kErrExport);
    EXPECT_NE(job.LastError().find("RTF"), std::string::npos);
    job.SetExport("PDF", "", "");
    EXPECT_EQ(job.PrintStart(layoutFile, Destination::Export), kErrExport);

    job.SetExport("PDF", "out.pdf", dir.File("gibt/es/nicht"));
    ASSERT_EQ(job.PrintStart(layoutFile, Destination::Export), kOk);
    job.Print();
    EXPECT_EQ(job.PrintEnd(), kErrExport);
    EXPECT_NE(job.LastError().find("out.pdf"), std::string::npos);
    // The job can start again after a failure.
    job.SetExport("PDF", "out.pdf", dir.Path());
    ASSERT_EQ(job.PrintStart(layoutFile, Destination::Export), kOk);
    EXPECT_EQ(job.PrintEnd(), kOk);  // no page printed: one page all the same
    EXPECT_EQ(job.CurrentPage(), 1);
    EXPECT_TRUE(FileExists(dir.File("out.pdf")));
}

TEST_F(ReportJobTest, WithoutDisplayPrinterAndPreviewFailCleanly) {
    ReportJob job;
    DefineAll(job, true);
    ASSERT_EQ(job.PrintStart(layoutFile, Destination::Printer), kOk);
    EXPECT_EQ(job.PrintStart(layoutFile, Destination::Printer), kErrState);
    EXPECT_EQ(job.PrintOptionsDialog("Projekt:  4711"), kOk);
    job.Print();
    EXPECT_EQ(job.PrintEnd(), kErrDevice);
    EXPECT_EQ(job.PreviewDisplay(), kErrDevice);
}

TEST_F(ReportJobTest, DesignerRequestSaysSoAndPreviews) {
    ScopedScriptedMessages messages;
    ReportJob job;
    DefineAll(job, true);
    EXPECT_EQ(job.DefineLayout(layoutFile), kOk);
    ASSERT_EQ(messages.service.shown.size(), 1u);
    EXPECT_NE(messages.service.shown[0].text.find("Vorschau"), std::string::npos);
    EXPECT_NE(messages.service.shown[0].text.find("Test.LST"), std::string::npos);
    ASSERT_EQ(job.PrintStart(layoutFile, Destination::Printer), kOk);
    EXPECT_EQ(job.GetDestination(), Destination::Preview);
    job.Print();
    // It shows the preview itself, which needs a display.
    EXPECT_EQ(job.PrintEnd(), kErrDevice);
    // Only for that one print.
    ASSERT_EQ(job.PrintStart(layoutFile, Destination::Printer), kOk);
    EXPECT_EQ(job.GetDestination(), Destination::Printer);
}

int CountHelp(int message, intptr_t parameter, void* user) {
    if (message != kNotifyHelp) return 0;
    *static_cast<intptr_t*>(user) = parameter;
    return 1;
}

TEST(ReportJobHelp, HelpGoesToTheCallbackWithContextAndCommand) {
    ReportJob job;
    EXPECT_EQ(job.RequestHelp(7), 0);
    intptr_t got = 0;
    job.SetNotificationCallback(CountHelp, &got);
    EXPECT_EQ(job.RequestHelp(kHelpContextOptions), 1);
    EXPECT_EQ(got & 0xFFFF, intptr_t(kHelpContextOptions));
    EXPECT_EQ(got >> 16, intptr_t(kHelpCommandContext));
}

TEST(PrinterFile, LiesBesideTheLayoutAndRoundTrips) {
    EXPECT_EQ(PrinterFileName("/d/Velmora.LST"), "/d/Velmora.LSP");
    EXPECT_EQ(PrinterFileName("/d/form.lst"), "/d/form.lsp");
    EXPECT_EQ(PrinterFileName("form"), "form.lsp");
    ScratchDir dir;
    std::string layout = dir.File("Velmora.LST");
    PrinterSettings s;
    EXPECT_FALSE(ReadPrinterFile(layout, s));
    EXPECT_EQ(s.printer, "");
    s.printer = "Büro Laser";
    s.landscape = true;
    s.copies = 3;
    s.paper = 9;
    s.file = "/tmp/druck.ps";
    ASSERT_TRUE(WritePrinterFile(layout, s));
    EXPECT_TRUE(FileExists(dir.File("Velmora.LSP")));
    PrinterSettings r;
    ASSERT_TRUE(ReadPrinterFile(layout, r));
    EXPECT_EQ(r.printer, "Büro Laser");
    EXPECT_TRUE(r.landscape);
    EXPECT_EQ(r.copies, 3);
    EXPECT_EQ(r.paper, 9);
    EXPECT_EQ(r.file, "/tmp/druck.ps");
    SetPrinterToDefault(layout);
    EXPECT_FALSE(FileExists(dir.File("Velmora.LSP")));
    EXPECT_FALSE(WritePrinterFile(dir.File("nicht/da/x.LST"), s));
}

} // namespace
} // namespace vx::report
