// The window of a diagram on screen: paints it, hands mouse and keys to it
// and carries its value tip.
#pragma once

#include "velmora/CVxtDiagramm.h"

#include <wx/window.h>

class CWndInfo;
class wxDC;

class DiagramWindow : public wxWindow, public DiagramWindowPeer {
public:
    DiagramWindow(wxWindow* parent, const wxRect& rect, long style, CVxtDiagramm& diagram);
    ~DiagramWindow() override;

    vx::Size ClientSize() const override;
    void Redraw() override { Refresh(false); }
    void ShowWindow(bool show) override { Show(show); }
    bool IsShown() const override { return wxWindow::IsShown(); }
    void SetFocus() override { wxWindow::SetFocus(); }
    void ShowTip(double height, double size, int shape, vx::Point anchor) override;
    void HideTip() override;
    void PostCommandToParent(int id) override;
    void DestroyWindow() override;

    CWndInfo* Tip() const { return m_pTip; }
    // The picture the window shows, tip included, drawn into dc.
    void Render(wxDC& dc);

private:
    void OnPaint(wxPaintEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);
    void OnKeyDown(wxKeyEvent& event);
    void OnShow(wxShowEvent& event);

    CVxtDiagramm* m_pDiagram;
    CWndInfo* m_pTip;
};
