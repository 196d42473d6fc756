#include "velmora/CDlgXAchse.h"

#include "platform/MessageService.h"
#include "platform/StringTable.h"
#include "platform/wx/WxText.h"
#include "velmora/VelmoraDialogs.h"
#include "velmora/VelmoraText.h"
#include "velmora/shared/DialogResources.h"

#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

namespace {
wxTextCtrl* Edit(wxWindow* dialog, int id) { return dynamic_cast<wxTextCtrl*>(dialog->FindWindow(id)); }
std::string TextOf(wxWindow* dialog, int id) {
    wxTextCtrl* edit = Edit(dialog, id);
    return edit ? vx::FromWx(edit->GetValue()) : std::string();
}
} // namespace

CDlgXAchse::CDlgXAchse(wxWindow* parent) {
    LoadVelmoraDialogs();
    wxXmlResource::Get()->LoadDialog(this, parent, "145");
    if (auto* help = dynamic_cast<wxStaticText*>(FindWindow(IDC_HELP))) {
        help->SetLabel(vx::ToWx(vx::LoadString(IDS_HOEHENBEREICH_HILFE)));
        help->Wrap(320);
    }
    // Fields of the forms: letters are refused as they are typed.
    fields_.NumberField(IDC_START, IDS_HOEHE_BEREICH);
    fields_.NumberField(IDC_STEP, IDS_SCHRITT_BEREICH);
    fields_.NumberField(IDC_END, IDS_HOEHE_BEREICH);
    fields_.ShowStrip();
    ShowTexts(LoadHeightRange());
    Fit();
    Bind(wxEVT_BUTTON, &CDlgXAchse::OnApply, this, wxID_OK);
    Bind(wxEVT_BUTTON, &CDlgXAchse::OnDefault, this, IDC_DEFAULT);
}

void CDlgXAchse::ShowTexts(const HeightRangeTexts& texts) {
    if (auto* e = Edit(this, IDC_START)) e->ChangeValue(vx::ToWx(texts.start));
    if (auto* e = Edit(this, IDC_STEP)) e->ChangeValue(vx::ToWx(texts.step));
    if (auto* e = Edit(this, IDC_END)) e->ChangeValue(vx::ToWx(texts.end));
}

HeightRangeTexts CDlgXAchse::ShownTexts() const {
    auto* self = const_cast<CDlgXAchse*>(this);
    return {TextOf(self, IDC_START), TextOf(self, IDC_STEP), TextOf(self, IDC_END)};
}

void CDlgXAchse::OnApply(wxCommandEvent&) {
    HeightRange range;
    unsigned message = 0;
    const int wrong = CheckHeightRange(ShownTexts(), range, &message);
    if (wrong >= 0) {
        RejectField(Edit(this, wrong == 0 ? IDC_START : wrong == 1 ? IDC_STEP : IDC_END), message);
        return;
    }
    range_ = range;
    ShowTexts(SaveHeightRange(range));
    EndModal(wxID_OK);
}

void CDlgXAchse::OnDefault(wxCommandEvent&) { ShowTexts(DefaultHeightRange()); }
