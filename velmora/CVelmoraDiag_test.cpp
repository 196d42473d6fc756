#include "velmora/CVelmoraDiag.h"

#include "testsupport/platform/RecordingCanvas.h"
#include "testsupport/velmora/AxisTestSettings.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

// The window side, recorded.
struct FakeWindow : DiagramWindowPeer {
    vx::Size client{800, 800};
    int redraws = 0;
    bool shown = true;
    bool tipShown = false;
    double tipHeight = 0, tipSize = 0;
    int tipShape = -1;
    vx::Point tipAnchor;
    std::vector<int> commands;

    vx::Size ClientSize() const override { return client; }
    void Redraw() override { ++redraws; }
    void ShowWindow(bool show) override { shown = show; }
    bool IsShown() const override { return shown; }
    void SetFocus() override {}
    void ShowTip(double h, double s, int shape, vx::Point anchor) override {
        tipShown = true;
        tipHeight = h;
        tipSize = s;
        tipShape = shape;
        tipAnchor = anchor;
    }
    void HideTip() override { tipShown = false; }
    void PostCommandToParent(int id) override { commands.push_back(id); }
    void DestroyWindow() override {}
};

// The band of the examples: sizes 14-20, 13-18 and 12-16 at 4, 6 and 8 m.
struct BandTest : ::testing::Test {
    CVelmoraDiag diag;
    FakeWindow window;
    void SetUp() override {
        diag.SetX(LinearAxis(4, 30, 2));
        diag.SetY(LinearAxis(10, 50, 5));
        diag.SetPoints({{4, 20, 14}, {6, 18, 13}, {8, 16, 12}});
        diag.AttachWindow(&window);
        diag.SetClientOutputRect();
    }
    void TearDown() override { diag.DetachWindow(); }
};

TEST_F(BandTest, SizeAxisFromTheBand) {
    diag.BuildBandPolygon();
    EXPECT_EQ(diag.YAxis().Minimum(), 12);
    EXPECT_EQ(diag.YAxis().Maximum(), 20);
    EXPECT_EQ(diag.YAxis().Step(), 2);
    // Smallest sizes upward in height, then largest sizes back down.
    const auto& poly = diag.BandPolygon();
    ASSERT_EQ(poly.size(), 6u);
    EXPECT_EQ(poly[0], (vx::Point{125, 519}));
    EXPECT_EQ(poly[2], (vx::Point{225, 675}));
    EXPECT_EQ(poly[3], (vx::Point{225, 363}));
    EXPECT_EQ(poly[5], (vx::Point{125, 50}));
}

TEST_F(BandTest, WideBandsGetStepFive) {
    diag.SetPoints({{4, 50, 13}, {6, 40, 20}});
    diag.BuildBandPolygon();
    EXPECT_EQ(diag.YAxis().Step(), 5);
    EXPECT_EQ(diag.YAxis().Minimum(), 10);
    EXPECT_EQ(diag.YAxis().Maximum(), 50);
    diag.SetPoints({{4, 47, 17}});
    diag.BuildBandPolygon();
    EXPECT_EQ(diag.YAxis().Minimum(), 15);
    EXPECT_EQ(diag.YAxis().Maximum(), 50);
}

TEST_F(BandTest, OddTopsAndBottomsAndASingleSize) {
    diag.SetPoints({{4, 17, 15}, {6, -1, 15}});
    diag.BuildBandPolygon();
    EXPECT_EQ(diag.YAxis().Minimum(), 14);
    EXPECT_EQ(diag.YAxis().Maximum(), 18);
    // A height with only one size: the band's top there is that size.
    EXPECT_EQ(diag.BandPolygon()[2].y, diag.YAxis().ValueToPixel(15));
    diag.SetPoints({});
    diag.BuildBandPolygon();
    EXPECT_TRUE(diag.BandPolygon().empty());
}

