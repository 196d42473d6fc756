// The opening picture shown at start: on top of everything for ten seconds,
// or until it is clicked.
#pragma once

#include <wx/dialog.h>
#include <wx/timer.h>

class wxDC;

class CDlgEroeffnen : public wxDialog {
public:
    explicit CDlgEroeffnen(wxWindow* parent);

    int Countdown() const { return countdown_; }
    wxTimer& Timer() { return timer_; }

    static constexpr int kTimerId = 1;
    static constexpr int kTickMs = 1000;

    // What the window shows, drawn into dc.
    void Paint(wxDC& dc);

private:
    void OnTimer(wxTimerEvent& event);
    void OnLeftDown(wxMouseEvent&);
    void OnPaint(wxPaintEvent&);

    wxTimer timer_;
    int countdown_ = 10;
    wxString version_;
};
