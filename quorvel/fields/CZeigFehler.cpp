#include "quorvel/fields/CZeigFehler.h"

#include "quorvel/fields/FieldEvent.h"
#include "quorvel/fields/FieldResources.h"
#include "platform/wx/WxText.h"

#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

CZeigFehler::CZeigFehler(wxWindow* parent, const FieldsDeliverable& fields) {
    LoadFieldResources(fields);
    wxXmlResource::Get()->LoadDialog(this, parent, FieldTemplateName(121, fields));
    Bind(wxEVT_BUTTON, [](wxCommandEvent&) { ShowFieldHelp(0); }, wxID_HELP);
}

int CZeigFehler::ShowModal() {
    if (auto* edit = dynamic_cast<wxTextCtrl*>(FindWindow(1050))) {
        wxString text = vx::ToWx(errorText);
        text.Replace("\r\n", "\n");
        edit->ChangeValue(text);
    }
    CentreOnParent();
    return wxDialog::ShowModal();
}
