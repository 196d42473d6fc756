#include "quorvel/CDlgAdrSucheV2.h"

#include "dbase/data/Table.h"
#include "platform/wx/WxText.h"
#include "quorvel/AddressSearch.h"
#include "quorvel/CDatenbank.h"
#include "quorvel/QuorvelDialogs.h"
#include "quorvel/PackWhenPossible.h"
#include "quorvel/QuorvelText.h"

#include <wx/combobox.h>
#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

using namespace vx;

namespace {

enum : int { IDC_COMBO = 1061, IDC_NAME1 = 1042, IDC_NAME2 = 1043, IDC_PLZORT = 1223, IDC_STRASSE = 1044,
             IDC_LOESCHEN = 3 };
}

CDlgAdrSucheV2::CDlgAdrSucheV2(wxWindow* parent) : CVxtDialog(1540, parent, nullptr, 0) {
    SetTitle(QuorvelLabel(IDS_QV_TITLE_ADDRESS_PICK));
    auto* top = new wxBoxSizer(wxVERTICAL);
    combo_ = new wxComboBox(this, IDC_COMBO, wxEmptyString, wxDefaultPosition, wxSize(560, -1), 0, nullptr,
                            wxCB_READONLY);
    combo_->SetFont(wxFont(wxFontInfo(9).Family(wxFONTFAMILY_TELETYPE).FaceName("Courier New")));
    top->Add(combo_, 0, wxEXPAND | wxALL, 6);
    for (int id : {IDC_NAME1, IDC_NAME2, IDC_PLZORT, IDC_STRASSE})
        top->Add(new wxStaticText(this, id, wxEmptyString, wxDefaultPosition, wxSize(400, -1)), 0, wxLEFT | wxRIGHT, 8);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    AddDialogButton(this, row, 1, QuorvelString(IDS_QV_BTN_CONTINUE));
    AddDialogButton(this, row, IDC_LOESCHEN, QuorvelString(IDS_QV_BTN_DELETE));
    AddDialogButton(this, row, 2, QuorvelString(IDS_QV_BTN_CLOSE));
    AddDialogButton(this, row, kLibraryHelpCommand, QuorvelString(IDS_QV_BTN_HELP));
    top->Add(row, 0, wxALIGN_CENTER | wxALL, 4);
    SetSizerAndFit(top);
    GreyHelpButton(this);

    usable_ = TableUsable(TheDatenbank().Adressen());
    if (usable_) {
        CAdressTab& table = *TheDatenbank().Adressen();
        if (MarkBlankAddresses(table) > 0) PackWhenPossible(table);
        else PackIfPending(table);
        usable_ = TableUsable(&table);
    }
    if (usable_) {
        Fill();
        chosen = initial_;
    } else {
        for (int id : {int(IDC_COMBO), int(IDC_LOESCHEN), int(wxID_OK)})
            if (wxWindow* w = FindWindow(id)) w->Disable();
    }
    // Deleting keeps the dialog open: this handler runs before the base's end codes.
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { DeleteChosen(); }, IDC_LOESCHEN);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Take(); }, wxID_OK);
    combo_->Bind(wxEVT_COMBOBOX, [this](wxCommandEvent& e) { Choose(e.GetSelection()); });
}

void CDlgAdrSucheV2::Fill() {
    combo_->Clear();
    recNos_.clear();
    CAdressTab& table = *TheDatenbank().Adressen();
    long first = 0;
    FillPickList(table, [this](const std::string& line, long recNo) {
        combo_->Append(ToWx(line));
        recNos_.push_back(recNo);
        return true;
    }, &first);
    // A pack renumbers: the remembered first record follows, unless it went.
    if (initial_ != -1) initial_ = first;
    ShowPreview(false);
}

void CDlgAdrSucheV2::ShowPreview(bool on) {
    CAdressTab& t = *TheDatenbank().Adressen();
    auto set = [&](int id, const std::string& text) {
        if (wxWindow* w = FindWindow(id)) w->SetLabel(ToWx(on ? text : std::string()));
    };
    set(IDC_NAME1, on ? t.FeldText(t.name1) : "");
    set(IDC_NAME2, on ? t.FeldText(t.name2) : "");
    std::string plzOrt;
    if (on) {
        plzOrt = t.FeldText(t.plz);
        plzOrt += " " + t.FeldText(t.ort);
    }
    set(IDC_PLZORT, plzOrt);
    set(IDC_STRASSE, on ? t.FeldText(t.strasse) : "");
}

void CDlgAdrSucheV2::Choose(int line) {
    if (!usable_ || line < 0 || size_t(line) >= recNos_.size()) return;
    tableGo(TheDatenbank().Adressen()->Handle(), recNos_[size_t(line)]);
    ShowPreview(true);
}

void CDlgAdrSucheV2::DeleteChosen() {
    const int line = combo_->GetSelection();
    if (!usable_ || line == wxNOT_FOUND || size_t(line) >= recNos_.size()) return;
    CAdressTab& table = *TheDatenbank().Adressen();
    const long recNo = recNos_[size_t(line)];
    if (tableGo(table.Handle(), recNo) != 0) return;
    tableDelete(table.Handle());
    tableFlush(table.Handle());
    if (recNo == initial_) initial_ = -1;
    if (PackWhenPossible(table) < 0) {
        usable_ = TableUsable(&table);
        return;
    }
    Fill();
    combo_->SetFocus();
}

void CDlgAdrSucheV2::Take() {
    const int line = combo_->GetSelection();
    if (line != wxNOT_FOUND && size_t(line) < recNos_.size()) chosen = recNos_[size_t(line)];
    else chosen = initial_ > 0 ? initial_ : 0;
    if (IsModal()) EndModal(wxID_OK);
}
