// The value tip: a small green window beside the crosshair with the height
// and size at the cursor.
#pragma once

#include "platform/Canvas.h"
#include "velmora/CVxtFont.h"

#include <string>
#include <wx/window.h>

class wxDC;

class CWndInfo : public wxWindow {
public:
    // Created hidden, as a child of the diagram's window.
    CWndInfo(wxWindow* parent, int fontSize);

    void ShowValues(double height, double size, int shape, vx::Point anchor);
    const std::string& Text() const { return m_strText; }
    vx::Point Anchor() const { return m_ptAnchor; }
    // The tip's picture with its top-left corner at dc's origin.
    void PaintOn(wxDC& dc);
    // The keys stay with the diagram.
    bool AcceptsFocus() const override { return false; }
    bool AcceptsFocusFromKeyboard() const override { return false; }

private:
    void OnPaint(wxPaintEvent& event);
    void Place(wxDC& dc);

    int m_nFontSize;
    CVxtFont m_font;
    vx::Point m_ptAnchor;
    std::string m_strText;
};
