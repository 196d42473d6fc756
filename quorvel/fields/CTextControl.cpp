#include "quorvel/fields/CTextControl.h"

#include "quorvel/fields/FieldPlace.h"

#include <wx/dcbuffer.h>

bool CTextControl::Create(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size) {
    if (!wxWindow::Create(parent, id, pos, size, wxBORDER_NONE)) return false;
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &CTextControl::OnPaint, this);
    return true;
}

bool CTextControl::SubclassDlgItem(wxWindow* host, int id) {
    const ControlPlace place = FindControlPlace(host, id);
    if (!Create(place.parent, id, place.pos, place.size)) return false;
    if (place.old) {
        SetLabel(place.old->GetLabel());
        SetFont(place.old->GetFont());
    }
    TakeControlPlace(place, this);
    return true;
}

void CTextControl::SetLabel(const wxString& label) {
    label_ = label;
    Refresh();
}

void CTextControl::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    dc.SetBackground(wxBrush(backColour));
    dc.Clear();
    dc.SetFont(GetFont());
    dc.SetTextForeground(textColour);
    dc.SetTextBackground(backColour);
    dc.DrawText(label_, 0, 0);
}
