#include "velmora/CVxtAchse.h"

#include "platform/Archive.h"
#include "platform/NumText.h"
#include "testsupport/platform/RecordingCanvas.h"
#include "testsupport/velmora/AxisTestSettings.h"
#include "velmora/CVxtDiagramm.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

namespace {

AxisSettings Log(double min, double max, double step, std::optional<std::vector<double>> grid) {
    AxisSettings s = LinearAxis(min, max, step);
    s.logarithmic = true;
    s.gridValues = std::move(grid);
    return s;
}

// The default diagram on an 800 x 800 client.
struct AxisTest : ::testing::Test {
    CVxtDiagramm diag;
    void SetUp() override { diag.SetOutputRect({0, 0, 800, 800}); }
};

TEST_F(AxisTest, LinearMappingOnTheDefaultPlot) {
    diag.SetX(LinearAxis(4, 30, 2));
    diag.SetY(LinearAxis(12, 20, 2));
    const auto& x = diag.XAxis();
    const auto& y = diag.YAxis();
    EXPECT_EQ(x.Length(), 650);
    EXPECT_EQ(y.Length(), 625);
    EXPECT_EQ(x.ValueToPixel(4), 125);
    EXPECT_EQ(x.ValueToPixel(30), 775);
    EXPECT_EQ(x.ValueToPixel(17), 450);
    EXPECT_EQ(y.ValueToPixel(12), 675);
    EXPECT_EQ(y.ValueToPixel(20), 50);
    EXPECT_EQ(y.ValueToPixel(14), 519);
    EXPECT_NEAR(y.PixelToValue(519), 14.0, 0.01);
    EXPECT_NEAR(x.PixelToValue(450), 17.0, 1e-9);
    EXPECT_NEAR(x.PixelToValue(125), 4.0, 1e-9);
}

TEST_F(AxisTest, ValuesOutsideTheRangeGoToTheEnds) {
    diag.SetX(LinearAxis(4, 30, 2));
    diag.SetY(LinearAxis(12, 20, 2));
    EXPECT_EQ(diag.XAxis().ValueToPixel(-100), 125);
    EXPECT_EQ(diag.XAxis().ValueToPixel(1e9), 775);
    EXPECT_EQ(diag.YAxis().ValueToPixel(0), 675);
    EXPECT_EQ(diag.YAxis().ValueToPixel(99), 50);
    EXPECT_EQ(diag.XAxis().ValueToPixel(std::nan("")), 125);
    EXPECT_EQ(diag.YAxis().ValueToPixel(HUGE_VAL), 50);
}

TEST_F(AxisTest, PrintRectangleScalesTheLogicalSpace) {
    diag.SetX(LinearAxis(4, 30, 2));
    diag.SetY(LinearAxis(12, 20, 2));
    diag.SetOutputRect({100, 200, 500, 600});  // half the logical size
    EXPECT_EQ(diag.XAxis().ValueToPixel(4), 100 + 62);
    EXPECT_EQ(diag.XAxis().ValueToPixel(30), 100 + 387);
    EXPECT_EQ(diag.YAxis().ValueToPixel(12), 600 - 62);
    EXPECT_EQ(diag.YAxis().ValueToPixel(20), 600 - 375);
}

TEST_F(AxisTest, LogarithmicMappingAndDecades) {
    diag.SetX(Log(0.1, 100, 1, std::vector<double>{5, 1, 2}));
    const auto& x = diag.XAxis();
    EXPECT_EQ(x.LowestDecade(), -1);
    EXPECT_EQ(x.HighestDecade(), 2);
    EXPECT_EQ(x.GridList(), (std::vector<double>{1, 2, 5}));
    EXPECT_EQ(x.BasePosition(1), 216);    // a third of 650
    EXPECT_EQ(x.BasePosition(10), 433);
    EXPECT_NEAR(x.BaseValue(650), 100, 1e-9);
    EXPECT_NEAR(x.PixelToValue(125), 0.1, 1e-12);
}

TEST(AxisGrid, TheFourCases) {
    CVxtDiagramm diag;
    // Logarithmic with grid values: the highest decade draws only its first value.
    diag.SetX(Log(0.1, 100, 1, std::vector<double>{1, 2, 5}));
    auto v = diag.XAxis().GridValues();
    ASSERT_EQ(v.size(), 10u);
    const double expect[] = {0.1, 0.2, 0.5, 1, 2, 5, 10, 20, 50, 100};
    for (size_t i = 0; i < v.size(); ++i) EXPECT_NEAR(v[i], expect[i], 1e-12) << i;

    // Logarithmic without grid values: 10^d, 10^d + 10^d * step, ... per decade.
    // (a list given earlier stays when none is given)
    CVxtDiagramm fresh;
    fresh.SetX(Log(2, 30, 4, std::nullopt));
    v = fresh.XAxis().GridValues();
    EXPECT_EQ(v, (std::vector<double>{5, 9, 10}));

    // Linear with grid values: each one, sorted.
    diag.SetX(LinearAxis(0, 10, 1));
    AxisSettings s = LinearAxis(0, 10, 1);
    s.gridValues = std::vector<double>{7, 1, 3};
    diag.SetX(s);
    EXPECT_EQ(diag.XAxis().GridValues(), (std::vector<double>{1, 3, 7}));

    // Linear: minimum, minimum + step, ... up to the maximum.
    CVxtDiagramm plain;
    plain.SetX(LinearAxis(4, 30, 2));
    v = plain.XAxis().GridValues();
    ASSERT_EQ(v.size(), 14u);
    EXPECT_EQ(v.front(), 4);
    EXPECT_EQ(v.back(), 30);

    // No grid drawn at all.
    s = LinearAxis(4, 30, 2);
    s.drawGrid = false;
    plain.SetX(s);
    EXPECT_TRUE(plain.XAxis().GridValues().empty());
}

TEST(AxisGrid, UnusableStepsEndTheLoop) {
    CVxtDiagramm diag;
    diag.SetX(LinearAxis(4, 30, 0));
    EXPECT_EQ(diag.XAxis().GridValues(), (std::vector<double>{4, 30}));
    diag.SetX(LinearAxis(4, 30, -2));
    EXPECT_EQ(diag.XAxis().GridValues().size(), 2u);
    diag.SetX(LinearAxis(0, 1e9, 1e-9));
    EXPECT_LE(diag.XAxis().GridValues().size(), 1000u);
    diag.SetX(Log(1, 1000, 0, std::nullopt));
    EXPECT_EQ(diag.XAxis().GridValues(), (std::vector<double>{1, 10, 100, 1000}));
}

TEST_F(AxisTest, DegenerateRangesMapToTheStart) {
    diag.SetY(LinearAxis(12, 12, 2));
    EXPECT_EQ(diag.YAxis().ValueToPixel(12), 675);
    EXPECT_EQ(diag.YAxis().PixelToValue(300), 12);
    diag.SetY(Log(0, 100, 1, std::nullopt));
    EXPECT_EQ(diag.YAxis().ValueToPixel(50), 675);
    EXPECT_TRUE(diag.YAxis().GridValues().empty());
}

TEST_F(AxisTest, XAxisDrawsLineGridTicksLabelsAndTitle) {
    diag.SetX(LinearAxis(4, 30, 2, "Wirksame Schornsteinhöhe [m]"));
    RecordingCanvas c;
    diag.XAxis().Draw(c);
    auto lines = c.Of(CanvasCall::Line);
    ASSERT_EQ(lines.size(), 1u + 2 * 14);
    EXPECT_EQ(lines[0].points, (std::vector<vx::Point>{{125, 675}, {775, 675}}));
    EXPECT_EQ(lines[0].color, vx::kBlack);
    EXPECT_EQ(lines[0].width, 1);
    EXPECT_EQ(lines[1].points, (std::vector<vx::Point>{{125, 675}, {125, 50}}));  // grid
    EXPECT_EQ(lines[2].points, (std::vector<vx::Point>{{125, 670}, {125, 680}}));  // tick
    // "4" is 8 wide and 14 high: centred under its line, half a line below the axis.
    const CanvasCall* four = c.FindText("4");
    ASSERT_NE(four, nullptr);
    EXPECT_EQ(four->points[0], (vx::Point{121, 682}));
    const CanvasCall* thirty = c.FindText("30");
    ASSERT_NE(thirty, nullptr);
    EXPECT_EQ(thirty->points[0], (vx::Point{767, 682}));
    // The title in the middle of the bottom margin, centred across the device.
    const CanvasCall* title = c.FindText("Wirksame Schornsteinhöhe [m]");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->points[0], (vx::Point{(800 - 28 * 8) / 2, 800 - 62 - 7}));
}

