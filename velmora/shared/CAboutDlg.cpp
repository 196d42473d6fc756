#include "velmora/shared/CAboutDlg.h"

#include "platform/wx/WxText.h"
#include "velmora/shared/CMainFrame.h"
#include "velmora/shared/ProgramPicture.h"
#include "velmora/shared/ProgramSettings.h"

#include <wx/button.h>
#include <wx/dcclient.h>
#include <wx/hyperlink.h>

CAboutDlg::CAboutDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, vx::ToWx(Program().about.title), wxDefaultPosition,
               wxSize(Program().about.textX + 420, Program().about.versionY + 74)) {
    const AboutLayout& a = Program().about;
    version_ = vx::ToWx(AboutVersionLine());
    auto* link = new wxHyperlinkCtrl(this, wxID_ANY, kHomePage, kHomePage, wxPoint(a.textX + 45, 172));
    link->SetFont(ProgramPixelFont(12, false));
    new wxButton(this, wxID_OK, "OK", wxPoint(a.textX + 310, a.versionY));
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
