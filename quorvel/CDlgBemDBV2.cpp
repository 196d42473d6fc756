#include "quorvel/CDlgBemDBV2.h"

#include "dbase/data/Table.h"
#include "platform/wx/WxText.h"
#include "quorvel/CDatenbank.h"
#include "quorvel/ListLine.h"
#include "quorvel/PackWhenPossible.h"
#include "quorvel/QuorvelDialogs.h"
#include "quorvel/QuorvelText.h"
#include "quorvel/RemarkRecords.h"

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/sizer.h>

CDlgBemDBV2::CDlgBemDBV2(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, QuorvelLabel(IDS_QV_TITLE_REMARK_TEXTS), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE) {
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    list_ = new wxComboBox(this, IDC_LIST, "", wxDefaultPosition, wxSize(560, -1), 0, nullptr, wxCB_READONLY);
    list_->SetFont(wxFont(wxFontInfo(10).FaceName("Courier New").Family(wxFONTFAMILY_TELETYPE)));
    sizer->Add(list_, 0, wxALL | wxEXPAND, 8);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    auto* ok = new wxButton(this, wxID_OK, QuorvelLabel(IDS_QV_BTN_CONTINUE));
    ok->SetDefault();
    buttons->Add(ok, 0, wxRIGHT, 4);
    buttons->Add(new wxButton(this, wxID_CANCEL, QuorvelLabel(IDS_QV_BTN_CANCEL)), 0, wxRIGHT, 4);
    buttons->Add(new wxButton(this, IDC_DELETE, QuorvelLabel(IDS_QV_BTN_DELETE)));
    sizer->Add(buttons, 0, wxALL | wxALIGN_RIGHT, 8);
    SetSizerAndFit(sizer);
    AddToolTips(this, {{wxID_OK, IDS_QV_TIP_REMARK_TAKE_FROM_DB}, {wxID_CANCEL, IDS_QV_TIP_CANCEL},
                       {IDC_DELETE, IDS_QV_TIP_REMARK_DELETE}});
    list_->Bind(wxEVT_COMBOBOX, [this](wxCommandEvent&) { OnSelect(); });
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnDelete(); }, IDC_DELETE);
    Bind(wxEVT_BUTTON, &CDlgBemDBV2::OnOK, this, wxID_OK);

    CBemerkTab* tab = TheDatenbank().Bemerkungen();
    if (!TableUsable(tab)) {
        list_->Disable();
        FindWindow(IDC_DELETE)->Disable();
        ok->Disable();
    } else {
        tab_ = tab;
        PackIfPending(*tab_);
        wxArrayString lines;
        if (tab_->IsOpen())
            for (const std::string& line : RemarkLines(*tab_)) lines.Add(vx::ToWx(line));
        if (!lines.empty()) list_->Append(lines);
    }
    CentreOnParent();
}

CDlgBemDBV2::~CDlgBemDBV2() {
    if (deleted && tab_) PackWhenPossible(*tab_);
}

long CDlgBemDBV2::SelectedRecord() const {
    const int selection = list_->GetSelection();
    if (selection == wxNOT_FOUND) return 0;
    return RecordNumberOfLine(vx::FromWx(list_->GetString(unsigned(selection))));
}

void CDlgBemDBV2::OnSelect() {
    cleared_ = false;
    const long rec = SelectedRecord();
    if (tab_ && tab_->IsOpen() && rec > 0) vx::tableGo(tab_->Handle(), rec);
}

void CDlgBemDBV2::OnDelete() {
    // Only a line the user chose.
    const int selection = list_->GetSelection();
    if (!tab_ || selection == wxNOT_FOUND) return;
    if (DeleteRemark(*tab_, SelectedRecord())) deleted = true;
    list_->Delete(unsigned(selection));
    // The deleted text must not stay in the field as if it could still be taken.
    list_->SetSelection(wxNOT_FOUND);
    list_->ChangeValue(wxEmptyString);
    cleared_ = true;
    list_->SetFocus();
}

void CDlgBemDBV2::OnOK(wxCommandEvent&) {
    chosen.clear();
    if (tab_ && tab_->IsOpen() && !(cleared_ && SelectedRecord() == 0)) {
        vx::TableHandle* t = tab_->Handle();
        const long rec = SelectedRecord();
        const bool on = rec > 0 ? vx::tableGo(t, rec) == 0 : GoFirstLive(t) == 0;
        if (on && !vx::tableDeleted(t)) chosen = tab_->FeldText(tab_->bemerkung);
    }
    EndModal(wxID_OK);
}