TEST_F(BandTest, CeilingReplacesTheTopAndNeverReachesTheBottom) {
    diag.SetSizeCeiling(30);
    diag.BuildBandPolygon();
    EXPECT_EQ(diag.YAxis().Maximum(), 30);
    diag.SetSizeCeiling(-1);
    diag.BuildBandPolygon();
    EXPECT_EQ(diag.YAxis().Maximum(), 20);

    EXPECT_EQ(diag.StepSizeCeiling(true), 22);
    EXPECT_EQ(window.redraws, 1);
    diag.BuildBandPolygon();
    EXPECT_EQ(diag.YAxis().Maximum(), 22);
    // "-" pressed again and again: the axis keeps a range.
    for (int i = 0; i < 20; ++i) {
        diag.StepSizeCeiling(false);
        diag.BuildBandPolygon();
        ASSERT_GT(diag.YAxis().Maximum(), diag.YAxis().Minimum()) << i;
    }
    EXPECT_EQ(diag.YAxis().Maximum(), 14);
    EXPECT_EQ(diag.YAxis().ValueToPixel(13), 363);
    EXPECT_FALSE(std::isnan(diag.YAxis().PixelToValue(300)));
    // A ceiling set below the bottom directly is held off as well.
    diag.SetSizeCeiling(5);
    diag.BuildBandPolygon();
    EXPECT_EQ(diag.YAxis().Maximum(), 14);
}

TEST_F(BandTest, InsideTheBand) {
    // At a point's height: exactly its own limits.
    EXPECT_EQ(diag.IsInsideBand(6, 13), 13);
    EXPECT_EQ(diag.IsInsideBand(6, 18), 18);
    EXPECT_EQ(diag.IsInsideBand(6, 18.1), 0);
    EXPECT_EQ(diag.IsInsideBand(6, 12.9), 0);
    // Between points: interpolated, 19 ... 13.5 at 5 m.
    EXPECT_EQ(diag.IsInsideBand(5, 19), 19);
    EXPECT_EQ(diag.IsInsideBand(5, 19.1), 0);
    EXPECT_EQ(diag.IsInsideBand(5, 13.5), 13.5);
    EXPECT_EQ(diag.IsInsideBand(5, 13.4), 0);
    // The last point itself.
    EXPECT_EQ(diag.IsInsideBand(8, 14), 14);
    // The size comes up to the table's next size.
    diag.SetCrossSectionLookup([](double s) { return std::ceil(s / 2) * 2; });
    EXPECT_EQ(diag.IsInsideBand(5, 15), 16);
}

TEST_F(BandTest, OutsideTheComputedHeightsIsOutsideTheBand) {
    EXPECT_EQ(diag.IsInsideBand(3.9, 15), 0);
    EXPECT_EQ(diag.IsInsideBand(8.1, 14), 0);
    EXPECT_EQ(diag.IsInsideBand(30, 0.5), 0);  // no interpolation toward 0
    EXPECT_EQ(diag.IsInsideBand(20, 5), 0);
    diag.SetPoints({});
    EXPECT_EQ(diag.IsInsideBand(5, 15), 0);
}

TEST_F(BandTest, MissingLargestSizesTakeTheNeighbours) {
    diag.SetPoints({{4, -1, 14}, {6, 18, 13}});
    EXPECT_EQ(diag.IsInsideBand(5, 17.9), 17.9);
    EXPECT_EQ(diag.IsInsideBand(5, 18.1), 0);
}