TEST_F(AxisTest, CrowdedLabelsAreThinnedToWhatFitsOnScreenAndOnPaper) {
    struct Target {
        vx::Rect rect;
        int charWidth, charHeight;
    };
    // A small window, and the print frame of 175 x 55 mm in tenths of a millimetre with 10-point text.
    const Target targets[] = {{{0, 0, 500, 400}, 8, 14}, {{0, 0, 1750, 550}, 20, 35}};
    for (const Target& t : targets) {
        diag.SetOutputRect(t.rect);
        diag.SetX(LinearAxis(1, 40, 0.5));  // a height step of 0,5 m
        diag.SetY(LinearAxis(10, 200, 5));    // 10 to 200 cm
        for (CVxtAchse* axis : {static_cast<CVxtAchse*>(&diag.XAxis()), static_cast<CVxtAchse*>(&diag.YAxis())}) {
            SCOPED_TRACE(axis->IsHorizontal() ? "X" : "Y");
            RecordingCanvas c;
            c.charWidth = t.charWidth;
            c.charHeight = t.charHeight;
            axis->Draw(c);
            const auto texts = c.Of(CanvasCall::Text);
            ASSERT_GE(texts.size(), 4u);  // still labelled along the whole axis
            // Round values: whole metres, whole tens of centimetres at least.
            for (const CanvasCall& label : texts)
                EXPECT_EQ(std::fmod(vx::ParseDouble(label.text), axis->IsHorizontal() ? 1.0 : 10.0), 0.0) << label.text;
            for (size_t i = 0; i < texts.size(); ++i)
                for (size_t j = i + 1; j < texts.size(); ++j) {
                    const vx::Point a = texts[i].points[0], b = texts[j].points[0];
                    const int aw = int(texts[i].text.size()) * t.charWidth, bw = int(texts[j].text.size()) * t.charWidth;
                    const bool overlap = a.x < b.x + bw && b.x < a.x + aw && a.y < b.y + t.charHeight &&
                                         b.y < a.y + t.charHeight;
                    EXPECT_FALSE(overlap) << texts[i].text << " / " << texts[j].text;
                }
            // The grid lines stay apart: no band.
            std::vector<int> at;
            const auto lines = c.Of(CanvasCall::Line);
            for (size_t i = 1; i < lines.size(); i += 2)
                at.push_back(axis->IsHorizontal() ? lines[i].points[0].x : lines[i].points[0].y);
            EXPECT_EQ(at.size(), texts.size());
            for (size_t i = 1; i < at.size(); ++i) EXPECT_GE(std::abs(at[i] - at[i - 1]), 4);
        }
    }
}

