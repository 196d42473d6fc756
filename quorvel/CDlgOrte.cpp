#include "quorvel/CDlgOrte.h"

#include "dbase/data/Table.h"
#include "platform/MessageService.h"
#include "platform/wx/WxText.h"
#include "quorvel/CDatenbank.h"
#include "quorvel/CDlgOrteSearch.h"
#include "quorvel/CQuorvelApp.h"
#include "quorvel/PlaceRecords.h"
#include "quorvel/PackWhenPossible.h"
#include "quorvel/QuorvelDialogs.h"
#include "quorvel/QuorvelText.h"
#include "quorvel/RecordWalk.h"
#include "quorvel/fields/CParsedEdit.h"
#include "quorvel/fields/FieldRules.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

CDlgOrte::CDlgOrte(wxWindow* parent) : CVxtDialog(IDD, parent, nullptr, 1) {
    title = QuorvelString(IDS_QV_TITLE_PLACES);
    struct Row {
        CWString* value;
        int id;
        unsigned label;
        size_t limit;
        uint16_t kind;
    } rows[] = {
        {&plz_, IDC_PLZ, IDS_QV_LBL_PLZ, 10, fields::KindAny},
        {&ort_, IDC_ORT, IDS_QV_LBL_TOWN, 50, fields::KindAny},
        {&land_, IDC_LAND, IDS_QV_LBL_LAND, 50, fields::KindAny},
        {&height_, IDC_HEIGHT, IDS_QV_LBL_HEIGHT, 5, fields::KindSigned},
    };
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    auto* body = new wxBoxSizer(wxHORIZONTAL);
    auto* grid = new wxFlexGridSizer(2, 4, 8);
    grid->AddGrowableCol(1);
    for (const Row& row : rows) {
        row.value->Init(uint16_t(row.id), 0, 0, 0, row.kind, 0, 0, 0, 0, 0, 0, 0, false);
        grid->Add(new wxStaticText(this, wxID_ANY, QuorvelLabel(row.label)), 0, wxALIGN_CENTER_VERTICAL);
        auto* edit = new CParsedEdit(row.value);
        edit->Create(this, row.id, wxDefaultPosition, wxSize(row.limit > 10 ? 320 : 100, -1));
        edit->SetLimitText(row.limit);
        grid->Add(edit, 0, row.limit > 10 ? wxEXPAND : 0);
        RegisterValue(row.value);
    }
    body->Add(grid, 1, wxALL | wxEXPAND, 8);
    auto* side = new wxBoxSizer(wxVERTICAL);
    auto* ok = new wxButton(this, wxID_OK, QuorvelLabel(IDS_QV_BTN_CONTINUE));
    ok->SetDefault();
    side->Add(ok, 0, wxEXPAND | wxBOTTOM, 4);
    side->Add(new wxButton(this, wxID_HELP, QuorvelLabel(IDS_QV_BTN_HELP)), 0, wxEXPAND | wxBOTTOM, 4);
    side->Add(new wxButton(this, wxID_CANCEL, QuorvelLabel(IDS_QV_BTN_ABORT)), 0, wxEXPAND);
    body->Add(side, 0, wxALL, 8);
    sizer->Add(body, 1, wxEXPAND);
    hint_ = new wxStaticText(this, IDC_NO_HEIGHT_HINT, QuorvelLabel(IDS_QV_PLACE_NO_HEIGHT));
    hint_->SetForegroundColour(*wxRED);
    hint_->Hide();
    sizer->Add(hint_, 0, wxLEFT | wxRIGHT, 8);
    auto* browse = new wxBoxSizer(wxHORIZONTAL);
    struct Button {
        int id;
        std::string label;
        void (CDlgOrte::*handler)();
    } buttons[] = {{IDC_NEW, QuorvelString(IDS_QV_BTN_NEW), &CDlgOrte::OnNew},
                   {IDC_DELETE, QuorvelString(IDS_QV_BTN_REMOVE), &CDlgOrte::OnDelete},
                   {IDC_SAVE, QuorvelString(IDS_QV_BTN_STORE_PLACE), &CDlgOrte::OnSave},
                   {IDC_SEARCH, QuorvelString(IDS_QV_BTN_SEARCH), &CDlgOrte::OnSearch},
                   {IDC_PREVIOUS, "&<", &CDlgOrte::OnPrevious},
                   {IDC_NEXT, "&>", &CDlgOrte::OnNext}};
    for (const Button& b : buttons) {
        browse->Add(new wxButton(this, b.id, vx::ToWx(b.label)), 0, wxRIGHT, 4);
        Bind(wxEVT_BUTTON, [this, handler = b.handler](wxCommandEvent&) { (this->*handler)(); }, b.id);
    }
    sizer->Add(browse, 0, wxALL, 8);
    // Room for the message strip at the bottom.
    sizer->AddSpacer(28);
    SetSizerAndFit(sizer);
    GreyHelpButton(this);
    AddToolTips(this, {{wxID_OK, IDS_QV_TIP_PLACE_TAKE}, {wxID_HELP, IDS_QV_TIP_HELP},
                       {wxID_CANCEL, IDS_QV_TIP_CANCEL}, {IDC_NEW, IDS_QV_TIP_PLACE_NEW},
                       {IDC_SAVE, IDS_QV_TIP_PLACE_SAVE}, {IDC_DELETE, IDS_QV_TIP_PLACE_DELETE},
                       {IDC_SEARCH, IDS_QV_TIP_PLACE_SEARCH}, {IDC_PREVIOUS, IDS_QV_TIP_PLACE_PREVIOUS},
                       {IDC_NEXT, IDS_QV_TIP_PLACE_NEXT}});
}

