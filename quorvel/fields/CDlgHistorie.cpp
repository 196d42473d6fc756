#include "quorvel/fields/CDlgHistorie.h"

#include "quorvel/fields/FieldResources.h"
#include "platform/wx/WxText.h"
#include "values/CWerte.h"

#include <wx/listbox.h>
#include <wx/xrc/xmlres.h>

CDlgHistorie::CDlgHistorie(wxWindow* parent, CWerte* value_, const FieldsDeliverable& fields) : value(value_) {
    LoadFieldResources(fields);
    wxXmlResource::Get()->LoadDialog(this, parent, FieldTemplateName(155, fields));
    Bind(wxEVT_BUTTON, &CDlgHistorie::OnOK, this, wxID_OK);
    auto* list = dynamic_cast<wxListBox*>(FindWindow(1089));
    if (!list || !value) return;
    std::string text;
    for (bool more = value->GetHistoryEntry(text, true); more; more = value->GetHistoryEntry(text, false))
        if (!text.empty()) list->Append(vx::ToWx(text));
    if (list->GetCount()) list->SetSelection(0);
}

int CDlgHistorie::ShowModal() {
    if (!value) return wxID_CANCEL;
    CentreOnParent();
    return wxDialog::ShowModal();
}

void CDlgHistorie::OnOK(wxCommandEvent&) {
    auto* list = dynamic_cast<wxListBox*>(FindWindow(1089));
    const int selection = list ? list->GetSelection() : wxNOT_FOUND;
    if (selection == wxNOT_FOUND) {
        EndModal(wxID_CANCEL);
        return;
    }
    chosen = vx::FromWx(list->GetString(unsigned(selection)));
    EndModal(wxID_OK);
}
