// The about box: picture, program name and purpose, maker, version and
// catalogue state.
#pragma once

#include <wx/dialog.h>

class CAboutDlg : public wxDialog {
public:
    explicit CAboutDlg(wxWindow* parent);

    const wxString& VersionLine() const { return version_; }

private:
    void OnPaint(wxPaintEvent&);

    wxString version_;
};