bool CDlgOrte::OnInitDialog() {
    CVxtDialog::OnInitDialog();
    CPlzOrtTab* tab = TheDatenbank().Orte();
    if (!TableUsable(tab)) {
        Refuse();
        return true;
    }
    tab_ = tab;
    PackIfPending(*tab_);
    if (vx::tableRecCount(tab_->Handle()) >= 0) GoFirstLive(tab_->Handle());
    ShowRecord();
    if (wxWindow* first = FindWindow(IDC_PLZ)) first->SetFocus();
    return true;
}

void CDlgOrte::Refuse() {
    // Nothing to edit and nothing to hand back.
    tab_ = nullptr;
    for (wxWindow* child : GetChildren())
        if (child->GetId() != wxID_CANCEL && dynamic_cast<wxStaticText*>(child) == nullptr) child->Disable();
    // With every other control disabled nothing would have the keyboard, and
    // Escape would reach no one.
    if (wxWindow* cancel = FindWindow(wxID_CANCEL)) cancel->SetFocus();
}

void CDlgOrte::ShowRecord() {
    if (!tab_) return;
    // A new entry shows what a blank record would.
    const PlaceTexts place = newEntry_ ? PlaceTexts{{}, {}, {}, "0"} : ReadPlace(*tab_);
    plz_.text = place.plz;
    ort_.text = place.ort;
    land_.text = place.land;
    height_.text = place.height;
    RefreshFields(false);
    const bool unknown = place.height == "-99";
    if (hint_->IsShown() != unknown) {
        hint_->Show(unknown);
        Layout();
    }
}

void CDlgOrte::OnNew() {
    if (!tab_) return;
    // The record is appended at "&Speich": leaving without it stores nothing.
    newEntry_ = true;
    ShowRecord();
    FindWindow(IDC_NEW)->Disable();
    FindWindow(IDC_PLZ)->SetFocus();
}

void CDlgOrte::LeaveNewEntry() {
    newEntry_ = false;
    if (wxWindow* neu = FindWindow(IDC_NEW)) neu->Enable();
}

void CDlgOrte::OnSave() {
    if (!tab_ || RefreshFields(true) == 0) return;
    // The table keeps whole metres: "12,5" must not become 12 unseen.
    const std::string& h = height_.text;
    const size_t digits = h.rfind('-', 0) == 0 ? 1 : 0;
    if (h.size() <= digits || h.find_first_not_of("0123456789", digits) != std::string::npos) {
        vx::ShowMessage(QuorvelString(IDS_QV_HEIGHT_WHOLE_METRES), vx::MB_OK | vx::MB_ICONEXCLAMATION);
        if (auto* height = dynamic_cast<wxTextCtrl*>(FindWindow(IDC_HEIGHT))) {
            height->SetFocus();
            height->SelectAll();
        }
        return;
    }
    if (newEntry_ && vx::tableAppendBlank(tab_->Handle()) != 0) {
        vx::ShowMessage(QuorvelString(IDS_QV_UPDATE_FAILED));
        return;
    }
    LeaveNewEntry();
    if (SavePlace(*tab_, {plz_.text, ort_.text, land_.text, height_.text}) != 0) {
        vx::ShowMessage(QuorvelString(IDS_QV_UPDATE_FAILED));
        return;
    }
    ShowRecord();
}

void CDlgOrte::OnDelete() {
    if (!tab_) return;
    if (newEntry_) {
        // Nothing of a new entry is in the table yet.
        LeaveNewEntry();
        GoFirstLive(tab_->Handle());
        ShowRecord();
        return;
    }
    if (!OnLiveRecord(tab_->Handle())) return;
    vx::tableDelete(tab_->Handle());
    PackWhenPossible(*tab_);
    if (!TableUsable(tab_)) {
        Refuse();
        return;
    }
    GoFirstLive(tab_->Handle());
    FindWindow(IDC_NEW)->Enable();
    ShowRecord();
}

void CDlgOrte::OnNext() {
    if (!tab_) return;
    LeaveNewEntry();
    if (NextLive(tab_->Handle())) vx::ShowMessage(QuorvelString(IDS_QV_LAST_RECORD));
    ShowRecord();
}

void CDlgOrte::OnPrevious() {
    if (!tab_) return;
    LeaveNewEntry();
    if (PreviousLive(tab_->Handle())) vx::ShowMessage(QuorvelString(IDS_QV_FIRST_RECORD));
    ShowRecord();
}

void CDlgOrte::OnSearch() {
    if (!tab_) return;
    vx::TableHandle* t = tab_->Handle();
    const long current = vx::tableRecNo(t);
    CDlgOrteSearch search(this);
    const bool chosen = search.ShowModal() == wxID_OK && search.recNo > 0;
    // A new entry keeps what was typed into it unless another place is chosen.
    if (newEntry_ && !chosen) return;
    LeaveNewEntry();
    if (chosen) vx::tableGo(t, search.recNo);
    else if (current >= 1 && current <= vx::tableRecCount(t)) vx::tableGo(t, current);
    else GoFirstLive(t);
    ShowRecord();
}
