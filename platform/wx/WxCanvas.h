// The drawing interface on a wxDC: window paint, printer and preview pages.
#pragma once

#include "platform/Canvas.h"

class wxDC;

namespace vx {

class WxCanvas : public Canvas {
public:
    explicit WxCanvas(wxDC& dc);

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
    Size PixelsPerInch() const override;

    wxDC& Dc() { return dc_; }

private:
    wxDC& dc_;
    int escapement_ = 0;
};

} // namespace vx
