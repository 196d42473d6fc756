#include "quorvel/CDlgOrteSearch.h"

#include "dbase/data/Table.h"
#include "platform/wx/WxText.h"
#include "quorvel/CDatenbank.h"
#include "quorvel/ListLine.h"
#include "quorvel/PlaceRecords.h"
#include "quorvel/QuorvelDialogs.h"
#include "quorvel/QuorvelText.h"

#include <wx/button.h>
#include <wx/listbox.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

CDlgOrteSearch::CDlgOrteSearch(wxWindow* parent, bool heightWarning_)
    : CVxtDialog(IDD, parent, nullptr, 1), heightWarning(heightWarning_) {
    title = QuorvelString(IDS_QV_TITLE_PLACE_SEARCH);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    auto* top = new wxBoxSizer(wxHORIZONTAL);
    search_ = new wxTextCtrl(this, IDC_SEARCH, "", wxDefaultPosition, wxSize(220, -1));
    top->Add(search_, 1, wxRIGHT | wxALIGN_CENTER_VERTICAL, 8);
    byPostcodeButton_ = new wxRadioButton(this, IDC_BY_POSTCODE, QuorvelLabel(IDS_QV_LBL_BY_POSTCODE), wxDefaultPosition,
                                          wxDefaultSize, wxRB_GROUP);
    byTownButton_ = new wxRadioButton(this, IDC_BY_TOWN, QuorvelLabel(IDS_QV_LBL_BY_TOWN));
    byTownButton_->SetValue(true);
    top->Add(byPostcodeButton_, 0, wxRIGHT | wxALIGN_CENTER_VERTICAL, 8);
    top->Add(byTownButton_, 0, wxALIGN_CENTER_VERTICAL);
    sizer->Add(top, 0, wxALL | wxEXPAND, 8);
    list_ = new wxListBox(this, IDC_LIST, wxDefaultPosition, wxSize(620, 260), 0, nullptr, wxLB_SINGLE);
    list_->SetFont(wxFont(wxFontInfo(10).FaceName("Courier New").Family(wxFONTFAMILY_TELETYPE)));
    sizer->Add(list_, 1, wxLEFT | wxRIGHT | wxEXPAND, 8);
    noHeight_ = new wxStaticText(this, IDC_NO_HEIGHT, QuorvelLabel(IDS_QV_TOWN_NO_HEIGHT));
    noHeight_->SetForegroundColour(*wxRED);
    noHeight_->Hide();
    sizer->Add(noHeight_, 0, wxLEFT | wxRIGHT | wxTOP, 8);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    auto* ok = new wxButton(this, wxID_OK, QuorvelLabel(IDS_QV_BTN_CONTINUE));
    ok->SetDefault();
    buttons->Add(ok, 0, wxRIGHT, 4);
    buttons->Add(new wxButton(this, wxID_HELP, QuorvelLabel(IDS_QV_BTN_HELP)), 0, wxRIGHT, 4);
    buttons->Add(new wxButton(this, wxID_CANCEL, QuorvelLabel(IDS_QV_BTN_ABORT)));
    sizer->Add(buttons, 0, wxALL | wxALIGN_RIGHT, 8);
    // Room for the message strip at the bottom.
    sizer->AddSpacer(28);
    SetSizerAndFit(sizer);
    GreyHelpButton(this);

    search_->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { OnSearchText(); });
    byPostcodeButton_->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { OnOrder(true); });
    byTownButton_->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { OnOrder(false); });
    list_->Bind(wxEVT_LISTBOX, [this](wxCommandEvent&) { TakeLine(); });
    list_->Bind(wxEVT_LISTBOX_DCLICK, [this](wxCommandEvent&) {
        TakeLine();
        Fields().endCode = 1;
        Finish();
    });
}

bool CDlgOrteSearch::OnInitDialog() {
    CVxtDialog::OnInitDialog();
    byPostcodeButton_->SetValue(byPostcode);
    byTownButton_->SetValue(!byPostcode);
    usable_ = TableUsable(TheDatenbank().Orte());
    if (!usable_) {
        search_->Disable();
        list_->Disable();
    }
    search_->SetFocus();
    return true;
}

void CDlgOrteSearch::OnSearchText() {
    if (!usable_) return;
    const wxString typed = search_->GetValue();
    const wxString upper = typed.Upper();
    if (upper != typed) {
        const long caret = search_->GetInsertionPoint();
        search_->ChangeValue(upper);
        search_->SetInsertionPoint(caret);
    }
    const std::string text = vx::FromWx(upper);
    if (!text.empty() && text[0] != builtFor_) Rebuild(text[0]);
    if (text.empty()) return;
    // The first line that begins with the text, letter case aside.
    const unsigned n = list_->GetCount();
    for (unsigned i = 0; i < n; ++i) {
        if (list_->GetString(i).Left(upper.length()).Upper() == upper) {
            list_->SetSelection(int(i));
            TakeLine();
            return;
        }
    }
}

void CDlgOrteSearch::Rebuild(char first) {
    wxBusyCursor wait;
    list_->Clear();
    builtFor_ = first;
    CPlzOrtTab* tab = TheDatenbank().Orte();
    if (!tab) return;
    wxArrayString lines;
    for (const std::string& line : PlaceLines(*tab, first, byPostcode)) lines.Add(vx::ToWx(line));
    if (!lines.empty()) list_->Append(lines);
}

void CDlgOrteSearch::OnOrder(bool postcodes) {
    byPostcode = postcodes;
    list_->Clear();
    builtFor_ = 0;
    TakeLine();
    search_->SetFocus();
}

void CDlgOrteSearch::TakeLine() {
    const int selection = list_->GetSelection();
    recNo = selection == wxNOT_FOUND ? 0 : RecordNumberOfLine(vx::FromWx(list_->GetString(unsigned(selection))));
    bool warn = false;
    CPlzOrtTab* tab = TheDatenbank().Orte();
    if (heightWarning && recNo > 0 && tab && tab->Handle() && vx::tableGo(tab->Handle(), recNo) == 0)
        warn = long(tab->geoh) == -99;
    if (noHeight_->IsShown() != warn) {
        noHeight_->Show(warn);
        Layout();
    }
}
