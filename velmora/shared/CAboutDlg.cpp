#include "velmora/shared/CAboutDlg.h"

#include "platform/wx/WxText.h"
#include "velmora/shared/CMainFrame.h"
#include "velmora/shared/ProgramPicture.h"
#include "velmora/shared/ProgramSettings.h"
#include "velmora/shared/WebLink.h"

#include <wx/button.h>
#include <wx/dcclient.h>
#include <wx/hyperlink.h>

CAboutDlg::CAboutDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, vx::ToWx(Program().about.title), wxDefaultPosition,
               wxSize(Program().about.textX + 420, Program().about.versionY + 74)) {
    const AboutLayout& a = Program().about;
    version_ = vx::ToWx(AboutVersionLine());
    link_ = new wxHyperlinkCtrl(this, wxID_ANY, kHomePage, kHomePage, wxPoint(a.textX + 45, 172));
    link_->SetFont(ProgramPixelFont(12, false));
    // The link is opened here, so that a missing browser is told.
    link_->Bind(wxEVT_HYPERLINK, [](wxHyperlinkEvent& e) { OpenWebAddressOrTell(vx::FromWx(e.GetURL())); });
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
