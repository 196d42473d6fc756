// Pages of a report kept as drawing commands, so that one run of the print
// calls can go to the PDF file, the printer or the preview alike.
#pragma once

#include "platform/Canvas.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vx::report {

struct DrawCommand {
    enum class Op {
        Pen, NoPen, Brush, NoBrush, Font, TextColor, TextBackground, NoTextBackground,
        Line, Lines, Polygon, Rectangle, Text, Clip, ResetClip
    };
    Op op = Op::Line;
    Color color;
    int width = 0;
    std::vector<Point> points;  // Line: two points; Rectangle and Clip: two corners
    std::string text;           // code page 1252
    FontSpec font;
};

struct ReportPage {
    std::vector<DrawCommand> commands;
};

// A whole report: its page size in tenths of a millimetre and its pages.
struct ReportPages {
    Size pageSize{2100, 2970};
    std::vector<ReportPage> pages;
};

// Draws a page onto any canvas whose units are the layout's.
void Replay(const ReportPage& page, Canvas& canvas);

// A canvas that records into a page, in layout units (254 per inch). Text
// is measured by the given canvas, which sees every font change.
class RecordingCanvas : public Canvas {
public:
    RecordingCanvas(ReportPage& page, Canvas& measure) : page_(page), measure_(measure) {}

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
    Size PixelsPerInch() const override { return {254, 254}; }

private:
    DrawCommand& Add(DrawCommand::Op op);
    ReportPage& page_;
    Canvas& measure_;
};

} // namespace vx::report
