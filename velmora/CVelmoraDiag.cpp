#include "velmora/CVelmoraDiag.h"

#include "platform/NumText.h"
#include "values/Rounding.h"

#include <algorithm>
#include <cmath>

namespace {

const vx::Color kBandOutline{0, 0, 255};
const vx::Color kBandFill{255, 255, 0};
constexpr double kKeyStep = 0.1;

} // namespace

std::string FormatCursorValues(double height, double size, int shape) {
    return vx::Format(shape ? "H=%.1f Lw=%.1f" : "H=%.1f Dh=%.1f", height, size);
}

vx::Rect PlaceValueTip(vx::Size text, vx::Point anchor, int parentRight) {
    vx::Rect r;
    r.left = anchor.x + 5;
    r.right = r.left + text.width;
    r.bottom = anchor.y - 5;
    r.top = r.bottom - text.height;
    if (r.right > parentRight) {
        r.right = anchor.x - 5;
        r.left = r.right - text.width;
    }
    return r;
}

void CVelmoraDiag::BuildBandPolygon() {
    m_aPolygon.clear();
    if (m_aPoints.empty()) return;

    double top = 0, bottom = 1000;
    for (const DiagramPoint& p : m_aPoints) {
        top = std::max(top, p.largest);
        if (p.smallest != -1.0) bottom = std::min(bottom, p.smallest);
    }
    if (m_dCeiling > -1) top = m_dCeiling;
    if (int(bottom) % 2 != 0) bottom = std::ceil((bottom - 2) / 2) * 2;

    double step;
    if ((top - bottom) / 2 + 1 > 16) {
        step = 5;
        if (int r = int(bottom) % 5; r > 0) bottom -= r;
        if (int r = int(top) % 5; r != 0) top += 5 - r;
    } else {
        step = 2;
        if (int(top) % 2 != 0) top += 1;
    }
    // A ceiling at or below the bottom would leave the axis without a range.
    if (top <= bottom) top = bottom + step;
    m_yAchse.SetRange(bottom, top, step);

    m_aPolygon.reserve(2 * m_aPoints.size());
    for (const DiagramPoint& p : m_aPoints)
        m_aPolygon.push_back({m_xAchse.ValueToPixel(p.height), m_yAchse.ValueToPixel(p.smallest)});
    for (auto it = m_aPoints.rbegin(); it != m_aPoints.rend(); ++it) {
        const double upper = it->largest != -1.0 ? it->largest : it->smallest;
        m_aPolygon.push_back({m_xAchse.ValueToPixel(it->height), m_yAchse.ValueToPixel(upper)});
    }
}

double CVelmoraDiag::StepSizeCeiling(bool up) {
    const double top = m_yAchse.Maximum(), step = m_yAchse.Step();
    double ceiling = up ? top + step : top - step;
    if (!up && ceiling <= m_yAchse.Minimum()) ceiling = m_yAchse.Minimum() + step;
    m_dCeiling = ceiling;
    m_bNoCrosshair = true;
    Redraw();
    return ceiling;
}

double CVelmoraDiag::IsInsideBand(double h, double s) const {
    // Outside the computed heights there is no band, only missing neighbours.
    if (m_aPoints.empty() || h < m_aPoints.front().height || h > m_aPoints.back().height) return 0;

    auto upper = std::find_if(m_aPoints.begin(), m_aPoints.end(),
                              [h](const DiagramPoint& p) { return p.height > h; });
    double largest, smallest;
    if (upper == m_aPoints.end()) {
        // h is the last point's height.
        largest = m_aPoints.back().largest;
        smallest = m_aPoints.back().smallest;
    } else {
        const DiagramPoint& hi = *upper;
        const DiagramPoint& lo = *(upper - 1);
        auto pick = [](double lower, double higher, double& a, double& b) {
            a = lower == -1.0 ? higher : lower;
            b = higher == -1.0 ? a : higher;
        };
        double loMax, hiMax, loMin, hiMin;
        pick(lo.largest, hi.largest, loMax, hiMax);
        pick(lo.smallest, hi.smallest, loMin, hiMin);
        const double span = hi.height - lo.height;
        const double f = span > 0 ? (h - lo.height) / span : 0;
        largest = loMax + (hiMax - loMax) * f;
        smallest = loMin + (hiMin - loMin) * f;
    }
    if (!(smallest <= s && s <= largest)) return 0;
    return m_fnLookup ? m_fnLookup(s) : s;
}

