#include "quorvel/CDlgProjektV2.h"

#include "dbase/data/Table.h"
#include "quorvel/CDatenbank.h"
#include "quorvel/CDlgOrteSearch.h"
#include "quorvel/CQuorvelApp.h"
#include "quorvel/QuorvelDialogs.h"
#include "quorvel/QuorvelTables.h"
#include "quorvel/QuorvelText.h"
#include "quorvel/fields/CMyComboBox.h"
#include "quorvel/fields/FieldEvent.h"
#include "quorvel/fields/FieldMessages.h"
#include "quorvel/fields/FieldRules.h"

#include <wx/textctrl.h>

using namespace vx;

CDlgProjektV2::CDlgProjektV2(wxWindow* parent, const CProjekt& record) : CDlgProjekt(parent, record) {
    // The postcodes offer the place search on F4.
    projekt.cells[CProjekt::EmpfPlz].actionFlags |= fields::FlagChoice;
    projekt.cells[CProjekt::StdoPlz].actionFlags |= fields::FlagChoice;
    AddToolTips(this, {{int(wxID_OK), IDS_QV_TIP_NEXT_FORM}, {int(wxID_CANCEL), IDS_QV_TIP_CANCEL},
                       {int(wxID_HELP), IDS_QV_TIP_HELP}, {IDC_DATENBANK, IDS_QV_TIP_ADDRESS_BOOK},
                       {IDC_E_TO_DB, IDS_QV_TIP_RECIPIENT_TO_DB}, {IDC_S_TO_DB, IDS_QV_TIP_SITE_TO_DB},
                       {IDC_TO_SITE, IDS_QV_TIP_COPY_TO_SITE},
                       {IDC_TO_RECIPIENT, IDS_QV_TIP_COPY_TO_RECIPIENT}});
    Bind(wxEVT_TEXT, [this](wxCommandEvent&) { OnPostcodeChanged(true); }, IDC_E_PLZ);
    Bind(wxEVT_TEXT, [this](wxCommandEvent&) { OnPostcodeChanged(false); }, IDC_S_PLZ);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { CopyAddress(true); }, IDC_TO_SITE);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { CopyAddress(false); }, IDC_TO_RECIPIENT);
}

void CDlgProjektV2::OnPostcodeChanged(bool recipient) {
    CPlzOrtTab* places = TheDatenbank().Orte();
    auto* combo = dynamic_cast<CMyComboBox*>(FindWindow(recipient ? IDC_E_ORT : IDC_S_ORT));
    auto* edit = dynamic_cast<wxTextCtrl*>(FindWindow(recipient ? IDC_E_PLZ : IDC_S_PLZ));
    if (!places || !places->IsOpen() || !combo || !edit) return;
    const std::string plz = FieldWindow().ControlText(recipient ? IDC_E_PLZ : IDC_S_PLZ);
    std::string town = combo->GetFieldText();
    std::vector<std::string> towns;
    places->PlacesOfPostcode(plz, towns, town);
    combo->Clear();
    for (const std::string& t : towns) combo->AddItem(t);
    combo->SetFieldText(town);
}

void CDlgProjektV2::OnPlaceSearch(bool recipient) {
    CPlzOrtTab* places = TheDatenbank().Orte();
    if (!places || !places->IsOpen()) return;
    CDlgOrteSearch search(this);
    if (search.ShowModal() != wxID_OK || search.recNo <= 0) return;
    if (tableGo(places->Handle(), search.recNo) != 0) return;
    RefreshFields(true);
    projekt.Text(recipient ? CProjekt::EmpfPlz : CProjekt::StdoPlz) = places->FeldText(places->plz);
    projekt.Text(recipient ? CProjekt::EmpfOrt : CProjekt::StdoOrt) = places->FeldText(places->ort);
    ShowRecord();
}

void CDlgProjektV2::CopyAddress(bool toSite) {
    using C = CProjekt;
    RefreshFields(true);
    const std::pair<C::Cell, C::Cell> pairs[] = {{C::EmpfName1, C::StdoName1}, {C::EmpfName2, C::StdoName2},
                                                 {C::EmpfStrasse, C::StdoStrasse}, {C::EmpfOrt, C::StdoOrt},
                                                 {C::EmpfPlz, C::StdoPlz}};
    for (const auto& [recipient, site] : pairs) {
        if (toSite) projekt.Text(site) = projekt.Text(recipient);
        else projekt.Text(recipient) = projekt.Text(site);
    }
    ShowRecord();
}

bool CDlgProjektV2::OnFieldMessage(FieldEvent& event) {
    if (event.message == fieldmsg::Choice && (event.wParam == IDC_E_PLZ || event.wParam == IDC_S_PLZ)) {
        OnPlaceSearch(event.wParam == IDC_E_PLZ);
        event.result = 1;
        return true;
    }
    return CDlgProjekt::OnFieldMessage(event);
}
