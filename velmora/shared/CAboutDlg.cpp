#include "velmora/shared/CAboutDlg.h"

#include "platform/StringTable.h"
#include "platform/wx/WxText.h"
#include "velmora/shared/CMainFrame.h"
#include "velmora/shared/ProgramPicture.h"
#include "velmora/shared/ProgramSettings.h"

#include <wx/button.h>
#include <wx/dcclient.h>
#include <wx/hyperlink.h>

namespace {
const char* const kMakerAddress = "Trevalen Software GmbH, Am Schornsteinweg 12, 34567 Velmstadt";

wxFont PixelFont(int pixels, bool italic) {
    wxFontInfo info(wxSize(0, pixels));
    info.Family(wxFONTFAMILY_SWISS);
    if (italic) info.Italic();
    return wxFont(info);
}
} // namespace

CAboutDlg::CAboutDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, vx::ToWx(Program().about.title), wxDefaultPosition,
               wxSize(Program().about.textX + 420, Program().about.versionY + 74)) {
    const AboutLayout& a = Program().about;
    version_ = vx::ToWx(AboutVersionLine());
    auto* link = new wxHyperlinkCtrl(this, wxID_ANY, kHomePage, kHomePage, wxPoint(a.textX + 45, 172));
    link->SetFont(PixelFont(12, false));
    new wxButton(this, wxID_OK, "OK", wxPoint(a.textX + 310, a.versionY));
    Bind(wxEVT_PAINT, &CAboutDlg::OnPaint, this);
}

void CAboutDlg::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    Paint(dc);
}

void CAboutDlg::Paint(wxDC& dc) {
    const AboutLayout& a = Program().about;
    DrawProgramPicture(dc);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    dc.SetFont(PixelFont(24, true));
    dc.DrawText(vx::ToWx(Program().name), a.nameX, a.nameY);
    dc.SetFont(PixelFont(12, false));
    dc.DrawText(vx::ToWx(vx::LoadString(a.line1Id)), a.textX, 55);
    dc.DrawText(vx::ToWx(vx::LoadString(a.line2Id)), a.textX, 69);
    dc.DrawText(vx::ToWx(kMakerAddress), a.textX, 158);
    dc.DrawText("Internet:", a.textX, 172);
    dc.DrawText(version_, 10, a.versionY);
    dc.DrawText(vx::ToWx(AboutDatabaseLine()), 10, a.versionY + 14);
}
