#include "velmora/shared/CDlgEroeffnen.h"

#include "platform/Profile.h"
#include "platform/wx/WxText.h"
#include "velmora/shared/ProgramPicture.h"
#include "velmora/shared/ProgramSettings.h"

#include <wx/dcclient.h>
#include <wx/frame.h>

CDlgEroeffnen::CDlgEroeffnen(wxWindow* parent, Ending ending)
    : wxDialog(parent, wxID_ANY, vx::ToWx(Program().name), wxDefaultPosition,
               wxSize(Program().about.textX + 340, Program().about.versionY + 44),
               wxBORDER_SIMPLE | wxSTAY_ON_TOP | wxFRAME_NO_TASKBAR),
      timer_(this, kTimerId), ending_(ending) {
    version_ = vx::ToWx(AboutVersionLine());
    CentreOnScreen();
    Bind(wxEVT_TIMER, &CDlgEroeffnen::OnTimer, this, kTimerId);
    Bind(wxEVT_LEFT_DOWN, &CDlgEroeffnen::OnLeftDown, this);
    Bind(wxEVT_PAINT, &CDlgEroeffnen::OnPaint, this);
    timer_.Start(kTickMs);
}

void CDlgEroeffnen::OnTimer(wxTimerEvent& event) {
    if (event.GetId() != kTimerId) return;
    if (--countdown_ <= 0) {
        timer_.Stop();
        if (ending_ == Ending::Destroy) Destroy();
        else Hide();
    }
}

void CDlgEroeffnen::OnLeftDown(wxMouseEvent&) { Hide(); }

void CDlgEroeffnen::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    Paint(dc);
}

void CDlgEroeffnen::Paint(wxDC& dc) {
    DrawProgramHeading(dc);
    DrawProgramVersion(dc, version_, AboutDatabaseLine(Program().about.openingDatabaseDefault));
}
