// The dimensioning diagram: the band of admissible cross-sections over the
// effective height, with a crosshair and a value tip that follow the mouse
// and the arrow keys, on screen or in a rectangle of a print page.
#pragma once

#include "velmora/CVxtDiagramm.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

// One height of the band; -1.0 stands for "none".
struct DiagramPoint {
    double height = -1.0;    // effective height, m
    double largest = -1.0;   // largest admissible size, cm
    double smallest = -1.0;  // smallest admissible size, cm
};

// A canvas that can invert what lies under a line. The screen draws the
// crosshair so, and it shows on every colour of the band; elsewhere it is black.
class InvertingCanvas {
public:
    virtual ~InvertingCanvas() = default;
    virtual void InvertLine(vx::Point a, vx::Point b, int width) = 0;
};

// The commands the "+" and "-" keys send to the form.
enum : int { ID_YRANGE_UP = 1012, ID_YRANGE_DOWN = 1013 };

class CVelmoraDiag : public CVxtDiagramm {
public:
    // The document's hand-over: the band in ascending order of height, the
    // shape of its cross-sections (0 round: "Dh", else "Lw") and the lookup
    // of the chimney's cross-section table (size in cm -> the table's size at
    // or above it, 0 when there is none).
    void SetPoints(std::vector<DiagramPoint> points) { m_aPoints = std::move(points); }
    const std::vector<DiagramPoint>& Points() const { return m_aPoints; }
    void SetShape(int shape) { m_nShape = shape; }
    int Shape() const { return m_nShape; }
    void SetCrossSectionLookup(std::function<double(double)> lookup) { m_fnLookup = std::move(lookup); }
    // Told the point (height m, size cm) each time the user moves the
    // crosshair, with the mouse or the keys, to a point inside the band.
    void SetCursorMovedHandler(std::function<void(double, double)> handler) { m_fnMoved = std::move(handler); }

    // The chosen point: height in m, size in cm (0: none). Set from outside,
    // the crosshair is placed anew there at the next paint.
    void SetCursor(double height, double size) {
        m_dCursorHeight = height;
        m_dCursorSize = size;
        m_bNoCrosshair = true;
    }
    double CursorHeight() const { return m_dCursorHeight; }
    double CursorSize() const { return m_dCursorSize; }

    // Above -1 it replaces the largest size as the top of the size axis.
    void SetSizeCeiling(double ceiling) { m_dCeiling = ceiling; }
    double SizeCeiling() const { return m_dCeiling; }
    // The form's "+" and "-": the top one step up or down, never down to the
    // bottom; places the crosshair anew at the chosen point and repaints.
    double StepSizeCeiling(bool up);

    void BuildBandPolygon();
    const std::vector<vx::Point>& BandPolygon() const { return m_aPolygon; }
    // The table's size for s when (height, s) lies in the band, else 0.
    double IsInsideBand(double height, double size) const;

    // page: a print rectangle; nullopt: the window's client area.
    void DrawBandAndAxes(vx::Canvas& dc, std::optional<vx::Rect> page);
    void DrawCrosshair(vx::Canvas& dc, int x, int y);
    void TrackPoint(int x, int y, bool fromMouse);
    void ShowCursor();
    void DrawValueLabel(vx::Canvas& dc);

    bool HasCrosshair() const { return !m_bNoCrosshair; }
    vx::Point CrosshairPoint() const { return m_ptCross; }

    void OnPaint(vx::Canvas& dc) override { DrawBandAndAxes(dc, std::nullopt); }
    void OnShowWindow(bool show) override;
    void OnLButtonDown(vx::Point point) override;
    void OnMouseMove(vx::Point point) override;
    bool OnKeyDown(DiagramKey key) override;

private:
    // TrackPoint's placing of the crosshair and the tip, without the repaint.
    void PlaceCursor(int x, int y, bool fromMouse);
    // The same at a point given in the axes' values.
    void PlaceCursorAt(double height, double size);
    void TellCursorMoved();
    // Where the axes put values when the crosshair was placed.
    struct Mapping {
        int xLow = 0, xHigh = 0, yLow = 0, yHigh = 0;  // pixels of each axis's ends
        friend bool operator==(const Mapping&, const Mapping&) = default;
    };
    Mapping CurrentMapping() const;

    std::vector<DiagramPoint> m_aPoints;
    int m_nShape = 0;
    double m_dCursorSize = 0;
    double m_dCursorHeight = 0;
    double m_dCeiling = -1.0;
    bool m_bNoCrosshair = true;
    vx::Point m_ptCross;
    // The crosshair in the axes' values, so that it stays on its point when
    // the window is resized or the size axis steps.
    double m_dCrossX = 0, m_dCrossY = 0;
    Mapping m_crossMapping;
    std::vector<vx::Point> m_aPolygon;
    std::function<double(double)> m_fnLookup;
    std::function<void(double, double)> m_fnMoved;
};

// The tip's text: "H=%.1f Dh=%.1f", or with "Lw" for a shape other than 0.
std::string FormatCursorValues(double height, double size, int shape);
// Where the tip of a text of size text goes: right of and above the anchor,
// or left of it when it would pass parentRight.
vx::Rect PlaceValueTip(vx::Size text, vx::Point anchor, int parentRight);
