// A text in colours its owner chooses.
#pragma once

#include <wx/window.h>

class CTextControl : public wxWindow {
public:
    CTextControl() = default;
    bool Create(wxWindow* parent, int id, const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize);
    // Takes the place of the host's control with that id, keeping its text.
    bool SubclassDlgItem(wxWindow* host, int id);

    void SetLabel(const wxString& label) override;
    wxString GetLabel() const override { return label_; }

    wxColour textColour{0, 0, 0};
    wxColour backColour{0, 0, 0};

private:
    void OnPaint(wxPaintEvent& event);
    wxString label_;
};
