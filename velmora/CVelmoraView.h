// The main program's only view. For now it is the empty client area of the
// main frame; the input form with its combo boxes and the diagram window
// are built here with the form.
#pragma once

#include <wx/docview.h>

class wxPanel;

class CVelmoraView : public wxView {
public:
    bool OnCreate(wxDocument* doc, long flags) override;
    bool OnClose(bool deleteWindow) override;
    void OnDraw(wxDC*) override {}
    // The frame shows "<document> - Velmora".
    void OnChangeFilename() override;

    wxPanel* Form() const { return form_; }

private:
    wxPanel* form_ = nullptr;

    wxDECLARE_DYNAMIC_CLASS(CVelmoraView);
};
