#include "velmora/CVelmoraView.h"

#include "velmora/CVelmoraApp.h"

#include <wx/app.h>
#include <wx/frame.h>
#include <wx/panel.h>

wxIMPLEMENT_DYNAMIC_CLASS(CVelmoraView, wxView);

bool CVelmoraView::OnCreate(wxDocument* doc, long flags) {
    if (!wxView::OnCreate(doc, flags)) return false;
    auto* frame = wxDynamicCast(wxTheApp->GetTopWindow(), wxFrame);
    if (!frame) return false;
    SetFrame(frame);
    form_ = new wxPanel(frame, wxID_ANY);
    // A frame with a single child gives it the whole client area.
    frame->SendSizeEvent();
    Activate(true);
    return true;
}

bool CVelmoraView::OnClose(bool deleteWindow) {
    if (!wxView::OnClose(deleteWindow)) return false;
    Activate(false);
    if (form_) {
        form_->Destroy();
        form_ = nullptr;
    }
    SetFrame(nullptr);
    return true;
}

void CVelmoraView::OnChangeFilename() {
    wxWindow* frame = GetFrame();
    if (!frame || !GetDocument()) return;
    frame->SetLabel(GetDocument()->GetUserReadableName() + " - " + VelmoraFrameTitle());
}