TEST_F(BandTest, MouseInsideShowsTheTipOutsideHidesIt) {
    diag.BuildBandPolygon();
    const int x = diag.XAxis().ValueToPixel(5);
    const int y = diag.YAxis().ValueToPixel(16);
    diag.OnLButtonDown({x, y});
    EXPECT_TRUE(diag.HasCrosshair());
    EXPECT_EQ(diag.CrosshairPoint(), (vx::Point{x, y}));
    EXPECT_NEAR(diag.CursorHeight(), 5, 1e-9);
    EXPECT_DOUBLE_EQ(diag.CursorSize(), 16);
    EXPECT_TRUE(window.tipShown);
    EXPECT_EQ(window.tipAnchor, (vx::Point{x, y}));
    EXPECT_DOUBLE_EQ(window.tipSize, 16);
    EXPECT_EQ(window.tipShape, 0);
    EXPECT_GE(window.redraws, 1);

    diag.OnMouseMove({diag.XAxis().ValueToPixel(20), y});
    EXPECT_FALSE(window.tipShown);
    EXPECT_EQ(diag.CursorSize(), 0);
}

TEST_F(BandTest, KeysMoveTheCursor) {
    diag.BuildBandPolygon();
    diag.SetCursor(5, 14.96);
    EXPECT_TRUE(diag.OnKeyDown(DiagramKey::Up));
    EXPECT_DOUBLE_EQ(diag.CursorSize(), 15.1);
    EXPECT_TRUE(window.tipShown);
    EXPECT_TRUE(diag.OnKeyDown(DiagramKey::Down));
    EXPECT_DOUBLE_EQ(diag.CursorSize(), 15.0);
    EXPECT_TRUE(diag.OnKeyDown(DiagramKey::Right));
    EXPECT_NEAR(diag.CursorHeight(), 5.1, 1e-12);
    EXPECT_TRUE(diag.OnKeyDown(DiagramKey::Left));
    EXPECT_TRUE(diag.OnKeyDown(DiagramKey::Left));
    EXPECT_NEAR(diag.CursorHeight(), 4.9, 1e-12);
    // The crosshair sits where the values are.
    EXPECT_EQ(diag.CrosshairPoint(),
              (vx::Point{diag.XAxis().ValueToPixel(4.9), diag.YAxis().ValueToPixel(15.0)}));
    // Walking off the band hides the tip.
    for (int i = 0; i < 10; ++i) diag.OnKeyDown(DiagramKey::Left);
    EXPECT_FALSE(window.tipShown);
    EXPECT_EQ(diag.CursorSize(), 0);

    EXPECT_FALSE(diag.OnKeyDown(DiagramKey::Add));
    EXPECT_FALSE(diag.OnKeyDown(DiagramKey::Subtract));
    EXPECT_FALSE(diag.OnKeyDown(DiagramKey::Other));
    EXPECT_EQ(window.commands, (std::vector<int>{1012, 1013}));

    // Sizes beyond any table neither crash the rounding nor the mapping.
    diag.SetCursor(5, 1e300);
    EXPECT_TRUE(diag.OnKeyDown(DiagramKey::Up));
    EXPECT_EQ(diag.CursorSize(), 0);
}

TEST_F(BandTest, UserMovesInsideTheBandAreToldOthersNot) {
    std::vector<std::pair<double, double>> told;
    diag.SetCursorMovedHandler([&](double h, double s) { told.push_back({h, s}); });
    diag.BuildBandPolygon();
    diag.OnLButtonDown({diag.XAxis().ValueToPixel(5), diag.YAxis().ValueToPixel(16)});
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NEAR(told[0].first, 5, 1e-9);
    EXPECT_DOUBLE_EQ(told[0].second, 16);
    diag.OnKeyDown(DiagramKey::Up);
    ASSERT_EQ(told.size(), 2u);
    EXPECT_DOUBLE_EQ(told[1].second, 16.1);
    EXPECT_EQ(told[1].first, diag.CursorHeight());
    // Off the band there is no point to keep; "+" and the repaint are no moves.
    diag.OnMouseMove({diag.XAxis().ValueToPixel(20), diag.YAxis().ValueToPixel(16)});
    diag.OnKeyDown(DiagramKey::Add);
    diag.SetCursor(6, 15);
    diag.ShowCursor();
    EXPECT_EQ(told.size(), 2u);
}

