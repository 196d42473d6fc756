// An x/y diagram with one horizontal and one vertical axis in a logical space
// of its own, mapped onto a window's client area or a rectangle of a page.
// The object lives with its owner; its window exists only while a form shows
// it (CreateOverControl), and the window hands its events back to it.
#pragma once

#include "platform/Canvas.h"
#include "velmora/CVxtAchse.h"

namespace vx {
class Archive;
}
class wxWindow;

// The keys the diagram reacts to.
enum class DiagramKey { Left, Right, Up, Down, Add, Subtract, Other };

// What the diagram asks of its window on screen.
class DiagramWindowPeer {
public:
    virtual ~DiagramWindowPeer() = default;
    virtual vx::Size ClientSize() const = 0;
    // Paint again soon; nothing is drawn outside a paint.
    virtual void Redraw() = 0;
    virtual void ShowWindow(bool show) = 0;
    virtual bool IsShown() const = 0;
    virtual void SetFocus() = 0;
    virtual void ShowTip(double height, double size, int shape, vx::Point anchor) = 0;
    virtual void HideTip() = 0;
    // A command to the parent form, as its buttons send them.
    virtual void PostCommandToParent(int id) = 0;
    virtual void DestroyWindow() = 0;
};

class CVxtDiagramm {
public:
    CVxtDiagramm();
    virtual ~CVxtDiagramm();
    CVxtDiagramm(const CVxtDiagramm&) = delete;
    CVxtDiagramm& operator=(const CVxtDiagramm&) = delete;

    // Puts the diagram's window in place of the parent's control controlId,
    // which is destroyed. False when there is no such control. It lives in
    // DiagramWindow.cpp, so only programs with a display link it.
    bool CreateOverControl(wxWindow* parent, int controlId, long style);

    void SetX(const AxisSettings& settings) { m_xAchse.Apply(settings, m_nFontSize); }
    void SetY(const AxisSettings& settings) { m_yAchse.Apply(settings, m_nFontSize); }

    // Maps the logical space onto rect (a print area) or onto the client area.
    void SetOutputRect(const vx::Rect& rect);
    void SetClientOutputRect();

    // The axes with their grid and labels, in the diagram's font.
    virtual void DrawToDC(vx::Canvas& dc);
    virtual void Serialize(vx::Archive& ar);

    // Events of the window.
    virtual void OnPaint(vx::Canvas& dc);
    virtual void OnShowWindow(bool /*show*/) {}
    virtual void OnLButtonDown(vx::Point /*point*/) {}
    virtual void OnMouseMove(vx::Point /*point*/) {}
    // True when the key is used up.
    virtual bool OnKeyDown(DiagramKey /*key*/) { return false; }

    void AttachWindow(DiagramWindowPeer* window) { m_pWindow = window; }
    void DetachWindow() { m_pWindow = nullptr; }
    DiagramWindowPeer* Window() const { return m_pWindow; }
    void Show(bool show);
    bool IsShown() const { return m_pWindow && m_pWindow->IsShown(); }
    void Redraw();
    void SetFocus();

    CVxt_X_Achse& XAxis() { return m_xAchse; }
    CVxt_Y_Achse& YAxis() { return m_yAchse; }
    const CVxt_X_Achse& XAxis() const { return m_xAchse; }
    const CVxt_Y_Achse& YAxis() const { return m_yAchse; }
    int FontSize() const { return m_nFontSize; }
    // The font size (tenths of a point) for drawing into rect on a canvas of
    // ppiY: the diagram's own, smaller when the bottom margin that rect
    // leaves cannot hold a line of labels with the axis title below it.
    int FontSizeForRect(const vx::Rect& rect, int ppiY) const;
    // The axes' and the labels' font size, as FontSizeForRect gives it for a page.
    void SetDrawingFontSize(int tenths);
    vx::Rect PlotRect() const { return {m_nLeft, m_nTop, m_nRight, m_nBottom}; }
    vx::Rect LogicalRect() const { return {m_nLogLeft, m_nLogTop, m_nLogLeft + m_nLogWidth, m_nLogTop + m_nLogHeight}; }

protected:
    void ApplyLayoutToAxes();

    int m_nFontSize = 100;
    CVxt_X_Achse m_xAchse;
    CVxt_Y_Achse m_yAchse;
    int m_nLeft, m_nTop, m_nRight, m_nBottom;
    int m_nLogLeft = 0, m_nLogTop = 0;
    int m_nLogWidth, m_nLogHeight;
    CVxtFont m_font;
    DiagramWindowPeer* m_pWindow = nullptr;
};
