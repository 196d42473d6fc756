#include "platform/wx/WxCanvas.h"

#include "platform/wx/WxText.h"

#include <vector>
#include <wx/dc.h>
#include <wx/font.h>

namespace vx {
namespace {
wxColour ToColour(Color c) { return wxColour(c.r, c.g, c.b); }

std::vector<wxPoint> ToPoints(std::span<const Point> points) {
    std::vector<wxPoint> out;
    out.reserve(points.size());
    for (const Point& p : points) out.emplace_back(p.x, p.y);
    return out;
}
} // namespace

WxCanvas::WxCanvas(wxDC& dc) : dc_(dc) {}

void WxCanvas::SetPen(Color color, int width) { dc_.SetPen(wxPen(ToColour(color), width, wxPENSTYLE_SOLID)); }
void WxCanvas::SetNoPen() { dc_.SetPen(*wxTRANSPARENT_PEN); }
void WxCanvas::SetBrush(Color color) { dc_.SetBrush(wxBrush(ToColour(color), wxBRUSHSTYLE_SOLID)); }
void WxCanvas::SetNoBrush() { dc_.SetBrush(*wxTRANSPARENT_BRUSH); }

void WxCanvas::SetFont(const FontSpec& font) {
    wxFontInfo info(wxSize(0, font.pixelHeight > 0 ? font.pixelHeight : 1));
    info.FaceName(ToWx(font.face)).Bold(font.bold).Italic(font.italic).Underlined(font.underline)
        .Strikethrough(font.strikeOut);
    dc_.SetFont(wxFont(info));
    escapement_ = font.escapement;
}

void WxCanvas::SetTextColor(Color color) { dc_.SetTextForeground(ToColour(color)); }

void WxCanvas::SetTextBackground(std::optional<Color> color) {
    if (color) {
        dc_.SetBackgroundMode(wxBRUSHSTYLE_SOLID);
        dc_.SetTextBackground(ToColour(*color));
    } else {
        dc_.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    }
}

void WxCanvas::DrawLine(Point a, Point b) { dc_.DrawLine(a.x, a.y, b.x, b.y); }

void WxCanvas::DrawLines(std::span<const Point> points) {
    if (points.size() < 2) return;
    auto pts = ToPoints(points);
    dc_.DrawLines(int(pts.size()), pts.data());
}

void WxCanvas::DrawPolygon(std::span<const Point> points) {
    if (points.size() < 3) return;
    auto pts = ToPoints(points);
    dc_.DrawPolygon(int(pts.size()), pts.data());
}

void WxCanvas::DrawRectangle(const Rect& r) { dc_.DrawRectangle(r.left, r.top, r.Width(), r.Height()); }

void WxCanvas::DrawText(std::string_view text, Point topLeft) {
    if (escapement_ == 0)
        dc_.DrawText(ToWx(text), topLeft.x, topLeft.y);
    else
        dc_.DrawRotatedText(ToWx(text), topLeft.x, topLeft.y, escapement_ / 10.0);
}

Size WxCanvas::GetTextExtent(std::string_view text) {
    wxCoord w = 0, h = 0;
    dc_.GetTextExtent(ToWx(text), &w, &h);
    return {int(w), int(h)};
}

void WxCanvas::SetClipRect(const Rect& r) {
    dc_.DestroyClippingRegion();
    dc_.SetClippingRegion(r.left, r.top, r.Width(), r.Height());
}

void WxCanvas::ResetClip() { dc_.DestroyClippingRegion(); }

Size WxCanvas::PixelsPerInch() const {
    wxSize ppi = dc_.GetPPI();
    return {ppi.x > 0 ? ppi.x : 96, ppi.y > 0 ? ppi.y : 96};
}

} // namespace vx
