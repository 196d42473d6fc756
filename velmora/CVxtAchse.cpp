#include "velmora/CVxtAchse.h"

#include "platform/Archive.h"
#include "platform/NumText.h"
#include "platform/PlatformText.h"
#include "values/Rounding.h"

#include <algorithm>
#include <cmath>

namespace {

// A tiny step over a wide range would otherwise draw (and loop) for ever.
constexpr size_t kMaxGridValues = 1000;
constexpr int kTick = 5;
// Closer grid lines run together into a band.
constexpr int kMinLineDistance = 4;

} // namespace

void CVxtAchse::Apply(const AxisSettings& s, int titleFontSize) {
    m_bLog = s.logarithmic;
    m_dMin = s.minimum;
    m_dMax = s.maximum;
    m_dStep = s.step;
    m_strTitle = s.title;
    m_bGrid = s.drawGrid;
    m_bSecond = s.secondFlag;
    m_nLabelWidth = s.labelWidth;
    m_nLabelDecimals = s.labelDecimals;
    m_nFontSize = titleFontSize;
    if (s.gridValues) {
        m_aGrid = *s.gridValues;
        std::sort(m_aGrid.begin(), m_aGrid.end());
    }
    if (m_bLog) ComputeDecades();
}

void CVxtAchse::SetRange(double minimum, double maximum, double step) {
    m_dMin = minimum;
    m_dMax = maximum;
    m_dStep = step;
    if (m_bLog) ComputeDecades();
}

void CVxtAchse::ComputeDecades() {
    // A logarithmic axis needs positive bounds; anything else has no decades.
    if (m_dMin > 0 && m_dMax > 0) {
        m_nDecLow = int(std::floor(std::log10(m_dMin)));
        m_nDecHigh = int(std::ceil(std::log10(m_dMax)));
    } else {
        m_nDecLow = m_nDecHigh = 0;
    }
}

void CVxtAchse::Serialize(vx::Archive& ar) {
    if (ar.IsStoring()) {
        ar.WriteInt32(m_bLog);
        ar.WriteDouble(m_dMin);
        ar.WriteDouble(m_dMax);
        ar.WriteDouble(m_dStep);
        ar.WriteInt32(m_nDecLow);
        ar.WriteInt32(m_nDecHigh);
        ar.WriteString(m_strTitle);
        ar.WriteInt32(m_bHorizontal);
        ar.WriteInt32(m_bGrid);
        ar.WriteInt32(m_bSecond);
        ar.WriteInt32(m_nLabelWidth);
        ar.WriteInt32(m_nLabelDecimals);
        ar.WriteInt32(int32_t(m_aGrid.size()));
        for (double g : m_aGrid) ar.WriteDouble(g);
        return;
    }
    m_aGrid.clear();
    m_bLog = ar.ReadInt32() != 0;
    m_dMin = ar.ReadDouble();
    m_dMax = ar.ReadDouble();
    m_dStep = ar.ReadDouble();
    m_nDecLow = ar.ReadInt32();
    m_nDecHigh = ar.ReadInt32();
    m_strTitle = ar.ReadString();
    m_bHorizontal = ar.ReadInt32() != 0;
    m_bGrid = ar.ReadInt32() != 0;
    m_bSecond = ar.ReadInt32() != 0;
    m_nLabelWidth = ar.ReadInt32();
    m_nLabelDecimals = ar.ReadInt32();
    int32_t count = ar.ReadInt32();
    if (count < 0 || size_t(count) > ar.Remaining() / 8) throw vx::ArchiveError(vx::PlatformText(vx::IDS_DATEI_BESCHAEDIGT));
    m_aGrid.reserve(size_t(count));
    for (int32_t i = 0; i < count; ++i) m_aGrid.push_back(ar.ReadDouble());
}

int CVxtAchse::BasePosition(double value) const {
    const int len = Length();
    if (!(m_dMax > m_dMin) || len == 0) return 0;
    if (std::isnan(value)) value = m_dMin;
    value = std::clamp(value, m_dMin, m_dMax);
    if (m_bLog) {
        if (m_dMin <= 0) return 0;
        const double lmin = std::log10(m_dMin), lmax = std::log10(m_dMax);
        return int((std::log10(value) - lmin) * len / (lmax - lmin));
    }
    return int(len / (m_dMax - m_dMin) * (value - m_dMin));
}

double CVxtAchse::BaseValue(double position) const {
    const int len = Length();
    if (!(m_dMax > m_dMin) || len == 0) return m_dMin;
    if (m_bLog) {
        if (m_dMin <= 0) return m_dMin;
        const double lmin = std::log10(m_dMin), lmax = std::log10(m_dMax);
        return std::pow(10.0, lmin + position / (len / (lmax - lmin)));
    }
    return m_dMin + position / (len / (m_dMax - m_dMin));
}

