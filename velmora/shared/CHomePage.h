// The maker's web address in the about box: underlined blue text that
// opens the address in the browser when clicked.
#pragma once

#include <wx/window.h>

#include <string>

class CHomePage : public wxWindow {
public:
    CHomePage(wxWindow* parent, wxWindowID id, const std::string& address);

    // Moves the control and redraws it.
    void SetPosition(int x, int y);
    // Any font is shown underlined; the control fits the text again.
    bool SetFont(const wxFont& font) override;
    const std::string& Address() const { return address_; }

private:
    void OnPaint(wxPaintEvent&);
    void OnLeftDown(wxMouseEvent&);
    void FitToText();

    std::string address_;
};