TEST_F(AxisTest, InAFlatAreaTheXTitleStandsBelowTheLabels) {
    // A print area three times as wide as high: the middle of the bottom margin lies among the labels.
    diag.SetOutputRect({0, 0, 1500, 500});
    diag.SetX(LinearAxis(4, 30, 2, "Wirksame Schornsteinhöhe [m]"));
    RecordingCanvas c;
    diag.XAxis().Draw(c);
    const CanvasCall* label = c.FindText("16");
    const CanvasCall* title = c.FindText("Wirksame Schornsteinhöhe [m]");
    ASSERT_NE(label, nullptr);
    ASSERT_NE(title, nullptr);
    EXPECT_GE(title->points[0].y, label->points[0].y + c.charHeight);
    // Still inside the area.
    EXPECT_LE(title->points[0].y + c.charHeight, 500);
}

TEST_F(AxisTest, YAxisLabelsEndLeftOfTheAxisAndTheTitleIsTurned) {
    diag.SetY(LinearAxis(12, 20, 2, "Durchmesser [cm]"));
    RecordingCanvas c;
    diag.YAxis().Draw(c);
    auto lines = c.Of(CanvasCall::Line);
    ASSERT_EQ(lines.size(), 1u + 2 * 5);
    EXPECT_EQ(lines[0].points, (std::vector<vx::Point>{{125, 675}, {125, 50}}));
    EXPECT_EQ(lines[1].points, (std::vector<vx::Point>{{125, 675}, {775, 675}}));
    EXPECT_EQ(lines[2].points, (std::vector<vx::Point>{{120, 675}, {130, 675}}));
    const CanvasCall* label = c.FindText("14");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->points[0], (vx::Point{125 - 5 - 16, 519 - 7}));
    const CanvasCall* title = c.FindText("Durchmesser [cm]");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->font.face, "Courier New");
    EXPECT_EQ(title->font.escapement, 900);
    EXPECT_EQ(title->font.pixelHeight, 13);  // 10 pt at 96 pixels per inch
    EXPECT_EQ(title->points[0], (vx::Point{0, 400 + 16 * 8 / 2}));

    RecordingCanvas meta;
    meta.metafile = true;
    diag.YAxis().Draw(meta);
    EXPECT_EQ(meta.FindText("Durchmesser [cm]")->font.escapement, 2700);
}