void CVelmoraDiag::DrawCrosshair(vx::Canvas& dc, int x, int y) {
    const vx::Point v0{x, m_yAchse.ValueToPixel(m_yAchse.Minimum())}, v1{x, m_yAchse.ValueToPixel(m_yAchse.Maximum())};
    const vx::Point h0{m_xAchse.ValueToPixel(m_xAchse.Minimum()), y}, h1{m_xAchse.ValueToPixel(m_xAchse.Maximum()), y};
    if (auto* inverting = dynamic_cast<InvertingCanvas*>(&dc)) {
        inverting->InvertLine(v0, v1, 3);
        inverting->InvertLine(h0, h1, 3);
        return;
    }
    dc.SetPen(vx::kBlack, 3);
    dc.DrawLine(v0, v1);
    dc.DrawLine(h0, h1);
}

void CVelmoraDiag::PlaceCursor(int x, int y, bool fromMouse) {
    SetClientOutputRect();
    // The crosshair is state: the next paint draws it where it now is.
    m_bNoCrosshair = false;
    m_ptCross = {x, y};
    m_dCrossX = m_xAchse.PixelToValue(x);
    m_dCrossY = m_yAchse.PixelToValue(y);
    m_crossMapping = CurrentMapping();
    if (fromMouse) {
        m_dCursorHeight = m_xAchse.PixelToValue(x);
        m_dCursorSize = RoundToStep(m_yAchse.PixelToValue(y), 10);
    }
    if (IsInsideBand(m_dCursorHeight, m_dCursorSize) == 0) {
        if (m_pWindow) m_pWindow->HideTip();
        m_dCursorSize = 0;
    } else if (m_pWindow) {
        m_pWindow->ShowTip(m_dCursorHeight, m_dCursorSize, m_nShape, {x, y});
    }
}

CVelmoraDiag::Mapping CVelmoraDiag::CurrentMapping() const {
    return {m_xAchse.ValueToPixel(m_xAchse.Minimum()), m_xAchse.ValueToPixel(m_xAchse.Maximum()),
            m_yAchse.ValueToPixel(m_yAchse.Minimum()), m_yAchse.ValueToPixel(m_yAchse.Maximum())};
}

void CVelmoraDiag::PlaceCursorAt(double height, double size) {
    SetClientOutputRect();
    PlaceCursor(m_xAchse.ValueToPixel(height), m_yAchse.ValueToPixel(size), false);
    m_dCrossX = height;
    m_dCrossY = size;
}

void CVelmoraDiag::TrackPoint(int x, int y, bool fromMouse) {
    PlaceCursor(x, y, fromMouse);
    Redraw();
}

void CVelmoraDiag::ShowCursor() {
    PlaceCursorAt(m_dCursorHeight, m_dCursorSize);
    Redraw();
}