TEST_F(BandTest, ScreenPaintFillsWhiteDrawsBandAxesAndCrosshair) {
    RecordingCanvas c;
    diag.OnPaint(c);
    ASSERT_GE(c.calls.size(), 3u);
    auto rects = c.Of(CanvasCall::Rectangle);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0].rect, (vx::Rect{0, 0, 800, 800}));
    EXPECT_EQ(rects[0].fill, vx::kWhite);
    auto polys = c.Of(CanvasCall::Polygon);
    ASSERT_EQ(polys.size(), 1u);
    EXPECT_EQ(polys[0].color, (vx::Color{0, 0, 255}));
    EXPECT_EQ(polys[0].width, 3);
    EXPECT_EQ(polys[0].fill, (vx::Color{255, 255, 0}));
    EXPECT_EQ(polys[0].points.size(), 6u);
    // No crosshair yet and no chosen size: the tip stays hidden, nothing wide and black.
    for (const auto& l : c.Of(CanvasCall::Line)) EXPECT_EQ(l.width, 1);

    // A chosen point inside the band: the paint places the crosshair there.
    diag.SetCursor(6, 16);
    RecordingCanvas d;
    diag.OnPaint(d);
    EXPECT_TRUE(diag.HasCrosshair());
    EXPECT_TRUE(window.tipShown);
    auto lines = d.Of(CanvasCall::Line);
    ASSERT_GE(lines.size(), 2u);
    const auto& v = lines[lines.size() - 2];
    const auto& h = lines.back();
    EXPECT_EQ(v.width, 3);
    EXPECT_EQ(v.color, vx::kBlack);
    EXPECT_EQ(v.points, (std::vector<vx::Point>{{175, 675}, {175, 50}}));
    EXPECT_EQ(h.points, (std::vector<vx::Point>{{125, 363}, {775, 363}}));

    // A smaller window: the band follows the client area.
    window.client = {400, 400};
    RecordingCanvas e;
    diag.OnPaint(e);
    EXPECT_EQ(e.Of(CanvasCall::Polygon)[0].points[0], (vx::Point{62, 400 - int(0.5 * (156 + 125))}));
}

TEST_F(BandTest, PrintDrawsTheCursorMarkingAndKeepsTheScreenRects) {
    diag.SetCursor(6, 16);
    RecordingCanvas c;
    diag.DrawBandAndAxes(c, vx::Rect{1000, 1000, 1800, 1800});
    EXPECT_EQ(diag.XAxis().DeviceRect(), (vx::Rect{0, 0, 800, 800}));
    EXPECT_EQ(c.Of(CanvasCall::Rectangle).size(), 0u);  // no white fill on paper
    EXPECT_EQ(c.Of(CanvasCall::Polygon)[0].points[0], (vx::Point{1125, 1519}));
    const CanvasCall* label = c.FindText("H=6.0 Dh=16.0");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->points[0], (vx::Point{1175, 1363}));
    EXPECT_EQ(label->font.face, "Courier New");
    EXPECT_FALSE(window.tipShown);  // the page has no tip

    // Near the right edge the text goes to the left of the cursor.
    diag.SetCursor(29, 16);
    diag.SetShape(1);
    RecordingCanvas d;
    diag.DrawBandAndAxes(d, vx::Rect{0, 0, 800, 800});
    const CanvasCall* left = d.FindText("H=29.0 Lw=16.0");
    ASSERT_NE(left, nullptr);
    EXPECT_LT(left->points[0].x, diag.XAxis().ValueToPixel(29) - 13 * 8 + 1);

    // No chosen size: no marking.
    diag.SetCursor(29, 0);
    RecordingCanvas e;
    diag.DrawBandAndAxes(e, vx::Rect{0, 0, 800, 800});
    EXPECT_EQ(e.FindText("H=29.0 Lw=0.0"), nullptr);
    for (const auto& l : e.Of(CanvasCall::Line)) EXPECT_EQ(l.width, 1);
}

