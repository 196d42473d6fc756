// The about box: picture, program name and purpose, maker, version and
// catalogue state.
#pragma once

#include <wx/dialog.h>

class wxDC;
class wxHyperlinkCtrl;

class CAboutDlg : public wxDialog {
public:
    explicit CAboutDlg(wxWindow* parent);

    const wxString& VersionLine() const { return version_; }
    wxHyperlinkCtrl* Link() const { return link_; }

    // What the window shows, drawn into dc.
    void Paint(wxDC& dc);

private:
    void OnPaint(wxPaintEvent&);

    wxString version_;
    wxHyperlinkCtrl* link_ = nullptr;
};
