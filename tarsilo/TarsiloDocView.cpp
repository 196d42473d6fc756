#include "tarsilo/TarsiloDocView.h"

#include "platform/StringTable.h"
#include "platform/wx/WxText.h"
#include "tarsilo/CTarsiloDoc.h"
#include "tarsilo/CTarsiloView.h"
#include "tarsilo/TarsiloCommandIds.h"
#include "velmora/shared/ProgramSettings.h"

#include <wx/app.h>
#include <wx/frame.h>
#include <wx/sizer.h>

wxIMPLEMENT_DYNAMIC_CLASS(TarsiloDocView, wxView);

CTarsiloDoc* TarsiloDocView::Document() const { return wxDynamicCast(GetDocument(), CTarsiloDoc); }

bool TarsiloDocView::OnCreate(wxDocument* doc, long flags) {
    if (!wxView::OnCreate(doc, flags)) return false;
    auto* frame = wxDynamicCast(wxTheApp->GetTopWindow(), wxFrame);
    CTarsiloDoc* tarsilo = Document();
    if (!frame || !tarsilo) return false;
    SetFrame(frame);
    form_ = new CTarsiloView(frame, *tarsilo);
    tarsilo->selectedRow = [this] { return form_ ? form_->SelectedRow() : -1; };
    form_->OnInitialUpdate();
    Activate(true);
    return true;
}

bool TarsiloDocView::OnClose(bool deleteWindow) {
    if (!wxView::OnClose(deleteWindow)) return false;
    Activate(false);
    if (CTarsiloDoc* doc = Document()) doc->selectedRow = nullptr;
    if (form_) {
        form_->Destroy();
        form_ = nullptr;
    }
    SetFrame(nullptr);
    return true;
}

void TarsiloDocView::OnUpdate(wxView*, wxObject*) {
    if (form_) form_->OnDocumentUpdate();
}

void TarsiloDocView::OnChangeFilename() {
    wxWindow* frame = GetFrame();
    if (!frame || !GetDocument()) return;
    frame->SetLabel(GetDocument()->GetUserReadableName() + " - " + vx::ToWx(Program().name));
}