TEST_F(BandTest, PrintFontsShrinkWithAFlatRectangle) {
    diag.SetCursor(10, 16);
    // Fonts of every text drawn into a page rectangle of layout units (254 per inch).
    auto fontsFor = [&](vx::Rect page) {
        RecordingCanvas c;
        c.ppi = {254, 254};
        diag.DrawBandAndAxes(c, page);
        std::vector<int> heights;
        for (const auto& t : c.Of(CanvasCall::Text)) heights.push_back(t.font.pixelHeight);
        return heights;
    };
    // A square page area keeps the diagram's 10 pt: 35 units.
    for (int h : fontsFor({0, 0, 1750, 1750})) EXPECT_EQ(h, 35);
    // 55 mm high: the bottom margin of 86 units holds labels and title, one under the other.
    const std::vector<int> flat = fontsFor({0, 0, 1750, 550});
    ASSERT_FALSE(flat.empty());
    for (int h : flat) {
        EXPECT_LT(h, 35);
        EXPECT_LE(h * 11 * 800, 550 * 125 * 4);
    }
    // The screen's font is left as it was.
    EXPECT_EQ(diag.XAxis().TitleFontSize(), 100);
    EXPECT_EQ(diag.FontSize(), 100);
}

// A screen canvas that inverts: the crosshair goes there instead of black lines.
struct InvertingRecorder : RecordingCanvas, InvertingCanvas {
    std::vector<std::pair<vx::Point, vx::Point>> inverted;
    std::vector<int> widths;
    void InvertLine(vx::Point a, vx::Point b, int width) override {
        inverted.push_back({a, b});
        widths.push_back(width);
    }
};

TEST_F(BandTest, CrosshairInvertsWhereTheCanvasCan) {
    diag.TrackPoint(200, 300, true);
    InvertingRecorder c;
    diag.OnPaint(c);
    ASSERT_EQ(c.inverted.size(), 2u);
    EXPECT_EQ(c.inverted[0], (std::pair<vx::Point, vx::Point>{{200, 675}, {200, 50}}));
    EXPECT_EQ(c.inverted[1], (std::pair<vx::Point, vx::Point>{{125, 300}, {775, 300}}));
    EXPECT_EQ(c.widths, (std::vector<int>{3, 3}));
    for (const auto& l : c.Of(CanvasCall::Line)) EXPECT_EQ(l.width, 1);
}

TEST_F(BandTest, HidingTheWindowHidesTheTip) {
    window.tipShown = true;
    diag.OnShowWindow(false);
    EXPECT_FALSE(window.tipShown);
}

TEST(ValueTip, TextAndPlace) {
    EXPECT_EQ(FormatCursorValues(10, 15.1, 0), "H=10.0 Dh=15.1");
    EXPECT_EQ(FormatCursorValues(4.26, 20, 2), "H=4.3 Lw=20.0");
    EXPECT_EQ(PlaceValueTip({100, 14}, {300, 200}, 800), (vx::Rect{305, 181, 405, 195}));
    // Near the right edge: left of the anchor.
    EXPECT_EQ(PlaceValueTip({100, 14}, {750, 200}, 800), (vx::Rect{645, 181, 745, 195}));
    EXPECT_EQ(PlaceValueTip({100, 14}, {695, 200}, 800), (vx::Rect{700, 181, 800, 195}));
}

TEST(DiagramWithoutWindow, WorksWithoutAWindow) {
    CVelmoraDiag d;
    d.SetPoints({{4, 20, 14}, {6, 18, 13}});
    d.SetOutputRect({0, 0, 800, 800});
    d.TrackPoint(200, 400, true);
    d.OnKeyDown(DiagramKey::Add);
    d.Show(true);
    EXPECT_FALSE(d.IsShown());
    RecordingCanvas c;
    d.OnPaint(c);
    EXPECT_EQ(c.Of(CanvasCall::Polygon).size(), 1u);
}

} // namespace