std::vector<double> CVxtAchse::GridValues() const {
    std::vector<double> out;
    if (!m_bGrid) return out;
    if (m_bLog) {
        if (!(m_dMin > 0)) return out;
        for (int d = m_nDecLow; d <= m_nDecHigh && out.size() < kMaxGridValues; ++d) {
            const double decade = std::pow(10.0, d);
            if (!m_aGrid.empty()) {
                for (double g : m_aGrid) {
                    double v = decade * g;
                    if (v < m_dMin) continue;
                    if (v > m_dMax) break;
                    out.push_back(v);
                    if (d == m_nDecHigh) break;
                }
            } else {
                if (!(m_dStep > 0)) {
                    if (decade >= m_dMin && decade <= m_dMax) out.push_back(decade);
                    continue;
                }
                const double next = decade * 10.0;
                for (double v = decade; v <= next && out.size() < kMaxGridValues; v += decade * m_dStep) {
                    if (v < m_dMin) continue;
                    if (v > m_dMax) break;
                    out.push_back(v);
                }
            }
        }
        return out;
    }
    if (!m_aGrid.empty()) return m_aGrid;
    if (!(m_dStep > 0)) {
        // Without a usable step only the ends get a line.
        out.push_back(m_dMin);
        if (m_dMax > m_dMin) out.push_back(m_dMax);
        return out;
    }
    for (double v = m_dMin; v <= m_dMax && out.size() < kMaxGridValues; v += m_dStep) out.push_back(v);
    return out;
}

double CVxtAchse::ScaleX() const {
    const int w = m_rcLogical.Width();
    return w != 0 ? double(m_rcDevice.Width()) / w : 0.0;
}

double CVxtAchse::ScaleY() const {
    const int h = m_rcLogical.Height();
    return h != 0 ? double(m_rcDevice.Height()) / h : 0.0;
}

std::string CVxtAchse::LabelText(double value) const {
    return FormatFixed(value, m_nLabelWidth, m_nLabelDecimals);
}

std::vector<double> CVxtAchse::DrawnGridValues(vx::Canvas& dc) const {
    const std::vector<double> grid = GridValues();
    if (grid.size() < 2) return grid;
    // Where each label lies along the axis: from, to (device units).
    const vx::Size digit = dc.GetTextExtent("0");
    std::vector<int> at(grid.size()), from(grid.size()), to(grid.size());
    for (size_t i = 0; i < grid.size(); ++i) {
        at[i] = ValueToPixel(grid[i]);
        if (m_bHorizontal) {
            const int w = dc.GetTextExtent(LabelText(grid[i])).width;
            from[i] = at[i] - w / 2;
            to[i] = at[i] + w / 2;
        } else {
            from[i] = at[i] - digit.height / 2;
            to[i] = at[i] + digit.height / 2;
        }
    }
    const int gap = m_bHorizontal ? std::max(1, digit.width / 2) : std::max(1, digit.height / 8);
    const auto fits = [&](size_t first, size_t stride) {
        for (size_t i = first; i + stride < grid.size(); i += stride) {
            const size_t j = i + stride;
            if (std::abs(at[j] - at[i]) < kMinLineDistance) return false;
            // The Y axis runs upwards: its next label lies above.
            const bool apart = m_bHorizontal ? from[j] >= to[i] + gap : to[j] + gap <= from[i];
            if (!apart) return false;
        }
        return true;
    };
    // Evenly stepped values are thinned to a round distance (1, 2 or 5 times
    // a power of ten) that is a multiple of the step, starting at a multiple
    // of it; other values to every 2nd, 5th, 10th, 20th ... from the first.
    const bool stepped = !m_bLog && m_aGrid.empty() && m_dStep > 0;
    const auto firstMultiple = [&](double distance) {
        for (size_t i = 0; i < grid.size(); ++i) {
            const double q = grid[i] / distance;
            if (std::abs(q - std::round(q)) < 1e-6) return i;
        }
        return size_t(0);
    };
    std::vector<std::pair<size_t, size_t>> candidates{{0, 1}};  // first, stride; all when they fit
    const double leads[3] = {1, 2, 5};
    if (stepped) {
        const double decade = std::pow(10.0, std::floor(std::log10(m_dStep)));
        for (int n = 0; n < 60; ++n) {
            const double distance = leads[n % 3] * decade * std::pow(10.0, n / 3);
            const double ratio = distance / m_dStep;
            if (ratio > 1 - 1e-9 && std::abs(ratio - std::round(ratio)) < 1e-6)
                candidates.emplace_back(firstMultiple(distance), size_t(std::lround(ratio)));
            if (ratio >= double(grid.size())) break;
        }
    }
    for (size_t n = 0;; ++n) {
        size_t stride = size_t(leads[n % 3]);
        for (size_t d = 0; d < n / 3; ++d) stride *= 10;
        candidates.emplace_back(0, stride);
        if (stride >= grid.size()) break;
    }
    for (const auto& [first, stride] : candidates) {
        if (!fits(first, stride)) continue;
        if (stride == 1) return grid;
        std::vector<double> drawn;
        for (size_t i = first; i < grid.size(); i += stride) drawn.push_back(grid[i]);
        return drawn;
    }
    return {grid.front()};
}