void CVelmoraDiag::DrawBandAndAxes(vx::Canvas& dc, std::optional<vx::Rect> page) {
    const vx::Rect xRect = m_xAchse.DeviceRect(), yRect = m_yAchse.DeviceRect();
    const int ownFontSize = m_nFontSize;
    if (page) {
        SetOutputRect(*page);
        SetDrawingFontSize(FontSizeForRect(*page, dc.PixelsPerInch().height));
    } else {
        SetClientOutputRect();
        const vx::Rect client = m_xAchse.DeviceRect();
        dc.SetNoPen();
        dc.SetBrush(vx::kWhite);
        dc.DrawRectangle(client);
    }

    BuildBandPolygon();
    dc.SetPen(kBandOutline, 3);
    dc.SetBrush(kBandFill);
    dc.DrawPolygon(m_aPolygon);

    DrawToDC(dc);

    if (page) {
        DrawValueLabel(dc);
        SetDrawingFontSize(ownFontSize);
        m_xAchse.SetDeviceRect(xRect);
        m_yAchse.SetDeviceRect(yRect);
        return;
    }
    if (m_bNoCrosshair) {
        if (m_dCursorSize == 0) {
            if (m_pWindow) m_pWindow->HideTip();
            return;
        }
        PlaceCursorAt(m_dCursorHeight, m_dCursorSize);
    } else if (!(CurrentMapping() == m_crossMapping)) {
        PlaceCursorAt(m_dCrossX, m_dCrossY);
    }
    DrawCrosshair(dc, m_ptCross.x, m_ptCross.y);
}

void CVelmoraDiag::DrawValueLabel(vx::Canvas& dc) {
    if (m_dCursorSize == 0) return;
    CVxtFont font;
    font.CreateScaledFont(dc, "Courier New", std::min(100, m_nFontSize));
    dc.SetFont(font.Spec());
    dc.SetTextColor(vx::kBlack);
    dc.SetTextBackground(std::nullopt);
    dc.SetPen(vx::kBlack, 3);
    const int y = m_yAchse.ValueToPixel(m_dCursorSize);
    const int x = m_xAchse.ValueToPixel(m_dCursorHeight);
    dc.DrawLine({m_xAchse.ValueToPixel(m_xAchse.Minimum()), y}, {m_xAchse.ValueToPixel(m_xAchse.Maximum()), y});
    dc.DrawLine({x, m_yAchse.ValueToPixel(m_yAchse.Minimum())}, {x, m_yAchse.ValueToPixel(m_yAchse.Maximum())});

    const std::string text = FormatCursorValues(m_dCursorHeight, m_dCursorSize, m_nShape);
    const double width = m_xAchse.PixelToValue(dc.GetTextExtent(text).width);
    double start = m_dCursorHeight;
    if (m_dCursorHeight + width > m_xAchse.Maximum()) start = m_dCursorHeight - width - 1;
    dc.DrawText(text, {m_xAchse.ValueToPixel(start), y});
}

void CVelmoraDiag::OnShowWindow(bool show) {
    if (!show && m_pWindow) m_pWindow->HideTip();
}

void CVelmoraDiag::TellCursorMoved() {
    if (m_fnMoved && m_dCursorSize != 0) m_fnMoved(m_dCursorHeight, m_dCursorSize);
}

void CVelmoraDiag::OnLButtonDown(vx::Point point) {
    TrackPoint(point.x, point.y, true);
    TellCursorMoved();
}

void CVelmoraDiag::OnMouseMove(vx::Point point) {
    TrackPoint(point.x, point.y, true);
    TellCursorMoved();
}

bool CVelmoraDiag::OnKeyDown(DiagramKey key) {
    switch (key) {
    case DiagramKey::Left: m_dCursorHeight -= kKeyStep; break;
    case DiagramKey::Right: m_dCursorHeight += kKeyStep; break;
    case DiagramKey::Up: m_dCursorSize = RoundToStep(m_dCursorSize + kKeyStep, 10); break;
    case DiagramKey::Down: m_dCursorSize = RoundToStep(m_dCursorSize - kKeyStep, 10); break;
    case DiagramKey::Add:
        if (m_pWindow) m_pWindow->PostCommandToParent(ID_YRANGE_UP);
        return false;
    case DiagramKey::Subtract:
        if (m_pWindow) m_pWindow->PostCommandToParent(ID_YRANGE_DOWN);
        return false;
    case DiagramKey::Other: return false;
    }
    ShowCursor();
    TellCursorMoved();
    return true;
}
