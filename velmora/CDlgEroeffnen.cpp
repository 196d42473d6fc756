#include "velmora/CDlgEroeffnen.h"

#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "platform/wx/WxText.h"
#include "velmora/CommandIds.h"
#include "velmora/ProgramPicture.h"
#include "velmora/VelmoraSettings.h"

#include <wx/dcclient.h>
#include <wx/frame.h>

namespace {
const char* const kMakerAddress = "Trevalen Software GmbH, Am Schornsteinweg 12, 34567 Velmstadt";

wxFont PixelFont(int pixels, bool italic) {
    wxFontInfo info(wxSize(0, pixels));
    info.Family(wxFONTFAMILY_SWISS);
    if (italic) info.Italic();
    return wxFont(info);
}
} // namespace

CDlgEroeffnen::CDlgEroeffnen(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, vx::ToWx(Program().name), wxDefaultPosition, wxSize(560, 270),
               wxBORDER_SIMPLE | wxSTAY_ON_TOP | wxFRAME_NO_TASKBAR),
      timer_(this, kTimerId) {
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
        Hide();
    }
}

void CDlgEroeffnen::OnLeftDown(wxMouseEvent&) { Hide(); }

void CDlgEroeffnen::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    Paint(dc);
}

void CDlgEroeffnen::Paint(wxDC& dc) {
    DrawProgramPicture(dc);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    dc.SetFont(PixelFont(24, true));
    dc.DrawText(vx::ToWx(Program().name), 220, 15);
    dc.SetFont(PixelFont(12, false));
    dc.DrawText(vx::ToWx(vx::LoadString(IDS_ABOUT_LINE1)), 220, 55);
    dc.DrawText(vx::ToWx(vx::LoadString(IDS_ABOUT_LINE2)), 220, 69);
    dc.DrawText(vx::ToWx(kMakerAddress), 220, 158);
    dc.DrawText(version_, 10, 226);
    dc.DrawText(vx::ToWx("( Datenbank: " + vx::Profile().GetString("Datenbank", "Stand_W", "2003/5") + " )"), 10,
                240);
}