int CVxt_X_Achse::ValueToPixel(double value) const {
    return m_rcDevice.left + int(ScaleX() * (BasePosition(value) + m_nOffsetX));
}

double CVxt_X_Achse::PixelToValue(int p) const {
    const double sx = ScaleX();
    if (sx == 0) return m_dMin;
    return BaseValue(std::ceil(p / sx) - m_nOffsetX);
}

int CVxt_Y_Achse::ValueToPixel(double value) const {
    return m_rcDevice.bottom - int(ScaleY() * (BasePosition(value) + m_nOffsetY));
}

double CVxt_Y_Achse::PixelToValue(int p) const {
    const double sy = ScaleY();
    if (sy == 0) return m_dMin;
    return BaseValue(std::ceil((m_rcDevice.bottom - m_rcDevice.top - p) / sy) - m_nOffsetY);
}

void CVxt_X_Achse::Draw(vx::Canvas& dc) {
    const double sy = ScaleY();
    dc.SetPen(vx::kBlack, 1);
    const int axisY = m_rcDevice.bottom - int(sy * m_nOffsetY);
    dc.DrawLine({ValueToPixel(m_dMin), axisY}, {ValueToPixel(m_dMax), axisY});

    const int plotTop = m_rcDevice.bottom - int(sy * (m_rcPlot.bottom + m_nOffsetY - m_rcPlot.top));
    const std::vector<double> grid = DrawnGridValues(dc);
    for (double v : grid) {
        const int x = ValueToPixel(v);
        dc.DrawLine({x, axisY}, {x, plotTop});
        dc.DrawLine({x, axisY - kTick}, {x, axisY + kTick});
        const std::string text = LabelText(v);
        const vx::Size ext = dc.GetTextExtent(text);
        const int left = x - ext.width / 2 - 10, right = x + ext.width / 2 + 10;
        dc.DrawText(text, {left + (right - left - ext.width) / 2, axisY + ext.height / 2});
    }

    if (!m_strTitle.empty()) {
        const vx::Size ext = dc.GetTextExtent(m_strTitle);
        const int midY = m_rcDevice.bottom - int(sy * (m_rcLogical.bottom - m_rcPlot.bottom) / 2);
        int top = midY - ext.height / 2;
        // In a flat print area the middle of the margin lies among the labels: the title goes below them.
        if (!grid.empty()) {
            const int labelHeight = dc.GetTextExtent("0").height;
            top = std::max(top, axisY + labelHeight / 2 + labelHeight + labelHeight / 4);
        }
        dc.DrawText(m_strTitle, {m_rcDevice.left + (m_rcDevice.Width() - ext.width) / 2, top});
    }
}

void CVxt_Y_Achse::Draw(vx::Canvas& dc) {
    const double sx = ScaleX();
    dc.SetPen(vx::kBlack, 1);
    const int axisX = m_rcDevice.left + int(sx * m_nOffsetX);
    dc.DrawLine({axisX, ValueToPixel(m_dMin)}, {axisX, ValueToPixel(m_dMax)});

    const int plotRight = m_rcDevice.left + int(sx * (m_rcPlot.right - m_rcPlot.left + m_nOffsetX));
    for (double v : DrawnGridValues(dc)) {
        const int y = ValueToPixel(v);
        dc.DrawLine({axisX, y}, {plotRight, y});
        dc.DrawLine({axisX - kTick, y}, {axisX + kTick, y});
        const std::string text = LabelText(v);
        const vx::Size ext = dc.GetTextExtent(text);
        dc.DrawText(text, {axisX - kTick - ext.width, y - ext.height / 2});
    }

    if (!m_strTitle.empty()) {
        // A metafile turns its text the other way round.
        m_fontTitle.CreateScaledFont(dc, "Courier New", m_nFontSize, dc.IsMetafile() ? 2700 : 900);
        dc.SetFont(m_fontTitle.Spec());
        dc.SetTextBackground(std::nullopt);
        const vx::Size ext = dc.GetTextExtent(m_strTitle);
        const int centreY = m_rcDevice.top + m_rcDevice.Height() / 2;
        dc.DrawText(m_strTitle, {m_rcDevice.left, centreY + ext.width / 2});
    }
}
