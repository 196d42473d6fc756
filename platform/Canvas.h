// One drawing interface for the screen, the printed page, the preview and the
// PDF export. Coordinates are device units with y growing downward.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vx {

struct Color {
    uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Color&, const Color&) = default;
};
inline constexpr Color kBlack{0, 0, 0};
inline constexpr Color kWhite{255, 255, 255};

struct Point {
    int x = 0, y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};
struct Size {
    int width = 0, height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};
struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct FontSpec {
    std::string face = "Arial";  // code page 1252
    int pixelHeight = 12;        // character height in device units
    bool bold = false, italic = false, underline = false, strikeOut = false;
    int escapement = 0;          // tenths of a degree, counter-clockwise
};

class Canvas {
public:
    virtual ~Canvas() = default;

    virtual void SetPen(Color color, int width) = 0;
    virtual void SetNoPen() = 0;
    virtual void SetBrush(Color color) = 0;
    virtual void SetNoBrush() = 0;
    virtual void SetFont(const FontSpec& font) = 0;
    virtual void SetTextColor(Color color) = 0;
    // nullopt: text is drawn on a transparent background.
    virtual void SetTextBackground(std::optional<Color> color) = 0;

    virtual void DrawLine(Point a, Point b) = 0;
    virtual void DrawLines(std::span<const Point> points) = 0;
    // Filled with the brush, outlined with the pen.
    virtual void DrawPolygon(std::span<const Point> points) = 0;
    virtual void DrawRectangle(const Rect& r) = 0;
    // Text in code page 1252; topLeft is the start of the text before the
    // font's escapement turns it about that point.
    virtual void DrawText(std::string_view text, Point topLeft) = 0;
    // Extent of unrotated text in the current font.
    virtual Size GetTextExtent(std::string_view text) = 0;

    virtual void SetClipRect(const Rect& r) = 0;
    virtual void ResetClip() = 0;
    virtual Size PixelsPerInch() const = 0;
    virtual bool IsMetafile() const { return false; }
};

} // namespace vx
