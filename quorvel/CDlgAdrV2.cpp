#include "quorvel/CDlgAdrV2.h"

#include "dbase/data/Table.h"
#include "platform/wx/WxText.h"
#include "quorvel/CDatenbank.h"
#include "quorvel/CQuorvelApp.h"
#include "quorvel/CDlgAdrSucheV2.h"
#include "quorvel/CDlgOrte.h"
#include "quorvel/CDlgOrteSearch.h"
#include "quorvel/QuorvelDialogs.h"
#include "quorvel/PackWhenPossible.h"
#include "quorvel/QuorvelTables.h"
#include "quorvel/QuorvelText.h"
#include "quorvel/RecordWalk.h"
#include "quorvel/fields/CMyComboBox.h"
#include "quorvel/fields/FieldEvent.h"
#include "quorvel/fields/FieldMessages.h"
#include "quorvel/fields/FieldRules.h"

#include <wx/button.h>

using namespace vx;

namespace {
enum : int { IDC_MATCH = 1061, IDC_HANDY = 1063, IDC_EMAIL = 1059, IDC_URL = 1060, IDC_DUMMY = 1062,
             IDC_PLZ = 1045, IDC_TOWN = 1543, IDC_LAND = 1047, IDC_PLACES = 1538, IDC_ADDRESSES = 1539 };
}

CDlgAdrV2::CDlgAdrV2(wxWindow* parent) : CDlgAdr(parent, 387) {
    using fields::FlagChoice;
    // E-mail and web address have no length of their own: their column's width holds.
    Build({{IDC_MATCH, IDS_QV_LBL_MATCHCODE, &match, "MATCH", 10, RowEdit, FlagChoice},
           {1042, IDS_QV_LBL_NAME1, &name1, "NAME1", 50},
           {1043, IDS_QV_LBL_NAME2, &name2, "NAME2", 50},
           {1044, IDS_QV_LBL_STREET, &strasse, "STRASSE", 50},
           {IDC_PLZ, IDS_QV_LBL_PLZ, &plz, "PLZ", 5, RowEdit, FlagChoice},
           {IDC_TOWN, IDS_QV_LBL_TOWN, &ort, "ORT", 50, RowTownCombo, FlagChoice},
           {IDC_LAND, IDS_QV_LBL_LAND, &land, "LAND", 50},
           {1048, IDS_QV_LBL_TELEPHONE, &telefon, "TELEFON", 20},
           {1049, IDS_QV_LBL_FAX, &telefax, "TELEFAX", 20},
           {IDC_HANDY, IDS_QV_LBL_MOBILE, &handy, "HANDY", 15},
           {1050, IDS_QV_LBL_CONTACT, &ansprech, "ANSPRECH", 50},
           {IDC_EMAIL, IDS_QV_LBL_EMAIL, &email, "EMAIL", 0},
           {IDC_URL, IDS_QV_LBL_WEB, &url, "URL", 0},
           {1051, IDS_QV_LBL_REMARK, &bemerkung, nullptr, 250, RowMemo},
           {IDC_DUMMY, IDS_QV_LBL_DISCOUNT_GROUP, &dummy, nullptr, 0, RowHidden}},
          {{IDC_ADDRESSES, "..."}, {IDC_PLACES, "..."}, {1058, QuorvelString(IDS_QV_BTN_RECIPIENT)},
           {4, QuorvelString(IDS_QV_BTN_SITE)}, {kLibraryHelpCommand, QuorvelString(IDS_QV_BTN_HELP)},
           {2, QuorvelString(IDS_QV_BTN_CLOSE)}, {1052, QuorvelString(IDS_QV_BTN_NEW)},
           {1053, QuorvelString(IDS_QV_BTN_REMOVE)}, {1057, QuorvelString(IDS_QV_BTN_STORE_ADDRESS)},
           {1056, QuorvelString(IDS_QV_BTN_SEARCH)}, {1054, "&<"}, {1055, "&>"}});
    AddToolTips(this, {{IDC_ADDRESSES, IDS_QV_TIP_ADDRESS_LIST}, {IDC_PLACES, IDS_QV_TIP_PLACE_LIST},
                       {1058, IDS_QV_TIP_TAKE_AS_RECIPIENT}, {4, IDS_QV_TIP_TAKE_AS_SITE},
                       {1052, IDS_QV_TIP_ADDRESS_NEW}, {1057, IDS_QV_TIP_ADDRESS_SAVE},
                       {1053, IDS_QV_TIP_ADDRESS_DELETE}, {1056, IDS_QV_TIP_ADDRESS_SEARCH},
                       {1054, IDS_QV_TIP_ADDRESS_PREVIOUS}, {1055, IDS_QV_TIP_ADDRESS_NEXT},
                       {int(wxID_HELP), IDS_QV_TIP_HELP}, {int(wxID_CANCEL), IDS_QV_TIP_CANCEL}});
    Bind(wxEVT_TEXT, [this](wxCommandEvent&) { OnPostcodeChanged(); }, IDC_PLZ);
    Bind(wxEVT_COMBOBOX, [this](wxCommandEvent& e) {
        e.Skip();
        OnTownChosen();
    }, IDC_TOWN);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnPlaces(); }, IDC_PLACES);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnAddressList(); }, IDC_ADDRESSES);
}

