#include "velmora/CDlgHinweis.h"

#include "platform/StringTable.h"
#include "platform/wx/WxText.h"
#include "velmora/HeightRangeRules.h"
#include "velmora/VelmoraDialogs.h"
#include "velmora/shared/DialogResources.h"

#include <wx/checkbox.h>
#include <wx/stattext.h>
#include <wx/xrc/xmlres.h>

CDlgHinweis::CDlgHinweis(wxWindow* parent) {
    LoadVelmoraDialogs();
    wxXmlResource::Get()->LoadDialog(this, parent, "136");
    if (auto* check = dynamic_cast<wxCheckBox*>(FindWindow(IDC_DONT_SHOW))) check->SetValue(HintSuppressed());
    if (auto* text = dynamic_cast<wxStaticText*>(FindWindow(IDC_TEXT))) {
        wxString shown = vx::ToWx(vx::LoadString(IDS_HINWEIS_FADENKREUZ));
        shown.Replace("\r\n", "\n");
        text->SetLabel(shown);
        text->SetForegroundColour(wxColour(0, 0, 255));
        text->Wrap(420);
    }
    Fit();
    Bind(wxEVT_BUTTON, &CDlgHinweis::OnOK, this, wxID_OK);
}

void CDlgHinweis::OnOK(wxCommandEvent&) {
    if (auto* check = dynamic_cast<wxCheckBox*>(FindWindow(IDC_DONT_SHOW))) SetHintSuppressed(check->GetValue());
    EndModal(wxID_OK);
}
