#include "velmora/shared/CAboutDlg.h"

#include "platform/StringTable.h"
#include "platform/wx/WxText.h"
#include "velmora/shared/CHomePage.h"
#include "velmora/shared/CMainFrame.h"
#include "velmora/shared/ProgramPicture.h"
#include "velmora/shared/ProgramSettings.h"

#include <wx/button.h>
#include <wx/dcclient.h>

CAboutDlg::CAboutDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, vx::ToWx(vx::LoadString(Program().about.titleId)), wxDefaultPosition,
               wxSize(Program().about.textX + 420, Program().about.versionY + 74)) {
    const AboutLayout& a = Program().about;
    version_ = vx::ToWx(AboutVersionLine());
    // The link opens the address itself and tells when no browser does.
    link_ = new CHomePage(this, wxID_ANY, kHomePage);
    link_->SetFont(ProgramPixelFont(12, false));
    link_->SetPosition(a.textX + 45, 172);
    auto* ok = new wxButton(this, wxID_OK, "OK", wxPoint(a.textX + 310, a.versionY));
    // Enter presses OK: it has the focus and is the default, not the link before it.
    ok->SetDefault();
    ok->SetFocus();
    Bind(wxEVT_PAINT, &CAboutDlg::OnPaint, this);
}

void CAboutDlg::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    Paint(dc);
}

void CAboutDlg::Paint(wxDC& dc) {
    DrawProgramHeading(dc);
    dc.DrawText("Internet:", Program().about.textX, 172);
    DrawProgramVersion(dc, version_, AboutDatabaseLine());
}
