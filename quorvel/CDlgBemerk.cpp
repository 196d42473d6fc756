#include "quorvel/CDlgBemerk.h"

#include "dbase/data/Table.h"
#include "platform/MessageService.h"
#include "platform/wx/WxText.h"
#include "quorvel/CDatenbank.h"
#include "quorvel/CDlgBemDBV2.h"
#include "quorvel/CDlgMatchCode.h"
#include "quorvel/CQuorvelApp.h"
#include "quorvel/QuorvelDialogs.h"
#include "quorvel/QuorvelText.h"
#include "quorvel/RemarkRecords.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

CDlgBemerk::CDlgBemerk(wxWindow* parent, const std::string& text_)
    : wxDialog(parent, wxID_ANY, QuorvelLabel(IDS_QV_TITLE_REMARKS), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE),
      text(text_) {
    auto* sizer = new wxBoxSizer(wxHORIZONTAL);
    edit_ = new wxTextCtrl(this, IDC_TEXT, vx::ToWx(ToEditBreaks(text)), wxDefaultPosition, wxSize(420, 200),
                           wxTE_MULTILINE);
    sizer->Add(edit_, 1, wxALL | wxEXPAND, 8);
    auto* side = new wxBoxSizer(wxVERTICAL);
    auto* ok = new wxButton(this, wxID_OK, QuorvelLabel(IDS_QV_BTN_CONTINUE));
    side->Add(ok, 0, wxEXPAND | wxBOTTOM, 4);
    side->Add(new wxButton(this, IDC_FROM_DB, QuorvelLabel(IDS_QV_BTN_FROM_DB_KEY)), 0, wxEXPAND | wxBOTTOM, 4);
    side->Add(new wxButton(this, IDC_TO_DB, QuorvelLabel(IDS_QV_BTN_TO_DB_KEY)), 0, wxEXPAND | wxBOTTOM, 4);
    side->Add(new wxButton(this, wxID_HELP, QuorvelLabel(IDS_QV_BTN_HELP)), 0, wxEXPAND | wxBOTTOM, 4);
    side->Add(new wxButton(this, wxID_CANCEL, QuorvelLabel(IDS_QV_BTN_CANCEL)), 0, wxEXPAND);
    sizer->Add(side, 0, wxALL, 8);
    SetSizerAndFit(sizer);
    GreyHelpButton(this);
    AddToolTips(this, {{wxID_OK, IDS_QV_TIP_REMARK_TAKE}, {wxID_HELP, IDS_QV_TIP_HELP},
                       {wxID_CANCEL, IDS_QV_TIP_CANCEL}, {IDC_FROM_DB, IDS_QV_TIP_REMARK_FROM_DB},
                       {IDC_TO_DB, IDS_QV_TIP_REMARK_TO_DB}});
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnFromDatabase(); }, IDC_FROM_DB);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnToDatabase(); }, IDC_TO_DB);
    edit_->Bind(wxEVT_SET_FOCUS, [this](wxFocusEvent& event) {
        event.Skip();
        // After the control's own focus handling, which selects the text.
        CallAfter([this] { edit_->SetInsertionPointEnd(); });
    });
    if (!TableUsable(TheDatenbank().Bemerkungen())) {
        FindWindow(IDC_FROM_DB)->Disable();
        FindWindow(IDC_TO_DB)->Disable();
    }
    CentreOnParent();
    edit_->SetFocus();
}

bool CDlgBemerk::TransferDataFromWindow() {
    text = ToStoredBreaks(vx::FromWx(edit_->GetValue()));
    return true;
}

void CDlgBemerk::OnFromDatabase() {
    CDlgBemDBV2 store(this);
    if (store.ShowModal() != wxID_OK) return;
    // Nothing chosen: the selection stays as it is.
    if (!store.chosen.empty()) edit_->WriteText(vx::ToWx(ToEditBreaks(store.chosen)));
    edit_->SetFocus();
}

void CDlgBemerk::OnToDatabase() {
    CBemerkTab* tab = TheDatenbank().Bemerkungen();
    if (!tab || !tab->IsOpen()) return;
    TransferDataFromWindow();
    if (vx::tableAppendBlank(tab->Handle()) != 0) {
        vx::ShowMessage(QuorvelString(IDS_QV_REMARK_WRITE_FAILED));
        return;
    }
    CDlgMatchCode ask(this);
    const bool named = ask.ShowModal() == wxID_OK;
    // The text is kept also without a match code.
    if (WriteRemark(*tab, named ? &ask.match : nullptr, text) != 0)
        vx::ShowMessage(QuorvelString(IDS_QV_REMARK_WRITE_FAILED));
}
