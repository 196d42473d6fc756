// The drawing interface on cairo: PDF export and text measurement without a
// display. Text goes out as real text (UTF-8 to cairo), fonts by family name.
#pragma once

#include "platform/Canvas.h"
#include "platform/report/ReportPage.h"

#include <cairo.h>
#include <string>

namespace vx::report {

class CairoCanvas : public Canvas {
public:
    // Draws in the current user units of cr; ppi tells callers their size.
    CairoCanvas(cairo_t* cr, Size ppi);

    void SetPen(Color color, int width) override;
    void SetNoPen() override;
    void SetBrush(Color color) override;
    void SetNoBrush() override;
    void SetFont(const FontSpec& font) override;
    void SetTextColor(Color color) override;
    void SetTextBackground(std::optional<Color> color) override;
    void DrawLine(Point a, Point b) override;
    void DrawLines(std::span<const Point> points) override;
    void DrawPolygon(std::span<const Point> points) override;
    void DrawRectangle(const Rect& r) override;
    void DrawText(std::string_view text, Point topLeft) override;
    Size GetTextExtent(std::string_view text) override;
    void SetClipRect(const Rect& r) override;
    void ResetClip() override;
    Size PixelsPerInch() const override { return ppi_; }

private:
    void Stroke();
    void Fill(bool preserve);

    cairo_t* cr_;
    Size ppi_;
    std::optional<Color> pen_ = kBlack;
    int penWidth_ = 1;
    std::optional<Color> brush_ = kWhite;
    Color text_ = kBlack;
    std::optional<Color> textBackground_;
    FontSpec font_;
};

// Measures text in layout units (254 per inch) without any device.
class MeasureCanvas : public CairoCanvas {
public:
    MeasureCanvas();
    ~MeasureCanvas() override;
    MeasureCanvas(const MeasureCanvas&) = delete;
    MeasureCanvas& operator=(const MeasureCanvas&) = delete;

private:
    struct Surface {
        cairo_surface_t* surface;
        cairo_t* cr;
        Surface();
    };
    explicit MeasureCanvas(Surface s);
    Surface s_;
};

// Writes the pages as a PDF file, atomically; false and a German message
// when it cannot be written.
bool WritePdf(const ReportPages& pages, const std::string& path, std::string& error);

} // namespace vx::report
