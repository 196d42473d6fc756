#include "platform/wx/WxCanvas.h"

#include <gtest/gtest.h>
#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/image.h>

namespace vx {
namespace {

// A white bitmap to draw on through a WxCanvas, read back as an image.
struct WhiteBitmap {
    WhiteBitmap(int width, int height) : bmp(width, height, 24), dc(bmp) {
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
    }
    wxImage Finish() {
        dc.SelectObject(wxNullBitmap);
        return bmp.ConvertToImage();
    }
    wxBitmap bmp;
    wxMemoryDC dc;
    WxCanvas canvas{dc};
};

TEST(WxCanvas, FillsOutlinesAndMeasures) {
    WhiteBitmap page(200, 100);
    WxCanvas& c = page.canvas;
    c.SetPen(Color{0, 0, 255}, 3);
    c.SetBrush(Color{255, 255, 0});
    const Point band[] = {{20, 20}, {180, 20}, {180, 80}, {20, 80}};
    c.DrawPolygon(band);
    c.SetFont(FontSpec{"Courier New", 14});
    Size ext = c.GetTextExtent("H=10.0");
    EXPECT_GT(ext.width, 20);
    EXPECT_GT(ext.height, 8);
    EXPECT_GT(c.GetTextExtent("H=10.0 Dh=20.0").width, ext.width);

    const wxImage img = page.Finish();
    EXPECT_EQ(img.GetRed(100, 50), 255);  // inside: yellow
    EXPECT_EQ(img.GetGreen(100, 50), 255);
    EXPECT_EQ(img.GetBlue(100, 50), 0);
    EXPECT_EQ(img.GetBlue(20, 50), 255);  // outline: blue
    EXPECT_EQ(img.GetRed(20, 50), 0);
    EXPECT_EQ(img.GetRed(5, 5), 255);  // outside: white
    EXPECT_EQ(img.GetBlue(5, 5), 255);
}

TEST(WxCanvas, ClipsDrawing) {
    WhiteBitmap page(100, 100);
    WxCanvas& c = page.canvas;
    c.SetClipRect(Rect{0, 0, 50, 100});
    c.SetNoPen();
    c.SetBrush(kBlack);
    c.DrawRectangle(Rect{0, 0, 100, 100});
    c.ResetClip();
    const wxImage img = page.Finish();
    EXPECT_EQ(img.GetRed(25, 50), 0);
    EXPECT_EQ(img.GetRed(75, 50), 255);
}

} // namespace
} // namespace vx
