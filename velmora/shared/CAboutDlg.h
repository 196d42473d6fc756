// The about box: picture, program name and purpose, maker, version and
// catalogue state.
#pragma once

#include <wx/dialog.h>

class wxDC;
class CHomePage;

class CAboutDlg : public wxDialog {
public:
    explicit CAboutDlg(wxWindow* parent);

    const wxString& VersionLine() const { return version_; }
    CHomePage* Link() const { return link_; }

    // What the window shows, drawn into dc.
    void Paint(wxDC& dc);

private:
    void OnPaint(wxPaintEvent&);

    wxString version_;
    CHomePage* link_ = nullptr;
};