TEST_F(AxisTest, LabelsHaveTheDecimalsTheyNeed) {
    AxisSettings s = LinearAxis(0, 5, 2.5);
    diag.SetX(s);
    RecordingCanvas c;
    diag.XAxis().Draw(c);
    EXPECT_NE(c.FindText("0"), nullptr);
    EXPECT_NE(c.FindText("2.5"), nullptr);
    EXPECT_NE(c.FindText("5"), nullptr);

    s = LinearAxis(0.126, 0.127, 1);
    s.labelWidth = 6;
    s.labelDecimals = 2;
    diag.SetX(s);
    RecordingCanvas d;
    diag.XAxis().Draw(d);
    EXPECT_NE(d.FindText("  0.13"), nullptr);
}

TEST(AxisArchive, LayoutAndRoundTrip) {
    CVxt_X_Achse x;
    AxisSettings s = Log(0.1, 100, 1, std::vector<double>{5, 1, 2});
    s.title = "Höhe";
    s.labelWidth = 4;
    s.labelDecimals = 1;
    s.secondFlag = false;
    x.Apply(s, 120);
    x.SetPlotRect({1, 2, 3, 4});
    auto ar = vx::Archive::ForStoring();
    x.Serialize(ar);
    const auto& b = ar.Bytes();
    // 4 + 3*8 + 2*4 + (1 + 4) + 5*4 + 4 + 3*8
    ASSERT_EQ(b.size(), 4u + 24 + 8 + 5 + 20 + 4 + 24);
    EXPECT_EQ(b[0], 1);  // logarithmic
    EXPECT_EQ(b[36], 4);  // title length
    EXPECT_EQ(b[41], 1);  // horizontal
    EXPECT_EQ(b[49], 0);  // second flag
    EXPECT_EQ(b[61], 3);  // grid count

    auto in = vx::Archive::ForLoading(b);
    CVxt_Y_Achse y;
    AxisSettings old = LinearAxis(0, 1, 1);
    old.gridValues = std::vector<double>{9, 8};
    y.Apply(old, 100);
    y.Serialize(in);
    EXPECT_TRUE(in.AtEnd());
    EXPECT_TRUE(y.IsLogarithmic());
    EXPECT_EQ(y.Minimum(), 0.1);
    EXPECT_EQ(y.Maximum(), 100);
    EXPECT_EQ(y.GridList(), (std::vector<double>{1, 2, 5}));
    EXPECT_EQ(y.Title(), "Höhe");
    EXPECT_EQ(y.LowestDecade(), -1);
    EXPECT_EQ(y.HighestDecade(), 2);
    EXPECT_TRUE(y.IsHorizontal());
    EXPECT_FALSE(y.SecondFlag());
    EXPECT_EQ(y.LabelWidth(), 4);
    EXPECT_EQ(y.LabelDecimals(), 1);
    EXPECT_EQ(y.PlotRect(), vx::Rect{});  // rectangles come from the diagram
}

TEST(AxisArchive, CorruptGridCountIsRefused) {
    CVxt_X_Achse x;
    x.Apply(LinearAxis(4, 30, 2), 100);
    auto ar = vx::Archive::ForStoring();
    x.Serialize(ar);
    for (int32_t bad : {-1, 1000000}) {
        std::vector<uint8_t> bytes = ar.Bytes();
        ASSERT_GE(bytes.size(), 4u);
        std::memcpy(&bytes[bytes.size() - 4], &bad, sizeof bad);
        auto in = vx::Archive::ForLoading(bytes);
        CVxt_X_Achse y;
        EXPECT_THROW(y.Serialize(in), vx::ArchiveError) << bad;
    }
    auto cut = ar.Bytes();
    cut.resize(cut.size() - 6);
    auto in = vx::Archive::ForLoading(cut);
    CVxt_X_Achse y;
    EXPECT_THROW(y.Serialize(in), vx::ArchiveEndOfFile);
}

} // namespace
