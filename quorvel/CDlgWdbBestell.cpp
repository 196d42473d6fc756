#include "quorvel/CDlgWdbBestell.h"

#include "platform/NumText.h"
#include "platform/Profile.h"
#include "platform/report/WxReportJob.h"
#include "platform/wx/WxText.h"
#include "quorvel/CQuorvelApp.h"
#include "quorvel/OrderForm.h"
#include "quorvel/QuorvelDialogs.h"
#include "quorvel/QuorvelText.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/utils.h>

CDlgWdbBestell::CDlgWdbBestell(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, QuorvelLabel(IDS_QV_TITLE_CATALOGUE), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE) {
    const OrderAddress& a = TheOrderAddress();
    const struct {
        int id;
        std::string text;
    } texts[] = {
        {IDC_CATALOGUE, vx::Format(QuorvelString(IDS_QV_CATALOGUE_STATE), CatalogueDate())},
        {IDC_ORDER_HINT, QuorvelString(IDS_QV_CATALOGUE_ORDER_HINT)},
        {IDC_ADDRESS,
         vx::Format(QuorvelString(IDS_QV_CATALOGUE_ADDRESS), a.firm, a.street, a.town, a.telephone, a.fax)},
    };
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    for (const auto& t : texts) {
        auto* label = new wxStaticText(this, t.id, vx::ToWx(t.text));
        label->SetForegroundColour(*wxBLUE);
        label->Wrap(460);
        sizer->Add(label, 0, wxLEFT | wxRIGHT | wxTOP, 10);
    }
    notAgain_ = new wxCheckBox(this, IDC_NOT_AGAIN, QuorvelLabel(IDS_QV_CATALOGUE_NOT_AGAIN));
    notAgain_->SetValue(vx::Profile().GetInt("Datenbank", "Anzeige_W", 0) != 0);
    sizer->Add(notAgain_, 0, wxALL, 10);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    auto* ok = new wxButton(this, wxID_OK, "OK");
    ok->SetDefault();
    buttons->Add(ok, 0, wxRIGHT, 8);
    buttons->Add(new wxButton(this, IDC_ORDER, QuorvelLabel(IDS_QV_BTN_ORDER)));
    sizer->Add(buttons, 0, wxALL | wxALIGN_RIGHT, 10);
    SetSizerAndFit(sizer);
    // Written at once: the choice holds even when the program ends otherwise.
    notAgain_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) {
        vx::Profile().WriteInt("Datenbank", "Anzeige_W", notAgain_->GetValue() ? 1 : 0);
    });
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnOrder(); }, IDC_ORDER);
    SetEscapeId(wxID_OK);
    CentreOnParent();
}

void CDlgWdbBestell::OnOrder() {
    const std::string layout = OrderFormLayout();
    if (layout.empty()) return;
    const bool preview = vx::Profile().GetInt("LuL", "Designer", 0) != 0;
    vx::report::PrintEntry entry = OrderFormEntry(TheQuorvelApp().Anwender(), TheOrderAddress(), layout,
                                                  preview ? vx::report::kPrintPreview : vx::report::kPrintOptionsDialog);
    entry.waitCursor = [](bool on) {
        if (on) wxBeginBusyCursor();
        else wxEndBusyCursor();
    };
    vx::report::WxReportJob job(this);
    vx::report::RunPrint(job, entry);
}
