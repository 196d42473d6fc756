// For tests: a canvas that draws nothing and records every call, with text
// extents of a fixed cell per character.
#pragma once

#include "platform/Canvas.h"

#include <string>
#include <vector>

struct CanvasCall {
    enum Kind { Pen, NoPen, Brush, NoBrush, Font, TextColor, TextBackground, Line, Lines, Polygon, Rectangle, Text, Clip, NoClip };
    Kind kind = Line;
    std::vector<vx::Point> points;  // Line: a, b; Lines and Polygon: all; Text: top-left
    vx::Color color;                // pen, brush or text colour
    vx::Color fill;                 // Polygon and Rectangle: the brush
    int width = 0;
    std::string text;
    vx::FontSpec font;
    vx::Rect rect;
};

class RecordingCanvas : public vx::Canvas {
public:
    int charWidth = 8;
    int charHeight = 14;
    vx::Size ppi{96, 96};
    bool metafile = false;
    std::vector<CanvasCall> calls;

    // The state each drawing call was made with.
    vx::Color pen, brush;
    int penWidth = 0;
    vx::FontSpec font;

    void SetPen(vx::Color c, int w) override {
        pen = c;
        penWidth = w;
        Add(Make(CanvasCall::Pen, c, w));
    }
    void SetNoPen() override { Add(Make(CanvasCall::NoPen)); }
    void SetBrush(vx::Color c) override {
        brush = c;
        Add(Make(CanvasCall::Brush, c));
    }
    void SetNoBrush() override { Add(Make(CanvasCall::NoBrush)); }
    void SetFont(const vx::FontSpec& f) override {
        font = f;
        CanvasCall c = Make(CanvasCall::Font);
        c.font = f;
        Add(c);
    }
    void SetTextColor(vx::Color c) override { Add(Make(CanvasCall::TextColor, c)); }
    void SetTextBackground(std::optional<vx::Color> c) override {
        Add(Make(CanvasCall::TextBackground, c.value_or(vx::Color{}), c ? 1 : 0));
    }
    void DrawLine(vx::Point a, vx::Point b) override { Add(Make(CanvasCall::Line, pen, penWidth, {a, b})); }
    void DrawLines(std::span<const vx::Point> p) override {
        Add(Make(CanvasCall::Lines, pen, penWidth, {p.begin(), p.end()}));
    }
    void DrawPolygon(std::span<const vx::Point> p) override {
        CanvasCall c = Make(CanvasCall::Polygon, pen, penWidth, {p.begin(), p.end()});
        c.fill = brush;
        Add(c);
    }
    void DrawRectangle(const vx::Rect& r) override {
        CanvasCall c = Make(CanvasCall::Rectangle, pen, penWidth);
        c.fill = brush;
        c.rect = r;
        Add(c);
    }
    void DrawText(std::string_view t, vx::Point topLeft) override {
        CanvasCall c = Make(CanvasCall::Text, {}, 0, {topLeft});
        c.text = std::string(t);
        c.font = font;
        Add(c);
    }
    vx::Size GetTextExtent(std::string_view t) override { return {int(t.size()) * charWidth, charHeight}; }
    void SetClipRect(const vx::Rect& r) override {
        CanvasCall c = Make(CanvasCall::Clip);
        c.rect = r;
        Add(c);
    }
    void ResetClip() override { Add(Make(CanvasCall::NoClip)); }
    vx::Size PixelsPerInch() const override { return ppi; }
    bool IsMetafile() const override { return metafile; }

    std::vector<CanvasCall> Of(CanvasCall::Kind kind) const {
        std::vector<CanvasCall> out;
        for (const auto& c : calls)
            if (c.kind == kind) out.push_back(c);
        return out;
    }
    const CanvasCall* FindText(const std::string& t) const {
        for (const auto& c : calls)
            if (c.kind == CanvasCall::Text && c.text == t) return &c;
        return nullptr;
    }

private:
    static CanvasCall Make(CanvasCall::Kind kind, vx::Color color = {}, int width = 0,
                           std::vector<vx::Point> points = {}) {
        CanvasCall c;
        c.kind = kind;
        c.color = color;
        c.width = width;
        c.points = std::move(points);
        return c;
    }
    void Add(CanvasCall c) { calls.push_back(std::move(c)); }
};
