#include "platform/report/ReportPage.h"

namespace vx::report {

void Replay(const ReportPage& page, Canvas& c) {
    using Op = DrawCommand::Op;
    for (const DrawCommand& d : page.commands) {
        switch (d.op) {
        case Op::Pen: c.SetPen(d.color, d.width); break;
        case Op::NoPen: c.SetNoPen(); break;
        case Op::Brush: c.SetBrush(d.color); break;
        case Op::NoBrush: c.SetNoBrush(); break;
        case Op::Font: c.SetFont(d.font); break;
        case Op::TextColor: c.SetTextColor(d.color); break;
        case Op::TextBackground: c.SetTextBackground(d.color); break;
        case Op::NoTextBackground: c.SetTextBackground(std::nullopt); break;
        case Op::Line: c.DrawLine(d.points[0], d.points[1]); break;
        case Op::Lines: c.DrawLines(d.points); break;
        case Op::Polygon: c.DrawPolygon(d.points); break;
        case Op::Rectangle:
            c.DrawRectangle(Rect{d.points[0].x, d.points[0].y, d.points[1].x, d.points[1].y});
            break;
        case Op::Text: c.DrawText(d.text, d.points[0]); break;
        case Op::Clip: c.SetClipRect(Rect{d.points[0].x, d.points[0].y, d.points[1].x, d.points[1].y}); break;
        case Op::ResetClip: c.ResetClip(); break;
        }
    }
}

DrawCommand& RecordingCanvas::Add(DrawCommand::Op op) {
    page_.commands.emplace_back();
    page_.commands.back().op = op;
    return page_.commands.back();
}

void RecordingCanvas::SetPen(Color color, int width) {
    auto& d = Add(DrawCommand::Op::Pen);
    d.color = color;
    d.width = width;
}
void RecordingCanvas::SetNoPen() { Add(DrawCommand::Op::NoPen); }
void RecordingCanvas::SetBrush(Color color) { Add(DrawCommand::Op::Brush).color = color; }
void RecordingCanvas::SetNoBrush() { Add(DrawCommand::Op::NoBrush); }
void RecordingCanvas::SetFont(const FontSpec& font) {
    Add(DrawCommand::Op::Font).font = font;
    measure_.SetFont(font);
}
void RecordingCanvas::SetTextColor(Color color) { Add(DrawCommand::Op::TextColor).color = color; }
void RecordingCanvas::SetTextBackground(std::optional<Color> color) {
    if (color)
        Add(DrawCommand::Op::TextBackground).color = *color;
    else
        Add(DrawCommand::Op::NoTextBackground);
}
void RecordingCanvas::DrawLine(Point a, Point b) { Add(DrawCommand::Op::Line).points = {a, b}; }
void RecordingCanvas::DrawLines(std::span<const Point> points) {
    if (points.size() < 2) return;
    Add(DrawCommand::Op::Lines).points.assign(points.begin(), points.end());
}
void RecordingCanvas::DrawPolygon(std::span<const Point> points) {
    if (points.size() < 3) return;
    Add(DrawCommand::Op::Polygon).points.assign(points.begin(), points.end());
}
void RecordingCanvas::DrawRectangle(const Rect& r) {
    Add(DrawCommand::Op::Rectangle).points = {{r.left, r.top}, {r.right, r.bottom}};
}
void RecordingCanvas::DrawText(std::string_view text, Point topLeft) {
    auto& d = Add(DrawCommand::Op::Text);
    d.text = std::string(text);
    d.points = {topLeft};
}
Size RecordingCanvas::GetTextExtent(std::string_view text) { return measure_.GetTextExtent(text); }
void RecordingCanvas::SetClipRect(const Rect& r) {
    Add(DrawCommand::Op::Clip).points = {{r.left, r.top}, {r.right, r.bottom}};
}
void RecordingCanvas::ResetClip() { Add(DrawCommand::Op::ResetClip); }

} // namespace vx::report
