#include "velmora/CAboutDlg.h"

#include "platform/StringTable.h"
#include "platform/wx/WxText.h"
#include "velmora/CMainFrame.h"
#include "velmora/CommandIds.h"
#include "velmora/ProgramPicture.h"
#include "velmora/VelmoraSettings.h"

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
    : wxDialog(parent, wxID_ANY, vx::ToWx("Info über Velmora"), wxDefaultPosition, wxSize(640, 300)) {
    version_ = vx::ToWx(AboutVersionLine());
    auto* link = new wxHyperlinkCtrl(this, wxID_ANY, kHomePage, kHomePage, wxPoint(265, 172));
    link->SetFont(PixelFont(12, false));
    new wxButton(this, wxID_OK, "OK", wxPoint(530, 226));
    Bind(wxEVT_PAINT, &CAboutDlg::OnPaint, this);
}

void CAboutDlg::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    Paint(dc);
}

void CAboutDlg::Paint(wxDC& dc) {
    DrawProgramPicture(dc);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    dc.SetFont(PixelFont(24, true));
    dc.DrawText("Velmora", 220, 15);
    dc.SetFont(PixelFont(12, false));
    dc.DrawText(vx::ToWx(vx::LoadString(IDS_ABOUT_LINE1)), 220, 55);
    dc.DrawText(vx::ToWx(vx::LoadString(IDS_ABOUT_LINE2)), 220, 69);
    dc.DrawText(vx::ToWx(kMakerAddress), 220, 158);
    dc.DrawText("Internet:", 220, 172);
    dc.DrawText(version_, 10, 226);
    dc.DrawText(vx::ToWx(AboutDatabaseLine()), 10, 240);
}
