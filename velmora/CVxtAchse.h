// The axes of an x/y diagram: value <-> device mapping, linear or decimal
// logarithmic, and drawing of axis line, grid, tick labels and title.
#pragma once

#include "platform/Canvas.h"
#include "velmora/CVxtFont.h"

#include <optional>
#include <string>
#include <vector>

namespace vx {
class Archive;
}

// What the diagram hands to an axis (SetX/SetY).
struct AxisSettings {
    bool logarithmic = false;
    double minimum = 0;
    double maximum = 10.0;
    double step = 1.0;
    // Explicit grid values; nullopt keeps the axis' current list.
    std::optional<std::vector<double>> gridValues;
    std::string title;
    bool drawGrid = true;
    bool secondFlag = true;
    int labelWidth = 0;
    int labelDecimals = 0;
};

class CVxtAchse {
public:
    explicit CVxtAchse(bool horizontal) : m_bHorizontal(horizontal) {}
    virtual ~CVxtAchse() = default;

    virtual void Serialize(vx::Archive& ar);
    virtual void Draw(vx::Canvas& dc) = 0;
    virtual int ValueToPixel(double value) const = 0;
    virtual double PixelToValue(int p) const = 0;
    virtual int Length() const = 0;

    void Apply(const AxisSettings& settings, int titleFontSize);

    // Position 0 ... Length along the axis, and back.
    int BasePosition(double value) const;
    double BaseValue(double position) const;
    // The values that get a grid line, a tick and a label.
    std::vector<double> GridValues() const;

    void SetPlotRect(const vx::Rect& r) { m_rcPlot = r; }
    void SetLogicalRect(const vx::Rect& r) { m_rcLogical = r; }
    void SetDeviceRect(const vx::Rect& r) { m_rcDevice = r; }
    void SetOffsets(int x, int y) { m_nOffsetX = x; m_nOffsetY = y; }
    const vx::Rect& PlotRect() const { return m_rcPlot; }
    const vx::Rect& LogicalRect() const { return m_rcLogical; }
    const vx::Rect& DeviceRect() const { return m_rcDevice; }

    bool IsLogarithmic() const { return m_bLog; }
    double Minimum() const { return m_dMin; }
    double Maximum() const { return m_dMax; }
    double Step() const { return m_dStep; }
    void SetRange(double minimum, double maximum, double step);
    const std::vector<double>& GridList() const { return m_aGrid; }
    const std::string& Title() const { return m_strTitle; }
    bool DrawsGrid() const { return m_bGrid; }
    bool SecondFlag() const { return m_bSecond; }
    int LabelWidth() const { return m_nLabelWidth; }
    int LabelDecimals() const { return m_nLabelDecimals; }
    int TitleFontSize() const { return m_nFontSize; }
    void SetTitleFontSize(int tenths) { m_nFontSize = tenths; }
    bool IsHorizontal() const { return m_bHorizontal; }
    int LowestDecade() const { return m_nDecLow; }
    int HighestDecade() const { return m_nDecHigh; }

protected:
    double ScaleX() const;
    double ScaleY() const;
    // The label text of a grid value.
    std::string LabelText(double value) const;
    // The grid values that are drawn: every one when their labels and lines
    // have room, otherwise every second, fifth, tenth ... so that no two
    // labels touch and no two lines run together.
    std::vector<double> DrawnGridValues(vx::Canvas& dc) const;

    bool m_bLog = false;
    double m_dMin = 0;
    double m_dMax = 10.0;
    double m_dStep = 1.0;
    std::vector<double> m_aGrid;
    std::string m_strTitle;
    bool m_bGrid = true;
    bool m_bSecond = true;
    int m_nLabelWidth = 0;
    int m_nLabelDecimals = 0;
    vx::Rect m_rcPlot;
    vx::Rect m_rcLogical;
    vx::Rect m_rcDevice;
    int m_nOffsetX = 0;
    int m_nOffsetY = 0;
    int m_nFontSize = 100;
    bool m_bHorizontal;
    int m_nDecLow = 0;
    int m_nDecHigh = 0;

private:
    void ComputeDecades();
};

class CVxt_X_Achse : public CVxtAchse {
public:
    CVxt_X_Achse() : CVxtAchse(true) {}
    void Draw(vx::Canvas& dc) override;
    int ValueToPixel(double value) const override;
    double PixelToValue(int p) const override;
    int Length() const override { return m_rcPlot.right - m_rcPlot.left; }
};

class CVxt_Y_Achse : public CVxtAchse {
public:
    CVxt_Y_Achse() : CVxtAchse(false) {}
    void Draw(vx::Canvas& dc) override;
    int ValueToPixel(double value) const override;
    double PixelToValue(int p) const override;
    int Length() const override { return m_rcPlot.bottom - m_rcPlot.top; }

private:
    CVxtFont m_fontTitle;
};
