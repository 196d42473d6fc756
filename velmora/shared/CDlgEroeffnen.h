// The opening picture shown at start: on top of everything for ten seconds,
// or until it is clicked. The main program keeps it and hides it at the end
// of its countdown; the second program starts it and forgets it, and it
// destroys itself then.
#pragma once

#include <wx/dialog.h>
#include <wx/timer.h>

class wxDC;

class CDlgEroeffnen : public wxDialog {
public:
    enum class Ending { Hide, Destroy };
    explicit CDlgEroeffnen(wxWindow* parent, Ending ending = Ending::Hide);

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
    Ending ending_;
    wxString version_;
};
