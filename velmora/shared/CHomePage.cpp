#include "velmora/shared/CHomePage.h"

#include "platform/wx/WxText.h"
#include "velmora/shared/WebLink.h"

#include <wx/dcclient.h>

CHomePage::CHomePage(wxWindow* parent, wxWindowID id, const std::string& address)
    : wxWindow(parent, id, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE), address_(address) {
    SetCursor(wxCursor(wxCURSOR_HAND));
    SetFont(parent->GetFont());
    Bind(wxEVT_PAINT, &CHomePage::OnPaint, this);
    Bind(wxEVT_LEFT_DOWN, &CHomePage::OnLeftDown, this);
}

bool CHomePage::SetFont(const wxFont& font) {
    wxFont underlined = font;
    underlined.SetUnderlined(true);
    const bool changed = wxWindow::SetFont(underlined);
    FitToText();
    return changed;
}

void CHomePage::FitToText() {
    wxClientDC dc(this);
    dc.SetFont(GetFont());
    SetSize(dc.GetTextExtent(vx::ToWx(address_)));
}

void CHomePage::SetPosition(int x, int y) {
    Move(x, y);
    Refresh();
}

void CHomePage::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    dc.SetFont(GetFont());
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    dc.SetTextBackground(wxColour(192, 192, 192));
    dc.SetTextForeground(wxColour(0, 0, 255));
    dc.DrawText(vx::ToWx(address_), 0, 0);
}

void CHomePage::OnLeftDown(wxMouseEvent&) { OpenWebAddressOrTell(address_); }
