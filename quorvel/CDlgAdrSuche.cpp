#include "quorvel/CDlgAdrSuche.h"

#include "platform/wx/WxText.h"
#include "quorvel/AddressSearch.h"
#include "quorvel/CDatenbank.h"
#include "quorvel/QuorvelDialogs.h"
#include "quorvel/QuorvelText.h"
#include "quorvel/fields/CParsedEdit.h"
#include "quorvel/fields/FieldRules.h"

#include <wx/listbox.h>
#include <wx/button.h>
#include <wx/sizer.h>

using namespace vx;

namespace {

enum : int { IDC_TEXT = 1054, IDC_LIST = 1055, IDC_SUCHEN = 4 };
}

CDlgAdrSuche::CDlgAdrSuche(wxWindow* parent) : CVxtDialog(177, parent, nullptr, 0) {
    SetTitle(QuorvelLabel(IDS_QV_TITLE_ADDRESS_SEARCH));
    searchText.Init(IDC_TEXT, 0, 0, 0, fields::KindAny, 0, 0, 0, 0, 0, 0, 0, false);
    auto* top = new wxBoxSizer(wxVERTICAL);
    auto* edit = new CParsedEdit(&searchText);
    edit->Create(this, IDC_TEXT, wxDefaultPosition, wxSize(300, -1));
    top->Add(edit, 0, wxEXPAND | wxALL, 6);
    list_ = new wxListBox(this, IDC_LIST, wxDefaultPosition, wxSize(300, 200));
    top->Add(list_, 1, wxEXPAND | wxLEFT | wxRIGHT, 6);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    AddDialogButton(this, row, 1, QuorvelString(IDS_QV_BTN_CONTINUE));
    AddDialogButton(this, row, IDC_SUCHEN, QuorvelString(IDS_QV_BTN_FIND));
    AddDialogButton(this, row, kLibraryHelpCommand, QuorvelString(IDS_QV_BTN_HELP));
    AddDialogButton(this, row, 2, QuorvelString(IDS_QV_BTN_CANCEL));
    top->Add(row, 0, wxALIGN_CENTER | wxALL, 4);
    SetSizerAndFit(top);
    RegisterValue(&searchText);
    GreyHelpButton(this);

    usable_ = TableUsable(TheDatenbank().Adressen());
    if (!usable_) {
        for (int id : {int(IDC_TEXT), int(IDC_LIST), int(IDC_SUCHEN), int(wxID_OK)})
            if (wxWindow* w = FindWindow(id)) w->Disable();
    }
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Search(); }, IDC_SUCHEN);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Take(); }, wxID_OK);
    list_->Bind(wxEVT_LISTBOX_DCLICK, [this](wxCommandEvent&) { Take(); });
}

void CDlgAdrSuche::Search() {
    if (!usable_) return;
    list_->Clear();
    recNos_.clear();
    RefreshFields(true);
    CAdressTab& table = *TheDatenbank().Adressen();
    const AddressSink add = [this](const std::string& text, long recNo) {
        list_->Append(ToWx(text));
        recNos_.push_back(recNo);
        return true;
    };
    PhoneticPass(table, searchText.text, add);
    SubstringPass(table, searchText.text, add);
    if (!recNos_.empty()) list_->SetSelection(0);
}

void CDlgAdrSuche::Take() {
    const int sel = list_->GetSelection();
    chosen = usable_ && sel != wxNOT_FOUND && size_t(sel) < recNos_.size() ? recNos_[size_t(sel)] : -1;
    if (IsModal()) EndModal(wxID_OK);
}
