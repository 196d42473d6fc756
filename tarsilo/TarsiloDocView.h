// The framework's view of the assignment table: it puts the form into the
// main frame and passes the document's updates on to it.
#pragma once

#include <wx/docview.h>

class CTarsiloDoc;
class CTarsiloView;

class TarsiloDocView : public wxView {
public:
    bool OnCreate(wxDocument* doc, long flags) override;
    bool OnClose(bool deleteWindow) override;
    void OnDraw(wxDC*) override {}
    void OnUpdate(wxView* sender, wxObject* hint = nullptr) override;
    // The frame shows "<document> - Tarsilo".
    void OnChangeFilename() override;

    CTarsiloView* Form() const { return form_; }
    CTarsiloDoc* Document() const;

private:
    CTarsiloView* form_ = nullptr;

    wxDECLARE_DYNAMIC_CLASS(TarsiloDocView);
};