CMyComboBox* CDlgAdrV2::TownCombo() const { return dynamic_cast<CMyComboBox*>(FindWindow(IDC_TOWN)); }

void CDlgAdrV2::RecordToDialog() {
    const bool on = ShowsRecord();
    CAdressTab* tab = Tab();
    auto text = [&](const vx::FieldView& col) { return on ? tab->FeldText(col) : std::string(); };
    match.text = text(tab->match);
    email.text = text(tab->email);
    url.text = text(tab->url);
    dummy.text = text(tab->dummy);
    handy.text = text(tab->handy);
    CDlgAdr::RecordToDialog();
}

void CDlgAdrV2::DialogToRecord() {
    CAdressTab* tab = Tab();
    tab->SetText(tab->match, match.text);
    tab->SetText(tab->email, email.text);
    tab->SetText(tab->url, url.text);
    tab->SetText(tab->dummy, dummy.text);
    tab->SetText(tab->handy, handy.text);
    CDlgAdr::DialogToRecord();
}

void CDlgAdrV2::OnPostcodeChanged() {
    CPlzOrtTab* places = TheDatenbank().Orte();
    CMyComboBox* combo = TownCombo();
    if (!Usable() || !places || !places->IsOpen() || !combo) return;
    plz.text = FieldWindow().ControlText(IDC_PLZ);
    std::string town = combo->GetFieldText();
    std::vector<std::string> towns;
    const int tookFirst = places->PlacesOfPostcode(plz.text, towns, town);
    combo->Clear();
    for (const std::string& t : towns) combo->AddItem(t);
    ort.text = town;
    combo->SetFieldText(town);
    if (tookFirst) OnTownChosen();
}

void CDlgAdrV2::OnTownChosen() {
    CPlzOrtTab* places = TheDatenbank().Orte();
    CMyComboBox* combo = TownCombo();
    if (!Usable() || !places || !places->IsOpen() || !combo) return;
    plz.text = FieldWindow().ControlText(IDC_PLZ);
    const int sel = combo->GetSelection();
    ort.text = sel != wxNOT_FOUND ? combo->GetItemText(sel) : combo->GetFieldText();
    std::string country;
    if (places->GeoHoehe(plz.text, ort.text, &country) > -99) {
        land.text = country;
        ShowCell(land);
    }
}

void CDlgAdrV2::TakePlace() {
    CPlzOrtTab& places = *TheDatenbank().Orte();
    RefreshFields(true);
    plz.text = places.FeldText(places.plz);
    ort.text = places.FeldText(places.ort);
    land.text = places.FeldText(places.land);
    RefreshFields(false);
}

void CDlgAdrV2::OnPlaceSearch() {
    CPlzOrtTab* places = TheDatenbank().Orte();
    if (!Usable() || !places || !places->IsOpen()) return;
    CDlgOrteSearch search(this);
    if (search.ShowModal() != wxID_OK || search.recNo <= 0) return;
    if (tableGo(places->Handle(), search.recNo) != 0) return;
    TakePlace();
}

void CDlgAdrV2::OnPlaces() {
    if (!Usable()) return;
    CDlgOrte editor(this);
    if (editor.ShowModal() != wxID_OK) return;
    RefreshFields(true);
    plz.text = editor.Postcode();
    ort.text = editor.Town();
    land.text = editor.Country();
    RefreshFields(false);
}

void CDlgAdrV2::OnAddressList() {
    if (!Usable() || tableRecCount(Tab()->Handle()) <= 0) return;
    CDlgAdrSucheV2 list(this);
    const bool ok = list.ShowModal() == wxID_OK;
    // A deletion in the list may have packed and renumbered the table.
    TableHandle* t = Tab()->Handle();
    if (ok && list.chosen != 0) {
        LeaveNewEntry();
        tableGo(t, list.chosen);
    } else if (!OnLiveRecord(t)) {
        GoFirstLive(t);
    }
    // A new entry keeps what was typed into it.
    if (!InNewEntry()) ShowRecord();
}

bool CDlgAdrV2::OnFieldMessage(FieldEvent& event) {
    if (event.message == fieldmsg::Choice) {
        if (event.wParam == IDC_MATCH) OnAddressList();
        else if (event.wParam == IDC_PLZ || event.wParam == IDC_TOWN) OnPlaceSearch();
        event.result = 1;
        return true;
    }
    return CDlgAdr::OnFieldMessage(event);
}
