#include "velmora/shared/CDlgGeoHoehe.h"

#include "platform/MessageService.h"
#include "platform/StringTable.h"
#include "platform/wx/WxText.h"
#include "quorvel/fields/CParsedEdit.h"
#include "velmora/shared/DialogRules.h"
#include "velmora/shared/DialogResources.h"

#include <wx/button.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

CDlgGeoHoehe::CDlgGeoHoehe(wxWindow* parent, double height) : height_(height) {
    LoadSharedDialogs();
    wxXmlResource::Get()->LoadDialog(this, parent, "134");
    // A field of the forms: letters are refused as they are typed.
    if (CParsedEdit* edit = fields_.NumberField(IDC_HEIGHT, IDS_GEOHOEHE_BEREICH)) {
        edit->SetLimitText(10);
        edit_ = edit;
    }
    fields_.ShowStrip();
    if (auto* help = dynamic_cast<wxStaticText*>(FindWindow(IDC_HELP))) {
        wxString text = vx::ToWx(vx::LoadString(IDS_GEOHOEHE_HILFE));
        text.Replace("\r\n", "\n");
        help->SetLabel(text);
        help->SetForegroundColour(wxColour(0, 0, 255));
        help->Wrap(340);
    }
    if (edit_) edit_->ChangeValue(vx::ToWx(GeoHeightText(height)));
    Fit();
    Bind(wxEVT_BUTTON, &CDlgGeoHoehe::OnOK, this, wxID_OK);
    Bind(wxEVT_BUTTON, &CDlgGeoHoehe::OnDefault, this, IDC_DEFAULT);
}

bool CDlgGeoHoehe::Validate() {
    double height = 0;
    const std::string text = edit_ ? vx::FromWx(edit_->GetValue()) : "";
    if (unsigned message = CheckTypedNumber(text, 0.0, kGeoHeightMax, IDS_GEOHOEHE_BEREICH, height)) {
        RejectField(edit_, message);
        return false;
    }
    height_ = height;
    return true;
}

void CDlgGeoHoehe::OnOK(wxCommandEvent&) {
    if (Validate()) EndModal(wxID_OK);
}

void CDlgGeoHoehe::OnDefault(wxCommandEvent&) {
    if (Validate()) WriteDefaultGeoHeight(height_);
}
