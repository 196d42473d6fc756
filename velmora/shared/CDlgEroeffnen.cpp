#include "velmora/shared/CDlgEroeffnen.h"

#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "platform/wx/WxText.h"
#include "velmora/shared/ProgramPicture.h"
#include "velmora/shared/ProgramSettings.h"

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
    const AboutLayout& a = Program().about;
    DrawProgramPicture(dc);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    dc.SetFont(PixelFont(24, true));
    dc.DrawText(vx::ToWx(Program().name), a.nameX, a.nameY);
    dc.SetFont(PixelFont(12, false));
    dc.DrawText(vx::ToWx(vx::LoadString(a.line1Id)), a.textX, 55);
    dc.DrawText(vx::ToWx(vx::LoadString(a.line2Id)), a.textX, 69);
    dc.DrawText(vx::ToWx(kMakerAddress), a.textX, 158);
    dc.DrawText(version_, 10, a.versionY);
    dc.DrawText(vx::ToWx(AboutDatabaseLine(a.openingDatabaseDefault)), 10, a.versionY + 14);
}
