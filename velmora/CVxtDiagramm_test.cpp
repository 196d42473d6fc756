#include "velmora/CVxtDiagramm.h"

#include "platform/Archive.h"
#include "testsupport/platform/RecordingCanvas.h"
#include "testsupport/platform/TestProfile.h"
#include "testsupport/velmora/AxisTestSettings.h"
#include "velmora/CVxtFont.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

TEST(Diagram, DefaultLayoutWithoutProfileEntries) {
    CVxtDiagramm d;
    EXPECT_EQ(d.PlotRect(), (vx::Rect{125, 50, 775, 675}));
    EXPECT_EQ(d.LogicalRect(), (vx::Rect{0, 0, 800, 800}));
    EXPECT_EQ(d.XAxis().PlotRect(), d.PlotRect());
    EXPECT_EQ(d.YAxis().LogicalRect(), d.LogicalRect());
}

TEST(Diagram, MarginsFromTheProfile) {
    ScopedTestProfile profile("[Diagramm]\nBeschriftL=100\nBeschriftO=20\nBeschriftR=40\nBeschriftU=80\n"
                              "DiagX=1000\nDiagY=600\n");
    CVxtDiagramm d;
    EXPECT_EQ(d.PlotRect(), (vx::Rect{100, 20, 960, 520}));
    EXPECT_EQ(d.LogicalRect(), (vx::Rect{0, 0, 1000, 600}));
    d.SetX(LinearAxis(0, 10, 1));
    d.SetOutputRect({0, 0, 1000, 600});
    EXPECT_EQ(d.XAxis().ValueToPixel(0), 100);
    EXPECT_EQ(d.XAxis().ValueToPixel(10), 960);
}

TEST(Diagram, OutputRectSetsOffsetsAndPrintingThenPaintingUsesTheClient) {
    CVxtDiagramm d;
    d.SetY(LinearAxis(12, 20, 2));
    d.SetOutputRect({0, 0, 400, 400});
    EXPECT_EQ(d.YAxis().ValueToPixel(12), 400 - int(0.5 * 125));
    d.SetOutputRect({0, 0, 800, 800});
    EXPECT_EQ(d.YAxis().ValueToPixel(12), 675);
}

TEST(Diagram, DrawToDCUsesTheScaledCourierFontForBothAxes) {
    CVxtDiagramm d;
    AxisSettings x = LinearAxis(4, 30, 2);
    x.title = "X";
    d.SetX(x);
    d.SetY(LinearAxis(12, 20, 2));
    d.SetOutputRect({0, 0, 800, 800});
    RecordingCanvas c;
    c.ppi = {192, 192};
    d.DrawToDC(c);
    auto fonts = c.Of(CanvasCall::Font);
    ASSERT_FALSE(fonts.empty());
    EXPECT_EQ(fonts[0].font.face, "Courier New");
    EXPECT_EQ(fonts[0].font.pixelHeight, 27);  // 10 pt at 192 pixels per inch
    EXPECT_EQ(fonts[0].font.escapement, 0);
    EXPECT_NE(c.FindText("X"), nullptr);
    EXPECT_NE(c.FindText("30"), nullptr);
    EXPECT_NE(c.FindText("20"), nullptr);
}

TEST(Diagram, ArchiveHoldsBothAxesAndTheLayout) {
    ScopedTestProfile profile("[Diagramm]\nBeschriftL=110\nDiagX=900\n");
    CVxtDiagramm d;
    AxisSettings x = LinearAxis(4, 30, 2);
    x.title = "Höhe";
    d.SetX(x);
    d.SetY(LinearAxis(10, 50, 5));
    auto ar = vx::Archive::ForStoring();
    d.Serialize(ar);
    const auto& b = ar.Bytes();
    // The last eight ints: logical left, width, top, height, left, right, top, bottom.
    ASSERT_GE(b.size(), 32u);
    int32_t tail[8];
    std::memcpy(tail, b.data() + b.size() - 32, 32);
    const int32_t expect[8] = {0, 900, 0, 800, 110, 875, 50, 675};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(tail[i], expect[i]) << i;

    vx::Profile().UseFile("");
    CVxtDiagramm e;
    auto in = vx::Archive::ForLoading(b);
    e.Serialize(in);
    EXPECT_TRUE(in.AtEnd());
    EXPECT_EQ(e.PlotRect(), (vx::Rect{110, 50, 875, 675}));
    EXPECT_EQ(e.XAxis().PlotRect(), e.PlotRect());
    EXPECT_EQ(e.XAxis().Title(), "Höhe");
    EXPECT_EQ(e.YAxis().Maximum(), 50);
}

TEST(Font, PointSizeFollowsTheDevice) {
    RecordingCanvas screen, printer;
    printer.ppi = {600, 600};
    CVxtFont f;
    ASSERT_TRUE(f.CreateScaledFont(screen, "Courier New", 100));
    EXPECT_EQ(f.Height(), -13);
    EXPECT_EQ(f.Spec().pixelHeight, 13);
    EXPECT_EQ(f.CharSet(), 1);
    f.CreateScaledFont(printer, "Courier New", 100, 900, CVxtFont::Bold | CVxtFont::Underline);
    EXPECT_EQ(f.Height(), -83);
    EXPECT_EQ(f.Spec().escapement, 900);
    EXPECT_TRUE(f.Spec().bold);
    EXPECT_FALSE(f.Spec().italic);
    EXPECT_TRUE(f.Spec().underline);
    f.CreateScaledFont(screen, std::string(40, 'A'), 80);
    EXPECT_EQ(f.Spec().face.size(), 31u);
    EXPECT_EQ(f.Height(), -11);  // 106 tenths of a pixel, rounded
}

TEST(Font, RussianUsesTheCyrillicSet) {
    ScopedTestProfile profile("[Global]\nSprachKZ=RUS\n");
    RecordingCanvas c;
    CVxtFont f;
    f.CreateScaledFont(c, "Courier New", 100);
    EXPECT_EQ(f.CharSet(), 204);
}

} // namespace
