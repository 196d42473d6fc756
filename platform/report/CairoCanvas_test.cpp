#include "platform/report/CairoCanvas.h"

#include "testsupport/platform/FontCacheCleanup.h"
#include "testsupport/platform/ReportTestSupport.h"

#include <gtest/gtest.h>

namespace vx::report {
namespace {

// A white image with a canvas on it, one unit a pixel.
struct Image {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 200, 100);
    cairo_t* cr = cairo_create(surface);
    Image() {
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_paint(cr);
    }
    ~Image() {
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
    testing::Rgb At(int x, int y) {
        cairo_surface_flush(surface);
        const unsigned char* row = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
        uint32_t px = reinterpret_cast<const uint32_t*>(row)[x];
        return {int((px >> 16) & 0xFF), int((px >> 8) & 0xFF), int(px & 0xFF)};
    }
};

TEST(CairoCanvas, FillsOutlinesAndClips) {
    Image img;
    CairoCanvas c(img.cr, {96, 96});
    EXPECT_EQ(c.PixelsPerInch(), (Size{96, 96}));
    c.SetPen(Color{0, 0, 255}, 4);
    c.SetBrush(Color{255, 255, 0});
    const Point band[] = {{20, 20}, {180, 20}, {180, 80}, {20, 80}};
    c.DrawPolygon(band);
    testing::Rgb inside = img.At(100, 50), edge = img.At(20, 50), outside = img.At(5, 5);
    EXPECT_EQ(inside.r, 255);
    EXPECT_EQ(inside.b, 0);
    EXPECT_EQ(edge.b, 255);
    EXPECT_EQ(edge.r, 0);
    EXPECT_EQ(outside.g, 255);

    c.SetClipRect(Rect{0, 0, 100, 100});
    c.SetNoPen();
    c.SetBrush(kBlack);
    c.DrawRectangle(Rect{50, 85, 150, 95});
    c.ResetClip();
    EXPECT_EQ(img.At(75, 90).r, 0);
    EXPECT_EQ(img.At(125, 90).r, 255);

    // No brush: only the outline.
    c.SetPen(Color{255, 0, 0}, 2);
    c.SetNoBrush();
    c.DrawRectangle(Rect{120, 84, 190, 98});
    EXPECT_EQ(img.At(155, 91).g, 255);
    EXPECT_EQ(img.At(120, 91).g, 0);
    c.DrawLine({0, 99}, {199, 99});
    EXPECT_EQ(img.At(100, 99).g, 0);
}

TEST(CairoCanvas, MeasuresAndDrawsText) {
    MeasureCanvas m;
    EXPECT_EQ(m.PixelsPerInch(), (Size{254, 254}));
    m.SetFont(FontSpec{"Arial", 35});
    Size h = m.GetTextExtent("H=10.0");
    EXPECT_GT(h.width, 60);
    EXPECT_GE(h.height, 35);
    EXPECT_LT(h.height, 60);
    EXPECT_GT(m.GetTextExtent("H=10.0 Dh=20.0").width, h.width);
    EXPECT_EQ(m.GetTextExtent("").width, 0);
    FontSpec bold{"Arial", 35};
    bold.bold = true;
    m.SetFont(bold);
    EXPECT_GT(m.GetTextExtent("WWWWWW").width, 0);
    m.SetFont(FontSpec{"Arial", 70});
    EXPECT_GT(m.GetTextExtent("H=10.0").width, h.width * 3 / 2);

    Image img;
    CairoCanvas c(img.cr, {96, 96});
    c.SetFont(FontSpec{"DejaVu Sans", 30});
    c.SetTextColor(kBlack);
    c.SetTextBackground(Color{0, 255, 0});
    c.DrawText("Höhe", {10, 10});
    Size ext = c.GetTextExtent("Höhe");
    // The background fills the extent; the glyphs are dark somewhere in it.
    EXPECT_EQ(img.At(10 + ext.width - 1, 11).g, 255);
    EXPECT_EQ(img.At(10 + ext.width - 1, 11).r, 0);
    int dark = 0;
    for (int x = 10; x < 10 + ext.width; ++x)
        for (int y = 10; y < 10 + ext.height; ++y) dark += img.At(x, y).g < 100;
    EXPECT_GT(dark, 50);
    EXPECT_EQ(img.At(10 + ext.width + 5, 20).r, 255);  // nothing past the text
}

TEST(CairoCanvas, WritesSearchableTextIntoPdf) {
    testing::ScratchDir dir;
    ReportPages pages;
    pages.pageSize = {1000, 500};
    for (const char* text : {"Seite eins: Wärme", "Seite zwei"}) {
        pages.pages.emplace_back();
        MeasureCanvas m;
        RecordingCanvas r(pages.pages.back(), m);
        r.SetFont(FontSpec{"Arial", 40});
        r.SetTextColor(kBlack);
        r.DrawText(text, {100, 100});
        FontSpec turned{"Arial", 40};
        turned.escapement = 900;
        r.SetFont(turned);
        r.DrawText("quer", {50, 400});
    }
    std::string pdf = dir.File("zwei.pdf");
    std::string error;
    ASSERT_TRUE(WritePdf(pages, pdf, error)) << error;
    std::string data;
    ASSERT_TRUE(ReadWholeFile(pdf, data));
    EXPECT_EQ(data.substr(0, 5), "%PDF-");
    std::string text = testing::PdfText(pdf);
    EXPECT_NE(text.find("Seite eins: W\xC3\xA4rme"), std::string::npos) << text;
    EXPECT_NE(text.find("Seite zwei"), std::string::npos);
    EXPECT_EQ(testing::CountOf(text, "\f"), 2u);

    EXPECT_FALSE(WritePdf(pages, dir.File("kein/ordner.pdf"), error));
    EXPECT_NE(error.find("kein/ordner.pdf"), std::string::npos);
}

} // namespace
} // namespace vx::report
